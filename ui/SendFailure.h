#pragma once

#include "framework/CString.h"
#include "handoff/HandoffReader.h"
#include "portlink/PortTable.h"
#include "portlink/TavrixSettings.h"

// Where a send stopped. Each is a bit of its own, so that a row of the
// failure table can be for several.
enum SEND_STAGE {
    STAGE_HANDOFF = 0x01, // the hand-off named no printer: handoff
    STAGE_TIMEOUT = 0x02, // TimeoutSeconds cannot be used: dwError
    STAGE_LOOKUP = 0x04,  // the spooler did not tell the printer's port: dwError
    STAGE_SHARED = 0x08,  // the printer is another computer's: strServer
    STAGE_PORT = 0x10,    // the printer's port is none of the port table's
    STAGE_OPEN = 0x20,    // the port did not open: dwError
    STAGE_WRITE = 0x40,   // the command was not written: dwError
};

// What failed: the stage, the reason and what the user knows it by. Fill
// what the stage reached; the rest keeps its default.
struct SEND_FAILURE {
    SEND_STAGE stage = STAGE_HANDOFF;
    DWORD dwError = ERROR_SUCCESS;
    HANDOFF_STATUS handoff = HANDOFF_NAMED;
    CString strPrinter;  // as the hand-off names it
    CString strServer;   // the computer that shares the printer, if known
    CString strPortName; // the printer's port as Windows lists it, "LPT2:"
    int nPort = PORT_NONE;
    // The port's setting as the library read it (Tavrix::GetPortSetting):
    // its text and place, where it has one.
    CString strSetting;
    SETTING_PLACE nSettingPlace = PLACE_NONE;
    DWORD dwTimeoutSeconds = 0; // the bound of the whole send
};

// What the port leads to, by its setting; a port without one leads to its
// own device, if it has one.
enum SEND_TARGET {
    TARGET_ANY,     // in a row: whatever the port leads to
    TARGET_DEVICE,  // a device, a file, a pipe or a share
    TARGET_TCP,     // the host set for TCPIP
    TARGET_PRINTER, // a Windows printer, printer:NAME
};

// What fills a sentence's %1, %2, ... in turn.
enum SEND_INSERT {
    INSERT_NONE,      // no more
    INSERT_PRINTER,   // the printer the hand-off names
    INSERT_SERVER,    // the computer that shares it, or words saying it is not known
    INSERT_PORT,      // the printer's port as Windows lists it
    INSERT_PORTS,     // Kestrin's ports as Windows lists them, from the port table
    INSERT_VALUE,     // the registry value of the port's setting: the port's bare name
    INSERT_SETTING,   // the port's setting as the library found it
    INSERT_TARGET,    // the printer the setting names
    INSERT_SECONDS,   // TimeoutSeconds: "1 second", "5 seconds"
    INSERT_REASON,    // the system's words for the error, or for a library reason's detail
    INSERT_JOB_STATE, // a print job's status (the library reason's detail) in words
};
const int MAX_SEND_INSERTS = 4;

// The failure's event in the Windows event log: its event ID, one for each
// kind of failure an administrator acts on alike.
enum SEND_EVENT_ID {
    SEND_EVENT_NO_PRINTER = 1001,  // the hand-off named no printer
    SEND_EVENT_BAD_SETTING = 1002, // TimeoutSeconds or a port's setting cannot be used
    SEND_EVENT_NO_PORT = 1003,     // the printer or its port cannot be found or used
    SEND_EVENT_NOT_OPENED = 1004,  // the port did not open
    SEND_EVENT_NOT_SENT = 1005,    // the command was not sent
    SEND_EVENT_MAY_ARRIVE = 1006,  // the command may still arrive: a warning
};

// A reason that a row of the failure table takes whatever the error.
const DWORD REASON_ANY = 0xFFFFFFFF;

// A row of the failure table: what failed, and the sentence that says so.
// A failure takes the row of its stage for its reason itself before one for
// the reason's kind, and that before one for any reason; and among those,
// the row for its target before one for any target. The reason of a failed
// hand-off is its status.
struct SEND_FAILURE_ROW {
    UINT nStages;   // the stages it is for, or'ed
    DWORD dwReason; // an error, the kind of a library reason, or REASON_ANY
    SEND_TARGET target;
    UINT nIDS; // the sentence, in the string table
    SEND_INSERT rgInserts[MAX_SEND_INSERTS];
    SEND_EVENT_ID event;
};
extern const SEND_FAILURE_ROW g_rgSendFailureRows[];
extern const int SEND_FAILURE_ROW_COUNT;

// The row that says what failed.
const SEND_FAILURE_ROW& SendFailureRow(const SEND_FAILURE& failure);

// The sentence that says why a send failed and what the user can do about
// it, in the system's words where the reason is the system's.
CString SendFailureReason(const SEND_FAILURE& failure);

SEND_EVENT_ID SendFailureEvent(const SEND_FAILURE& failure);

// Whether the command may still reach the device after the failure, so
// that sending it again could print it twice.
bool SendMayStillArrive(const SEND_FAILURE& failure);
