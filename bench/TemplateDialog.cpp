// The floor for Kestrin.exe on this Wine: a bare program that shows the same
// dialog template, with the same resources and manifest, after registering
// the common controls, and does nothing else.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(hWnd, IDCANCEL);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_IMAGESIZE_DIALOG), NULL, DialogProc, 0);
    return 0;
}
