#include "framework/AfxCallWithin.h"
#include "framework/CWinApp.h"

#include <gtest/gtest.h>

namespace {

// A call blocked in a driver, which lets go only when it is released.
struct BLOCKED_CALL {
    HANDLE hRelease;
    HANDLE hReturned;
};

void Blocked(void* pv) {
    BLOCKED_CALL* pCall = static_cast<BLOCKED_CALL*>(pv);
    WaitForSingleObject(pCall->hRelease, INFINITE);
    SetEvent(pCall->hReturned);
}

BLOCKED_CALL NewBlockedCall() {
    return {CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL)};
}

TEST(AfxCallWithin, BlockedCallIsGivenUpOnTimeAndGoesOnWithoutItsCaller) {
    BLOCKED_CALL blocked = NewBlockedCall();
    // Input that comes meanwhile waits for the caller, who does not spin.
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    FILETIME ftCreated, ftExited, ftKernel, ftUser;
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(AfxCallWithin(Blocked, &blocked, 300), DWORD(ERROR_TIMEOUT));
    DWORD dwWaited = GetTickCount() - dwStart;
    EXPECT_GE(dwWaited, 290u);
    EXPECT_LT(dwWaited, 1000u);
    GetThreadTimes(GetCurrentThread(), &ftCreated, &ftExited, &ftKernel, &ftUser);
    EXPECT_LT(ftKernel.dwLowDateTime + ftUser.dwLowDateTime, 2000000u) << "100 ns units";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_TRUE(AfxCallsRunning());
    SetEvent(blocked.hRelease);
    EXPECT_EQ(WaitForSingleObject(blocked.hReturned, 5000), DWORD(WAIT_OBJECT_0));

    // One that returns in time is over when its caller hears so.
    BLOCKED_CALL done = {blocked.hRelease, CreateEventA(NULL, TRUE, FALSE, NULL)};
    EXPECT_EQ(AfxCallWithin(Blocked, &done, 5000), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(WaitForSingleObject(done.hReturned, 0), DWORD(WAIT_OBJECT_0));
    for (HANDLE h : {blocked.hRelease, blocked.hReturned, done.hReturned})
        CloseHandle(h);
}

// Beside the test, by its full path: the search path is the system's.
DWORD WINAPI LoadSlowStart(LPVOID) {
    char szDll[MAX_PATH];
    GetModuleFileNameA(NULL, szDll, MAX_PATH - 16);
    lstrcpyA(strrchr(szDll, '\\') + 1, "slowstart.dll");
    return LoadLibraryA(szDll) != NULL;
}

// Gives up on a call, as a Send at its bound does, while another thread is
// held in a DLL's start-up; exits with code 2.
class CGivingUpApp : public CWinApp {
public:
    BOOL InitInstance() override {
        BLOCKED_CALL blocked = NewBlockedCall();
        SetEvent(blocked.hRelease);
        AfxCallWithin(Blocked, &blocked, 5000); // the first call, as the first Send
        ResetEvent(blocked.hRelease);
        HANDLE hStarting = CreateEventA(NULL, TRUE, FALSE, "KestrinSlowStart");
        CloseHandle(CreateThread(NULL, 0, LoadSlowStart, NULL, 0, NULL));
        if (WaitForSingleObject(hStarting, 5000) != WAIT_OBJECT_0)
            return FALSE;
        DWORD dwStart = GetTickCount();
        m_nExitCode = AfxCallWithin(Blocked, &blocked, 1000) == ERROR_TIMEOUT &&
                              GetTickCount() - dwStart < 1500
                          ? 2
                          : 3;
        return FALSE;
    }
};

// The loader's lock held by a thread in a DLL's start-up delays neither a
// later bound nor the end of the process, whose exit code is kept.
TEST(AfxCallWithin, BoundAndExitCodeHoldWhileAThreadIsInADllsStartUp) {
    DWORD dwStart = GetTickCount();
    EXPECT_EXIT(
        {
            CGivingUpApp app;
            exit(AfxWinMain(GetModuleHandleA(NULL), const_cast<LPSTR>(""), SW_SHOWNORMAL));
        },
        ::testing::ExitedWithCode(2), "");
    EXPECT_LT(GetTickCount() - dwStart, 4000u) << "the DLL's start-up takes 5 s";
}

} // namespace
