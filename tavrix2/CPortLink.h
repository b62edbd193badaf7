#pragma once

#include <windows.h>
#include <stdlib.h>

// An open connection to a device: every kind writes all of its bytes or
// fails with the reason, and gives up on a device that does not take them
// all within the link's timeout. A failure after which part or all of the
// bytes may still reach the device says so: TAVRIX_ERROR_MAY_HAVE_ARRIVED
// with the reason, or a reason that means as much.
//
// A kind overrides WriteAll and, where a write can block past the timeout,
// Cancel.
class CPortLink {
public:
    explicit CPortLink(DWORD dwTimeoutMs) : m_dwTimeoutMs(dwTimeoutMs) {}
    virtual ~CPortLink() {}
    virtual BOOL WriteAll(const char* pData, DWORD cbData) = 0;
    // Called from another thread while WriteAll is past its timeout: asks
    // the blocked write to give up. Closes nothing.
    virtual void Cancel() {}

    // Links live on the C run-time heap: a failed allocation is a NULL link,
    // and no part of the C++ run-time's exception machinery is pulled in.
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

protected:
    // What is left of the timeout counted from dwStart (a GetTickCount); 0
    // once it has passed.
    DWORD TimeLeftMs(DWORD dwStart) const {
        DWORD dwElapsed = GetTickCount() - dwStart;
        return dwElapsed < m_dwTimeoutMs ? m_dwTimeoutMs - dwElapsed : 0;
    }

    DWORD m_dwTimeoutMs;
};
