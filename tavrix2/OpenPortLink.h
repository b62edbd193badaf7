#pragma once

#include "tavrix2/CPortLink.h"
#include "tavrix2/PortTarget.h"

// Opens the link that reaches the target; NULL when it cannot be reached,
// with the reason in the thread's last-error code.
CPortLink* OpenPortLink(const PORT_TARGET& target);
