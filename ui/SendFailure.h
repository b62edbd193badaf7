#pragma once

#include "framework/CString.h"
#include "handoff/HandoffReader.h"

// Where a send stopped.
enum SEND_STAGE {
    STAGE_HANDOFF, // the hand-off named no printer: handoff
    STAGE_TIMEOUT, // TimeoutSeconds cannot be used: dwError
    STAGE_LOOKUP,  // the spooler did not tell the printer's port: dwError
    STAGE_SHARED,  // the printer is another computer's: strServer
    STAGE_PORT,    // the printer's port is none of the port table's
    STAGE_OPEN,    // the port did not open: dwError
    STAGE_WRITE,   // the command was not written: dwError
};

// What failed: the stage, the reason and what the user knows it by.
struct SEND_FAILURE {
    SEND_STAGE stage = STAGE_HANDOFF;
    DWORD dwError = ERROR_SUCCESS;
    HANDOFF_STATUS handoff = HANDOFF_NAMED;
    CString strPrinter;         // as the hand-off names it
    CString strServer;          // the computer that shares the printer, if known
    CString strPortName;        // the printer's port as Windows lists it, "LPT2:"
    int nPort = -1;             // its number in the port table
    CString strSetting;         // the port's setting as the library found it
    DWORD dwTimeoutSeconds = 0; // the bound of the whole send
};

// The sentence that says why a send failed and what the user can do about
// it, in the system's words where the reason is the system's.
CString SendFailureReason(const SEND_FAILURE& failure);
