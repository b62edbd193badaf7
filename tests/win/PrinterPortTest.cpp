#include "output/PrinterPort.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestPrinter.h"

namespace {

std::string BarePortOf(const std::string& printerName) {
    return std::string(GetBarePortName(CString(printerName.c_str())));
}

TEST(PrinterPort, SpoolerGivesThePortOfAnAddedPrinter) {
    const struct {
        const char* pszPrinter;
        const char* pszPort;
        const char* pszBare;
    } cases[] = {
        {"Kestrin Label", "COM1:", "COM1"},
        {"Kestrin Line \xC4rger", "LPT4:", "LPT4"},
        {"KestrinUsb", "QORUSB3:", "QORUSB3"},
        {"Kestrin Pair", "LPT1:,LPT2:", "LPT1:,LPT2"},
    };
    for (const auto& c : cases) {
        TestPrinter printer(c.pszPrinter, c.pszPort);
        ASSERT_TRUE(printer.Added());
        EXPECT_EQ(BarePortOf(c.pszPrinter), c.pszBare) << c.pszPrinter;
    }
}

TEST(PrinterPort, UnknownEmptyRemovedOrOverlongNamesHaveNoPort) {
    EXPECT_EQ(BarePortOf("No Such Kestrin Printer"), "");
    EXPECT_EQ(BarePortOf(""), "");
    // Handed to the spooler, a name this long would bring Wine's down.
    EXPECT_EQ(BarePortOf(std::string(40000, 'P')), "");
    TestPrinter removed("Kestrin Removed", "COM3:");
    ASSERT_EQ(BarePortOf("Kestrin Removed"), "COM3");
    removed.Delete();
    EXPECT_EQ(BarePortOf("Kestrin Removed"), "");
}

TEST(PrinterPort, EachQuerySeesThePortAsItIsNow) {
    TestPrinter printer("Kestrin Moving", "com1:");
    ASSERT_TRUE(printer.Added());
    EXPECT_EQ(BarePortOf("Kestrin Moving"), "com1");
    ASSERT_TRUE(printer.MoveToPort("COM1:"));
    EXPECT_EQ(BarePortOf("Kestrin Moving"), "COM1");
}

} // namespace
