#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "support/KestrinProcess.h"
#include "support/TestFiles.h"
#include "support/TestPrinter.h"
#include "ui/resource.h"

namespace {

const char* const UPGRADE_CODE = "{3E0B7C52-9A1D-4F6E-8C27-5D4A1B9E0F63}";
const char* const PORTS_KEY = "Software\\Kestrin\\Tavrix\\Ports";

int InstalledKestrins() {
    char szProductCode[39];
    int nProducts = 0;
    while (MsiEnumRelatedProductsA(UPGRADE_CODE, 0, nProducts, szProductCode) == ERROR_SUCCESS)
        ++nProducts;
    return nProducts;
}

std::string MachineSetting(const char* pszPort) {
    char szValue[MAX_PATH] = "";
    DWORD cbValue = sizeof szValue;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PORTS_KEY, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return "";
    RegQueryValueExA(hKey, pszPort, NULL, NULL, reinterpret_cast<BYTE*>(szValue), &cbValue);
    RegCloseKey(hKey);
    return szValue;
}

DWORD Msiexec(const char* pszAction, const std::string& msi, const std::string& properties = "") {
    return RunToEnd("msiexec " + std::string(pszAction) + " \"" + WindowsPath(msi) + "\" /qn " +
                    properties);
}

// The release MSI under Windows Installer, with a later version of it: the
// port setting given at install reaches the installed program, an upgrade
// replaces the product and keeps the setting, and uninstalling leaves
// nothing behind.
TEST(Installer, InstallsSendsUpgradesAndUninstallsLeavingNothing) {
    const char* pszMsi = getenv("KESTRIN_MSI");
    const char* pszLaterMsi = getenv("KESTRIN_LATER_MSI");
    if (pszMsi == NULL || pszLaterMsi == NULL)
        GTEST_SKIP() << "the package tests name the MSIs";
    char szProgramFiles[MAX_PATH] = "";
    GetEnvironmentVariableA("ProgramFiles", szProgramFiles, MAX_PATH);
    const std::string folder = std::string(szProgramFiles) + "\\Kestrin";
    const std::string device = NewTestFolder("Installed") + "\\device.out";

    ASSERT_EQ(Msiexec("/i", pszMsi, "FILES=\"" + device + "\""), 0u);
    for (const char* pszFile : {"\\Kestrin.exe", "\\Tavrix2.dll", "\\README.txt"})
        EXPECT_TRUE(FileExists(folder + pszFile)) << pszFile;
    EXPECT_EQ(MachineSetting("FILES"), device);
    EXPECT_EQ(MachineSetting("TCPIP"), "");
    EXPECT_EQ(InstalledKestrins(), 1);

    TestPrinter printer("Kestrin Installed", "FILES:");
    WriteFileBytes(HANDOFF_PATH, "Kestrin Installed");
    KestrinProcess kestrin("", folder + "\\Kestrin.exe");
    ASSERT_NE(kestrin.WaitForDialog(), nullptr);
    kestrin.SetItemText(IDC_EDIT_X, "7");
    kestrin.SetItemText(IDC_EDIT_Y, "8");
    kestrin.PostClick(IDC_SEND);
    EXPECT_EQ(kestrin.WaitForExit(), 0u);
    EXPECT_EQ(ReadFileBytes(device), "\x1B.D1;280;320:");

    ASSERT_EQ(Msiexec("/i", pszLaterMsi), 0u);
    EXPECT_EQ(InstalledKestrins(), 1);
    EXPECT_TRUE(FileExists(folder + "\\Kestrin.exe"));
    EXPECT_EQ(MachineSetting("FILES"), device);

    ASSERT_EQ(Msiexec("/x", pszLaterMsi), 0u);
    EXPECT_EQ(InstalledKestrins(), 0);
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ(MachineSetting("FILES"), "");
}

} // namespace
