#include "PrinterPort.h"

#include <stdlib.h>
#include <string.h>

#include "portlink/Spooler.h"

namespace {

void ReadPort(const SPOOLER_API& spooler, HANDLE hPrinter, PRINTER_PORT* pPort) {
    DWORD cbNeeded = 0;
    spooler.GetPrinterA(hPrinter, 2, NULL, 0, &cbNeeded);
    BYTE* pbInfo = cbNeeded > 0 ? static_cast<BYTE*>(malloc(cbNeeded)) : NULL;
    if (pbInfo == NULL) {
        pPort->dwError = cbNeeded > 0 ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
        return;
    }
    const PRINTER_INFO_2A* pInfo = reinterpret_cast<PRINTER_INFO_2A*>(pbInfo);
    if (spooler.GetPrinterA(hPrinter, 2, pbInfo, cbNeeded, &cbNeeded)) {
        char szThisComputer[MAX_COMPUTERNAME_LENGTH + 1] = "";
        DWORD cchThisComputer = sizeof szThisComputer;
        GetComputerNameA(szThisComputer, &cchThisComputer);
        pPort->bShared = IsOnAnotherComputer(*pInfo, szThisComputer, &pPort->strServer);
        if (!pPort->bShared && pInfo->pPortName != NULL)
            pPort->strPortName.Format("%s", pInfo->pPortName);
    } else {
        pPort->dwError = GetLastError();
    }
    free(pbInfo);
}

} // namespace

PRINTER_PORT GetPrinterPort(const CString& strPrinterName) {
    PRINTER_PORT port = {ERROR_INVALID_PRINTER_NAME, CString(), FALSE, CString()};
    if (strPrinterName.IsEmpty() || strPrinterName.GetLength() > MAX_PRINTER_NAME)
        return port;
    const SPOOLER_API* pSpooler = Spooler();
    HANDLE hPrinter = NULL;
    if (pSpooler == NULL ||
        !pSpooler->OpenPrinterA(const_cast<LPSTR>(static_cast<LPCSTR>(strPrinterName)), &hPrinter,
                                NULL)) {
        port.dwError = GetLastError();
        return port;
    }
    port.dwError = ERROR_SUCCESS;
    ReadPort(*pSpooler, hPrinter, &port);
    pSpooler->ClosePrinter(hPrinter);
    return port;
}

BOOL IsOnAnotherComputer(const PRINTER_INFO_2A& info, LPCSTR pszThisComputer, CString* pstrServer) {
    // A connection's record may name no server; its name does: \\srv\Label.
    // A local printer's name holds no backslash.
    CString strServer(info.pServerName != NULL ? info.pServerName : "");
    LPCSTR pszName = info.pPrinterName != NULL ? info.pPrinterName : "";
    if (strServer.IsEmpty() && strncmp(pszName, "\\\\", 2) == 0) {
        LPCSTR pszShare = strchr(pszName + 2, '\\');
        strServer = pszShare != NULL ? CString(pszName, static_cast<int>(pszShare - pszName))
                                     : CString(pszName);
    }
    BOOL bThisComputer = strncmp(strServer, "\\\\", 2) == 0 &&
                         lstrcmpiA(static_cast<LPCSTR>(strServer) + 2, pszThisComputer) == 0;
    *pstrServer = bThisComputer ? CString() : strServer;
    return !pstrServer->IsEmpty() || (info.Attributes & PRINTER_ATTRIBUTE_NETWORK) != 0;
}
