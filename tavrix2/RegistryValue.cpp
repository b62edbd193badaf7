#include "RegistryValue.h"

#include <stdlib.h>

#include "framework/AfxAnsiFromWide.h"
#include "portlink/Tavrix.h"

namespace {

// Most settings are a path, which a first guess holds: they are read at
// once. A value that does not fit, or that is rewritten larger meanwhile, is
// read again at the size it reports a few times before that counts as a
// reason of its own.
const DWORD FIRST_GUESS_BYTES = MAX_PATH * sizeof(WCHAR);
const int VALUE_READ_TRIES = 4;

// The value's text as stored, with a terminating zero whether or not the
// stored text has one; NULL with the reason otherwise.
WCHAR* QueryText(HKEY hKey, LPCWSTR pszName, DWORD* pdwType, LONG* plResult) {
    DWORD cbRoom = FIRST_GUESS_BYTES;
    for (int nTry = 0; nTry < VALUE_READ_TRIES; ++nTry) {
        // Room for one more character than the (maybe odd) size holds.
        WCHAR* psz = static_cast<WCHAR*>(calloc(cbRoom / sizeof(WCHAR) + 2, sizeof(WCHAR)));
        if (psz == NULL) {
            *plResult = ERROR_NOT_ENOUGH_MEMORY;
            return NULL;
        }
        DWORD cbData = cbRoom;
        *plResult =
            RegQueryValueExW(hKey, pszName, NULL, pdwType, reinterpret_cast<BYTE*>(psz), &cbData);
        if (*plResult == ERROR_SUCCESS && (*pdwType == REG_SZ || *pdwType == REG_EXPAND_SZ))
            return psz;
        free(psz);
        if (*plResult == ERROR_SUCCESS)
            *plResult = TAVRIX_ERROR_BAD_SETTING;
        if (*plResult != ERROR_MORE_DATA)
            return NULL;
        cbRoom = cbData;
    }
    return NULL;
}

// The text with its environment variables expanded, sized until the result
// fits; NULL with the reason in the last-error code.
WCHAR* Expanded(LPCWSTR pszText) {
    DWORD cch = ExpandEnvironmentStringsW(pszText, NULL, 0);
    while (cch > 0) {
        WCHAR* psz = static_cast<WCHAR*>(malloc(cch * sizeof(WCHAR)));
        if (psz == NULL) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return NULL;
        }
        DWORD cchNeeded = ExpandEnvironmentStringsW(pszText, psz, cch);
        if (cchNeeded > 0 && cchNeeded <= cch)
            return psz;
        free(psz);
        cch = cchNeeded;
    }
    return NULL;
}

DWORD QueryString(HKEY hKey, LPCSTR pszName, CString* pstrValue) {
    WCHAR szName[64];
    if (MultiByteToWideChar(CP_ACP, 0, pszName, -1, szName, 64) == 0)
        return GetLastError();
    DWORD dwType = REG_NONE;
    LONG lResult = ERROR_SUCCESS;
    WCHAR* pszText = QueryText(hKey, szName, &dwType, &lResult);
    if (pszText == NULL)
        return lResult;
    DWORD dwResult = ERROR_SUCCESS;
    if (dwType == REG_EXPAND_SZ) {
        WCHAR* pszExpanded = Expanded(pszText);
        if (pszExpanded == NULL)
            dwResult = GetLastError();
        free(pszText);
        pszText = pszExpanded;
    }
    if (pszText != NULL && !AfxAnsiFromWide(pszText, lstrlenW(pszText), *pstrValue))
        dwResult = GetLastError();
    free(pszText);
    if (dwResult == ERROR_SUCCESS && pstrValue->IsEmpty())
        return ERROR_FILE_NOT_FOUND;
    return dwResult;
}

} // namespace

DWORD ReadStringValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName,
                      CString* pstrValue) {
    *pstrValue = CString();
    HKEY hKey = NULL;
    LONG lResult = RegOpenKeyExA(hRoot, pszKey, 0, KEY_QUERY_VALUE | samView, &hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : lResult;
    DWORD dwResult = QueryString(hKey, pszName, pstrValue);
    RegCloseKey(hKey);
    return dwResult;
}
