#pragma once

#include <windows.h>

#include "portlink/TavrixSettings.h"

// A send that failed, as an administrator needs it to act without asking the
// operator: what the event that reports it carries.
struct SEND_EVENT {
    DWORD dwEventId;        // the kind of failure, one of SendEvents.mc's
    BOOL bWarning;          // the command may still arrive: a warning, not an error
    LPCSTR pszMessage;      // what the operator was shown
    LPCSTR pszPrinter;      // as the hand-off names it
    LPCSTR pszPortName;     // the printer's port as Windows lists it
    LPCSTR pszSetting;      // what the port was set to, where it was
    SETTING_PLACE nPlace;   // the place that setting came from
    DWORD dwError;          // the system's reason or the library's
    DWORD dwTimeoutSeconds; // the bound of the whole send
};

// Reports the event in the Application log, source "Kestrin", with the
// version of the program. Logging never holds up or changes a send: the
// event log service is called on a thread of its own that nobody waits for,
// so a service that hangs holds up that thread only, and one that is absent
// or refuses the event leaves it unlogged, unsaid.
void ReportSendEvent(const SEND_EVENT& event);
