#include "CWinApp.h"

#include <mbctype.h>
#include <shellapi.h>

#include "AfxCallWithin.h"
#include "AfxLoadProc.h"
#include "CWnd.h"

namespace {

CWinApp* g_pApp = NULL;

// The file name within a path: what follows its last separator.
LPSTR FileNameOf(LPSTR pszPath) {
    LPSTR pszName = pszPath;
    for (LPSTR psz = pszPath; *psz != '\0'; psz = CharNextA(psz))
        if (*psz == '\\' || *psz == '/' || *psz == ':')
            pszName = psz + 1;
    return pszName;
}

} // namespace

CWinApp::CWinApp()
    : m_hInstance(NULL), m_pszAppName(m_szAppName), m_pMainWnd(NULL), m_nExitCode(0) {
    m_szAppName[0] = '\0';
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = NULL;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return m_nExitCode;
}

void CWinApp::SetModuleData(HINSTANCE hInstance) {
    m_hInstance = hInstance;
    // The application's name is its module's base name, as the user sees it
    // in Explorer: "Kestrin" for Kestrin.exe.
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(hInstance, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return;
    LPSTR pszName = FileNameOf(szPath);
    LPSTR pszDot = NULL;
    for (LPSTR psz = pszName; *psz != '\0'; psz = CharNextA(psz))
        if (*psz == '.')
            pszDot = psz;
    if (pszDot != NULL)
        *pszDot = '\0';
    lstrcpynA(m_szAppName, pszName, MAX_PATH);
}

void CWinApp::OnHelp() {
    const char README[] = "README.txt";
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(m_hInstance, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return;
    LPSTR pszName = FileNameOf(szPath);
    if (pszName - szPath + sizeof README > MAX_PATH)
        return;
    lstrcpyA(pszName, README);
    DWORD dwAttributes = GetFileAttributesA(szPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    // The shell is loaded only when help is asked for.
    decltype(&ShellExecuteA) pfnShellExecute;
    if (AfxBindSystemProc(&pfnShellExecute, "shell32.dll", "ShellExecuteA"))
        pfnShellExecute(m_pMainWnd != NULL ? m_pMainWnd->m_hWnd : NULL, "open", szPath, NULL, NULL,
                        SW_SHOWNORMAL);
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

HINSTANCE AfxGetResourceHandle() {
    return g_pApp != NULL && g_pApp->m_hInstance != NULL ? g_pApp->m_hInstance
                                                         : GetModuleHandleA(NULL);
}

int AfxWinMain(HINSTANCE hInstance, LPSTR, int) {
    AfxRestrictDllSearch();
    // Multibyte string functions follow the system's ANSI code page, which
    // is the code page of every narrow string this program handles.
    _setmbcp(_MB_CP_ANSI);
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL)
        return 1;
    pApp->SetModuleData(hInstance);
    pApp->InitInstance();
    int nExitCode = pApp->ExitInstance();
    // A call given up on may hold a lock that other DLLs' detach code would
    // wait for: the process ends here, with its code, without running it.
    // TerminateProcess only begins the end.
    if (AfxCallsRunning() && TerminateProcess(GetCurrentProcess(), static_cast<UINT>(nExitCode)))
        WaitForSingleObject(GetCurrentProcess(), INFINITE);
    return nExitCode;
}
