#pragma once

#include <windows.h>

// Narrow ANSI string on the C run-time heap. Kept apart from std::string,
// which would pull most of the static C++ run-time into the executable.
// Strings cross between Kestrin.exe and Tavrix2.dll, each with its own copy
// of this class: the empty string owns no storage at all, so either module
// may destroy a string the other made. Both allocate from msvcrt.dll's heap.
class CString {
public:
    CString();
    CString(const CString& stringSrc);
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    ~CString();

    CString& operator=(const CString& stringSrc);

    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    operator LPCSTR() const { return m_pszData != NULL ? m_pszData : ""; }

    CString Left(int nCount) const;
    void Format(LPCSTR pszFormat, ...);
    BOOL LoadString(UINT nID);

private:
    void Assign(LPCSTR pch, int nLength);
    void Release();

    char* m_pszData; // NULL when empty
    int m_nLength;
};
