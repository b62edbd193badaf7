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
