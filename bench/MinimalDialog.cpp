// The floor for a dialog program on this Wine: one empty DialogBoxParamA.
#include <windows.h>

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
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(1), NULL, DialogProc, 0);
    return 0;
}
