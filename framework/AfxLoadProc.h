#pragma once

#include <windows.h>

// A function of a DLL of the system folder, which is loaded when one of its
// functions is first asked for rather than with the program: a DLL that
// only some commands need costs nothing at start-up, and comes from the
// system folder only. NULL, with the reason in the last-error code, when it
// cannot be had.
FARPROC AfxLoadSystemProc(LPCSTR pszDll, LPCSTR pszProc);

// Takes the current folder off the DLL search path and, where Windows can,
// limits the DLLs loaded by name to the system folder, so that a DLL dropped
// beside the program or in the folder it was started in is never loaded in
// the place of a system one. The program's own imports are loaded by then.
void AfxRestrictDllSearch();

// The same into a pointer of the function's own type, such as
// decltype(&ShellExecuteA); FALSE when the function cannot be had.
template <class PFN> BOOL AfxBindSystemProc(PFN* ppfn, LPCSTR pszDll, LPCSTR pszProc) {
    // Through the generic function type, which converts to any other.
    typedef void (*PFN_GENERIC)();
    *ppfn =
        reinterpret_cast<PFN>(reinterpret_cast<PFN_GENERIC>(AfxLoadSystemProc(pszDll, pszProc)));
    return *ppfn != NULL;
}
