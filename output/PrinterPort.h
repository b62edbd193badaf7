#pragma once

#include <windows.h>
#include <winspool.h>

#include "framework/CString.h"

// Printer names the spooler is asked about are at most this long; a longer
// name names no printer.
const int MAX_PRINTER_NAME = 1023;

struct PRINTER_PORT {
    // ERROR_SUCCESS, the spooler's reason (ERROR_INVALID_PRINTER_NAME for a
    // printer it does not know), or ERROR_TIMEOUT when it did not answer.
    DWORD dwError;
    // The printer's port as Windows lists it ("LPT1:", "USB001:").
    CString strPortName;
    // A printer that another computer shares, whose port is one of that
    // computer's, not of this one's: then no port name, and the computer
    // ("\\srv") where the record tells it.
    BOOL bShared;
    CString strServer;
};

// Asks the print spooler which port the named printer is on. A connection
// to a printer whose server has gone can keep the spooler's client busy for
// as long as the network decides: the caller bounds the wait (SendCycle.h).
PRINTER_PORT GetPrinterPort(const CString& strPrinterName);

// Whether the spooler's record is of a printer on another computer: one it
// names a server for, unless that server is pszThisComputer (a local printer
// named as \\THISPC\Label), or a printer connection. That computer in
// *pstrServer, as far as the record tells it.
BOOL IsOnAnotherComputer(const PRINTER_INFO_2A& info, LPCSTR pszThisComputer, CString* pstrServer);
