#pragma once

#include "CCmdTarget.h"
#include "CMenu.h"

// A window handle with the few operations the dialogs call on it. Nothing
// here is meant to be overridden; m_hWnd is set by the framework (CDialog,
// DDX_Control) and read by the subclasses.
class CWnd : public CCmdTarget {
public:
    CWnd();
    virtual ~CWnd();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL IsIconic() const;
    void GetClientRect(LPRECT lpRect) const;
    // The window's system menu, NULL if it has none. The object stays valid
    // as long as this window object.
    CMenu* GetSystemMenu(BOOL bRevert);
    // Centres the window over its owner, or on the work area of its monitor
    // when it has none or the owner cannot be seen, and keeps it on that
    // work area.
    void CenterWindow();

    HWND m_hWnd;

private:
    CMenu m_menuSystem;
};
