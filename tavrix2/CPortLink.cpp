#include "tavrix2/CSocketLink.h"

#include "tavrix2/CHandleLink.h"
#include "tavrix2/PortTarget.h"
#include "tavrix2/UsbPrinters.h"

CPortLink* OpenPortLink(const PORT_TARGET& target) {
    switch (target.kind) {
    case TARGET_DEVICE:
        return CHandleLink::OpenDevice(target.strPath);
    case TARGET_APPEND_FILE:
        return CHandleLink::OpenAppend(target.strPath);
    case TARGET_TCP:
        return CSocketLink::Connect(target.strPath, target.strService);
    case TARGET_USB_PRINTER: {
        CString strPath = FindUsbPrinterPath(target.nUsbIndex);
        return strPath.IsEmpty() ? NULL : CHandleLink::OpenDevice(strPath);
    }
    case TARGET_NONE:
        break;
    }
    return NULL;
}
