#include "TavrixSettings.h"

#include "portlink/RegistryValue.h"
#include "portlink/TavrixError.h"

namespace {

const DWORD MIN_TIMEOUT_SECONDS = 1;
const DWORD MAX_TIMEOUT_SECONDS = 60;

struct PLACE {
    SETTING_PLACE nPlace;
    HKEY hRoot;
    bool bPolicy;
    REGSAM samView; // 32-bit Windows has only one view and ignores the flags
};

const PLACE PLACES[] = {
    // Group Policy writes it as 64-bit Windows sees it, a key that 32-bit
    // programs share: one read.
    {PLACE_MACHINE_POLICY, HKEY_LOCAL_MACHINE, true, KEY_WOW64_64KEY},
    {PLACE_USER_POLICY, HKEY_CURRENT_USER, true, 0},
    {PLACE_USER, HKEY_CURRENT_USER, false, 0},
    // The package writes, keeps and removes the machine's settings in the
    // 32-bit view only, as a 32-bit package can: a value in the 64-bit view
    // would outlive every removal.
    {PLACE_MACHINE, HKEY_LOCAL_MACHINE, false, KEY_WOW64_32KEY},
};

// Reads the value with pfnRead in each place until one has it. A value that
// is there but cannot be used decides as much as one that can: the next
// place may be one the deployer meant it to beat.
template <class READ> DWORD ReadFirst(bool bPorts, READ read, SETTING_PLACE* pnPlace = NULL) {
    for (const PLACE& place : PLACES) {
        LPCSTR pszKey = place.bPolicy ? (bPorts ? "Software\\Policies\\Kestrin\\Tavrix\\Ports"
                                                : "Software\\Policies\\Kestrin\\Tavrix")
                                      : (bPorts ? "Software\\Kestrin\\Tavrix\\Ports"
                                                : "Software\\Kestrin\\Tavrix");
        DWORD dwResult = read(place.hRoot, pszKey, place.samView);
        if (dwResult != ERROR_FILE_NOT_FOUND) {
            if (pnPlace != NULL)
                *pnPlace = place.nPlace;
            return dwResult;
        }
    }
    if (pnPlace != NULL)
        *pnPlace = PLACE_NONE;
    return ERROR_FILE_NOT_FOUND;
}

DWORD Unusable(DWORD dwResult, DWORD dwOfWrongType) {
    if (dwResult == ERROR_SUCCESS || dwResult == ERROR_FILE_NOT_FOUND)
        return dwResult;
    if (dwResult == ERROR_DATATYPE_MISMATCH)
        return dwOfWrongType;
    if (dwResult == ERROR_ENVVAR_NOT_FOUND)
        return TAVRIX_ERROR_UNDEFINED_VARIABLE;
    return TavrixError(TAVRIX_ERROR_UNREADABLE_SETTING, dwResult);
}

} // namespace

DWORD ReadPortSetting(LPCSTR pszPortName, CString* pstrSetting, SETTING_PLACE* pnPlace) {
    return ReadFirst(
        true,
        [&](HKEY hRoot, LPCSTR pszKey, REGSAM samView) {
            return Unusable(ReadStringValue(hRoot, pszKey, samView, pszPortName, pstrSetting),
                            TAVRIX_ERROR_BAD_SETTING);
        },
        pnPlace);
}

DWORD ReadTimeoutSetting(DWORD* pdwSeconds) {
    *pdwSeconds = DEFAULT_TIMEOUT_SECONDS;
    DWORD dwSeconds = 0;
    DWORD dwResult = ReadFirst(false, [&](HKEY hRoot, LPCSTR pszKey, REGSAM samView) {
        return Unusable(ReadDwordValue(hRoot, pszKey, samView, "TimeoutSeconds", &dwSeconds),
                        TAVRIX_ERROR_BAD_TIMEOUT);
    });
    if (dwResult == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (dwResult == ERROR_SUCCESS &&
        (dwSeconds < MIN_TIMEOUT_SECONDS || dwSeconds > MAX_TIMEOUT_SECONDS))
        return TAVRIX_ERROR_BAD_TIMEOUT;
    if (dwResult == ERROR_SUCCESS)
        *pdwSeconds = dwSeconds;
    return dwResult;
}
