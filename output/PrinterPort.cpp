#include "PrinterPort.h"

#include <stdlib.h>
#include <winspool.h>

namespace {

BOOL ReadPortName(HANDLE hPrinter, CString* pstrPortName) {
    DWORD cbNeeded = 0;
    GetPrinterA(hPrinter, 2, NULL, 0, &cbNeeded);
    if (cbNeeded == 0)
        return FALSE;
    BYTE* pbInfo = static_cast<BYTE*>(malloc(cbNeeded));
    if (pbInfo == NULL)
        return FALSE;
    const PRINTER_INFO_2A* pInfo = reinterpret_cast<PRINTER_INFO_2A*>(pbInfo);
    BOOL bRead = GetPrinterA(hPrinter, 2, pbInfo, cbNeeded, &cbNeeded);
    if (bRead && pInfo->pPortName != NULL)
        pstrPortName->Format("%s", pInfo->pPortName);
    free(pbInfo);
    return bRead;
}

} // namespace

BOOL GetPrinterPortName(const CString& strPrinterName, CString* pstrPortName) {
    *pstrPortName = CString();
    if (strPrinterName.IsEmpty() || strPrinterName.GetLength() > MAX_PRINTER_NAME)
        return FALSE;
    HANDLE hPrinter = NULL;
    if (!OpenPrinterA(const_cast<LPSTR>(static_cast<LPCSTR>(strPrinterName)), &hPrinter, NULL))
        return FALSE;
    BOOL bRead = ReadPortName(hPrinter, pstrPortName);
    ClosePrinter(hPrinter);
    return bRead;
}
