#pragma once

#include <windows.h>

// A file opened through the Win32 file API. Only reading is offered; a file
// opened without a share flag is held exclusively until it is closed.
class CFile {
public:
    enum OpenFlags { modeRead = 0x0000 };

    CFile();
    ~CFile();

    BOOL Open(LPCSTR pszFileName, UINT nOpenFlags);
    ULONGLONG GetLength() const;
    UINT Read(void* lpBuf, UINT nCount);
    void Close();

private:
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    HANDLE m_hFile;
};
