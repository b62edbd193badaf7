#pragma once

#include <windows.h>

// The reasons of the port-link library's own, left in the thread's last-error
// code beside the system's. They carry the customer bit of Win32 error codes,
// so none is mistaken for a system error; those with a detail keep it in the
// low 16 bits, as HRESULT_FROM_WIN32 keeps a system error.

// FILES or TCPIP has no target set, or a setting names nothing.
const DWORD TAVRIX_ERROR_NO_SETTING = 0x20000001;
// The port's setting is no string value (REG_SZ or REG_EXPAND_SZ).
const DWORD TAVRIX_ERROR_BAD_SETTING = 0x20000002;
// The port's setting names an environment variable that is not defined.
const DWORD TAVRIX_ERROR_UNDEFINED_VARIABLE = 0x20000005;
// TimeoutSeconds is no REG_DWORD, or lies outside 1 to 60.
const DWORD TAVRIX_ERROR_BAD_TIMEOUT = 0x20000004;
// The TCP peer took the bytes but did not close the connection in time,
// which is how a printer says the job is done: it may still print them.
const DWORD TAVRIX_ERROR_NOT_CONFIRMED = 0x20000003;

// Kinds of reason with a detail, and the detail of each:
// the port's setting is there but cannot be read, expanded or held in the
// ANSI code page: the system's reason;
const DWORD TAVRIX_ERROR_UNREADABLE_SETTING = 0x20010000;

inline DWORD TavrixError(DWORD dwKind, DWORD dwDetail) {
    return dwKind | (dwDetail & 0xFFFF);
}
// The kind of a reason with a detail, or the reason itself.
inline DWORD TavrixErrorKind(DWORD dwError) {
    return (dwError & 0xE0000000) == 0x20000000 && (dwError & 0x0FFF0000) != 0
               ? dwError & 0xFFFF0000
               : dwError;
}
inline DWORD TavrixErrorDetail(DWORD dwError) {
    return dwError & 0xFFFF;
}
