#pragma once

#include "CString.h"

// Loads string nIDS and puts the strings in place of its %1, %2... markers.
// Unlike printf formats the inserted text is taken as it is, so names with
// a % of their own come out whole.
void AfxFormatStrings(CString& rString, UINT nIDS, LPCSTR const* rglpsz, int nString);
void AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1);
void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2);
