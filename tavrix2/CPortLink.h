#pragma once

#include <windows.h>
#include <stdlib.h>

// An open connection to a device: every kind writes all of its bytes or
// fails with the reason, and gives up on a device that does not take them
// all within the link timeout.
class CPortLink {
public:
    virtual ~CPortLink() {}
    virtual BOOL WriteAll(const char* pData, DWORD cbData) = 0;

    // Links live on the C run-time heap: a failed allocation is a NULL link,
    // and no part of the C++ run-time's exception machinery is pulled in.
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }
};

// How long a link waits for a device: to connect, and to take a write.
const DWORD LINK_TIMEOUT_MS = 5000;

// What is left of the link timeout counted from dwStart (a GetTickCount);
// 0 once it has passed.
inline DWORD TimeLeftMs(DWORD dwStart) {
    DWORD dwElapsed = GetTickCount() - dwStart;
    return dwElapsed < LINK_TIMEOUT_MS ? LINK_TIMEOUT_MS - dwElapsed : 0;
}
