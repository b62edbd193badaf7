#pragma once

// The integer syntax of the dialog data exchange: optional blanks, an
// optional sign, decimal digits, optional blanks; the value must fit an int.
// Returns false, leaving *pnValue alone, for anything else.
bool ParseIntegerText(const char* pszText, int* pnValue);
