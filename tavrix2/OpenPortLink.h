#pragma once

#include "tavrix2/CPortLink.h"
#include "tavrix2/PortTarget.h"

// Opens the link that reaches the target, whose every wait ends dwTimeoutMs
// after dwStart (a GetTickCount); NULL when it cannot be reached, with the
// reason in the thread's last-error code.
CPortLink* OpenPortLink(const PORT_TARGET& target, DWORD dwStart, DWORD dwTimeoutMs);
