#include "AfxLoadProc.h"

FARPROC AfxLoadSystemProc(LPCSTR pszDll, LPCSTR pszProc) {
    HMODULE hModule = GetModuleHandleA(pszDll);
    if (hModule == NULL) {
        char szPath[MAX_PATH];
        UINT cch = GetSystemDirectoryA(szPath, MAX_PATH);
        if (cch == 0 || cch + 1 + lstrlenA(pszDll) >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return NULL;
        }
        szPath[cch] = '\\';
        lstrcpyA(szPath + cch + 1, pszDll);
        hModule = LoadLibraryA(szPath);
        if (hModule == NULL)
            return NULL;
    }
    return GetProcAddress(hModule, pszProc);
}
