#include "CWinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, lpCmdLine, nCmdShow);
}
