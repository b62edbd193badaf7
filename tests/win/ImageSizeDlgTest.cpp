#include "ui/CImageSizeDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

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
// runs here, and a second thread reads its menu and then closes it.
TEST(ImageSizeDlg, SystemMenuEndsWithASeparatorAndTheAboutEntry) {
    DeleteFileA("c:\\~QorTmp.Dat");
    MenuItem separator = {}, about = {};
    int nItems = 0;
    std::thread inspector([&] {
        HWND hDialog = NULL;
        for (int i = 0; i < 500 && (hDialog == NULL || !IsWindowVisible(hDialog)); ++i, Sleep(20))
            hDialog = FindWindowA(NULL, "QLA Image Size");
        if (hDialog == NULL)
            return;
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
        PostMessageA(hDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    CImageSizeDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    inspector.join();

    ASSERT_GE(nItems, 2);
    EXPECT_TRUE(separator.nState & MF_SEPARATOR);
    EXPECT_EQ(about.nID, UINT(IDM_ABOUTBOX));
    EXPECT_EQ(about.text, "&About Kestrin...");
}

} // namespace
