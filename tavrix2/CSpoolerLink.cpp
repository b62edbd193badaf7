#include "CSpoolerLink.h"

#include "portlink/TavrixError.h"

namespace {

// How often a job is looked at where the spooler sends no word of changes,
// and at the longest between two looks where it does, should a word be late.
const DWORD JOB_POLL_MS = 50;
const DWORD JOB_LOOK_MS = 250;
// The job's name in the queue, by which it is told from another with its
// number on a server's queue.
const char* const DOCUMENT_NAME = "Kestrin image size command";
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
    BOOL bPrinted = FALSE;
    if (PrintJob(pData, cbData, &dwJob)) {
        bPrinted = WatchJob(dwJob);
    } else if (dwJob != 0) {
        // Spooled but not closed: it may have begun all the same.
        JOB_WATCH watch = {FALSE, 0, 0};
        bPrinted = GiveUpJob(dwJob, &watch);
    }
    DWORD dwError = GetLastError();
    StopWatching();
    SetLastError(dwError);
    return bPrinted;
}

// Spools the one job. A printer that prints directly, or as soon as a job
// begins to spool, may have passed on what it took before a write failed:
// AbortPrinter cannot take that back.
BOOL CSpoolerLink::PrintJob(const char* pData, DWORD cbData, DWORD* pdwJob) {
    // Asking for the notices may have taken the time: no job is begun late.
    if (TimeLeftMs() == 0) {
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    }
    DOC_INFO_1A document = {const_cast<LPSTR>(DOCUMENT_NAME), NULL, const_cast<LPSTR>("RAW")};
    DWORD dwJob = m_api.StartDocPrinterA(m_hPrinter, 1, reinterpret_cast<BYTE*>(&document));
    if (dwJob == 0)
        return FALSE;
    DWORD cbWritten = 0;
    DWORD dwError = !m_api.WritePrinter(m_hPrinter, const_cast<char*>(pData), cbData, &cbWritten)
                        ? GetLastError()
                    : cbWritten < cbData ? ERROR_WRITE_FAULT
                                         : ERROR_SUCCESS;
    if (dwError != ERROR_SUCCESS) {
        m_api.AbortPrinter(m_hPrinter);
        SetLastError(TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError));
        return FALSE;
    }
    // One that does not end well is the caller's to take back, if it can.
    *pdwJob = dwJob;
    return m_api.EndDocPrinter(m_hPrinter);
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
        // A job that printed and left between two looks is told by the
        // notice of its PRINTED, which may still be on its way.
        if (watch.bGone && !(watch.dwSeen & JOB_STATUS_PRINTED))
            ReadNotices(dwJob, &watch);
        switch (JudgeJob(watch, TimeLeftMs())) {
        case JOB_PRINTED:
            return TRUE;
        case JOB_HANDED_ON:
            SetLastError(TavrixError(TAVRIX_ERROR_JOB_HANDED_ON, watch.dwSeen));
            return FALSE;
        case JOB_WAITING:
            if (m_hChange != INVALID_HANDLE_VALUE)
                ReadNotices(dwJob, &watch);
            else
                Sleep(TimeLeftMs() < JOB_POLL_MS ? TimeLeftMs() : JOB_POLL_MS);
            break;
        case JOB_GIVE_UP:
            return GiveUpJob(dwJob, &watch);
        }
    }
}

// A job is paused before it is looked at for the last time, so that it
// cannot begin between that look and its deletion: only one that had not
// begun by then is deleted, and reported as not printed. One that has
// begun, or whose state cannot be told, is let go on. One that someone else
// is deleting goes anyway.
BOOL CSpoolerLink::GiveUpJob(DWORD dwJob, JOB_WATCH* pWatch) {
    DWORD dwSeenBefore = pWatch->dwSeen;
    BOOL bPaused = FALSE;
    BOOL bKnown = TRUE;
    if (!(pWatch->dwSeen & JOB_GOING)) {
        bPaused = m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_PAUSE);
        bKnown = LookAtJob(dwJob, pWatch) == ERROR_SUCCESS;
        if (pWatch->bGone)
            ReadNotices(dwJob, pWatch);
        if (pWatch->dwSeen & JOB_STATUS_PRINTED) {
            if (bPaused && !pWatch->bGone)
                m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_RESUME);
            return TRUE;
        }
    }
    // What the job went through, less Kestrin's own pause.
    DWORD dwSeen = bPaused
                       ? (pWatch->dwSeen & ~JOB_STATUS_PAUSED) | (dwSeenBefore & JOB_STATUS_PAUSED)
                       : pWatch->dwSeen;
    BOOL bBegun = (pWatch->dwSeen & JOB_BEGUN) != 0;
    if ((pWatch->dwSeen & JOB_GOING) && !bBegun) {
        SetLastError(TavrixError(TAVRIX_ERROR_JOB_FAILED, dwSeen));
        return FALSE;
    }
    if (bPaused && bKnown && !pWatch->bGone && !bBegun &&
        m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_DELETE)) {
        SetLastError(TavrixError(TAVRIX_ERROR_JOB_FAILED, dwSeen));
        return FALSE;
    }
    // What may have begun is let finish rather than held half-done.
    if (bPaused)
        m_api.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_RESUME);
    SetLastError(TavrixError(
        pWatch->bGone && !bBegun ? TAVRIX_ERROR_JOB_HANDED_ON : TAVRIX_ERROR_JOB_STARTED, dwSeen));
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
        const JOB_INFO_1A* pJob = reinterpret_cast<const JOB_INFO_1A*>(pbJob);
        // A job of that number under another name is another's: this one
        // is gone.
        if (bInQueue && pJob->pDocument != NULL && lstrcmpA(pJob->pDocument, DOCUMENT_NAME) != 0)
            bInQueue = FALSE;
        else if (bInQueue)
            pWatch->dwSeen |= pWatch->dwStatus = pJob->Status;
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

// Waits a while, at most until the bound, for the spooler's word of a
// change; every status the job passed through meanwhile counts, one it has
// already left (PRINTED, just before it goes) too.
void CSpoolerLink::ReadNotices(DWORD dwJob, JOB_WATCH* pWatch) {
    if (m_hChange == INVALID_HANDLE_VALUE)
        return;
    DWORD dwLeftMs = TimeLeftMs();
    DWORD dwWait = WaitForSingleObject(m_hChange, dwLeftMs < JOB_LOOK_MS ? dwLeftMs : JOB_LOOK_MS);
    if (dwWait == WAIT_TIMEOUT)
        return;
    DWORD dwChange = 0;
    PRINTER_NOTIFY_INFO* pInfo = NULL;
    // A word that cannot be read would leave the wait signalled for good,
    // and after one that was cut short no more come: the job is then
    // looked at from time to time instead.
    if (dwWait != WAIT_OBJECT_0 ||
        !m_api.FindNextPrinterChangeNotification(m_hChange, &dwChange, NULL,
                                                 reinterpret_cast<void**>(&pInfo))) {
        StopWatching();
        return;
    }
    if (pInfo == NULL)
        return;
    if (pInfo->Flags & PRINTER_NOTIFY_INFO_DISCARDED)
        StopWatching();
    for (DWORD i = 0; i < pInfo->Count; ++i) {
        const PRINTER_NOTIFY_INFO_DATA& data = pInfo->aData[i];
        if (data.Type == JOB_NOTIFY_TYPE && data.Field == JOB_NOTIFY_FIELD_STATUS &&
            data.Id == dwJob)
            pWatch->dwSeen |= data.NotifyData.adwData[0];
    }
    m_api.FreePrinterNotifyInfo(pInfo);
}
