#include "PortTarget.h"

#include <string.h>

#include "portlink/PortTable.h"
#include "portlink/SettingText.h"
#include "portlink/TavrixError.h"

namespace {

const char* const DEFAULT_TCP_SERVICE = "9100";

PORT_TARGET Target(PORT_TARGET_KIND kind) {
    PORT_TARGET target = {kind, ERROR_SUCCESS, CString(), CString(), CString(), 0};
    return target;
}

PORT_TARGET NoTarget(DWORD dwError) {
    PORT_TARGET target = Target(TARGET_NONE);
    target.dwError = dwError;
    return target;
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The serial port a path names: \\.\COM12 and COM3: name COM12 and COM3.
CString ComPortOf(LPCSTR pszPath) {
    if (strncmp(pszPath, "\\\\.\\", 4) == 0 || strncmp(pszPath, "\\\\?\\", 4) == 0)
        pszPath += 4;
    if (_strnicmp(pszPath, "COM", 3) != 0 || pszPath[3] < '1' || pszPath[3] > '9')
        return CString();
    LPCSTR pszEnd = pszPath + 3;
    while (IsDigit(*pszEnd))
        ++pszEnd;
    if (*pszEnd != '\0' && strcmp(pszEnd, ":") != 0)
        return CString();
    return CString(pszPath, static_cast<int>(pszEnd - pszPath));
}

PORT_TARGET PathTarget(const CString& strPath) {
    PORT_TARGET target = Target(TARGET_PATH);
    target.strPath = strPath;
    target.strComPort = ComPortOf(strPath);
    return target;
}

// A setting without a host (":9100", "[]") would reach this computer's own
// port: it reaches nothing.
PORT_TARGET TcpTarget(const CString& strSetting) {
    LPCSTR pszHost = strSetting;
    LPCSTR pszHostEnd = pszHost + strSetting.GetLength();
    LPCSTR pszService = NULL;
    LPCSTR pszClose = strchr(pszHost, ']');
    if (*pszHost == '[' && pszClose != NULL && (pszClose[1] == '\0' || pszClose[1] == ':')) {
        pszHostEnd = pszClose;
        pszService = pszClose[1] == ':' ? pszClose + 2 : NULL;
        ++pszHost;
    } else if (LPCSTR pszColon = strchr(pszHost, ':')) {
        // With more colons than one it is an IPv6 address without a port.
        if (strchr(pszColon + 1, ':') == NULL) {
            pszHostEnd = pszColon;
            pszService = pszColon + 1;
        }
    }
    if (pszHostEnd == pszHost)
        return NoTarget(TAVRIX_ERROR_NO_SETTING);
    PORT_TARGET target = Target(TARGET_TCP);
    target.strPath = CString(pszHost, static_cast<int>(pszHostEnd - pszHost));
    target.strService =
        pszService != NULL && *pszService != '\0' ? pszService : DEFAULT_TCP_SERVICE;
    return target;
}

PORT_TARGET DefaultTarget(int nPort) {
    if (nPort == PORT_FILES || nPort == PORT_TCPIP)
        return NoTarget(TAVRIX_ERROR_NO_SETTING);
    if (nPort >= PORT_FIRST_USB) {
        PORT_TARGET target = Target(TARGET_USB_PRINTER);
        target.nUsbIndex = nPort - PORT_FIRST_USB;
        return target;
    }
    CString strDevice;
    strDevice.Format("\\\\.\\%s", g_rgpszPortNames[nPort]);
    return PathTarget(strDevice);
}

} // namespace

PORT_TARGET ChoosePortTarget(int nPort, const CString& strOutputFileName, DWORD dwResult,
                             const CString& strSetting) {
    if (nPort < 0 || nPort >= PORT_COUNT)
        return NoTarget(ERROR_INVALID_PARAMETER);
    if (nPort == PORT_FILES && !strOutputFileName.IsEmpty())
        return PathTarget(strOutputFileName);
    if (dwResult == ERROR_FILE_NOT_FOUND)
        return DefaultTarget(nPort);
    // A setting that cannot be read never falls back to the port's own
    // device: the bytes would go where the deployer did not point them.
    if (dwResult != ERROR_SUCCESS)
        return NoTarget(dwResult);
    if (LPCSTR pszPrinter = PrinterOfSetting(strSetting)) {
        if (*pszPrinter == '\0')
            return NoTarget(TAVRIX_ERROR_NO_SETTING);
        PORT_TARGET target = Target(TARGET_PRINTER);
        target.strPath = pszPrinter;
        return target;
    }
    if (nPort == PORT_TCPIP)
        return TcpTarget(strSetting);
    // A path that depends on the folder the program was started in would
    // make a file wherever the host happened to be.
    return IsFullPath(strSetting) ? PathTarget(strSetting) : NoTarget(TAVRIX_ERROR_NOT_FULL_PATH);
}
