#pragma once

#include "CString.h"

// UTF-16 text in the ANSI code page, exactly or not at all: FALSE, with
// ERROR_NO_UNICODE_TRANSLATION, when a character has no form there, rather
// than its best-fit lookalike ("Label" for "Labeł"), which may well name
// something else. cwch counts the characters; no terminator is needed.
BOOL AfxAnsiFromWide(LPCWSTR pwch, int cwch, CString& rString);
