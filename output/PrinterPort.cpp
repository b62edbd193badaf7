#include "PrinterPort.h"

#include <stdlib.h>
#include <string.h>

#include "framework/AfxCallWithin.h"
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

// One lookup, on the C run-time heap: an abandoned one outlives the caller.
struct LOOKUP {
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

    CString strPrinterName;
    PRINTER_PORT port;
};

void ReadPort(const SPOOLER& spooler, HANDLE hPrinter, PRINTER_PORT* pPort) {
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

void LookUp(void* pv) {
    LOOKUP* pLookup = static_cast<LOOKUP*>(pv);
    PRINTER_PORT* pPort = &pLookup->port;
    SPOOLER spooler;
    HANDLE hPrinter = NULL;
    if (!LoadSpooler(&spooler) ||
        !spooler.OpenPrinterA(const_cast<LPSTR>(static_cast<LPCSTR>(pLookup->strPrinterName)),
                              &hPrinter, NULL)) {
        pPort->dwError = GetLastError();
        return;
    }
    ReadPort(spooler, hPrinter, pPort);
    spooler.ClosePrinter(hPrinter);
}

void ForgetLookUp(void* pv) {
    delete static_cast<LOOKUP*>(pv);
}

} // namespace

PRINTER_PORT GetPrinterPort(const CString& strPrinterName, DWORD dwTimeoutMs) {
    PRINTER_PORT port = {ERROR_INVALID_PRINTER_NAME, CString(), FALSE, CString()};
    if (strPrinterName.IsEmpty() || strPrinterName.GetLength() > MAX_PRINTER_NAME)
        return port;
    LOOKUP* pLookup = new LOOKUP;
    if (pLookup == NULL) {
        port.dwError = ERROR_NOT_ENOUGH_MEMORY;
        return port;
    }
    pLookup->strPrinterName = strPrinterName;
    pLookup->port = {ERROR_SUCCESS, CString(), FALSE, CString()};
    port.dwError = AfxCallWithin({LookUp, NULL, ForgetLookUp}, pLookup, dwTimeoutMs);
    if (port.dwError == ERROR_TIMEOUT)
        return port;
    if (port.dwError == ERROR_SUCCESS)
        port = pLookup->port;
    delete pLookup;
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
