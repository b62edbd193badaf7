#include "CFile.h"

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(LPCSTR pszFileName, UINT nOpenFlags) {
    Close();
    if (nOpenFlags != modeRead)
        return FALSE;
    m_hFile =
        CreateFileA(pszFileName, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    return m_hFile != INVALID_HANDLE_VALUE;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER liSize;
    if (!GetFileSizeEx(m_hFile, &liSize))
        return 0;
    return static_cast<ULONGLONG>(liSize.QuadPart);
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    DWORD cbRead = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &cbRead, NULL))
        return 0;
    return cbRead;
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
