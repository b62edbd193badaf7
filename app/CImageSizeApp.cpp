#include "CImageSizeApp.h"

#include "ui/CImageSizeDlg.h"

CImageSizeApp theApp;

const AFX_MSGMAP_ENTRY CImageSizeApp::messageEntries[] = {
    OnCommand<&CWinApp::OnHelp>(ID_HELP),
};
const AFX_MSGMAP CImageSizeApp::messageMap = MakeMessageMap(&CWinApp::messageMap, messageEntries);

const AFX_MSGMAP* CImageSizeApp::GetMessageMap() const {
    return &messageMap;
}

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
