#pragma once

#include <windows.h>

// A window handle with the few operations the dialogs call on it.
class CWnd {
public:
    CWnd();
    virtual ~CWnd();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL IsIconic() const;
    void GetClientRect(LPRECT lpRect) const;

    HWND m_hWnd;
};
