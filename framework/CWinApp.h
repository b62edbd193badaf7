#pragma once

#include "CCmdTarget.h"

class CWnd;

// The one application object. The framework's entry point fills in the
// module data, runs InitInstance and ends the process with ExitInstance's
// result; it has no message loop of its own, since this program's whole
// life is a modal dialog run inside InitInstance. Commands that no window
// handles come to the application's message map.
//
// Override InitInstance (the program's whole run) and, if the exit code is
// to come from elsewhere than m_nExitCode, ExitInstance. The module data
// (m_hInstance, m_pszAppName) are the framework's to fill in.
class CWinApp : public CCmdTarget {
public:
    CWinApp();
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The 3-D look is the standard look of every control since Windows 95:
    // there is nothing to switch on.
    BOOL Enable3dControls() { return TRUE; }

    // Opens the README.txt that ships beside the program, the program's
    // help, with the shell; without one, nothing happens.
    void OnHelp();

    HINSTANCE m_hInstance;
    LPCSTR m_pszAppName;
    CWnd* m_pMainWnd;
    int m_nExitCode;

private:
    friend int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);
    void SetModuleData(HINSTANCE hInstance);

    char m_szAppName[MAX_PATH];
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

// The dialogs host no ActiveX controls, so there is no container to enable.
inline void AfxEnableControlContainer() {}
