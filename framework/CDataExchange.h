#pragma once

#include <windows.h>

class CWnd;

// One pass of data exchange between a dialog's controls and its members.
// The first failing field ends the pass: it has told the user, taken the
// focus, and the later fields are left alone.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    HWND PrepareCtrl(int nIDC);
    void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    BOOL m_bFailed;

private:
    HWND m_hWndLastControl;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
// Follows the DDX_Text of the same field: a value read outside the bounds
// fails the exchange as an unparsable one does.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
