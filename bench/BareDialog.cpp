// A floor for a dialog program on this Wine: a bare program that shows one
// dialog template and does nothing else. Built twice: with an empty template
// of its own, and with Kestrin's resources, template and manifest, after
// registering the common controls as any program showing that dialog must.
#include <windows.h>
#include <commctrl.h>

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
#ifdef BARE_DIALOG_COMMON_CONTROLS
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
#endif
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(BARE_DIALOG_TEMPLATE), NULL, DialogProc, 0);
    return 0;
}
