#include "RegistryValue.h"

#include <stdlib.h>

#include "portlink/Tavrix.h"

namespace {

CString Expanded(LPCSTR pszText) {
    DWORD cch = ExpandEnvironmentStringsA(pszText, NULL, 0);
    char* psz = cch > 0 ? static_cast<char*>(malloc(cch)) : NULL;
    CString strExpanded;
    if (psz != NULL && ExpandEnvironmentStringsA(pszText, psz, cch) == cch)
        strExpanded = CString(psz);
    free(psz);
    return strExpanded;
}

DWORD QueryString(HKEY hKey, LPCSTR pszName, CString* pstrValue) {
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (RegQueryValueExA(hKey, pszName, NULL, &dwType, NULL, &cbData) != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return TAVRIX_ERROR_BAD_SETTING;
    // The stored text need not end in a zero: one more byte makes sure.
    char* psz = static_cast<char*>(calloc(cbData + 1, 1));
    if (psz != NULL && RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(psz),
                                        &cbData) == ERROR_SUCCESS)
        *pstrValue = dwType == REG_EXPAND_SZ ? Expanded(psz) : CString(psz);
    free(psz);
    return pstrValue->IsEmpty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

} // namespace

DWORD ReadStringValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName,
                      CString* pstrValue) {
    *pstrValue = CString();
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszKey, 0, KEY_QUERY_VALUE | samView, &hKey) != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    DWORD dwResult = QueryString(hKey, pszName, pstrValue);
    RegCloseKey(hKey);
    return dwResult;
}
