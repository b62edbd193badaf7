#include "CDialog.h"

#include <commctrl.h>

#include "AfxRes.h"
#include "CDataExchange.h"
#include "CWinApp.h"

namespace {

// The few messages whose result a dialog procedure returns directly instead
// of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    }
    return false;
}

void RegisterCommonControls() {
    static bool s_bDone = false;
    if (!s_bDone) {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_UPDOWN_CLASS};
        s_bDone = InitCommonControlsEx(&icc) != FALSE;
    }
}

} // namespace

const AFX_MSGMAP_ENTRY CDialog::messageEntries[] = {
    OnCommand<&CDialog::OnOK>(IDOK),
    OnCommand<&CDialog::OnCancel>(IDCANCEL),
    OnWmHelpInfo<&CDialog::OnHelpInfo>(),
};
const AFX_MSGMAP CDialog::messageMap = MakeMessageMap(&CCmdTarget::messageMap, messageEntries);

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bDefault(FALSE) {}

const AFX_MSGMAP* CDialog::GetMessageMap() const {
    return &messageMap;
}

INT_PTR CDialog::DoModal() {
    RegisterCommonControls();
    INT_PTR nResult = DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                      GetOwnerWindow(), DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = NULL;
    return nResult;
}

HWND CDialog::GetOwnerWindow() const {
    if (m_pParentWnd != NULL)
        return m_pParentWnd->m_hWnd;
    // Without a parent of its own a dialog belongs to the main window, which
    // it disables while it runs.
    CWinApp* pApp = AfxGetApp();
    CWnd* pMainWnd = pApp != NULL ? pApp->m_pMainWnd : NULL;
    if (pMainWnd == NULL || pMainWnd == this || pMainWnd->m_hWnd == NULL)
        return NULL;
    return GetLastActivePopup(pMainWnd->m_hWnd);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnHelpInfo(HELPINFO*) {
    // Help is the application's: F1 asks the main window for it, and a
    // command no window handles goes on to the application.
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL || pApp->m_pMainWnd == NULL || pApp->m_pMainWnd->m_hWnd == NULL)
        return FALSE;
    pApp->m_pMainWnd->SendMessage(WM_COMMAND, ID_HELP);
    return TRUE;
}

void CDialog::CenterIfUnplaced(const RECT& rcBeforeInit) {
    // A dialog that its initialisation has shown or moved stays where it is.
    RECT rcNow;
    ::GetWindowRect(m_hWnd, &rcNow);
    if (!::IsWindowVisible(m_hWnd) && rcNow.left == rcBeforeInit.left &&
        rcNow.top == rcBeforeInit.top)
        CenterWindow();
}

LRESULT CDialog::Default() {
    m_bDefault = TRUE;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
        RECT rcBeforeInit;
        ::GetWindowRect(hWnd, &rcBeforeInit);
        BOOL bSetFocus = pDlg->OnInitDialog();
        pDlg->CenterIfUnplaced(rcBeforeInit);
        return bSetFocus;
    }
    CDialog* pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    return pDlg != NULL ? pDlg->OnWndMsg(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT nCode = message == WM_COMMAND ? HIWORD(wParam) : 0;
    UINT nID = message == WM_COMMAND ? LOWORD(wParam) : 0;
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, nCode, nID);
    if (pEntry == NULL) {
        // A command that no window handles goes on to the application.
        CWinApp* pApp = AfxGetApp();
        return message == WM_COMMAND && pApp != NULL && pApp->OnCmdMsg(nID, nCode);
    }
    BOOL bOuterDefault = m_bDefault;
    m_bDefault = FALSE;
    LRESULT lResult = pEntry->pfn(this, wParam, lParam);
    BOOL bHandled = !m_bDefault;
    m_bDefault = bOuterDefault;
    if (!bHandled)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return lResult;
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
