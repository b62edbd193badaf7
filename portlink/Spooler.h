#pragma once

#include <windows.h>
#include <winspool.h>

#include "framework/AfxLoadProc.h"

// The print spooler's client, as the program (which asks for a printer's
// port) and the library (which prints RAW jobs) both call it: loaded at the
// first use rather than with the program.
// clang-format off
#define SPOOLER_FUNCTIONS(F) \
    F(OpenPrinterA) F(GetPrinterA) F(ClosePrinter) \
    F(StartDocPrinterA) F(WritePrinter) F(EndDocPrinter) F(AbortPrinter) F(GetJobA) F(SetJobA) \
    F(FindFirstPrinterChangeNotification) F(FindNextPrinterChangeNotification) \
    F(FindClosePrinterChangeNotification) F(FreePrinterNotifyInfo)
// clang-format on

struct SPOOLER_API {
    SPOOLER_FUNCTIONS(AFX_API_MEMBER)
};

// NULL, with the reason in the last-error code, when it cannot be had.
const SPOOLER_API* Spooler();
