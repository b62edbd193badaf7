#include "portlink/PortTable.h"
#include "portlink/SettingText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int IndexOfSpoolerPort(const std::string& portName) {
    return PortIndexOf(portName.substr(0, BarePortNameLength(portName.size())).c_str());
}

TEST(PortTable, TrimmingDropsAnyLastCharacterAndKeepsEmptyEmpty) {
    EXPECT_EQ(BarePortNameLength(0), 0u);
    EXPECT_EQ(BarePortNameLength(1), 0u);
    EXPECT_EQ(BarePortNameLength(5), 4u);
    EXPECT_EQ(IndexOfSpoolerPort("COM1 "), 0);
    EXPECT_EQ(IndexOfSpoolerPort("COM1x"), 0);
}

TEST(PortTable, SpoolerPortNamesMapToTheirNumbers) {
    const struct {
        const char* pszPort;
        int nPort;
    } ports[] = {
        {"COM1:", 0},     {"COM2:", 1},     {"COM3:", 2},     {"COM4:", 3},   {"COM5:", 4},
        {"COM6:", 5},     {"COM7:", 6},     {"COM8:", 7},     {"LPT1:", 8},   {"LPT2:", 9},
        {"LPT3:", 10},    {"LPT4:", 11},    {"FILES:", 12},   {"TCPIP:", 13}, {"ZOVAVA0:", 14},
        {"QORUSB1:", 15}, {"QORUSB2:", 16}, {"QORUSB3:", 17},
    };
    for (const auto& p : ports)
        EXPECT_EQ(IndexOfSpoolerPort(p.pszPort), p.nPort) << p.pszPort;
}

TEST(PortTable, EverythingElseIsNoPort) {
    for (const char* psz : {"com1:", "COM10:", "FILE:", "QORUSB1", "ZOVAVA0", "LPT1:,LPT2:", "",
                            ":", "COM9:", " COM1:", "Com1:", "COM1::", "USB001", "nul:"})
        EXPECT_EQ(IndexOfSpoolerPort(psz), -1) << '"' << psz << '"';
}

// A path setting must not depend on the folder the host started Kestrin in.
TEST(SettingText, OnlyFullPathsAreTargets) {
    for (const char* psz : {"C:\\Labels\\device.out", "z:/out.prn", "\\\\server\\share\\d.out",
                            "//server/share/d.out", "\\\\.\\COM12", "\\\\?\\usb#vid_1#1#{x}"})
        EXPECT_TRUE(IsFullPath(psz)) << psz;
    for (const char* psz : {"device.out", "C:device.out", "\\device.out", "/device.out", ".\\d.out",
                            "%UNDEFINED%device.out", "\\\\", "\\\\\\x", "1:\\x", ""})
        EXPECT_FALSE(IsFullPath(psz)) << psz;
}

TEST(SettingText, PrinterPrefixInAnyCaseNamesAWindowsPrinter) {
    EXPECT_STREQ(PrinterOfSetting("printer:Label"), "Label");
    EXPECT_STREQ(PrinterOfSetting("PRINTER:\\\\srv\\Label"), "\\\\srv\\Label");
    EXPECT_STREQ(PrinterOfSetting("Printer:"), "");
    for (const char* psz : {"printer", "printers:x", "C:\\printer:x", "", "printer;x"})
        EXPECT_EQ(PrinterOfSetting(psz), nullptr) << psz;
}

} // namespace
