#include "PrinterPort.h"

#include <stdlib.h>
#include <winspool.h>

#include "portlink/PortTable.h"

namespace {

CString ReadPortName(HANDLE hPrinter) {
    DWORD cbNeeded = 0;
    GetPrinterA(hPrinter, 2, NULL, 0, &cbNeeded);
    if (cbNeeded == 0)
        return CString();
    BYTE* pbInfo = static_cast<BYTE*>(malloc(cbNeeded));
    if (pbInfo == NULL)
        return CString();
    CString strPortName;
    const PRINTER_INFO_2A* pInfo = reinterpret_cast<PRINTER_INFO_2A*>(pbInfo);
    if (GetPrinterA(hPrinter, 2, pbInfo, cbNeeded, &cbNeeded) && pInfo->pPortName != NULL)
        strPortName.Format("%s", pInfo->pPortName);
    free(pbInfo);
    return strPortName;
}

} // namespace

CString GetBarePortName(const CString& strPrinterName) {
    if (strPrinterName.GetLength() > MAX_PRINTER_NAME)
        return CString();
    HANDLE hPrinter = NULL;
    if (!OpenPrinterA(const_cast<LPSTR>(static_cast<LPCSTR>(strPrinterName)), &hPrinter, NULL))
        return CString();
    CString strPortName = ReadPortName(hPrinter);
    ClosePrinter(hPrinter);
    return strPortName.Left(static_cast<int>(BarePortNameLength(strPortName.GetLength())));
}
