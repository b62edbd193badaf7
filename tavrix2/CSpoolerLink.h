#pragma once

#include "portlink/Spooler.h"
#include "tavrix2/CPortLink.h"

// What the spooler has said of a job so far.
struct JOB_WATCH {
    BOOL bGone;     // it has left the queue
    DWORD dwStatus; // its last status in the queue (JOB_INFO_1's)
    DWORD dwSeen;   // every status bit it has been seen with
};

enum JOB_VERDICT {
    JOB_PRINTED,   // the spooler said so
    JOB_HANDED_ON, // gone from the queue without saying so
    JOB_WAITING,   // spooling, queued, paused, printing or sent to the printer
    JOB_GIVE_UP,   // in error, being deleted, or still waiting at the bound
};

JOB_VERDICT JudgeJob(const JOB_WATCH& watch, DWORD dwLeftMs);

// A printer that Windows already has, local or shared (\\server\Label): each
// write is one RAW print job of the bytes exactly, so that the driver passes
// them to the device untouched, and the job's own end is the last word.
class CSpoolerLink : public CPortLink {
public:
    ~CSpoolerLink() override;

    // Opens the printer for jobs through the spooler's client (or a stand-in
    // of it, which must outlive the link); NULL with the spooler's reason
    // when it cannot (ERROR_INVALID_PRINTER_NAME for a printer it does not
    // know).
    static CSpoolerLink* Open(const SPOOLER_API& api, LPCSTR pszPrinter, DWORD dwStart,
                              DWORD dwTimeoutMs);

    // Succeeds once the spooler says the job PRINTED, in the queue or in a
    // notice. A job that leaves the queue without that was handed on, not
    // confirmed: it fails with TAVRIX_ERROR_JOB_HANDED_ON, as one that may
    // still print. A job in error, seen being deleted, or still waiting at
    // the bound is paused first and then looked at: one that the device had
    // not begun is deleted (TAVRIX_ERROR_JOB_FAILED: nothing printed); one
    // it had begun, or whose state cannot be told, is let go on and may
    // still print (TAVRIX_ERROR_JOB_STARTED); one gone by then was handed
    // on. The detail is every status the job was seen with, less Kestrin's
    // own pause. A driver that takes no RAW data fails the write with
    // ERROR_INVALID_DATATYPE.
    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    CSpoolerLink(const SPOOLER_API& api, HANDLE hPrinter, DWORD dwStart, DWORD dwTimeoutMs)
        : CPortLink(dwStart, dwTimeoutMs), m_api(api), m_hPrinter(hPrinter),
          m_hChange(INVALID_HANDLE_VALUE) {}
    BOOL PrintJob(const char* pData, DWORD cbData, DWORD* pdwJob);
    BOOL WatchJob(DWORD dwJob);
    BOOL GiveUpJob(DWORD dwJob, JOB_WATCH* pWatch);
    DWORD LookAtJob(DWORD dwJob, JOB_WATCH* pWatch);
    void ReadNotices(DWORD dwJob, JOB_WATCH* pWatch);
    void StopWatching();

    const SPOOLER_API& m_api;
    HANDLE m_hPrinter;
    HANDLE m_hChange; // the spooler's word of the printer's jobs, while one is watched
};
