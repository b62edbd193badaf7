#include "TestPrinter.h"

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

const char* const DRIVER_NAME = "Wine PostScript Driver";
#ifdef _WIN64
const char* const DRIVER_ENVIRONMENT = "Windows x64";
#else
const char* const DRIVER_ENVIRONMENT = "Windows NT x86";
#endif

bool EnsureDriver() {
    static bool s_bInstalled = false;
    if (s_bInstalled)
        return true;
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = const_cast<LPSTR>(DRIVER_NAME);
    info.pEnvironment = const_cast<LPSTR>(DRIVER_ENVIRONMENT);
    info.pDriverPath = const_cast<LPSTR>("wineps.drv");
    info.pDataFile = const_cast<LPSTR>("wineps.drv");
    info.pConfigFile = const_cast<LPSTR>("wineps.drv");
    info.pDefaultDataType = const_cast<LPSTR>("RAW");
    s_bInstalled = AddPrinterDriverA(NULL, 3, reinterpret_cast<LPBYTE>(&info)) ||
                   GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
    return s_bInstalled;
}

} // namespace

bool AddSpoolerPrinter(const std::string& name, const std::string& port) {
    if (!EnsureDriver())
        return false;
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<LPSTR>(name.c_str());
    info.pPortName = const_cast<LPSTR>(port.c_str());
    info.pDriverName = const_cast<LPSTR>(DRIVER_NAME);
    info.pPrintProcessor = const_cast<LPSTR>("WinPrint");
    info.pDatatype = const_cast<LPSTR>("RAW");
    HANDLE hPrinter = AddPrinterA(NULL, 2, reinterpret_cast<LPBYTE>(&info));
    if (hPrinter == NULL)
        return false;
    ClosePrinter(hPrinter);
    return true;
}

TestPrinter::TestPrinter(const std::string& name, const std::string& port)
    : m_name(name), m_bAdded(false) {
    Delete();
    m_bAdded = AddSpoolerPrinter(m_name, port);
    EXPECT_TRUE(m_bAdded) << "adding printer " << m_name << ": error " << GetLastError();
}

TestPrinter::~TestPrinter() {
    Delete();
}

bool TestPrinter::MoveToPort(const std::string& port) {
    HANDLE hPrinter = NULL;
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(const_cast<LPSTR>(m_name.c_str()), &hPrinter, &defaults))
        return false;
    DWORD cbNeeded = 0;
    GetPrinterA(hPrinter, 2, NULL, 0, &cbNeeded);
    std::vector<BYTE> buffer(cbNeeded);
    bool bSet = false;
    if (cbNeeded > 0 && GetPrinterA(hPrinter, 2, buffer.data(), cbNeeded, &cbNeeded)) {
        PRINTER_INFO_2A* pInfo = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        pInfo->pPortName = const_cast<LPSTR>(port.c_str());
        pInfo->pSecurityDescriptor = NULL;
        bSet = SetPrinterA(hPrinter, 2, buffer.data(), 0) != FALSE;
    }
    ClosePrinter(hPrinter);
    return bSet;
}

void TestPrinter::Delete() {
    HANDLE hPrinter = NULL;
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(const_cast<LPSTR>(m_name.c_str()), &hPrinter, &defaults))
        return;
    DeletePrinter(hPrinter);
    ClosePrinter(hPrinter);
    m_bAdded = false;
}
