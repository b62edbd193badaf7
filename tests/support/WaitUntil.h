#pragma once

#include <windows.h>

// Polls the condition until it holds or the timeout has passed, and says
// whether it holds: every wait of the tests is one for something to happen.
template <class CONDITION> bool WaitUntil(CONDITION condition, DWORD dwTimeoutMs) {
    const DWORD dwStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}
