#include "CFile.h"

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(LPCWSTR pszFileName, UINT nOpenFlags) {
    Close();
    if ((nOpenFlags & ~osDeleteOnClose) != modeRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool bDeleteOnClose = (nOpenFlags & osDeleteOnClose) != 0;
    m_hFile = CreateFileW(pszFileName, GENERIC_READ | (bDeleteOnClose ? DELETE : 0), 0, NULL,
                          OPEN_EXISTING,
                          bDeleteOnClose ? FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL, NULL);
    return m_hFile != INVALID_HANDLE_VALUE;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER liSize;
    if (!GetFileSizeEx(m_hFile, &liSize))
        return 0;
    return static_cast<ULONGLONG>(liSize.QuadPart);
}

BOOL CFile::GetLastWriteTime(FILETIME* pftWritten) const {
    return ::GetFileTime(m_hFile, NULL, NULL, pftWritten);
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
