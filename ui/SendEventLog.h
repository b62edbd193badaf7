#pragma once

#include "ui/SendFailure.h"

// Reports a send that did not plainly succeed in the Application log,
// source "Kestrin", as an administrator needs it to act without asking the
// operator: an error when nothing was sent, a warning when the command may
// still arrive, under the failure's event ID, with pszMessage (what the
// operator was shown), the printer, the port, the setting the library read
// and its place, the reason, TimeoutSeconds and the program's version.
// Logging never holds up or changes a send: the event log service is
// called on a thread of its own that nobody waits for, so a service that
// hangs holds up that thread only, and one that is absent or refuses the
// event leaves it unlogged, unsaid.
void ReportSendEvent(const SEND_FAILURE& failure, LPCSTR pszMessage);
