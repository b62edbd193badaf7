#pragma once

#include <windows.h>

// Narrow ANSI string on the C run-time heap. Kept apart from std::string,
// which would pull most of the static C++ run-time into the executable.
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
    operator LPCSTR() const { return m_pszData; }

    CString Left(int nCount) const;
    void Format(LPCSTR pszFormat, ...);
    BOOL LoadString(UINT nID);

private:
    void Assign(LPCSTR pch, int nLength);
    void Release();

    char* m_pszData;
    int m_nLength;
};
