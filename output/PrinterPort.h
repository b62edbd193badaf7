#pragma once

#include "framework/CString.h"

// Printer names the spooler is asked about are at most this long; a longer
// name names no printer.
const int MAX_PRINTER_NAME = 1023;

// Asks the print spooler for the port of the named printer and returns its
// bare name (LPT1: gives LPT1). A printer the spooler cannot open or
// describe has no port: the result is empty.
CString GetBarePortName(const CString& strPrinterName);
