#include "PortTarget.h"

#include <stdlib.h>
#include <string.h>

#include "output/PortTable.h"

namespace {

const char* const DEFAULT_TCP_SERVICE = "9100";

PORT_TARGET Target(PORT_TARGET_KIND kind, const CString& strPath = CString()) {
    PORT_TARGET target = {kind, strPath, CString(), 0};
    return target;
}

// host or host:port; a setting with more than one colon is an IPv6 host.
PORT_TARGET TcpTarget(const CString& strSetting) {
    LPCSTR psz = strSetting;
    LPCSTR pszColon = strchr(psz, ':');
    PORT_TARGET target = Target(TARGET_TCP, strSetting);
    target.strService = DEFAULT_TCP_SERVICE;
    if (pszColon != NULL && strchr(pszColon + 1, ':') == NULL) {
        target.strPath = strSetting.Left(static_cast<int>(pszColon - psz));
        target.strService = CString(pszColon + 1);
    }
    return target;
}

PORT_TARGET DefaultTarget(int nPort) {
    if (nPort >= PORT_FIRST_USB) {
        PORT_TARGET target = Target(TARGET_USB_PRINTER);
        target.nUsbIndex = nPort - PORT_FIRST_USB;
        return target;
    }
    CString strDevice;
    strDevice.Format("\\\\.\\%s", g_rgpszPortNames[nPort]);
    return Target(TARGET_DEVICE, strDevice);
}

} // namespace

PORT_TARGET ChoosePortTarget(int nPort, const CString& strOutputFileName,
                             PFN_READ_PORT_SETTING pfnReadSetting) {
    if (nPort < 0 || nPort >= PORT_COUNT)
        return Target(TARGET_NONE);
    if (nPort == PORT_FILES && !strOutputFileName.IsEmpty())
        return Target(TARGET_APPEND_FILE, strOutputFileName);
    CString strSetting = pfnReadSetting(g_rgpszPortNames[nPort]);
    if (nPort == PORT_FILES || nPort == PORT_TCPIP) {
        if (strSetting.IsEmpty())
            return Target(TARGET_NONE);
        return nPort == PORT_FILES ? Target(TARGET_APPEND_FILE, strSetting) : TcpTarget(strSetting);
    }
    return strSetting.IsEmpty() ? DefaultTarget(nPort) : Target(TARGET_DEVICE, strSetting);
}

namespace {

CString ReadSetting(HKEY hRoot, LPCSTR pszPortName) {
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, "Software\\Kestrin\\Tavrix\\Ports", 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS)
        return CString();
    CString strSetting;
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (RegQueryValueExA(hKey, pszPortName, NULL, &dwType, NULL, &cbData) == ERROR_SUCCESS &&
        dwType == REG_SZ && cbData > 0) {
        // The stored text need not end in a zero: one more byte makes sure.
        char* psz = static_cast<char*>(calloc(cbData + 1, 1));
        if (psz != NULL && RegQueryValueExA(hKey, pszPortName, NULL, &dwType,
                                            reinterpret_cast<BYTE*>(psz), &cbData) == ERROR_SUCCESS)
            strSetting = CString(psz);
        free(psz);
    }
    RegCloseKey(hKey);
    return strSetting;
}

} // namespace

CString ReadPortSetting(LPCSTR pszPortName) {
    CString strSetting = ReadSetting(HKEY_CURRENT_USER, pszPortName);
    return strSetting.IsEmpty() ? ReadSetting(HKEY_LOCAL_MACHINE, pszPortName) : strSetting;
}
