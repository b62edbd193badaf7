#include "portlink/PortTable.h"

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
    EXPECT_EQ(IndexOfSpoolerPort("COM1:"), 0);
    EXPECT_EQ(IndexOfSpoolerPort("COM1 "), 0);
    EXPECT_EQ(IndexOfSpoolerPort("COM1x"), 0);
}

TEST(PortTable, SpoolerPortNamesMapToTheirNumbers) {
    EXPECT_EQ(IndexOfSpoolerPort("COM1:"), 0);
    EXPECT_EQ(IndexOfSpoolerPort("LPT4:"), 11);
    EXPECT_EQ(IndexOfSpoolerPort("FILES:"), 12);
    EXPECT_EQ(IndexOfSpoolerPort("TCPIP:"), 13);
    EXPECT_EQ(IndexOfSpoolerPort("QORUSB3:"), 17);
    const char* const names[] = {"COM1",  "COM2",  "COM3",    "COM4",    "COM5",    "COM6",
                                 "COM7",  "COM8",  "LPT1",    "LPT2",    "LPT3",    "LPT4",
                                 "FILES", "TCPIP", "ZOVAVA0", "QORUSB1", "QORUSB2", "QORUSB3"};
    for (int nPort = 0; nPort < 18; ++nPort)
        EXPECT_EQ(IndexOfSpoolerPort(std::string(names[nPort]) + ":"), nPort) << names[nPort];
}

TEST(PortTable, EverythingElseIsNoPort) {
    for (const char* psz : {"com1:", "COM10:", "FILE:", "QORUSB1", "ZOVAVA0", "LPT1:,LPT2:", "",
                            ":", "COM9:", " COM1:", "Com1:", "COM1::", "USB001", "nul:"})
        EXPECT_EQ(IndexOfSpoolerPort(psz), -1) << '"' << psz << '"';
}

} // namespace
