// A DLL whose start-up lasts seconds, as one that waits in its DllMain for a
// server would, holding the loader's lock all that while. It signals the
// event KestrinSlowStart when it begins.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, "KestrinSlowStart"));
        Sleep(5000);
    }
    return TRUE;
}
