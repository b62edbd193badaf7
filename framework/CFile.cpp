#include "CFile.h"

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(LPCWSTR pszFileName, UINT nOpenFlags) {
    Close();
    if ((nOpenFlags & ~(osDeleteOnClose | osNoFollow)) != modeRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool bDeleteOnClose = (nOpenFlags & osDeleteOnClose) != 0;
    DWORD dwFlags = bDeleteOnClose ? FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL;
    if (nOpenFlags & osNoFollow)
        dwFlags |= FILE_FLAG_OPEN_REPARSE_POINT;
    m_hFile = CreateFileW(pszFileName, GENERIC_READ | (bDeleteOnClose ? DELETE : 0), 0, NULL,
                          OPEN_EXISTING, dwFlags, NULL);
    return m_hFile != INVALID_HANDLE_VALUE;
}

BOOL CFile::GetInformation(BY_HANDLE_FILE_INFORMATION* pInfo) const {
    return GetFileInformationByHandle(m_hFile, pInfo);
}

DWORD CFile::GetType() const {
    return ::GetFileType(m_hFile);
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
