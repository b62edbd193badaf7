#include "RegistryValue.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "framework/AfxAnsiFromWide.h"

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
            *plResult = ERROR_DATATYPE_MISMATCH;
        if (*plResult != ERROR_MORE_DATA)
            return NULL;
        cbRoom = cbData;
    }
    return NULL;
}

bool IsDefined(LPCWSTR pchName, size_t cchName) {
    WCHAR* pszName = static_cast<WCHAR*>(calloc(cchName + 1, sizeof(WCHAR)));
    if (pszName == NULL)
        return true;
    memcpy(pszName, pchName, cchName * sizeof(WCHAR));
    bool bDefined =
        GetEnvironmentVariableW(pszName, NULL, 0) != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    free(pszName);
    return bDefined;
}

// Whether expanding the text would leave the %NAME% of a variable that is
// not defined, which ExpandEnvironmentStrings copies as it stands. It is
// read as that function reads it: after a name it does not know, the
// closing % may open the next one.
bool NamesUndefinedVariable(LPCWSTR pszText) {
    LPCWSTR pszOpen = wcschr(pszText, L'%');
    while (pszOpen != NULL) {
        LPCWSTR pszClose = wcschr(pszOpen + 1, L'%');
        if (pszClose == NULL)
            return false;
        size_t cchName = static_cast<size_t>(pszClose - pszOpen - 1);
        if (cchName > 0 && !IsDefined(pszOpen + 1, cchName))
            return true;
        pszOpen = cchName > 0 ? wcschr(pszClose + 1, L'%') : pszClose;
    }
    return false;
}

// The text with its environment variables expanded, sized until the result
// fits; NULL with the reason in the last-error code.
WCHAR* Expanded(LPCWSTR pszText) {
    if (NamesUndefinedVariable(pszText)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return NULL;
    }
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

// A key that is not there holds no value, whichever part of its path is
// missing.
LONG OpenKey(HKEY hRoot, LPCSTR pszKey, REGSAM samView, HKEY* phKey) {
    LONG lResult = RegOpenKeyExA(hRoot, pszKey, 0, KEY_QUERY_VALUE | samView, phKey);
    return lResult == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : lResult;
}

} // namespace

DWORD ReadStringValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName,
                      CString* pstrValue) {
    *pstrValue = CString();
    HKEY hKey = NULL;
    LONG lResult = OpenKey(hRoot, pszKey, samView, &hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    DWORD dwResult = QueryString(hKey, pszName, pstrValue);
    RegCloseKey(hKey);
    return dwResult;
}

DWORD ReadDwordValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName, DWORD* pdwValue) {
    HKEY hKey = NULL;
    LONG lResult = OpenKey(hRoot, pszKey, samView, &hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    DWORD dwType = REG_NONE;
    DWORD cbValue = sizeof *pdwValue;
    lResult =
        RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(pdwValue), &cbValue);
    RegCloseKey(hKey);
    if (lResult == ERROR_FILE_NOT_FOUND)
        return ERROR_FILE_NOT_FOUND;
    // A larger value of another type does not fit; its type tells all the same.
    if ((lResult == ERROR_SUCCESS || lResult == ERROR_MORE_DATA) &&
        (dwType != REG_DWORD || cbValue != sizeof *pdwValue))
        return ERROR_DATATYPE_MISMATCH;
    return lResult;
}
