#pragma once

#include "output/PrinterPort.h"
#include "portlink/PortTable.h"
#include "portlink/TavrixSettings.h"

// The steps of one Send, in order.
enum SEND_STEP {
    STEP_LOOKUP, // asking the spooler which port the printer is on
    STEP_OPEN,   // opening that port through the port-link library
    STEP_WRITE,  // writing the command
    STEP_CLOSE,  // closing the port, the write's outcome known
};

// What one Send did: the step it ended in and why, and what it had learnt.
struct SEND_CYCLE {
    SEND_STEP nStep = STEP_LOOKUP;
    // ERROR_SUCCESS once the command is written (at STEP_CLOSE); otherwise
    // the spooler's or the library's reason (TavrixError.h), ERROR_TIMEOUT
    // for a step that was still going when the bound passed, and for the
    // write TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT).
    DWORD dwError = ERROR_SUCCESS;
    PRINTER_PORT port = {ERROR_SUCCESS, CString(), FALSE, CString()};
    int nPort = PORT_NONE;
    // The port's setting as the library read it (Tavrix::GetPortSetting),
    // from STEP_OPEN on: its text and place, where it has one.
    CString strSetting;
    SETTING_PLACE nSettingPlace = PLACE_NONE;
};

// How much longer than TimeoutSeconds a Send may take: the library keeps to
// the same bound, and its last word there (a job paused and looked at, a
// write cancelled, a connection reset) takes a moment.
const DWORD SEND_GRACE_MS = 1000;

// One Send of the command to the printer's port: the spooler's answer, the
// port's number, and the library's open, write and close, on one thread
// that the caller waits for at most dwTimeoutMs + SEND_GRACE_MS. A Send
// given up on at the bound goes on without its caller: it writes nothing
// once it has been given up before its write, and closes what it opened.
SEND_CYCLE RunSendCycle(const CString& strPrinterName, const char* pCommand, int cbCommand,
                        DWORD dwTimeoutMs);
