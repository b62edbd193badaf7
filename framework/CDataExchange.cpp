#include "CDataExchange.h"

#include <stdlib.h>

#include "AfxMessageBox.h"
#include "CWnd.h"
#include "IntegerText.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE),
      m_hWndLastControl(NULL) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_hWndLastControl = GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    return m_hWndLastControl;
}

void CDataExchange::Fail() {
    m_bFailed = TRUE;
    if (m_hWndLastControl == NULL)
        return;
    SetFocus(m_hWndLastControl);
    SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

namespace {

bool IsControlOf(HWND hWnd, HWND hWndDlg, int nIDC) {
    return hWnd != NULL && GetParent(hWnd) == hWndDlg && GetDlgCtrlID(hWnd) == nIDC;
}

// Any number fits the buffer with room to spare; a text that fills it is
// read again whole, so that nothing cut off can make it look like one.
bool ReadInteger(HWND hWndCtrl, int* pnValue) {
    char szText[64] = "";
    // A double-byte character that does not fit is left out whole.
    if (GetWindowTextA(hWndCtrl, szText, sizeof szText) < static_cast<int>(sizeof szText) - 2)
        return ParseIntegerText(szText, pnValue);
    int cch = GetWindowTextLengthA(hWndCtrl);
    char* psz = static_cast<char*>(malloc(cch + 1));
    if (psz == NULL)
        return false;
    GetWindowTextA(hWndCtrl, psz, cch + 1);
    psz[cch] = '\0';
    bool bParsed = ParseIntegerText(psz, pnValue);
    free(psz);
    return bParsed;
}

} // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    // A control object outlives the dialog's window: a later modal run of
    // the same dialog attaches it to that run's control. One attached to
    // this run's is kept without asking the window manager again.
    if (!pDX->m_bFailed && !IsControlOf(rControl.m_hWnd, pDX->m_pDlgWnd->m_hWnd, nIDC))
        rControl.m_hWnd = pDX->PrepareCtrl(nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    if (pDX->m_bFailed)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        char szText[16];
        wsprintfA(szText, "%d", value);
        SetWindowTextA(hWndCtrl, szText);
    } else if (!ReadInteger(hWndCtrl, &value)) {
        AfxMessageBox("Please enter an integer.");
        pDX->Fail();
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    char szMessage[80];
    wsprintfA(szMessage, "Please enter an integer between %d and %d.", minVal, maxVal);
    AfxMessageBox(szMessage);
    pDX->Fail();
}
