#pragma once

#include "tavrix2/CPortLink.h"

// A printer that Windows already has, local or shared (\\server\Label): each
// write is one RAW print job of the bytes exactly, so that the driver passes
// them to the device untouched, and the job's own end is the last word.
class CSpoolerLink : public CPortLink {
public:
    ~CSpoolerLink() override;

    // Opens the printer for jobs; NULL with the spooler's reason when it
    // cannot (ERROR_INVALID_PRINTER_NAME for a printer it does not know).
    static CSpoolerLink* Open(LPCSTR pszPrinter, DWORD dwTimeoutMs);

    // Succeeds once the spooler says the job was printed or has left the
    // queue. A job it marks as failed (JudgeJob), or that has not printed
    // when the timeout runs out, is deleted, and the write fails with
    // TAVRIX_ERROR_JOB_FAILED and the job's status; one that the device had
    // started on, which may still print, with TAVRIX_ERROR_JOB_STARTED. A
    // driver that takes no RAW data fails it with ERROR_INVALID_DATATYPE.
    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    CSpoolerLink(HANDLE hPrinter, DWORD dwTimeoutMs)
        : CPortLink(dwTimeoutMs), m_hPrinter(hPrinter) {}
    BOOL WatchJob(DWORD dwJob, DWORD dwStart);
    DWORD FindJob(DWORD dwJob, BOOL* pbInQueue, DWORD* pdwStatus);
    BOOL GiveUpJob(DWORD dwJob, DWORD dwStatus);

    HANDLE m_hPrinter;
};

enum JOB_VERDICT {
    JOB_DONE,    // printed, or gone from the queue
    JOB_WAITING, // spooling, queued, paused, printing or sent to the printer
    JOB_FAILED,  // in error, offline, out of paper, blocked, waiting for the
                 // user, or deleted: it will not print without help
    JOB_LATE,    // still waiting when the time is up
};

// What the spooler says of a job: whether it is still in the queue, its
// status there (JOB_INFO_1's), and the time left to wait for it.
JOB_VERDICT JudgeJob(BOOL bInQueue, DWORD dwStatus, DWORD dwLeftMs);
