// Floors for a dialog program on this Wine: bare programs that show one
// dialog template and do as little else as they may. Built in variants:
//   BARE_DIALOG_TEMPLATE        the template: 1, an empty one; 102, Kestrin's
//   BARE_DIALOG_COMMON_CONTROLS registers the common controls first
//   BARE_DIALOG_INIT            does what that dialog's initialisation must:
//                               the two icons, the About entry, the spin ranges
//   BARE_DIALOG_TAVRIX          also loads Tavrix2.dll with the program
//   BARE_DIALOG_HANDOFF         also reads the hand-off as Kestrin does
//   BARE_DIALOG_SEND            on Send: the printer's port from the spooler,
//                               the command appended to the file named on the
//                               command line, and the end
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <stdlib.h>

#ifdef BARE_DIALOG_TAVRIX
#include "portlink/Tavrix.h"
#endif
#ifdef BARE_DIALOG_HANDOFF
#include "handoff/HandoffReader.h"
#endif

namespace {

const int IDC_SEND = 3;

#ifdef BARE_DIALOG_INIT
void Initialise(HWND hWnd) {
    HICON hIcon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(128));
    SendMessageA(hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
    SendMessageA(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
    char szAbout[64];
    HMENU hMenu = GetSystemMenu(hWnd, FALSE);
    if (hMenu != NULL && LoadStringA(GetModuleHandleA(NULL), 101, szAbout, sizeof szAbout) > 0) {
        AppendMenuA(hMenu, MF_SEPARATOR, 0, NULL);
        AppendMenuA(hMenu, MF_STRING, 0x0010, szAbout);
    }
    SendDlgItemMessageA(hWnd, 1001, UDM_SETRANGE, 0, MAKELPARAM(25000, 0));
    SendDlgItemMessageA(hWnd, 1003, UDM_SETRANGE, 0, MAKELPARAM(25000, 0));
}
#endif

#ifdef BARE_DIALOG_SEND
// The printer is the first argument, the file its device.
void Send(LPCSTR pszPrinter, LPCSTR pszDevice) {
    // Loaded at the press, as Kestrin loads it.
    HMODULE hSpooler = LoadLibraryA("winspool.drv");
    auto pfnOpen = reinterpret_cast<decltype(&OpenPrinterA)>(
        reinterpret_cast<void (*)()>(GetProcAddress(hSpooler, "OpenPrinterA")));
    auto pfnGet = reinterpret_cast<decltype(&GetPrinterA)>(
        reinterpret_cast<void (*)()>(GetProcAddress(hSpooler, "GetPrinterA")));
    auto pfnClose = reinterpret_cast<decltype(&ClosePrinter)>(
        reinterpret_cast<void (*)()>(GetProcAddress(hSpooler, "ClosePrinter")));
    HANDLE hPrinter = NULL;
    if (pfnOpen(const_cast<LPSTR>(pszPrinter), &hPrinter, NULL)) {
        DWORD cb = 0;
        pfnGet(hPrinter, 2, NULL, 0, &cb);
        BYTE* pb = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, cb));
        pfnGet(hPrinter, 2, pb, cb, &cb);
        HeapFree(GetProcessHeap(), 0, pb);
        pfnClose(hPrinter);
    }
    HANDLE hFile = CreateFileA(pszDevice, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL);
    DWORD cbWritten = 0;
    // The command Kestrin sends for the fields as they open, 0 and 0.
    WriteFile(hFile, "\x1B.D1;0;0:", 9, &cbWritten, NULL);
    CloseHandle(hFile);
}
#endif

INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
#ifdef BARE_DIALOG_INIT
        Initialise(hWnd);
#endif
        SendMessageA(hWnd, DM_SETDEFID, IDC_SEND, 0);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
#ifdef BARE_DIALOG_SEND
    if (LOWORD(wParam) == IDC_SEND) {
        Send(__argv[1], __argv[2]);
        EndDialog(hWnd, IDOK);
        return TRUE;
    }
#endif
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(hWnd, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
#ifdef BARE_DIALOG_TAVRIX
    Tavrix link;
#endif
#ifdef BARE_DIALOG_HANDOFF
    HANDOFF handoff = ReadHandoffFile(HANDOFF_FILE_PATH);
#endif
#ifdef BARE_DIALOG_COMMON_CONTROLS
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
#endif
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(BARE_DIALOG_TEMPLATE), NULL, DialogProc, 0);
    return 0;
}
