#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "portlink/PortTable.h"
#include "support/Devices.h"
#include "support/KestrinProcess.h"
#include "support/TestFiles.h"
#include "support/TestPrinter.h"
#include "ui/resource.h"

namespace {

const char* const UPGRADE_CODE = "{3E0B7C52-9A1D-4F6E-8C27-5D4A1B9E0F63}";

int InstalledKestrins() {
    char szProductCode[39];
    int nProducts = 0;
    while (MsiEnumRelatedProductsA(UPGRADE_CODE, 0, nProducts, szProductCode) == ERROR_SUCCESS)
        ++nProducts;
    return nProducts;
}

// The MSI is a 32-bit package: its settings are in the 32-bit view, whichever
// build runs the test.
std::string MachineSetting(const char* pszPort) {
    char szValue[MAX_PATH] = "";
    DWORD cbValue = sizeof szValue;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PORTS_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &hKey) !=
        ERROR_SUCCESS)
        return "";
    RegQueryValueExA(hKey, pszPort, NULL, NULL, reinterpret_cast<BYTE*>(szValue), &cbValue);
    RegCloseKey(hKey);
    return szValue;
}

// The machine's TimeoutSeconds as "REG_DWORD n", or what else it is.
std::string MachineTimeout() {
    DWORD dwType = REG_NONE, dwValue = 0, cbValue = sizeof dwValue;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, "TimeoutSeconds",
                     RRF_RT_ANY | RRF_SUBKEY_WOW6432KEY, &dwType, &dwValue,
                     &cbValue) != ERROR_SUCCESS)
        return "none";
    return dwType == REG_DWORD ? "REG_DWORD " + std::to_string(dwValue) : "another type";
}

DWORD Msiexec(const char* pszAction, const std::string& msi, const std::string& properties = "") {
    return RunToEnd("msiexec " + std::string(pszAction) + " \"" + WindowsPath(msi) + "\" /qn " +
                    properties);
}

// Every port's property, PORT=<prefix>PORT, and FILES the device file.
std::string PortProperties(const std::string& prefix, const std::string& device) {
    std::string properties;
    for (const char* pszPort : g_rgpszPortNames)
        properties += std::string(" ") + pszPort + "=\"" +
                      (std::string(pszPort) == "FILES" ? device : prefix + pszPort) + "\"";
    return properties;
}

void ExpectSettings(const std::string& prefix, const std::string& device) {
    for (const char* pszPort : g_rgpszPortNames)
        EXPECT_EQ(MachineSetting(pszPort),
                  std::string(pszPort) == "FILES" ? device : prefix + pszPort);
}

// The MSI under Windows Installer with a later release of it, as the server
// of an install with a user interface runs that (KESTRIN_LATER_MSI, made by
// server-view): the settings given at install win over those the machine
// had, the installed program sends to them, the upgrade keeps every setting
// not given to it (the timeout as the number it was) and writes the one
// given, the same package again changes nothing, a reinstall writes the
// values given to it, an older release does not go over a newer one, and
// uninstalling leaves nothing behind. (Wine evaluates every condition again
// at a reinstall; Windows only a transitive component's, which check-msi
// checks.)
TEST(Installer, GivenSettingsWinAtInstallAndUpgradeAndAnOlderReleaseIsRefused) {
    const char* pszMsi = getenv("KESTRIN_MSI");
    const char* pszLaterMsi = getenv("KESTRIN_LATER_MSI");
    ASSERT_TRUE(pszMsi != NULL && pszLaterMsi != NULL) << "the package tests name the MSIs";
    char szProgramFiles[MAX_PATH] = "";
    if (GetEnvironmentVariableA("ProgramFiles(x86)", szProgramFiles, MAX_PATH) == 0)
        GetEnvironmentVariableA("ProgramFiles", szProgramFiles, MAX_PATH);
    const std::string folder = std::string(szProgramFiles) + "\\Kestrin";
    const std::string device = NewTestFolder("Installed") + "\\device.out";
    const std::string laterDevice = NewTestFolder("Upgraded") + "\\device.out";
    HKEY hKey = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, PORTS_KEY, 0, NULL, 0,
                              KEY_SET_VALUE | KEY_WOW64_32KEY, NULL, &hKey, NULL),
              ERROR_SUCCESS);
    for (const char* pszPort : g_rgpszPortNames)
        RegSetValueExA(hKey, pszPort, 0, REG_SZ, reinterpret_cast<const BYTE*>("by hand"), 8);
    RegCloseKey(hKey);

    EXPECT_NE(Msiexec("/i", pszMsi, "TIMEOUTSECONDS=61"), 0u);
    EXPECT_EQ(InstalledKestrins(), 0);
    ASSERT_EQ(Msiexec("/i", pszMsi, "TIMEOUTSECONDS=7" + PortProperties("first-", device)), 0u);
    for (const char* pszFile :
         {"\\Kestrin.exe", "\\Tavrix2.dll", "\\README.txt", "\\ADMIN.txt", "\\LICENSE.txt"})
        EXPECT_TRUE(FileExists(folder + pszFile)) << pszFile;
    ExpectSettings("first-", device);
    EXPECT_EQ(MachineTimeout(), "REG_DWORD 7");
    EXPECT_EQ(InstalledKestrins(), 1);

    TestPrinter printer("Kestrin Installed", "FILES:");
    WriteFileBytes(HANDOFF_PATH, "Kestrin Installed");
    KestrinProcess kestrin("", folder + "\\Kestrin.exe");
    ASSERT_NE(kestrin.WaitForDialog(), nullptr);
    kestrin.SetItemText(IDC_EDIT_X, "7");
    kestrin.SetItemText(IDC_EDIT_Y, "8");
    kestrin.PostClick(IDC_SEND);
    EXPECT_EQ(kestrin.WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), "\x1B.D1;280;320:");

    ASSERT_EQ(Msiexec("/i", pszLaterMsi, "FILES=\"" + laterDevice + "\""), 0u);
    EXPECT_EQ(InstalledKestrins(), 1);
    EXPECT_TRUE(FileExists(folder + "\\Kestrin.exe"));
    ExpectSettings("first-", laterDevice);
    EXPECT_EQ(MachineTimeout(), "REG_DWORD 7");
    EXPECT_EQ(Msiexec("/i", pszLaterMsi), 0u);
    ExpectSettings("first-", laterDevice);
    // The same release again is a reinstall of that product, not a second one.
    // (A value given empty removes a setting on Windows; Wine's msiexec
    // ignores it, so check-msi checks how.)
    EXPECT_EQ(Msiexec("/i", pszLaterMsi,
                      "REINSTALL=ALL REINSTALLMODE=omus" + PortProperties("third-", device)),
              0u);
    ExpectSettings("third-", device);
    EXPECT_EQ(InstalledKestrins(), 1);

    EXPECT_NE(Msiexec("/i", pszMsi), 0u);
    EXPECT_EQ(InstalledKestrins(), 1);
    ExpectSettings("third-", device);

    ASSERT_EQ(Msiexec("/x", pszLaterMsi), 0u);
    EXPECT_EQ(InstalledKestrins(), 0);
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ(MachineSetting("FILES"), "");
    EXPECT_EQ(MachineTimeout(), "none");
}

} // namespace
