#pragma once

#include "tavrix2/CPortLink.h"
#include "tavrix2/PortTarget.h"

// Opens the link that reaches the target, to wait for its device at most
// dwTimeoutMs at a time; NULL when it cannot be reached, with the reason in
// the thread's last-error code.
CPortLink* OpenPortLink(const PORT_TARGET& target, DWORD dwTimeoutMs);
