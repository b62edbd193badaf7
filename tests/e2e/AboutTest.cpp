#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/KestrinProcess.h"
#include "support/TestFiles.h"
#include "ui/resource.h"

namespace {

std::vector<std::string> StaticTexts(HWND hDialog) {
    std::vector<std::string> texts;
    for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild != NULL;
         hChild = GetWindow(hChild, GW_HWNDNEXT))
        texts.push_back(WindowText(hChild));
    return texts;
}

class About : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(HANDOFF_PATH, "Kestrin About");
        ASSERT_NE(m_kestrin.WaitForDialog(), nullptr);
    }

    HWND OpenAbout() {
        PostMessageA(m_kestrin.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        return m_kestrin.WaitForWindow("About Kestrin");
    }

    KestrinProcess m_kestrin;
};

TEST_F(About, AboutBoxShowsTheVersionCentredOverTheDialogAndClosesEveryWay) {
    m_kestrin.SetItemText(IDC_EDIT_X, "321");
    for (int nWay = 0; nWay < 3; ++nWay) {
        HWND hAbout = OpenAbout();
        ASSERT_NE(hAbout, nullptr) << "way " << nWay;
        POINT ptAbout = WindowCentre(hAbout);
        POINT ptOwner = WindowCentre(m_kestrin.Dialog());
        EXPECT_NEAR(ptAbout.x, ptOwner.x, 1);
        EXPECT_NEAR(ptAbout.y, ptOwner.y, 1);
        std::vector<std::string> texts = StaticTexts(hAbout);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Kestrin Version 1.0"), texts.end());
        EXPECT_FALSE(IsWindowEnabled(m_kestrin.Dialog()));
        if (nWay == 0)
            PostMessageA(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hAbout, IDOK)));
        else if (nWay == 1)
            m_kestrin.PostKey(GetDlgItem(hAbout, IDOK), VK_ESCAPE);
        else
            PostMessageA(hAbout, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitUntilGone(hAbout)) << "way " << nWay;
    }
    EXPECT_TRUE(IsWindowEnabled(m_kestrin.Dialog()));
    EXPECT_EQ(m_kestrin.ItemText(IDC_EDIT_X), "321");
    PostMessageA(m_kestrin.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(m_kestrin.WaitForExit(), 1u);
}

std::string VersionString(const std::vector<char>& info, const char* pszKey) {
    char* pszValue = NULL;
    UINT cch = 0;
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + pszKey;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&pszValue), &cch))
        return "<missing>";
    return std::string(pszValue);
}

TEST(VersionBlock, KestrinExeCarriesItsVersion) {
    std::string exe = BuildOutputPath("Kestrin.exe");
    DWORD cbInfo = GetFileVersionInfoSizeA(exe.c_str(), NULL);
    ASSERT_GT(cbInfo, 0u);
    std::vector<char> info(cbInfo);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, cbInfo, info.data()));

    VS_FIXEDFILEINFO* pFixed = NULL;
    UINT cbFixed = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
    EXPECT_EQ(pFixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(pFixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(pFixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(pFixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(pFixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(pFixed->dwFileFlags, 0u);
    EXPECT_EQ(pFixed->dwFileOS, DWORD(VOS__WINDOWS32));
    EXPECT_EQ(pFixed->dwFileType, DWORD(VFT_APP));

    WORD* pwTranslation = NULL;
    UINT cbTranslation = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&pwTranslation), &cbTranslation));
    ASSERT_EQ(cbTranslation, 4u);
    EXPECT_EQ(pwTranslation[0], 0x0409);
    EXPECT_EQ(pwTranslation[1], 1200);

    EXPECT_EQ(VersionString(info, "FileDescription"), "Kestrin MFC Application");
    EXPECT_EQ(VersionString(info, "FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(VersionString(info, "InternalName"), "Kestrin");
    EXPECT_EQ(VersionString(info, "OriginalFilename"), "Kestrin.EXE");
    EXPECT_EQ(VersionString(info, "ProductName"), "Kestrin Application");
    EXPECT_EQ(VersionString(info, "ProductVersion"), "1, 0, 0, 1");
    for (const char* pszKey :
         {"Comments", "CompanyName", "LegalTrademarks", "PrivateBuild", "SpecialBuild"})
        EXPECT_EQ(VersionString(info, pszKey), "") << pszKey;
}

} // namespace
