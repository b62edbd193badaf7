#include "tavrix2/PortTarget.h"

#include "portlink/PortTable.h"
#include "portlink/Tavrix.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct SETTING {
    DWORD dwResult;
    std::string text;
};
std::map<std::string, SETTING> g_settings;

DWORD StandInSetting(LPCSTR pszPortName, CString* pstrSetting) {
    auto it = g_settings.find(pszPortName);
    if (it == g_settings.end())
        return ERROR_FILE_NOT_FOUND;
    *pstrSetting = CString(it->second.text.c_str());
    return it->second.dwResult;
}

class PortTarget : public ::testing::Test {
protected:
    void TearDown() override { g_settings.clear(); }

    void Set(const char* pszPort, const char* pszText) { g_settings[pszPort] = {0, pszText}; }

    PORT_TARGET Choose(int nPort, const char* pszOutputFile = "") {
        return ChoosePortTarget(nPort, CString(pszOutputFile), StandInSetting);
    }
};

TEST_F(PortTarget, DefaultsReachTheNamedDevices) {
    const struct {
        int nPort;
        const char* pszPath;
        const char* pszComPort;
    } devices[] = {{0, "\\\\.\\COM1", "COM1"},
                   {7, "\\\\.\\COM8", "COM8"},
                   {8, "\\\\.\\LPT1", ""},
                   {11, "\\\\.\\LPT4", ""},
                   {14, "\\\\.\\ZOVAVA0", ""}};
    for (const auto& d : devices) {
        PORT_TARGET target = Choose(d.nPort);
        EXPECT_EQ(target.kind, TARGET_PATH) << d.nPort;
        EXPECT_STREQ(target.strPath, d.pszPath);
        EXPECT_STREQ(target.strComPort, d.pszComPort);
    }
    for (int nPort = 15; nPort <= 17; ++nPort) {
        PORT_TARGET target = Choose(nPort);
        EXPECT_EQ(target.kind, TARGET_USB_PRINTER);
        EXPECT_EQ(target.nUsbIndex, nPort - 15);
    }
}

TEST_F(PortTarget, NoPortAndUnsetFilesOrTcpipHaveNoTargetAndSayWhy) {
    for (int nPort : {-1, PORT_COUNT, 1000, -2147483647 - 1}) {
        EXPECT_EQ(Choose(nPort).kind, TARGET_NONE) << nPort;
        EXPECT_EQ(Choose(nPort).dwError, DWORD(ERROR_INVALID_PARAMETER));
    }
    for (int nPort : {12, 13}) {
        EXPECT_EQ(Choose(nPort).kind, TARGET_NONE) << nPort;
        EXPECT_EQ(Choose(nPort).dwError, TAVRIX_ERROR_NO_SETTING);
    }
}

TEST_F(PortTarget, SettingsOverrideDefaults) {
    const struct {
        int nPort;
        const char* pszSetting;
        const char* pszComPort;
    } settings[] = {
        {2, "\\\\.\\pipe\\COM3", ""},
        {16, "\\\\?\\usb#vid_1234&pid_0001#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}", ""},
        {12, "C:\\out\\device.bin", ""},
        {8, "\\\\.\\COM12", "COM12"},
        {9, "\\\\.\\com4:", "com4"},
        {10, "\\\\?\\COM2", "COM2"},
        {3, "\\\\.\\COM0", ""},
        {4, "\\\\.\\COM1x", ""},
        {5, "\\\\server\\share\\COM6", ""},
    };
    for (const auto& s : settings)
        Set(g_rgpszPortNames[s.nPort], s.pszSetting);
    for (const auto& s : settings) {
        PORT_TARGET target = Choose(s.nPort);
        EXPECT_EQ(target.kind, TARGET_PATH) << s.pszSetting;
        EXPECT_STREQ(target.strPath, s.pszSetting);
        EXPECT_STREQ(target.strComPort, s.pszComPort) << s.pszSetting;
    }
    EXPECT_STREQ(Choose(1).strPath, "\\\\.\\COM2");
}

// A setting that cannot be used is a failure of its own: the bytes never go
// to the port's physical device instead.
TEST_F(PortTarget, UnusableSettingLeadsNowhere) {
    g_settings["LPT2"] = {TAVRIX_ERROR_BAD_SETTING, ""};
    PORT_TARGET target = Choose(9);
    EXPECT_EQ(target.kind, TARGET_NONE);
    EXPECT_EQ(target.dwError, TAVRIX_ERROR_BAD_SETTING);
}

// Any port, TCPIP too, may be pointed at a printer Windows already has.
TEST_F(PortTarget, PrinterSettingOfAnyPortNamesAWindowsPrinter) {
    for (int nPort : {0, 12, 13, 17}) {
        Set(g_rgpszPortNames[nPort], "Printer:\\\\srv\\Label 2");
        PORT_TARGET target = Choose(nPort);
        EXPECT_EQ(target.kind, TARGET_PRINTER) << nPort;
        EXPECT_STREQ(target.strPath, "\\\\srv\\Label 2");
    }
}

TEST_F(PortTarget, OutputFileNameComesBeforeTheFilesSetting) {
    Set("FILES", "C:\\setting.bin");
    PORT_TARGET files = Choose(12, "C:\\program.bin");
    EXPECT_EQ(files.kind, TARGET_PATH);
    EXPECT_STREQ(files.strPath, "C:\\program.bin");
    EXPECT_STREQ(Choose(0, "C:\\program.bin").strPath, "\\\\.\\COM1");
}

TEST_F(PortTarget, TcpipSettingIsHostWithAnOptionalPort) {
    const struct {
        const char* pszSetting;
        const char* pszHost;
        const char* pszService;
    } cases[] = {
        {"printer.local", "printer.local", "9100"},
        {"10.1.2.3:515", "10.1.2.3", "515"},
        {"printer.local:", "printer.local", "9100"},
        {"::1", "::1", "9100"},
        {"[::1]:9101", "::1", "9101"},
        {"[fe80::1]", "fe80::1", "9100"},
        {"[fe80::1]x", "[fe80::1]x", "9100"},
    };
    for (const auto& c : cases) {
        Set("TCPIP", c.pszSetting);
        PORT_TARGET target = Choose(13);
        EXPECT_EQ(target.kind, TARGET_TCP) << c.pszSetting;
        EXPECT_STREQ(target.strPath, c.pszHost) << c.pszSetting;
        EXPECT_STREQ(target.strService, c.pszService) << c.pszSetting;
    }
}

} // namespace
