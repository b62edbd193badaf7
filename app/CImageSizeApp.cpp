#include "CImageSizeApp.h"

#include "ui/CImageSizeDlg.h"

CImageSizeApp theApp;

BOOL CImageSizeApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    CImageSizeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = NULL;

    // The host learns from the exit code whether a size reached the device.
    m_nExitCode = dlg.HasSentSize() ? 0 : 1;
    return FALSE;
}
