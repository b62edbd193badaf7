#include "PrinterPort.h"

#include <stdlib.h>
#include <winspool.h>

#include "framework/AfxLoadProc.h"

namespace {

// The spooler's client, loaded at the first Send rather than with the
// program.
struct SPOOLER {
    decltype(&::OpenPrinterA) OpenPrinterA;
    decltype(&::GetPrinterA) GetPrinterA;
    decltype(&::ClosePrinter) ClosePrinter;
};

bool LoadSpooler(SPOOLER* p) {
    const char* const DLL = "winspool.drv";
    return AfxBindSystemProc(&p->OpenPrinterA, DLL, "OpenPrinterA") &&
           AfxBindSystemProc(&p->GetPrinterA, DLL, "GetPrinterA") &&
           AfxBindSystemProc(&p->ClosePrinter, DLL, "ClosePrinter");
}

BOOL ReadPortName(const SPOOLER& spooler, HANDLE hPrinter, CString* pstrPortName) {
    DWORD cbNeeded = 0;
    spooler.GetPrinterA(hPrinter, 2, NULL, 0, &cbNeeded);
    if (cbNeeded == 0)
        return FALSE;
    BYTE* pbInfo = static_cast<BYTE*>(malloc(cbNeeded));
    if (pbInfo == NULL)
        return FALSE;
    const PRINTER_INFO_2A* pInfo = reinterpret_cast<PRINTER_INFO_2A*>(pbInfo);
    BOOL bRead = spooler.GetPrinterA(hPrinter, 2, pbInfo, cbNeeded, &cbNeeded);
    if (bRead && pInfo->pPortName != NULL)
        pstrPortName->Format("%s", pInfo->pPortName);
    free(pbInfo);
    return bRead;
}

} // namespace

BOOL GetPrinterPortName(const CString& strPrinterName, CString* pstrPortName) {
    *pstrPortName = CString();
    SPOOLER spooler;
    if (strPrinterName.IsEmpty() || strPrinterName.GetLength() > MAX_PRINTER_NAME ||
        !LoadSpooler(&spooler))
        return FALSE;
    HANDLE hPrinter = NULL;
    if (!spooler.OpenPrinterA(const_cast<LPSTR>(static_cast<LPCSTR>(strPrinterName)), &hPrinter,
                              NULL))
        return FALSE;
    BOOL bRead = ReadPortName(spooler, hPrinter, pstrPortName);
    spooler.ClosePrinter(hPrinter);
    return bRead;
}
