#include "SendCycle.h"

#include <stdlib.h>
#include <string.h>

#include "framework/AfxCallWithin.h"
#include "output/SizeCommand.h"
#include "portlink/Tavrix.h"

namespace {

// Or'ed into a job's step once its caller has given up on it, and once its
// thread is done with the cycle.
const LONG GIVEN_UP = 0x100;
const LONG FINISHED = 0x200;
const LONG STEP_MASK = 0xFF;

// One Send, held by its caller and its thread: the last of the two to let
// go frees it. The thread writes the cycle; the caller reads it all once
// the thread has returned, and otherwise only what the steps it saw
// finished had written.
struct SEND_JOB {
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

    LONG cRefs = 2;
    LONG nState = STEP_LOOKUP;
    DWORD dwStart = GetTickCount(); // the Send's bound, the library's too
    DWORD dwTimeoutMs = 0;
    CString strPrinterName;
    char rgchCommand[SIZE_COMMAND_BUFFER] = {};
    int cbCommand = 0;
    SEND_CYCLE cycle;
    SEND_CYCLE givenUp; // the caller's alone: what it could tell when it gave up
};

void Release(SEND_JOB* pJob) {
    if (InterlockedDecrement(&pJob->cRefs) == 0)
        delete pJob;
}

// Moves the job on to the next step, or marks it finished, unless its
// caller has given up on it.
bool Advance(SEND_JOB* pJob, LONG nNext) {
    LONG nState = pJob->nState;
    while ((nState & GIVEN_UP) == 0) {
        LONG nWas = InterlockedCompareExchange(
            &pJob->nState, nNext == FINISHED ? nState | FINISHED : nNext, nState);
        if (nWas == nState)
            return true;
        nState = nWas;
    }
    return false;
}

void SendThroughTheLibrary(SEND_JOB* pJob) {
    SEND_CYCLE& cycle = pJob->cycle;
    Tavrix link;
    link.SetCommPort(cycle.nPort);
    link.SetSendBound(pJob->dwStart, pJob->dwTimeoutMs);
    // Known before an open that may not return in time.
    link.GetPortSetting(&cycle.strSetting, &cycle.nSettingPlace);
    if (!Advance(pJob, STEP_OPEN))
        return;
    if (!link.OpenComm(0)) {
        cycle.dwError = GetLastError();
        return;
    }
    if (!Advance(pJob, STEP_WRITE))
        return;
    OutputDebugStringA("Write Command");
    if (link.Write(pJob->rgchCommand, pJob->cbCommand) == 0)
        cycle.dwError = GetLastError();
    Advance(pJob, STEP_CLOSE);
}

void RunCycle(void* pv) {
    SEND_JOB* pJob = static_cast<SEND_JOB*>(pv);
    SEND_CYCLE& cycle = pJob->cycle;
    // The port is looked up afresh at every Send: the printer may have moved.
    cycle.port = GetPrinterPort(pJob->strPrinterName);
    cycle.dwError = cycle.port.dwError;
    if (cycle.dwError == ERROR_SUCCESS && !cycle.port.bShared) {
        const CString& strPortName = cycle.port.strPortName;
        cycle.nPort = PortIndexOf(
            strPortName.Left(static_cast<int>(BarePortNameLength(strPortName.GetLength()))));
        SendThroughTheLibrary(pJob);
    }
    Advance(pJob, FINISHED);
    Release(pJob);
}

// What the caller can tell of a Send it gives up on, before the thread's
// wait is cancelled: what the steps that were over had found, and that the
// one under way took too long.
void GiveUp(void* pv) {
    SEND_JOB* pJob = static_cast<SEND_JOB*>(pv);
    LONG nState = InterlockedOr(&pJob->nState, GIVEN_UP);
    const SEND_CYCLE& done = pJob->cycle;
    SEND_CYCLE& cycle = pJob->givenUp;
    // Done, only its thread has not ended yet.
    if (nState & FINISHED) {
        cycle = done;
        cycle.nStep = static_cast<SEND_STEP>(nState & STEP_MASK);
        return;
    }
    cycle.nStep = static_cast<SEND_STEP>(nState & STEP_MASK);
    cycle.dwError = ERROR_TIMEOUT;
    if (cycle.nStep >= STEP_OPEN) {
        cycle.port = done.port;
        cycle.nPort = done.nPort;
        cycle.strSetting = done.strSetting;
        cycle.nSettingPlace = done.nSettingPlace;
    }
    // Bytes may have gone before the write was stopped.
    if (cycle.nStep == STEP_WRITE)
        cycle.dwError = TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT);
    if (cycle.nStep == STEP_CLOSE)
        cycle.dwError = done.dwError;
}

} // namespace

SEND_CYCLE RunSendCycle(const CString& strPrinterName, const char* pCommand, int cbCommand,
                        DWORD dwTimeoutMs) {
    SEND_CYCLE cycle;
    if (cbCommand <= 0 || cbCommand > SIZE_COMMAND_BUFFER) {
        cycle.dwError = ERROR_INVALID_PARAMETER;
        return cycle;
    }
    SEND_JOB* pJob = new SEND_JOB;
    if (pJob == NULL) {
        cycle.dwError = ERROR_NOT_ENOUGH_MEMORY;
        return cycle;
    }
    pJob->strPrinterName = strPrinterName;
    memcpy(pJob->rgchCommand, pCommand, cbCommand);
    pJob->cbCommand = cbCommand;
    pJob->dwTimeoutMs = dwTimeoutMs;
    DWORD dwResult = AfxCallWithin(RunCycle, GiveUp, pJob, dwTimeoutMs + SEND_GRACE_MS);
    if (dwResult == ERROR_SUCCESS) {
        cycle = pJob->cycle;
        cycle.nStep = static_cast<SEND_STEP>(pJob->nState & STEP_MASK);
    } else if (dwResult == ERROR_TIMEOUT) {
        cycle = pJob->givenUp;
    } else {
        // No thread ran: its hold on the job is the caller's to let go.
        Release(pJob);
        cycle.dwError = dwResult;
    }
    Release(pJob);
    return cycle;
}
