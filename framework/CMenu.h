#pragma once

#include <windows.h>

// A menu handle that someone else owns, such as a window's system menu.
class CMenu {
public:
    CMenu() : m_hMenu(NULL) {}

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = NULL) {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }

    HMENU m_hMenu;
};
