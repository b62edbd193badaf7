#include "CWnd.h"

CWnd::CWnd() : m_hWnd(NULL) {}

CWnd::~CWnd() {}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    m_menuSystem.m_hMenu = ::GetSystemMenu(m_hWnd, bRevert);
    return m_menuSystem.m_hMenu != NULL ? &m_menuSystem : NULL;
}

void CWnd::CenterWindow() {
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hWndOwner != NULL && (!::IsWindowVisible(hWndOwner) || ::IsIconic(hWndOwner)))
        hWndOwner = NULL;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(
            MonitorFromWindow(hWndOwner != NULL ? hWndOwner : m_hWnd, MONITOR_DEFAULTTONEAREST),
            &monitor))
        return;
    const RECT& rcArea = monitor.rcWork;
    RECT rcCenter = rcArea;
    if (hWndOwner != NULL)
        ::GetWindowRect(hWndOwner, &rcCenter);
    RECT rcWindow;
    ::GetWindowRect(m_hWnd, &rcWindow);
    int cx = rcWindow.right - rcWindow.left;
    int cy = rcWindow.bottom - rcWindow.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    // On the work area, its top left corner first.
    x = x + cx > rcArea.right ? rcArea.right - cx : x;
    x = x < rcArea.left ? rcArea.left : x;
    y = y + cy > rcArea.bottom ? rcArea.bottom - cy : y;
    y = y < rcArea.top ? rcArea.top : y;
    ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
