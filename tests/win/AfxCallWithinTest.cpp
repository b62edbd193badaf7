#include "framework/AfxCallWithin.h"

#include <gtest/gtest.h>

namespace {

// A call blocked in a driver, which lets go only when it is released.
struct BLOCKED_CALL {
    HANDLE hRelease;
    LONG cCancels;
    HANDLE hAbandoned;
};

const AFX_CALL BLOCKED = {
    [](void* pv) { WaitForSingleObject(static_cast<BLOCKED_CALL*>(pv)->hRelease, INFINITE); },
    [](void* pv) { InterlockedIncrement(&static_cast<BLOCKED_CALL*>(pv)->cCancels); },
    [](void* pv) { SetEvent(static_cast<BLOCKED_CALL*>(pv)->hAbandoned); },
};

TEST(AfxCallWithin, BlockedCallIsGivenUpOnTimeAndCleanedUpByItsThreadOnceItReturns) {
    BLOCKED_CALL blocked = {CreateEventA(NULL, TRUE, FALSE, NULL), 0,
                            CreateEventA(NULL, TRUE, FALSE, NULL)};
    // Input that comes meanwhile waits for the caller, who does not spin.
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    FILETIME ftCreated, ftExited, ftKernel, ftUser;
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(AfxCallWithin(BLOCKED, &blocked, 300), DWORD(ERROR_TIMEOUT));
    DWORD dwWaited = GetTickCount() - dwStart;
    EXPECT_GE(dwWaited, 290u);
    EXPECT_LT(dwWaited, 1000u);
    GetThreadTimes(GetCurrentThread(), &ftCreated, &ftExited, &ftKernel, &ftUser);
    EXPECT_LT(ftKernel.dwLowDateTime + ftUser.dwLowDateTime, 2000000u) << "100 ns units";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_EQ(blocked.cCancels, 1);
    EXPECT_EQ(WaitForSingleObject(blocked.hAbandoned, 200), DWORD(WAIT_TIMEOUT))
        << "released while the call still ran";
    SetEvent(blocked.hRelease);
    EXPECT_EQ(WaitForSingleObject(blocked.hAbandoned, 5000), DWORD(WAIT_OBJECT_0));

    // One that returns in time is the caller's again: nothing is cancelled
    // or released behind its back.
    BLOCKED_CALL done = {blocked.hRelease, 0, CreateEventA(NULL, TRUE, FALSE, NULL)};
    EXPECT_EQ(AfxCallWithin(BLOCKED, &done, 5000), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(done.cCancels, 0);
    EXPECT_EQ(WaitForSingleObject(done.hAbandoned, 200), DWORD(WAIT_TIMEOUT));
    for (HANDLE h : {blocked.hRelease, blocked.hAbandoned, done.hAbandoned})
        CloseHandle(h);
}

} // namespace
