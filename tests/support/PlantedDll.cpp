// A DLL that a test plants under the name of one a system DLL needs: when it
// is loaded it leaves a mark where the test looks for one.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_ATTACH)
        CloseHandle(CreateFileA("C:\\kestrin-planted-dll-loaded.txt", GENERIC_WRITE, 0, NULL,
                                CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
