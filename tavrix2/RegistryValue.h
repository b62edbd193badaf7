#pragma once

#include "framework/CString.h"

// Reads a string value of a registry key in the given view (0, or one of
// KEY_WOW64_32KEY and KEY_WOW64_64KEY): REG_SZ as it stands, REG_EXPAND_SZ
// with its environment variables expanded. Returns ERROR_SUCCESS with the
// text, ERROR_FILE_NOT_FOUND when the key or value is missing, unreadable or
// empty, and TAVRIX_ERROR_BAD_SETTING for a value of any other type.
DWORD ReadStringValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName,
                      CString* pstrValue);
