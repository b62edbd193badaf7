#include "AfxCallWithin.h"

#include <stdlib.h>

#include "AfxLoadProc.h"

namespace {

enum { CALL_RUNNING, CALL_RETURNED, CALL_ABANDONED };

// Shared by the caller and the thread, and freed by whichever lets go last.
struct CALL_STATE {
    LONG cRefs;
    LONG nState;
    AFX_CALL call;
    void* pvCall;
    HMODULE hModule;
};

void Release(CALL_STATE* pState) {
    if (InterlockedDecrement(&pState->cRefs) == 0)
        free(pState);
}

DWORD WINAPI CallThread(LPVOID pv) {
    CALL_STATE* pState = static_cast<CALL_STATE*>(pv);
    HMODULE hModule = pState->hModule;
    pState->call.pfnCall(pState->pvCall);
    if (InterlockedCompareExchange(&pState->nState, CALL_RETURNED, CALL_RUNNING) == CALL_ABANDONED)
        pState->call.pfnAbandon(pState->pvCall);
    Release(pState);
    FreeLibraryAndExitThread(hModule, 0);
    return 0;
}

void CancelBlockedCall(CALL_STATE* pState, HANDLE hThread) {
    if (pState->call.pfnCancel != NULL)
        pState->call.pfnCancel(pState->pvCall);
    // Vista and later: a CreateFile on a server that is gone, a read of a
    // pipe, a spooler call.
    BOOL(WINAPI * pfnCancelSynchronousIo)(HANDLE);
    if (AfxBindSystemProc(&pfnCancelSynchronousIo, "kernel32.dll", "CancelSynchronousIo"))
        pfnCancelSynchronousIo(hThread);
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
        DWORD dwElapsed = GetTickCount() - dwStart;
        DWORD dwLeftMs = dwElapsed < dwTimeoutMs ? dwTimeoutMs - dwElapsed : 0;
        DWORD dwResult = MsgWaitForMultipleObjects(1, &hThread, FALSE, dwLeftMs, INPUT);
        if (dwResult == WAIT_FAILED)
            return WaitForSingleObject(hThread, dwLeftMs) == WAIT_OBJECT_0;
        if (dwResult != WAIT_OBJECT_0 + 1)
            return dwResult == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    }
}

} // namespace

DWORD AfxCallWithin(const AFX_CALL& call, void* pvCall, DWORD dwTimeoutMs) {
    CALL_STATE* pState = static_cast<CALL_STATE*>(malloc(sizeof(CALL_STATE)));
    if (pState == NULL)
        return ERROR_NOT_ENOUGH_MEMORY;
    *pState = {2, CALL_RUNNING, call, pvCall, NULL};
    HANDLE hThread = NULL;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCSTR>(&CallThread), &pState->hModule)) {
        hThread = CreateThread(NULL, 0, CallThread, pState, 0, NULL);
        if (hThread == NULL)
            FreeLibrary(pState->hModule);
    }
    if (hThread == NULL) {
        DWORD dwError = GetLastError();
        free(pState);
        return dwError;
    }
    DWORD dwResult = ERROR_SUCCESS;
    if (!WaitForThread(hThread, dwTimeoutMs)) {
        // Asked to give up before it is abandoned: the thread releases
        // nothing of the call until it knows which of the two came first.
        CancelBlockedCall(pState, hThread);
        if (InterlockedCompareExchange(&pState->nState, CALL_ABANDONED, CALL_RUNNING) ==
            CALL_RUNNING)
            dwResult = ERROR_TIMEOUT;
    }
    CloseHandle(hThread);
    Release(pState);
    return dwResult;
}
