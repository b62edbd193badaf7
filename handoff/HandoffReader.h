#pragma once

#include "framework/CString.h"

// The fixed place where the host program leaves the printer name.
#define HANDOFF_FILE_PATH "c:\\~QorTmp.Dat"

// Reads the hand-off file and its VirtualStore copy, where Windows puts the
// file of a legacy host without administrator rights, consumes both and
// returns the printer name that the one written last holds, without a line
// end after it. A file still held by its writer is waited for a moment. A
// file that cannot be opened, read or held in memory, or whose name the ANSI
// code page cannot hold, gives an empty name; a file that was opened is
// deleted whatever it holds, unless it is read-only.
CString ReadHandoffFile(LPCSTR pszPath);
