#include "ui/CImageSizeDlg.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ctype.h>

#include <string>
#include <thread>

#include "support/TestFiles.h"
#include "support/WaitUntil.h"
#include "ui/resource.h"

namespace {

struct MenuItem {
    UINT nState;
    UINT nID;
    std::string text;
};

MenuItem ItemAt(HMENU hMenu, int nPosition) {
    char szText[64] = "";
    GetMenuStringA(hMenu, nPosition, szText, sizeof szText, MF_BYPOSITION);
    return {GetMenuState(hMenu, nPosition, MF_BYPOSITION), GetMenuItemID(hMenu, nPosition), szText};
}

// The system menu is only to be had in the dialog's own process: the dialog
// runs here, and a second thread reads its menu and spin range and then
// closes it. The same dialog object runs twice, as a control object must
// take up each run's control.
TEST(ImageSizeDlg, SystemMenuEndsWithTheAboutEntryAndEveryRunSetsTheSpinRange) {
    DeleteFileA("c:\\~QorTmp.Dat");
    CImageSizeDlg dlg;
    for (int nRun = 0; nRun < 2; ++nRun) {
        MenuItem separator = {}, about = {};
        int nItems = 0;
        LRESULT range = 0;
        const DWORD dwTestThread = GetCurrentThreadId();
        std::thread inspector([&] {
            HWND hDialog = NULL;
            // A dialog that never shows still ends the modal run: it ends
            // on the thread's quit message.
            if (!WaitUntil(
                    [&] {
                        hDialog = FindWindowA(NULL, "QLA Image Size");
                        return hDialog != NULL && IsWindowVisible(hDialog);
                    },
                    10000)) {
                PostThreadMessageA(dwTestThread, WM_QUIT, 0, 0);
                return;
            }
            // The window exists before its initialisation has run; a message
            // sent from here is handled only once the dialog's loop runs.
            DWORD_PTR dwResult = 0;
            SendMessageTimeoutA(hDialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult);
            HMENU hMenu = GetSystemMenu(hDialog, FALSE);
            nItems = GetMenuItemCount(hMenu);
            if (nItems >= 2) {
                separator = ItemAt(hMenu, nItems - 2);
                about = ItemAt(hMenu, nItems - 1);
            }
            range = SendMessageA(GetDlgItem(hDialog, IDC_SPIN_X), UDM_GETRANGE, 0, 0);
            PostMessageA(hDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        inspector.join();
        ASSERT_GE(nItems, 2);
        EXPECT_TRUE(separator.nState & MF_SEPARATOR);
        EXPECT_EQ(about.nID, UINT(IDM_ABOUTBOX));
        EXPECT_EQ(about.text, "&About Kestrin...");
        EXPECT_EQ(LOWORD(range), 25000) << "run " << nRun;
    }
}

std::string ManifestOf(const std::string& path) {
    HMODULE hModule = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC hResource =
        hModule != NULL ? FindResourceA(hModule, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : NULL;
    std::string manifest;
    if (hResource != NULL)
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(hModule, hResource))),
                        SizeofResource(hModule, hResource));
    if (hModule != NULL)
        FreeLibrary(hModule);
    return manifest;
}

// This test program carries the same manifest as Kestrin.exe, so the
// common controls it runs with are the ones Kestrin.exe gets. The DPI
// awareness is per-monitor v2 where Windows has it and system awareness
// before that, never per-monitor v1, which Kestrin does not handle.
TEST(Manifest, AsksForCommonControls6AsInvokerAndSystemDpiAwareness) {
    std::string manifest = ManifestOf(BuildOutputPath("Kestrin.exe"));
    ASSERT_FALSE(manifest.empty());
    for (const char* pszPart :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
          "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true<",
          "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
          "PerMonitorV2, System<",
          "name=\"Kestrin.QLAImageSize\" version=\"" KESTRIN_VERSION "\""})
        EXPECT_NE(manifest.find(pszPart), std::string::npos) << pszPart;
    EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos);

    // Version 6 is a side-by-side assembly: the comctl32.dll loaded comes
    // from its folder. (Wine's DllGetVersion says 5.81 for either copy.)
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), szPath, MAX_PATH);
    std::string path = szPath;
    for (char& ch : path)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    EXPECT_NE(path.find("\\winsxs\\" KESTRIN_MANIFEST_ARCH
                        "_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos)
        << szPath;
}

} // namespace
