#pragma once

#include <windows.h>

#include <string>

// Kestrin.exe's exit codes: whether the size command reached the device, or
// may have after a send that failed part-way.
const DWORD EXIT_SENT = 0;
const DWORD EXIT_NOTHING_SENT = 1;
const DWORD EXIT_MAYBE_SENT = 2;

// Kestrin.exe started for one test, found and driven from outside through
// its windows. A process still running when the object goes is ended.
class KestrinProcess {
public:
    // The built Kestrin.exe, or the one at exePath.
    explicit KestrinProcess(const std::string& arguments = "", const std::string& exePath = "");
    ~KestrinProcess();

    bool Started() const { return m_pi.hProcess != NULL; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // The image-size dialog once it is shown, or NULL after the timeout.
    HWND WaitForDialog(DWORD dwTimeoutMs = 20000);
    // A window of the process captioned pszCaption, or NULL.
    HWND WaitForWindow(const char* pszCaption, DWORD dwTimeoutMs = 10000);
    // A message box of the process, or NULL.
    HWND WaitForMessageBox(DWORD dwTimeoutMs = 10000);
    // The exit code, or STILL_ACTIVE when the process runs on past the timeout.
    DWORD WaitForExit(DWORD dwTimeoutMs = 10000);

    HWND Dialog() const { return m_hDialog; }
    HWND Item(int nID) const { return GetDlgItem(m_hDialog, nID); }
    std::string ItemText(int nID) const;
    void SetItemText(int nID, const char* pszText) const;
    // As the button's own click notification, posted so a modal box it opens
    // does not block the test.
    void PostClick(int nID) const;
    void PostKey(HWND hWnd, UINT vk) const;
    // A key pressed as input of the machine's keyboard, which the dialog
    // gets as the foreground window: the system's own meaning of a key, as
    // F1's help request, comes only with such input.
    void PressKey(UINT vk) const;
    // Whether hWnd has, or within the timeout gets, the keyboard focus in the
    // dialog's thread.
    bool WaitForFocus(HWND hWnd, DWORD dwTimeoutMs = 5000) const;

private:
    PROCESS_INFORMATION m_pi;
    HWND m_hDialog;
};

std::string WindowText(HWND hWnd);
POINT WindowCentre(HWND hWnd);
std::string MessageText(HWND hBox);
// Whether hWnd is, or within the timeout becomes, destroyed.
bool WaitUntilGone(HWND hWnd, DWORD dwTimeoutMs = 5000);
