#include "portlink/PortTable.h"
#include "portlink/SettingText.h"

#include <gtest/gtest.h>

#include <ctype.h>

#include <string>

namespace {

int IndexOfSpoolerPort(const std::string& portName) {
    return PortIndexOf(portName.substr(0, BarePortNameLength(portName.size())).c_str());
}

TEST(PortTable, EachNameWithAnyLastCharacterIsItsPortAndNoOtherSpellingIs) {
    for (int nPort = 0; nPort < PORT_COUNT; ++nPort) {
        const std::string name = g_rgpszPortNames[nPort];
        for (const char* pszLast : {":", " ", "x", "0"})
            EXPECT_EQ(IndexOfSpoolerPort(name + pszLast), nPort) << name << pszLast;
        std::string lower = name;
        for (char& ch : lower)
            ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        for (const std::string& other : {lower + ":", name + "_:", name, " " + name + ":"})
            EXPECT_EQ(IndexOfSpoolerPort(other), -1) << '"' << other << '"';
    }
}

TEST(PortTable, EverythingElseIsNoPort) {
    EXPECT_EQ(BarePortNameLength(0), 0u);
    EXPECT_EQ(BarePortNameLength(1), 0u);
    for (const char* psz : {"LPT1:,LPT2:", "", ":", "USB001", "nul:"})
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
