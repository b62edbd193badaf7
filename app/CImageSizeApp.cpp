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

    // The host learns from the exit code whether a size reached the device:
    // 0 it did, 1 it did not, 2 it may have (a send failed part-way).
    m_nExitCode = dlg.HasSentSize() ? 0 : dlg.MayHaveSentSize() ? 2 : 1;
    return FALSE;
}
