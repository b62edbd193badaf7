#include "AfxLoadProc.h"

#include <stdlib.h>

namespace {

HMODULE LoadSystemDll(LPCSTR pszDll) {
    char szPath[MAX_PATH];
    UINT cch = GetSystemDirectoryA(szPath, MAX_PATH);
    if (cch == 0 || cch + 1 + lstrlenA(pszDll) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    szPath[cch] = '\\';
    lstrcpyA(szPath + cch + 1, pszDll);
    // Loaded by its path even when it is loaded already: that costs nothing,
    // where Wine opens the file of a DLL that is not loaded yet to answer
    // GetModuleHandle. The DLLs it needs in turn come from its folder, the
    // system's, and never from the program's or the current one.
    return LoadLibraryExA(szPath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

FARPROC AfxLoadSystemProc(LPCSTR pszDll, LPCSTR pszProc) {
    HMODULE hModule = LoadSystemDll(pszDll);
    return hModule != NULL ? GetProcAddress(hModule, pszProc) : NULL;
}

void* AfxLoadSystemApi(void* volatile* ppApi, LPCSTR pszDll, const LPCSTR* rgpszNames, int cNames) {
    if (*ppApi != NULL)
        return *ppApi;
    HMODULE hModule = LoadSystemDll(pszDll);
    FARPROC* rgpfn = static_cast<FARPROC*>(malloc(cNames * sizeof(FARPROC)));
    if (hModule == NULL || rgpfn == NULL) {
        DWORD dwError = hModule == NULL ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        free(rgpfn);
        SetLastError(dwError);
        return NULL;
    }
    for (int i = 0; i < cNames; ++i)
        if ((rgpfn[i] = GetProcAddress(hModule, rgpszNames[i])) == NULL) {
            free(rgpfn);
            SetLastError(ERROR_PROC_NOT_FOUND);
            return NULL;
        }
    // Threads may ask at once: the first binding kept is everyone's.
    void* pKept = InterlockedCompareExchangePointer(ppApi, rgpfn, NULL);
    if (pKept == NULL)
        return rgpfn;
    free(rgpfn);
    return pKept;
}

void AfxRestrictDllSearch() {
    // Both are bound here: Windows XP SP3 has the first only, and Windows 7
    // the second only with its update KB2533623.
    BOOL(WINAPI * pfnSetDllDirectory)(LPCSTR);
    BOOL(WINAPI * pfnSetDefaultDllDirectories)(DWORD);
    const DWORD SEARCH_SYSTEM32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (AfxBindSystemProc(&pfnSetDllDirectory, "kernel32.dll", "SetDllDirectoryA"))
        pfnSetDllDirectory("");
    if (AfxBindSystemProc(&pfnSetDefaultDllDirectories, "kernel32.dll", "SetDefaultDllDirectories"))
        pfnSetDefaultDllDirectories(SEARCH_SYSTEM32);
}
