#pragma once

#include "framework/CString.h"

// Printer names the spooler is asked about are at most this long; a longer
// name names no printer.
const int MAX_PRINTER_NAME = 1023;

// Asks the print spooler for the port of the named printer, as Windows lists
// it ("LPT1:", "USB001:"). FALSE when the spooler knows no such printer or
// cannot describe it.
BOOL GetPrinterPortName(const CString& strPrinterName, CString* pstrPortName);
