#pragma once

#include "framework/CString.h"

// The fixed place where the host program leaves the printer name.
#define HANDOFF_FILE_PATH "c:\\~QorTmp.Dat"

// A hand-off holds a printer's name and nothing else: a larger one is no
// hand-off, and is not read into memory.
const DWORD MAX_HANDOFF_BYTES = 64 * 1024;

enum HANDOFF_STATUS {
    HANDOFF_NAMED,     // strName is the printer's name
    HANDOFF_NONE,      // there was none, or it held no name this computer's
                       // code page can hold
    HANDOFF_NOT_PLAIN, // a link or a device, not a plain file: not read
    HANDOFF_TOO_LARGE, // over MAX_HANDOFF_BYTES: not read
};

struct HANDOFF {
    HANDOFF_STATUS status;
    CString strName;
};

// Reads the hand-off file, and its VirtualStore copy where Windows may have
// put the file of a legacy host without administrator rights, consumes both
// and returns what the one written last holds: the printer name, without a
// line end after it. Whether Windows may have virtualised the host is told
// by hToken (MayBeVirtualised), the process's own token when NULL. A file
// still held by its writer is waited for a moment. A file that was opened is
// deleted whatever it holds, unless it is read-only; a link is deleted as
// itself, never what it points at.
HANDOFF ReadHandoffFile(LPCSTR pszPath, HANDLE hToken = NULL);

// Only a plain file is read: one on a disk, which is no link of any kind,
// symbolic or hard, so that no other file's content becomes a printer name.
BOOL IsPlainFile(const BY_HANDLE_FILE_INFORMATION& info, DWORD dwFileType);

// Windows puts a legacy program's writes to protected folders in the user's
// VirtualStore only for a token that is not elevated: an elevated host is
// never virtualised, and Windows XP has no VirtualStore at all.
BOOL MayBeVirtualised(HANDLE hToken);
