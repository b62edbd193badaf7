#include "OpenPortLink.h"

#include "tavrix2/CHandleLink.h"
#include "tavrix2/CSocketLink.h"
#include "tavrix2/CSpoolerLink.h"
#include "tavrix2/UsbPrinters.h"

CPortLink* OpenPortLink(const PORT_TARGET& target, DWORD dwStart, DWORD dwTimeoutMs) {
    switch (target.kind) {
    case TARGET_PATH:
        return CHandleLink::Open(target.strPath, target.strComPort, dwStart, dwTimeoutMs);
    case TARGET_TCP:
        return CSocketLink::Connect(target.strPath, target.strService, dwStart, dwTimeoutMs);
    case TARGET_USB_PRINTER: {
        CString strPath = FindUsbPrinterPath(target.nUsbIndex);
        if (!strPath.IsEmpty())
            return CHandleLink::Open(strPath, "", dwStart, dwTimeoutMs);
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return NULL;
    }
    case TARGET_PRINTER: {
        const SPOOLER_API* pSpooler = Spooler();
        return pSpooler != NULL
                   ? CSpoolerLink::Open(*pSpooler, target.strPath, dwStart, dwTimeoutMs)
                   : NULL;
    }
    case TARGET_NONE:
        break;
    }
    SetLastError(target.dwError);
    return NULL;
}
