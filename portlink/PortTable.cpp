#include "PortTable.h"

#ifdef _WIN32
#include <mbstring.h>
#else
#include <string.h>
#endif

// The one list of the ports: the build reads it from here for everything
// else that names them (cmake/PortTable.cmake). New ports go at the end,
// since the numbers are the program's contract with the library.
constexpr const char* g_rgpszPortNames[PORT_COUNT] = {
    "COM1", "COM2", "COM3", "COM4",  "COM5",  "COM6",    "COM7",    "COM8",    "LPT1",
    "LPT2", "LPT3", "LPT4", "FILES", "TCPIP", "ZOVAVA0", "QORUSB1", "QORUSB2", "QORUSB3",
};
// The build counted every quoted name above; fewer rows than that would
// leave the last ports without a name.
static_assert(g_rgpszPortNames[PORT_COUNT - 1] != nullptr,
              "cmake/PortTable.cmake misread the table");

namespace {

bool SameName(const char* psz1, const char* psz2) {
#ifdef _WIN32
    // Port names are multibyte text of the ANSI code page.
    return _mbscmp(reinterpret_cast<const unsigned char*>(psz1),
                   reinterpret_cast<const unsigned char*>(psz2)) == 0;
#else
    return strcmp(psz1, psz2) == 0;
#endif
}

} // namespace

size_t BarePortNameLength(size_t cchPortName) {
    return cchPortName > 0 ? cchPortName - 1 : 0;
}

int PortIndexOf(const char* pszBarePortName) {
    for (int nPort = 0; nPort < PORT_COUNT; ++nPort)
        if (SameName(pszBarePortName, g_rgpszPortNames[nPort]))
            return nPort;
    return PORT_NONE;
}
