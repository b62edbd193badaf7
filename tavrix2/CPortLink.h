#pragma once

#include <windows.h>
#include <stdlib.h>

// What is left of dwTimeoutMs counted from dwStart (a GetTickCount); 0 once
// it has passed.
inline DWORD TimeLeftMs(DWORD dwStart, DWORD dwTimeoutMs) {
    DWORD dwElapsed = GetTickCount() - dwStart;
    return dwElapsed < dwTimeoutMs ? dwTimeoutMs - dwElapsed : 0;
}

// An open connection to a device: every kind writes all of its bytes or
// fails with the reason, and gives up on a device that does not take them
// all within the link's timeout. A failure after which part or all of the
// bytes may still reach the device says so: TAVRIX_ERROR_MAY_HAVE_ARRIVED
// with the reason, or a reason that means as much.
//
// A kind overrides WriteAll, which asks IsCancelled before each step that
// sends anything, and, where a write can block in a driver past the
// timeout, OnCancel.
class CPortLink {
public:
    explicit CPortLink(DWORD dwTimeoutMs) : m_dwTimeoutMs(dwTimeoutMs), m_nCancelled(0) {}
    virtual ~CPortLink() {}
    virtual BOOL WriteAll(const char* pData, DWORD cbData) = 0;
    // Called from another thread once the caller has stopped waiting, even
    // before WriteAll has begun: from then on the link sends nothing more,
    // and a write blocked in a driver is asked to give up. Closes nothing.
    void Cancel() {
        InterlockedExchange(&m_nCancelled, 1);
        OnCancel();
    }
    BOOL IsCancelled() { return InterlockedCompareExchange(&m_nCancelled, 0, 0) != 0; }

    // Links live on the C run-time heap: a failed allocation is a NULL link,
    // and no part of the C++ run-time's exception machinery is pulled in.
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

protected:
    virtual void OnCancel() {}

    DWORD TimeLeftMs(DWORD dwStart) const { return ::TimeLeftMs(dwStart, m_dwTimeoutMs); }

    DWORD m_dwTimeoutMs;

private:
    LONG m_nCancelled;
};
