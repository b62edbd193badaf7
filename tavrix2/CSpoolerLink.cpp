#include "CSpoolerLink.h"

#include <winspool.h>

#include "framework/AfxLoadProc.h"
#include "portlink/TavrixError.h"

namespace {

// How often a job is looked at while it waits in the queue.
const DWORD JOB_POLL_MS = 50;
// A job's record is asked for again at the size the spooler reports a few
// times, should it grow meanwhile.
const int GET_JOB_TRIES = 4;

// The spooler's client, loaded only for a printer: target.
struct SPOOLER {
    decltype(&::OpenPrinterA) OpenPrinterA;
    decltype(&::ClosePrinter) ClosePrinter;
    decltype(&::StartDocPrinterA) StartDocPrinterA;
    decltype(&::WritePrinter) WritePrinter;
    decltype(&::EndDocPrinter) EndDocPrinter;
    decltype(&::AbortPrinter) AbortPrinter;
    decltype(&::GetJobA) GetJobA;
    decltype(&::SetJobA) SetJobA;
};

SPOOLER g_spooler;

BOOL LoadSpooler() {
    static BOOL s_bLoaded = FALSE;
    const char* const DLL = "winspool.drv";
    SPOOLER& sp = g_spooler;
    if (!s_bLoaded)
        s_bLoaded = AfxBindSystemProc(&sp.OpenPrinterA, DLL, "OpenPrinterA") &&
                    AfxBindSystemProc(&sp.ClosePrinter, DLL, "ClosePrinter") &&
                    AfxBindSystemProc(&sp.StartDocPrinterA, DLL, "StartDocPrinterA") &&
                    AfxBindSystemProc(&sp.WritePrinter, DLL, "WritePrinter") &&
                    AfxBindSystemProc(&sp.EndDocPrinter, DLL, "EndDocPrinter") &&
                    AfxBindSystemProc(&sp.AbortPrinter, DLL, "AbortPrinter") &&
                    AfxBindSystemProc(&sp.GetJobA, DLL, "GetJobA") &&
                    AfxBindSystemProc(&sp.SetJobA, DLL, "SetJobA");
    return s_bLoaded;
}

} // namespace

JOB_VERDICT JudgeJob(BOOL bInQueue, DWORD dwStatus, DWORD dwLeftMs) {
    const DWORD FAILED = JOB_STATUS_ERROR | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT |
                         JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_USER_INTERVENTION |
                         JOB_STATUS_DELETING | JOB_STATUS_DELETED;
    if (!bInQueue || (dwStatus & JOB_STATUS_PRINTED))
        return JOB_DONE;
    if (dwStatus & FAILED)
        return JOB_FAILED;
    return dwLeftMs > 0 ? JOB_WAITING : JOB_LATE;
}

CSpoolerLink::~CSpoolerLink() {
    g_spooler.ClosePrinter(m_hPrinter);
}

CSpoolerLink* CSpoolerLink::Open(LPCSTR pszPrinter, DWORD dwTimeoutMs) {
    if (!LoadSpooler())
        return NULL;
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ACCESS_USE};
    HANDLE hPrinter = NULL;
    if (!g_spooler.OpenPrinterA(const_cast<LPSTR>(pszPrinter), &hPrinter, &defaults))
        return NULL;
    CSpoolerLink* pLink = new CSpoolerLink(hPrinter, dwTimeoutMs);
    if (pLink == NULL) {
        g_spooler.ClosePrinter(hPrinter);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return pLink;
}

BOOL CSpoolerLink::WriteAll(const char* pData, DWORD cbData) {
    const SPOOLER& sp = g_spooler;
    DWORD dwStart = GetTickCount();
    DOC_INFO_1A document = {const_cast<LPSTR>("Kestrin image size command"), NULL,
                            const_cast<LPSTR>("RAW")};
    if (IsCancelled()) {
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    }
    DWORD dwJob = sp.StartDocPrinterA(m_hPrinter, 1, reinterpret_cast<BYTE*>(&document));
    if (dwJob == 0)
        return FALSE;
    // The job is not let through once the caller has stopped waiting, nor
    // with half a command. A printer that prints directly, rather than
    // spooling, may have passed on what it took: AbortPrinter cannot take
    // that back.
    DWORD cbWritten = 0;
    DWORD dwError = ERROR_TIMEOUT;
    if (!IsCancelled())
        dwError = !sp.WritePrinter(m_hPrinter, const_cast<char*>(pData), cbData, &cbWritten)
                      ? GetLastError()
                  : cbWritten < cbData ? ERROR_WRITE_FAULT
                                       : ERROR_SUCCESS;
    if (dwError == ERROR_SUCCESS && IsCancelled())
        dwError = ERROR_TIMEOUT;
    if (dwError != ERROR_SUCCESS) {
        BOOL bAborted = sp.AbortPrinter(m_hPrinter);
        SetLastError(cbWritten > 0 || !bAborted
                         ? TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError)
                         : dwError);
        return FALSE;
    }
    if (!sp.EndDocPrinter(m_hPrinter)) {
        dwError = GetLastError();
        if (!sp.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_DELETE))
            dwError = TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError);
        SetLastError(dwError);
        return FALSE;
    }
    return WatchJob(dwJob, dwStart);
}

BOOL CSpoolerLink::WatchJob(DWORD dwJob, DWORD dwStart) {
    for (;;) {
        BOOL bInQueue = FALSE;
        DWORD dwStatus = 0;
        DWORD dwError = FindJob(dwJob, &bInQueue, &dwStatus);
        // A job the spooler cannot show any more may have printed.
        if (dwError != ERROR_SUCCESS) {
            SetLastError(TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError));
            return FALSE;
        }
        DWORD dwLeftMs = IsCancelled() ? 0 : TimeLeftMs(dwStart);
        switch (JudgeJob(bInQueue, dwStatus, dwLeftMs)) {
        case JOB_DONE:
            return TRUE;
        case JOB_WAITING:
            Sleep(dwLeftMs < JOB_POLL_MS ? dwLeftMs : JOB_POLL_MS);
            break;
        case JOB_FAILED:
        case JOB_LATE:
            return GiveUpJob(dwJob, dwStatus);
        }
    }
}

// The job's status while it is in the queue.
DWORD CSpoolerLink::FindJob(DWORD dwJob, BOOL* pbInQueue, DWORD* pdwStatus) {
    DWORD cbNeeded = 0;
    for (int nTry = 0; nTry < GET_JOB_TRIES; ++nTry) {
        BYTE* pbJob = cbNeeded > 0 ? static_cast<BYTE*>(malloc(cbNeeded)) : NULL;
        if (cbNeeded > 0 && pbJob == NULL)
            return ERROR_NOT_ENOUGH_MEMORY;
        SetLastError(ERROR_SUCCESS);
        *pbInQueue = g_spooler.GetJobA(m_hPrinter, dwJob, 1, pbJob, cbNeeded, &cbNeeded);
        DWORD dwError = *pbInQueue ? ERROR_SUCCESS : GetLastError();
        if (*pbInQueue)
            *pdwStatus = reinterpret_cast<const JOB_INFO_1A*>(pbJob)->Status;
        free(pbJob);
        // The spooler has no job of that number once it has left the queue;
        // one spooler says so in no words at all.
        if (dwError == ERROR_INVALID_PARAMETER)
            dwError = ERROR_SUCCESS;
        if (dwError != ERROR_INSUFFICIENT_BUFFER)
            return dwError;
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

BOOL CSpoolerLink::GiveUpJob(DWORD dwJob, DWORD dwStatus) {
    BOOL bDeleted = g_spooler.SetJobA(m_hPrinter, dwJob, 0, NULL, JOB_CONTROL_DELETE);
    // A job the device has begun on cannot be taken back from it.
    BOOL bStarted = !bDeleted || (dwStatus & (JOB_STATUS_PRINTING | JOB_STATUS_COMPLETE)) != 0;
    SetLastError(
        TavrixError(bStarted ? TAVRIX_ERROR_JOB_STARTED : TAVRIX_ERROR_JOB_FAILED, dwStatus));
    return FALSE;
}
