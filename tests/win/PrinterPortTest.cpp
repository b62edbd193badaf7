#include "output/PrinterPort.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestPrinter.h"

namespace {

const char* const NO_PRINTER = "<no such printer>";

// The printer's port as Windows lists it.
std::string PortOf(const std::string& printerName) {
    CString strPortName;
    if (!GetPrinterPortName(CString(printerName.c_str()), &strPortName))
        return NO_PRINTER;
    return std::string(strPortName);
}

TEST(PrinterPort, SpoolerGivesThePortOfAnAddedPrinter) {
    const struct {
        const char* pszPrinter;
        const char* pszPort;
    } cases[] = {
        {"Kestrin Label", "COM1:"},
        {"Kestrin Line \xC4rger", "LPT4:"},
        {"KestrinUsb", "USB001:"},
        {"Kestrin Pair", "LPT1:,LPT2:"},
    };
    for (const auto& c : cases) {
        TestPrinter printer(c.pszPrinter, c.pszPort);
        ASSERT_TRUE(printer.Added());
        EXPECT_EQ(PortOf(c.pszPrinter), c.pszPort) << c.pszPrinter;
    }
}

TEST(PrinterPort, UnknownEmptyRemovedOrOverlongNamesHaveNoPort) {
    EXPECT_EQ(PortOf("No Such Kestrin Printer"), NO_PRINTER);
    EXPECT_EQ(PortOf(""), NO_PRINTER);
    // Handed to the spooler, a name this long would bring Wine's down.
    EXPECT_EQ(PortOf(std::string(40000, 'P')), NO_PRINTER);
    TestPrinter removed("Kestrin Removed", "COM3:");
    ASSERT_EQ(PortOf("Kestrin Removed"), "COM3:");
    removed.Delete();
    EXPECT_EQ(PortOf("Kestrin Removed"), NO_PRINTER);
}

TEST(PrinterPort, EachQuerySeesThePortAsItIsNow) {
    TestPrinter printer("Kestrin Moving", "com1:");
    ASSERT_TRUE(printer.Added());
    EXPECT_EQ(PortOf("Kestrin Moving"), "com1:");
    ASSERT_TRUE(printer.MoveToPort("COM1:"));
    EXPECT_EQ(PortOf("Kestrin Moving"), "COM1:");
}

} // namespace
