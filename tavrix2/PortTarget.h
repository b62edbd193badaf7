#pragma once

#include "framework/CString.h"

// Where a port number leads. A port's setting (ReadPortSetting, in
// TavrixSettings.h) takes the place of its default: a full path for every
// port but TCPIP, whose setting is host, host:port, [IPv6] or [IPv6]:port,
// or for any port printer:NAME.
enum PORT_TARGET_KIND {
    TARGET_NONE,        // dwError: why the port leads nowhere
    TARGET_PATH,        // strPath: a device, a pipe or a file; strComPort: the
                        // serial port the path names (COM3), if any
    TARGET_TCP,         // strPath: the host, strService: the TCP port
    TARGET_USB_PRINTER, // nUsbIndex: the n-th USB printer-class device
    TARGET_PRINTER,     // strPath: a printer the spooler knows, for RAW jobs
};

struct PORT_TARGET {
    PORT_TARGET_KIND kind;
    DWORD dwError;
    CString strPath;
    CString strService;
    CString strComPort;
    int nUsbIndex;
};

// Where port nPort leads, given what reading its setting gave
// (ReadPortSetting): ERROR_SUCCESS with its text, ERROR_FILE_NOT_FOUND when
// it has none, or the reason the setting cannot be used. FILES leads to
// strOutputFileName where there is one, whatever its setting.
PORT_TARGET ChoosePortTarget(int nPort, const CString& strOutputFileName, DWORD dwSettingResult,
                             const CString& strSetting);
