#pragma once

#include <stddef.h>

// The ports the port-link library knows, numbered in table order; a printer
// port by any other name is PORT_NONE. PORT_COUNT is the number of the
// table's rows, which the build counts (cmake/PortTable.cmake).
const int PORT_NONE = -1;
const int PORT_FILES = 12;
const int PORT_TCPIP = 13;
const int PORT_FIRST_USB = 15;
const int PORT_COUNT = KESTRIN_PORT_COUNT;
extern const char* const g_rgpszPortNames[PORT_COUNT];

// A spooler port name ends in a colon (LPT1:); the bare name drops the last
// character, whatever it is. An empty name stays empty.
size_t BarePortNameLength(size_t cchPortName);

// The number of a bare port name: exact, case-sensitive comparison with the
// table's names in order.
int PortIndexOf(const char* pszBarePortName);
