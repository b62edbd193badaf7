#pragma once

#include <windows.h>
#include <stdlib.h>

#include "framework/AfxCallWithin.h"

// An open connection to a device: every kind writes all of its bytes or
// fails with the reason, within what is left of the link's one bound, which
// runs from before its open (the caller's send, or OpenComm) through its
// write to its close. A failure
// after which part or all of the bytes may still reach the device says so:
// TAVRIX_ERROR_MAY_HAVE_ARRIVED with the reason, or a reason that means as
// much.
//
// A kind overrides WriteAll, and waits only where Windows lets a wait be
// given up: each such wait ends when the bound does.
class CPortLink {
public:
    CPortLink(DWORD dwStart, DWORD dwTimeoutMs) : m_dwStart(dwStart), m_dwTimeoutMs(dwTimeoutMs) {}
    virtual ~CPortLink() {}
    virtual BOOL WriteAll(const char* pData, DWORD cbData) = 0;

    // Links live on the C run-time heap: a failed allocation is a NULL link,
    // and no part of the C++ run-time's exception machinery is pulled in.
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

protected:
    DWORD TimeLeftMs() const { return AfxTimeLeftMs(m_dwStart, m_dwTimeoutMs); }

    DWORD m_dwStart; // GetTickCount at the start of the bound
    DWORD m_dwTimeoutMs;
};
