#pragma once

#include "framework/CString.h"

// The fixed place where the host program leaves the printer name.
#define HANDOFF_FILE_PATH "c:\\~QorTmp.Dat"

// Reads the hand-off file, deletes it and returns the printer name it holds,
// without a line end after it. A file still held by its writer is waited for
// a moment. A file that cannot be opened, read or held in memory, or whose
// name the ANSI code page cannot hold, gives an empty name; a file that was
// opened is deleted whatever it holds.
CString ReadHandoffFile(LPCSTR pszPath);
