#pragma once

#include "framework/CString.h"

// Reads a string value of a registry key in the given view (0, or one of
// KEY_WOW64_32KEY and KEY_WOW64_64KEY): REG_SZ as it stands, REG_EXPAND_SZ
// with its environment variables expanded, in the ANSI code page's exact
// form. Returns ERROR_SUCCESS with the text, ERROR_FILE_NOT_FOUND when the
// key or value is missing or the value is empty, ERROR_DATATYPE_MISMATCH for
// a value of any other type, ERROR_ENVVAR_NOT_FOUND for one that names a
// variable that is not defined, and for a value that is there but cannot be
// used otherwise the system's reason: the key may not be read, the value
// cannot be expanded, or its text has characters the code page lacks.
DWORD ReadStringValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName,
                      CString* pstrValue);

// Reads a REG_DWORD value likewise: ERROR_SUCCESS with the number,
// ERROR_FILE_NOT_FOUND, ERROR_DATATYPE_MISMATCH or the system's reason.
DWORD ReadDwordValue(HKEY hRoot, LPCSTR pszKey, REGSAM samView, LPCSTR pszName, DWORD* pdwValue);
