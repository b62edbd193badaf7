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

// A system DLL's functions that go together, bound at once into a structure
// of pointers the first time it is asked for, and kept for the process's
// life: NULL, with the reason in the last-error code, when one of them
// cannot be had. The structure declares a member a name, in the names'
// order, so that one list gives both:
//
//     #define SPOOLER_FUNCTIONS(F) F(OpenPrinterA) F(ClosePrinter)
//     struct SPOOLER_API { SPOOLER_FUNCTIONS(AFX_API_MEMBER) };
//     const LPCSTR names[] = {SPOOLER_FUNCTIONS(AFX_API_NAME)};
//     const SPOOLER_API* p = AfxSystemApi<SPOOLER_API>("winspool.drv", names);
#define AFX_API_MEMBER(name) decltype(&::name) name;
#define AFX_API_NAME(name) #name,

void* AfxLoadSystemApi(void* volatile* ppApi, LPCSTR pszDll, const LPCSTR* rgpszNames, int cNames);

template <class API, int N> const API* AfxSystemApi(LPCSTR pszDll, const LPCSTR (&rgpszNames)[N]) {
    static_assert(sizeof(API) == N * sizeof(FARPROC), "a member for each name, in their order");
    static void* volatile s_pApi = NULL;
    return static_cast<const API*>(AfxLoadSystemApi(&s_pApi, pszDll, rgpszNames, N));
}
