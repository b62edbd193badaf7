#pragma once

#include "CWnd.h"
#include "MessageMap.h"

class CDataExchange;

// A modal dialog run by the dialog manager. Messages reach the handlers
// through the class's message map; what no entry handles, or what a handler
// passes on with Default, gets the dialog manager's own processing.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    virtual INT_PTR DoModal();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    LRESULT Default();

    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP_ENTRY messageEntries[];
    static const AFX_MSGMAP messageMap;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND GetOwnerWindow() const;
    INT_PTR OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam);
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, WPARAM wParam) const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bDefault;
};
