#include "output/PrinterPort.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestPrinter.h"

namespace {

const char* const NO_PRINTER = "<no such printer>";

// The printer's port as Windows lists it.
std::string PortOf(const std::string& printerName) {
    PRINTER_PORT port = GetPrinterPort(CString(printerName.c_str()));
    if (port.dwError != ERROR_SUCCESS)
        return NO_PRINTER;
    return std::string(port.strPortName);
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

// A printer on another computer has a port of that computer's: a shared
// printer's record names its server, or the printer's name does. (Wine's
// spooler makes no connections, so the records are written out here.)
TEST(PrinterPort, PrinterSharedByAnotherComputerIsToldFromItsRecord) {
    const struct {
        const char* pszPrinter;
        const char* pszServer;
        DWORD dwAttributes;
        BOOL bShared;
        const char* pszSharedBy;
    } records[] = {
        {"Label", NULL, PRINTER_ATTRIBUTE_LOCAL, FALSE, ""},
        {"Label", "", PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED, FALSE, ""},
        {"\\\\Srv\\Label", "\\\\Srv", PRINTER_ATTRIBUTE_NETWORK, TRUE, "\\\\Srv"},
        {"\\\\Srv\\Label", NULL, PRINTER_ATTRIBUTE_NETWORK, TRUE, "\\\\Srv"},
        {"\\\\Srv\\Label", NULL, 0, TRUE, "\\\\Srv"},
        {"Label", "\\\\Srv", PRINTER_ATTRIBUTE_LOCAL, TRUE, "\\\\Srv"},
        {"Label", NULL, PRINTER_ATTRIBUTE_NETWORK, TRUE, ""},
        // A local printer named through this computer's own name.
        {"\\\\THISPC\\Label", "\\\\thispc", PRINTER_ATTRIBUTE_LOCAL, FALSE, ""},
    };
    for (const auto& r : records) {
        PRINTER_INFO_2A info = {};
        info.pPrinterName = const_cast<LPSTR>(r.pszPrinter);
        info.pServerName = const_cast<LPSTR>(r.pszServer);
        info.Attributes = r.dwAttributes;
        CString strServer("unchanged");
        EXPECT_EQ(IsOnAnotherComputer(info, "THISPC", &strServer), r.bShared) << r.pszPrinter;
        EXPECT_STREQ(strServer, r.pszSharedBy) << r.pszPrinter;
    }
}

} // namespace
