#include "tavrix2/PortTarget.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::map<std::string, std::string> g_settings;

CString StandInSetting(LPCSTR pszPortName) {
    auto it = g_settings.find(pszPortName);
    return it != g_settings.end() ? CString(it->second.c_str()) : CString();
}

class PortTarget : public ::testing::Test {
protected:
    void TearDown() override { g_settings.clear(); }

    PORT_TARGET Choose(int nPort, const char* pszOutputFile = "") {
        return ChoosePortTarget(nPort, CString(pszOutputFile), StandInSetting);
    }
};

TEST_F(PortTarget, DefaultsReachTheNamedDevices) {
    const struct {
        int nPort;
        const char* pszPath;
    } devices[] = {{0, "\\\\.\\COM1"},
                   {7, "\\\\.\\COM8"},
                   {8, "\\\\.\\LPT1"},
                   {11, "\\\\.\\LPT4"},
                   {14, "\\\\.\\ZOVAVA0"}};
    for (const auto& d : devices) {
        PORT_TARGET target = Choose(d.nPort);
        EXPECT_EQ(target.kind, TARGET_DEVICE) << d.nPort;
        EXPECT_STREQ(target.strPath, d.pszPath);
    }
    for (int nPort = 15; nPort <= 17; ++nPort) {
        PORT_TARGET target = Choose(nPort);
        EXPECT_EQ(target.kind, TARGET_USB_PRINTER);
        EXPECT_EQ(target.nUsbIndex, nPort - 15);
    }
}

TEST_F(PortTarget, NoPortAndUnsetFilesOrTcpipHaveNoTarget) {
    for (int nPort : {-1, 18, 1000, -2147483647 - 1, 12, 13})
        EXPECT_EQ(Choose(nPort).kind, TARGET_NONE) << nPort;
}

TEST_F(PortTarget, SettingsOverrideDefaults) {
    g_settings["COM3"] = "\\\\.\\pipe\\label";
    g_settings["QORUSB2"] = "\\\\?\\usb#vid_1234&pid_0001#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    g_settings["FILES"] = "C:\\out\\device.bin";
    PORT_TARGET com3 = Choose(2);
    EXPECT_EQ(com3.kind, TARGET_DEVICE);
    EXPECT_STREQ(com3.strPath, "\\\\.\\pipe\\label");
    PORT_TARGET usb2 = Choose(16);
    EXPECT_EQ(usb2.kind, TARGET_DEVICE);
    EXPECT_STREQ(usb2.strPath, g_settings["QORUSB2"].c_str());
    PORT_TARGET files = Choose(12);
    EXPECT_EQ(files.kind, TARGET_APPEND_FILE);
    EXPECT_STREQ(files.strPath, "C:\\out\\device.bin");
    EXPECT_EQ(Choose(1).kind, TARGET_DEVICE);
    EXPECT_STREQ(Choose(1).strPath, "\\\\.\\COM2");
}

TEST_F(PortTarget, OutputFileNameComesBeforeTheFilesSetting) {
    g_settings["FILES"] = "C:\\setting.bin";
    PORT_TARGET files = Choose(12, "C:\\program.bin");
    EXPECT_EQ(files.kind, TARGET_APPEND_FILE);
    EXPECT_STREQ(files.strPath, "C:\\program.bin");
    EXPECT_EQ(Choose(0, "C:\\program.bin").kind, TARGET_DEVICE);
}

TEST_F(PortTarget, TcpipSettingIsHostWithAnOptionalPort) {
    const struct {
        const char* pszSetting;
        const char* pszHost;
        const char* pszService;
    } cases[] = {
        {"printer.local", "printer.local", "9100"},
        {"10.1.2.3:515", "10.1.2.3", "515"},
        {"::1", "::1", "9100"},
    };
    for (const auto& c : cases) {
        g_settings["TCPIP"] = c.pszSetting;
        PORT_TARGET target = Choose(13);
        EXPECT_EQ(target.kind, TARGET_TCP) << c.pszSetting;
        EXPECT_STREQ(target.strPath, c.pszHost);
        EXPECT_STREQ(target.strService, c.pszService);
    }
}

} // namespace
