#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

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
}

std::string VersionString(const std::vector<char>& info, const char* pszKey) {
    char* pszValue = NULL;
    UINT cch = 0;
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + pszKey;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&pszValue), &cch))
        return "<missing>";
    return std::string(pszValue);
}

// Both binaries carry the project's one version (KESTRIN_VERSION, from the
// build), in numbers and as the version block's text.
TEST(VersionBlock, KestrinExeAndTavrix2DllCarryTheProjectsVersion) {
    unsigned int rgnVersion[4] = {};
    ASSERT_EQ(sscanf(KESTRIN_VERSION, "%u.%u.%u.%u", &rgnVersion[0], &rgnVersion[1], &rgnVersion[2],
                     &rgnVersion[3]),
              4);
    const std::string text = std::to_string(rgnVersion[0]) + ", " + std::to_string(rgnVersion[1]) +
                             ", " + std::to_string(rgnVersion[2]) + ", " +
                             std::to_string(rgnVersion[3]);
    const struct {
        const char* pszFile;
        DWORD dwFileType;
        const char* pszDescription;
        const char* pszOriginalFilename;
    } binaries[] = {
        {"Kestrin.exe", VFT_APP, "Kestrin MFC Application", "Kestrin.EXE"},
        {"Tavrix2.dll", VFT_DLL, "Kestrin's port-link library", "Tavrix2.dll"},
    };
    for (const auto& b : binaries) {
        std::string path = BuildOutputPath(b.pszFile);
        DWORD cbInfo = GetFileVersionInfoSizeA(path.c_str(), NULL);
        ASSERT_GT(cbInfo, 0u) << b.pszFile;
        std::vector<char> info(cbInfo);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, cbInfo, info.data()));
        VS_FIXEDFILEINFO* pFixed = NULL;
        UINT cbFixed = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
        EXPECT_EQ(pFixed->dwFileVersionMS, rgnVersion[0] << 16 | rgnVersion[1]) << b.pszFile;
        EXPECT_EQ(pFixed->dwFileVersionLS, rgnVersion[2] << 16 | rgnVersion[3]) << b.pszFile;
        EXPECT_EQ(pFixed->dwProductVersionMS, pFixed->dwFileVersionMS);
        EXPECT_EQ(pFixed->dwProductVersionLS, pFixed->dwFileVersionLS);
        EXPECT_EQ(pFixed->dwFileType, b.dwFileType);
        EXPECT_EQ(VersionString(info, "FileVersion"), text) << b.pszFile;
        EXPECT_EQ(VersionString(info, "ProductVersion"), text) << b.pszFile;
        EXPECT_EQ(VersionString(info, "FileDescription"), b.pszDescription);
        EXPECT_EQ(VersionString(info, "OriginalFilename"), b.pszOriginalFilename);
        EXPECT_EQ(VersionString(info, "ProductName"), "Kestrin Application");
    }
}

} // namespace
