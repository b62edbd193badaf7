#include "AfxCallWithin.h"

#include <stdlib.h>

#include "AfxLoadProc.h"

namespace {

LONG g_cCallsRunning = 0;
LONG g_nPrepared = 0;
// Vista and later: a CreateFile on a server that is gone, a read of a pipe,
// a spooler call.
BOOL(WINAPI* g_pfnCancelSynchronousIo)(HANDLE) = NULL;

// The thread's own copy of what it is to run: freed by the thread, or by
// the caller when no thread could be started.
struct THREAD_START {
    void (*pfnCall)(void*);
    void* pvCall;
};

DWORD WINAPI CallThread(LPVOID pv) {
    THREAD_START start = *static_cast<THREAD_START*>(pv);
    free(pv);
    start.pfnCall(start.pvCall);
    InterlockedDecrement(&g_cCallsRunning);
    return 0;
}

// Binding takes the loader's lock, which a thread given up on may hold for
// as long as a DLL's start-up lasts: done once, before the first thread of
// either kind.
void PrepareOnce() {
    if (InterlockedCompareExchange(&g_nPrepared, 1, 0) == 0)
        AfxBindSystemProc(&g_pfnCancelSynchronousIo, "kernel32.dll", "CancelSynchronousIo");
}

// Waits for the thread, looking at the caller's message queue whenever
// something comes in: Windows takes a window whose thread has not looked at
// its queue for 5 seconds for hung. Posted input stays on the queue until
// the call is over; messages sent to the caller's windows are delivered, as
// every wait for input delivers them. The input kinds are those every
// Windows knows: QS_ALLINPUT, as newer headers spell it, holds some that
// older Windows refuse.
bool WaitForThread(HANDLE hThread, DWORD dwTimeoutMs) {
    const DWORD INPUT =
        QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE;
    DWORD dwStart = GetTickCount();
    for (;;) {
        DWORD dwLeftMs = AfxTimeLeftMs(dwStart, dwTimeoutMs);
        DWORD dwResult = MsgWaitForMultipleObjects(1, &hThread, FALSE, dwLeftMs, INPUT);
        if (dwResult == WAIT_FAILED)
            return WaitForSingleObject(hThread, dwLeftMs) == WAIT_OBJECT_0;
        if (dwResult != WAIT_OBJECT_0 + 1)
            return dwResult == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    }
}

// The thread's handle, or NULL with the reason in the last-error code.
HANDLE StartCall(void (*pfnCall)(void*), void* pvCall) {
    PrepareOnce();
    THREAD_START* pStart = static_cast<THREAD_START*>(malloc(sizeof(THREAD_START)));
    if (pStart == NULL) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    *pStart = {pfnCall, pvCall};
    InterlockedIncrement(&g_cCallsRunning);
    HANDLE hThread = CreateThread(NULL, 0, CallThread, pStart, 0, NULL);
    if (hThread == NULL) {
        DWORD dwError = GetLastError();
        InterlockedDecrement(&g_cCallsRunning);
        free(pStart);
        SetLastError(dwError);
    }
    return hThread;
}

} // namespace

DWORD AfxCallWithin(void (*pfnCall)(void* pvCall), void (*pfnGiveUp)(void* pvCall), void* pvCall,
                    DWORD dwTimeoutMs) {
    HANDLE hThread = StartCall(pfnCall, pvCall);
    if (hThread == NULL)
        return GetLastError();
    DWORD dwResult = ERROR_SUCCESS;
    if (!WaitForThread(hThread, dwTimeoutMs)) {
        if (pfnGiveUp != NULL)
            pfnGiveUp(pvCall);
        if (g_pfnCancelSynchronousIo != NULL)
            g_pfnCancelSynchronousIo(hThread);
        dwResult = ERROR_TIMEOUT;
    }
    CloseHandle(hThread);
    return dwResult;
}

DWORD AfxCallDetached(void (*pfnCall)(void* pvCall), void* pvCall) {
    HANDLE hThread = StartCall(pfnCall, pvCall);
    if (hThread == NULL)
        return GetLastError();
    CloseHandle(hThread);
    return ERROR_SUCCESS;
}

BOOL AfxCallsRunning() {
    return InterlockedCompareExchange(&g_cCallsRunning, 0, 0) != 0;
}
