#pragma once

#include "CWnd.h"

class CDataExchange;

// A modal dialog run by the dialog manager. Messages reach the handlers
// through the class's message map; what no entry handles, or what a handler
// passes on with Default, gets the dialog manager's own processing.
//
// Override DoDataExchange to bind controls and members, OnInitDialog (call
// the base first: it fills the controls) and, where the buttons mean more,
// OnOK and OnCancel. DoModal, UpdateData and EndDialog are to be called,
// not overridden; the dialog procedure and the centring are the
// framework's own.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    INT_PTR DoModal();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT Default();

    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP_ENTRY messageEntries[];
    static const AFX_MSGMAP messageMap;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND GetOwnerWindow() const;
    // As the framework always has: a dialog is centred unless its
    // initialisation has shown or moved it.
    void CenterIfUnplaced(const RECT& rcBeforeInit);
    INT_PTR OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bDefault;
};
