#pragma once

#include <stddef.h>

// Turns hand-off bytes into the bytes of a narrow string in place. Each zero
// byte met is dropped and the byte after it is taken without a look, so
// 16-bit text of characters below 256 loses its high bytes, single-byte text
// passes unchanged, and a 16-bit zero character still ends the text. The
// place freed at the end of the buffer reads as zero.
void RemoveZeroBytes(unsigned char* pb, size_t cb);

// The length of the text at the start of the buffer: up to the first zero
// byte, or the whole buffer when there is none.
size_t TextLength(const unsigned char* pb, size_t cb);

// The length of a name of cch bytes without the line end that a host may
// have written after it: every CR and LF at its end goes, and nothing else
// (a printer name may end in a space).
size_t TrimLineEnds(const char* pch, size_t cch);

// A hand-off that starts with the UTF-16LE byte-order mark holds 16-bit text
// of any characters rather than bytes to strip; one that starts with the
// UTF-8 mark (as PowerShell, .NET and Notepad write it) holds UTF-8.
bool HasUtf16Bom(const unsigned char* pb, size_t cb);
bool HasUtf8Bom(const unsigned char* pb, size_t cb);
