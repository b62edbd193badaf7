#include "framework/AfxCallWithin.h"
#include "framework/CWinApp.h"

#include <gtest/gtest.h>

#include "support/WaitUntil.h"

namespace {

// A call blocked in a driver, which lets go only when its event is set.
void Blocked(void* pv) {
    WaitForSingleObject(*static_cast<HANDLE*>(pv), INFINITE);
}

TEST(AfxCallWithin, BlockedCallIsGivenUpOnTimeAndGoesOnWithoutItsCaller) {
    HANDLE hBlocked = CreateEventA(NULL, FALSE, FALSE, NULL);
    // Input that comes meanwhile waits for the caller, who does not spin.
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    FILETIME ftCreated, ftExited, ftKernel, ftUser;
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(AfxCallWithin(Blocked, NULL, &hBlocked, 300), DWORD(ERROR_TIMEOUT));
    DWORD dwWaited = GetTickCount() - dwStart;
    EXPECT_GE(dwWaited, 290u);
    EXPECT_LT(dwWaited, 1000u);
    GetThreadTimes(GetCurrentThread(), &ftCreated, &ftExited, &ftKernel, &ftUser);
    EXPECT_LT(ftKernel.dwLowDateTime + ftUser.dwLowDateTime, 2000000u) << "100 ns units";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_TRUE(AfxCallsRunning());
    SetEvent(hBlocked);
    EXPECT_TRUE(WaitUntil([] { return !AfxCallsRunning(); }, 5000));
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
        HANDLE hBlocked = CreateEventA(NULL, FALSE, TRUE, NULL);
        AfxCallWithin(Blocked, NULL, &hBlocked, 5000); // the first call, as the first Send
        ResetEvent(hBlocked);
        HANDLE hStarting = CreateEventA(NULL, TRUE, FALSE, "KestrinSlowStart");
        CloseHandle(CreateThread(NULL, 0, LoadSlowStart, NULL, 0, NULL));
        if (WaitForSingleObject(hStarting, 5000) != WAIT_OBJECT_0)
            return FALSE;
        DWORD dwStart = GetTickCount();
        m_nExitCode = AfxCallWithin(Blocked, NULL, &hBlocked, 1000) == ERROR_TIMEOUT &&
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
