#include "CSpoolerLink.h"

#include "portlink/TavrixError.h"

namespace {

// How often a job is looked at where the spooler sends no word of changes.
const DWORD JOB_POLL_MS = 50;
// A job's record is asked for again at the size the spooler reports a few
// times, should it grow meanwhile.
const int GET_JOB_TRIES = 4;

const DWORD JOB_BEGUN = JOB_STATUS_PRINTING | JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE;
const DWORD JOB_GOING = JOB_STATUS_DELETING | JOB_STATUS_DELETED;
const DWORD JOB_STUCK = JOB_STATUS_ERROR | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT |
                        JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_USER_INTERVENTION;

// The status of every job of the printer, as changes come.
WORD g_rgwJobFields[] = {JOB_NOTIFY_FIELD_STATUS};
PRINTER_NOTIFY_OPTIONS_TYPE g_jobStatus = {JOB_NOTIFY_TYPE, 0, 0, 0, 1, g_rgwJobFields};
PRINTER_NOTIFY_OPTIONS g_jobStatusOptions = {2, 0, 1, &g_jobStatus};

} // namespace

JOB_VERDICT JudgeJob(const JOB_WATCH& watch, DWORD dwLeftMs) {
    if (watch.dwSeen & JOB_STATUS_PRINTED)
        return JOB_PRINTED;
    if ((watch.dwSeen & JOB_GOING) || (!watch.bGone && (watch.dwStatus & JOB_STUCK)))
        return JOB_GIVE_UP;
    if (watch.bGone)
        return JOB_HANDED_ON;
    return dwLeftMs > 0 ? JOB_WAITING : JOB_GIVE_UP;
}

void CSpoolerLink::StopWatching() {
    if (m_hChange != INVALID_HANDLE_VALUE)
        m_api.FindClosePrinterChangeNotification(m_hChange);
    m_hChange = INVALID_HANDLE_VALUE;
}

CSpoolerLink::~CSpoolerLink() {
    m_api.ClosePrinter(m_hPrinter);
}

CSpoolerLink* CSpoolerLink::Open(const SPOOLER_API& api, LPCSTR pszPrinter, DWORD dwStart,
                                 DWORD dwTimeoutMs) {
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ACCESS_USE};
    HANDLE hPrinter = NULL;
    if (!api.OpenPrinterA(const_cast<LPSTR>(pszPrinter), &hPrinter, &defaults))
        return NULL;
    CSpoolerLink* pLink = new CSpoolerLink(api, hPrinter, dwStart, dwTimeoutMs);
    if (pLink == NULL) {
        api.ClosePrinter(hPrinter);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return pLink;
}

BOOL CSpoolerLink::WriteAll(const char* pData, DWORD cbData) {
    // Asked for before the job exists, so that no change of it is missed.
    m_hChange = m_api.FindFirstPrinterChangeNotification(m_hPrinter, PRINTER_CHANGE_JOB, 0,
                                                         &g_jobStatusOptions);
    DWORD dwJob = 0;
    BOOL bPrinted = PrintJob(pData, cbData, &dwJob) && WatchJob(dwJob);
    DWORD dwError = GetLastError();
    StopWatching();
    SetLastError(dwError);
    return bPrinted;
}

// Spools the one job. A printer that prints directly, rather than
// spooling, may have passed on what it took: AbortPrinter cannot take that
// back.
BOOL CSpoolerLink::PrintJob(const char* pData, DWORD cbData, DWORD* pdwJob) {
    DOC_INFO_1A document = {const_cast<LPSTR>("Kestrin image size command"), NULL,
                            const_cast<LPSTR>("RAW")};
    *pdwJob = m_api.StartDocPrinterA(m_hPrinter, 1, reinterpret_cast<BYTE*>(&document));
    if (*pdwJob == 0)
        return FALSE;
    DWORD cbWritten = 0;
    DWORD dwError = !m_api.WritePrinter(m_hPrinter, const_cast<char*>(pData), cbData, &cbWritten)
                        ? GetLastError()
                    : cbWritten < cbData ? ERROR_WRITE_FAULT
                                         : ERROR_SUCCESS;
    if (dwError != ERROR_SUCCESS) {
        BOOL bAborted = m_api.AbortPrinter(m_hPrinter);
        SetLastError(cbWritten > 0 || !bAborted
                         ? TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError)
                         : dwError);
        return FALSE;
    }
    if (m_api.EndDocPrinter(m_hPrinter))
        return TRUE;
    dwError = GetLastError();
    if (!m_api.SetJobA(m_hPrinter, *pdwJob, 0, NULL, JOB_CONTROL_DELETE))
        dwError = TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError);
    SetLastError(dwError);
    return FALSE;
}

BOOL CSpoolerLink::WatchJob(DWORD dwJob) {
    JOB_WATCH watch = {FALSE, 0, 0};
    for (;;) {
        DWORD dwError = LookAtJob(dwJob, &watch);
        // A job the spooler cannot show any more may have printed.
        if (dwError != ERROR_SUCCESS) {
            SetLastError(TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError));
            return FALSE;
        }
        switch (JudgeJob(watch, TimeLeftMs())) {
        case JOB_PRINTED:
            return TRUE;
        case JOB_HANDED_ON:
            SetLastError(TavrixError(TAVRIX_ERROR_JOB_HANDED_ON, watch.dwStatus));
            return FALSE;
        case JOB_WAITING:
            WaitForChange(dwJob, &watch);
            break;
        case JOB_GIVE_UP:
            return GiveUpJob(dwJob, &watch);
        }
    }
}

// A job is paused before it is looked at for the last time, so that it
// cannot begin between that look and its deletion: only one that had not
// begun by then is deleted, and reported as not printed. One that someone
// else is deleting goes anyway.
BOOL CSpoolerLink::GiveUpJob(DWORD dwJob, JOB_WATCH* pWatch) {
    BOOL bPaused = FALSE;
    if (!(pWatch->dwSeen & JOB_GOING)) {
        bPaused = m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_PAUSE);
        if (LookAtJob(dwJob, pWatch) != ERROR_SUCCESS)
            pWatch->bGone = TRUE;
        if (pWatch->dwSeen & JOB_STATUS_PRINTED)
            return TRUE;
    }
    BOOL bBegun = (pWatch->dwSeen & JOB_BEGUN) != 0;
    BOOL bTakenBack = (pWatch->dwSeen & JOB_GOING) ||
                      (bPaused && !pWatch->bGone && !bBegun &&
                       m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_DELETE));
    if (bTakenBack && !bBegun) {
        SetLastError(TavrixError(TAVRIX_ERROR_JOB_FAILED, pWatch->dwStatus));
        return FALSE;
    }
    // What the device has begun is let finish rather than held half-done.
    if (bPaused && !pWatch->bGone)
        m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_RESUME);
    SetLastError(TavrixError(TAVRIX_ERROR_JOB_STARTED, pWatch->dwStatus));
    return FALSE;
}

// What the queue says of the job now: ERROR_SUCCESS, or why it cannot say.
DWORD CSpoolerLink::LookAtJob(DWORD dwJob, JOB_WATCH* pWatch) {
    DWORD cbNeeded = 0;
    for (int nTry = 0; nTry < GET_JOB_TRIES; ++nTry) {
        BYTE* pbJob = cbNeeded > 0 ? static_cast<BYTE*>(malloc(cbNeeded)) : NULL;
        if (cbNeeded > 0 && pbJob == NULL)
            return ERROR_NOT_ENOUGH_MEMORY;
        SetLastError(ERROR_SUCCESS);
        BOOL bInQueue = m_api.GetJobA(m_hPrinter, dwJob, 1, pbJob, cbNeeded, &cbNeeded);
        DWORD dwError = bInQueue ? ERROR_SUCCESS : GetLastError();
        if (bInQueue) {
            pWatch->dwStatus = reinterpret_cast<const JOB_INFO_1A*>(pbJob)->Status;
            pWatch->dwSeen |= pWatch->dwStatus;
        }
        free(pbJob);
        // The spooler has no job of that number once it has left the queue;
        // one spooler says so in no words at all.
        if (dwError == ERROR_INVALID_PARAMETER || dwError == ERROR_SUCCESS) {
            pWatch->bGone = !bInQueue;
            return ERROR_SUCCESS;
        }
        if (dwError != ERROR_INSUFFICIENT_BUFFER)
            return dwError;
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

// Waits for the spooler's word of a change, or a while where it sends none,
// at most until the bound; every status the job passed through meanwhile
// counts, one it has already left (PRINTED, just before it goes) too.
void CSpoolerLink::WaitForChange(DWORD dwJob, JOB_WATCH* pWatch) {
    DWORD dwLeftMs = TimeLeftMs();
    if (m_hChange == INVALID_HANDLE_VALUE) {
        Sleep(dwLeftMs < JOB_POLL_MS ? dwLeftMs : JOB_POLL_MS);
        return;
    }
    if (WaitForSingleObject(m_hChange, dwLeftMs) != WAIT_OBJECT_0)
        return;
    DWORD dwChange = 0;
    PRINTER_NOTIFY_INFO* pInfo = NULL;
    // A word that cannot be read would leave the wait signalled for good:
    // the job is then looked at from time to time instead.
    if (!m_api.FindNextPrinterChangeNotification(m_hChange, &dwChange, NULL,
                                                 reinterpret_cast<void**>(&pInfo))) {
        StopWatching();
        return;
    }
    if (pInfo == NULL)
        return;
    for (DWORD i = 0; i < pInfo->Count; ++i) {
        const PRINTER_NOTIFY_INFO_DATA& data = pInfo->aData[i];
        if (data.Type == JOB_NOTIFY_TYPE && data.Field == JOB_NOTIFY_FIELD_STATUS &&
            data.Id == dwJob)
            pWatch->dwSeen |= data.NotifyData.adwData[0];
    }
    m_api.FreePrinterNotifyInfo(pInfo);
}
