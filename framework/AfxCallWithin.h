#pragma once

#include <windows.h>

// A call the caller waits for at most a bound: for work that may block in a
// driver, on the network or in another process for as long as they please.
//
// pfnCall(pvCall) runs on a thread of its own; the caller's thread keeps
// looking at its message queue meanwhile, so that its windows are not taken
// for hung: posted input waits until the call is over, but messages sent to
// its windows are delivered, and a window must not start a second call
// from one of them. AfxCallWithin returns
// ERROR_SUCCESS when it has returned within dwTimeoutMs, and the caller owns
// pvCall again. Otherwise the call is abandoned and ERROR_TIMEOUT returned:
// pfnCancel(pvCall), where given, and CancelSynchronousIo, where Windows has
// it, ask the blocked work to give up, and from then on pvCall belongs to
// the thread, which calls pfnAbandon(pvCall) once pfnCall has returned, to
// undo and release what the call made. Any other result means the thread
// could not be started, and pvCall is still the caller's.
//
// pfnCancel runs on the caller's thread while pfnCall may still run; it
// must not release what pfnCall uses. The thread keeps the module of these
// functions loaded until it is done, so a DLL may be freed meanwhile.
struct AFX_CALL {
    void (*pfnCall)(void* pvCall);
    void (*pfnCancel)(void* pvCall);
    void (*pfnAbandon)(void* pvCall);
};

DWORD AfxCallWithin(const AFX_CALL& call, void* pvCall, DWORD dwTimeoutMs);
