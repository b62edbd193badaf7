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
// The port's setting is no full path: it would depend on the folder the
// program was started in.
const DWORD TAVRIX_ERROR_NOT_FULL_PATH = 0x20000008;
// The port's setting names an environment variable that is not defined.
const DWORD TAVRIX_ERROR_UNDEFINED_VARIABLE = 0x20000005;
// TCPIP's setting names no printer but this computer's every address
// (0.0.0.0, ::).
const DWORD TAVRIX_ERROR_UNSPECIFIED_ADDRESS = 0x20000006;
// The TCP peer had closed the connection before the bytes went: none did.
const DWORD TAVRIX_ERROR_PEER_CLOSED = 0x20000007;
// TimeoutSeconds is no REG_DWORD, or lies outside 1 to 60.
const DWORD TAVRIX_ERROR_BAD_TIMEOUT = 0x20000004;
// The TCP peer took the bytes but did not close the connection in time,
// which is how a printer says the job is done: it may still print them.
const DWORD TAVRIX_ERROR_NOT_CONFIRMED = 0x20000003;

// Kinds of reason with a detail, and the detail of each:
// the port's setting is there but cannot be read, expanded or held in the
// ANSI code page: the system's reason;
const DWORD TAVRIX_ERROR_UNREADABLE_SETTING = 0x20010000;
// the print job of a printer: target failed or did not print in time, and
// was deleted before it began, so nothing was printed: every status the
// job was seen with (JOB_STATUS_..., none where it only waited);
const DWORD TAVRIX_ERROR_JOB_FAILED = 0x20020000;
// writing stopped after part or all of the bytes had gone, so they may still
// reach the device: the system's reason (ERROR_TIMEOUT when the device did
// not take them in time).
const DWORD TAVRIX_ERROR_MAY_HAVE_ARRIVED = 0x20030000;
// the print job had not printed in time, but the device had started on it,
// or its state could not be told, and it can no longer be taken back, so it
// may still print: every status it was seen with.
const DWORD TAVRIX_ERROR_JOB_STARTED = 0x20040000;

// the print job of a printer: target left the queue without the spooler
// saying it had printed: it was handed on (to another computer's queue, to
// a print system that prints on its own), and may still print: every
// status it was seen with.
const DWORD TAVRIX_ERROR_JOB_HANDED_ON = 0x20050000;

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

// Whether the bytes of a failed write may still reach the device, so that
// writing them again could print them twice.
inline bool TavrixMayHaveArrived(DWORD dwError) {
    DWORD dwKind = TavrixErrorKind(dwError);
    return dwKind == TAVRIX_ERROR_MAY_HAVE_ARRIVED || dwKind == TAVRIX_ERROR_JOB_STARTED ||
           dwKind == TAVRIX_ERROR_JOB_HANDED_ON || dwError == TAVRIX_ERROR_NOT_CONFIRMED;
}
