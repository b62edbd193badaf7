#pragma once

#include <windows.h>

// What is left of dwTimeoutMs counted from dwStart (a GetTickCount); 0 once
// it has passed. Every bound of the program and its library is reckoned so.
inline DWORD AfxTimeLeftMs(DWORD dwStart, DWORD dwTimeoutMs) {
    DWORD dwElapsed = GetTickCount() - dwStart;
    return dwElapsed < dwTimeoutMs ? dwTimeoutMs - dwElapsed : 0;
}

// A call that its caller waits for at most a bound: for work that may block
// in a driver, the spooler or the network for as long as they please, where
// Windows gives the work no form that could be waited for and given up on.
//
// pfnCall(pvCall) runs on a thread of its own. The caller's thread keeps
// looking at its message queue meanwhile, so that its windows are not taken
// for hung: posted input waits until the call is over, but messages sent to
// its windows are delivered, and a window must not start a second call from
// one of them. ERROR_SUCCESS when the call has returned within dwTimeoutMs.
// ERROR_TIMEOUT when it has not: pfnGiveUp(pvCall), where given, runs on the
// caller's thread, so that the call can learn it has been given up before
// what it waits for returns; then the synchronous I/O of its thread is
// cancelled, and the call goes on without its caller. Any other result means
// that the thread could not be started and pfnCall never ran.
//
// The caller and the call both hold what pvCall points to, and either may
// let go first: the two agree on who frees it (a count of references).
// Everything the caller's side needs is bound at the first call, before any
// thread exists, so that a thread held in some DLL's start-up, under the
// loader's lock, delays no later bound. The calls' code must stay loaded
// while they run: the program's own, not a DLL's that may be freed.
DWORD AfxCallWithin(void (*pfnCall)(void* pvCall), void (*pfnGiveUp)(void* pvCall), void* pvCall,
                    DWORD dwTimeoutMs);

// A call on a thread of its own that nobody waits for, for work that
// nothing depends on: ERROR_SUCCESS once it is started; otherwise pfnCall
// never ran. pvCall is the call's to free.
DWORD AfxCallDetached(void (*pfnCall)(void* pvCall), void* pvCall);

// Whether a call given up on, or one nobody waits for, may still be
// running. A process must not end through ExitProcess meanwhile: other
// DLLs' detach code would wait for locks that the call's thread may hold.
// AfxWinMain ends it at once instead.
BOOL AfxCallsRunning();
