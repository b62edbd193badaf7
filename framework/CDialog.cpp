#include "CDialog.h"

#include <commctrl.h>

#include "CDataExchange.h"
#include "CWinApp.h"

namespace {

const AFX_MSGMAP_ENTRY* FindInMap(const AFX_MSGMAP& map, UINT message, UINT nCode, UINT nID) {
    for (size_t i = 0; i < map.nEntries; ++i) {
        const AFX_MSGMAP_ENTRY& entry = map.pEntries[i];
        if (entry.nMessage == message && entry.nCode == nCode && entry.nID == nID)
            return &entry;
    }
    return NULL;
}

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
};
const AFX_MSGMAP CDialog::messageMap = MakeMessageMap(NULL, messageEntries);

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

LRESULT CDialog::Default() {
    m_bDefault = TRUE;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
        return pDlg->OnInitDialog();
    }
    CDialog* pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    return pDlg != NULL ? pDlg->OnWndMsg(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) {
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(message, wParam);
    if (pEntry == NULL)
        return FALSE;
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

const AFX_MSGMAP_ENTRY* CDialog::FindEntry(UINT message, WPARAM wParam) const {
    UINT nCode = message == WM_COMMAND ? HIWORD(wParam) : 0;
    UINT nID = message == WM_COMMAND ? LOWORD(wParam) : 0;
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != NULL; pMap = pMap->pBaseMap) {
        const AFX_MSGMAP_ENTRY* pEntry = FindInMap(*pMap, message, nCode, nID);
        if (pEntry != NULL)
            return pEntry;
    }
    return NULL;
}
