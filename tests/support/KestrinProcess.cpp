#include "KestrinProcess.h"

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "WaitUntil.h"

namespace {

// The control of a message box that holds its text.
const int MESSAGE_TEXT_ID = 0xFFFF;

struct WindowQuery {
    DWORD dwProcessId;
    const char* pszCaption; // NULL for a message box
    HWND hWnd;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    WindowQuery* pQuery = reinterpret_cast<WindowQuery*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != pQuery->dwProcessId || !IsWindowVisible(hWnd))
        return TRUE;
    bool bMatch = pQuery->pszCaption != NULL ? WindowText(hWnd) == pQuery->pszCaption
                                             : GetDlgItem(hWnd, MESSAGE_TEXT_ID) != NULL;
    if (!bMatch)
        return TRUE;
    pQuery->hWnd = hWnd;
    return FALSE;
}

HWND WaitForProcessWindow(DWORD dwProcessId, const char* pszCaption, DWORD dwTimeoutMs) {
    WindowQuery query = {dwProcessId, pszCaption, NULL};
    WaitUntil(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
            return query.hWnd != NULL;
        },
        dwTimeoutMs);
    return query.hWnd;
}

} // namespace

std::string WindowText(HWND hWnd) {
    // WM_GETTEXT reaches controls of another process; GetWindowText does not.
    char szText[512] = "";
    SendMessageA(hWnd, WM_GETTEXT, sizeof szText, reinterpret_cast<LPARAM>(szText));
    return szText;
}

POINT WindowCentre(HWND hWnd) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}

std::string MessageText(HWND hBox) {
    return WindowText(GetDlgItem(hBox, MESSAGE_TEXT_ID));
}

bool WaitUntilGone(HWND hWnd, DWORD dwTimeoutMs) {
    return WaitUntil([hWnd] { return !IsWindow(hWnd); }, dwTimeoutMs);
}

KestrinProcess::KestrinProcess(const std::string& arguments, const std::string& exePath)
    : m_pi(), m_hDialog(NULL) {
    std::string exe = exePath.empty() ? BuildOutputPath("Kestrin.exe") : exePath;
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &si,
                        &m_pi)) {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
        m_pi = PROCESS_INFORMATION();
    }
}

KestrinProcess::~KestrinProcess() {
    if (!Started())
        return;
    if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_pi.hProcess, 255);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

HWND KestrinProcess::WaitForDialog(DWORD dwTimeoutMs) {
    if (!Started())
        return NULL;
    m_hDialog = WaitForProcessWindow(m_pi.dwProcessId, "QLA Image Size", dwTimeoutMs);
    // Shown is not yet ready: input posted before the modal loop runs can be
    // overtaken by the dialog manager's own start-up.
    if (m_hDialog != NULL)
        WaitForInputIdle(m_pi.hProcess, dwTimeoutMs);
    return m_hDialog;
}

HWND KestrinProcess::WaitForWindow(const char* pszCaption, DWORD dwTimeoutMs) {
    return Started() ? WaitForProcessWindow(m_pi.dwProcessId, pszCaption, dwTimeoutMs) : NULL;
}

HWND KestrinProcess::WaitForMessageBox(DWORD dwTimeoutMs) {
    return Started() ? WaitForProcessWindow(m_pi.dwProcessId, NULL, dwTimeoutMs) : NULL;
}

DWORD KestrinProcess::WaitForExit(DWORD dwTimeoutMs) {
    if (!Started() || WaitForSingleObject(m_pi.hProcess, dwTimeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD dwExitCode = STILL_ACTIVE;
    GetExitCodeProcess(m_pi.hProcess, &dwExitCode);
    return dwExitCode;
}

std::string KestrinProcess::ItemText(int nID) const {
    return WindowText(Item(nID));
}

void KestrinProcess::SetItemText(int nID, const char* pszText) const {
    SendMessageA(Item(nID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText));
}

void KestrinProcess::PostClick(int nID) const {
    PostMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(nID)));
}

void KestrinProcess::PostKey(HWND hWnd, UINT vk) const {
    PostMessageA(hWnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hWnd, WM_KEYUP, vk, 0xC0000001);
}

void KestrinProcess::PressKey(UINT vk) const {
    SetForegroundWindow(m_hDialog);
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(vk);
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool KestrinProcess::WaitForFocus(HWND hWnd, DWORD dwTimeoutMs) const {
    return WaitUntil(
        [&] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(GetWindowThreadProcessId(m_hDialog, NULL), &info);
            return info.hwndFocus == hWnd;
        },
        dwTimeoutMs);
}
