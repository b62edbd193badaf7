#pragma once

#include "framework/CString.h"

// Where a port number leads. A port's setting (see ReadPortSetting) takes the
// place of its default: a path to open for every port but TCPIP, whose
// setting is host or host:port.
enum PORT_TARGET_KIND {
    TARGET_NONE,
    TARGET_DEVICE,      // strPath: a device, a pipe or an existing file
    TARGET_APPEND_FILE, // strPath: a file, created if need be, appended to
    TARGET_TCP,         // strPath: the host, strService: the TCP port
    TARGET_USB_PRINTER, // nUsbIndex: the n-th USB printer-class device
};

struct PORT_TARGET {
    PORT_TARGET_KIND kind;
    CString strPath;
    CString strService;
    int nUsbIndex;
};

typedef CString (*PFN_READ_PORT_SETTING)(LPCSTR pszPortName);

PORT_TARGET ChoosePortTarget(int nPort, const CString& strOutputFileName,
                             PFN_READ_PORT_SETTING pfnReadSetting);

// The port's setting: a REG_SZ value named as the port under
// Software\Kestrin\Tavrix\Ports, in HKEY_CURRENT_USER, else in
// HKEY_LOCAL_MACHINE; empty when neither has one.
CString ReadPortSetting(LPCSTR pszPortName);
