#pragma once

#include "framework/CString.h"

// The deployer's settings of the port-link library, which the program reads
// too. Each is looked up in four places in this order, and the first that
// has the value decides, even when it cannot be used: Group Policy's for the
// machine (Software\Policies\Kestrin\Tavrix in HKEY_LOCAL_MACHINE), Group
// Policy's for the user (the same in HKEY_CURRENT_USER), the user's own
// (Software\Kestrin\Tavrix in HKEY_CURRENT_USER) and the machine's (the same
// in HKEY_LOCAL_MACHINE). Software\Policies has one view, which 32-bit and
// 64-bit programs share; the machine's own place is read only as 32-bit
// programs see it, the one view the 32-bit package can keep and remove.

// A port's setting: the string value named as the port in the places' Ports
// subkey. ERROR_SUCCESS with its text (REG_EXPAND_SZ expanded),
// ERROR_FILE_NOT_FOUND when it has none, TAVRIX_ERROR_BAD_SETTING for a
// value of another type, TAVRIX_ERROR_UNDEFINED_VARIABLE for one that names
// a variable not defined here, or TAVRIX_ERROR_UNREADABLE_SETTING with the
// reason.
// *pnPlace, where given, tells which of the four places decided.
enum SETTING_PLACE {
    PLACE_NONE, // no place has the value
    PLACE_MACHINE_POLICY,
    PLACE_USER_POLICY,
    PLACE_USER,
    PLACE_MACHINE,
};
DWORD ReadPortSetting(LPCSTR pszPortName, CString* pstrSetting, SETTING_PLACE* pnPlace = NULL);

// How long a whole send may take, the device and the spooler included:
// the REG_DWORD TimeoutSeconds, from 1 to 60, DEFAULT_TIMEOUT_SECONDS where
// there is none. TAVRIX_ERROR_BAD_TIMEOUT for a value of another type or out
// of range, TAVRIX_ERROR_UNREADABLE_SETTING with the reason for one that
// cannot be read.
const DWORD DEFAULT_TIMEOUT_SECONDS = 5;
DWORD ReadTimeoutSetting(DWORD* pdwSeconds);
