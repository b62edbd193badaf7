#pragma once

#include <windows.h>

// A file opened through the Win32 file API, held exclusively until it is
// closed. Only reading is offered.
class CFile {
public:
    enum OpenFlags {
        modeRead = 0x0000,
        // Not one of MFC's: the file is opened with delete access and goes
        // when it is closed, so that no one else can open it in between.
        // A read-only file refuses the open.
        osDeleteOnClose = 0x10000,
    };

    CFile();
    ~CFile();

    BOOL Open(LPCWSTR pszFileName, UINT nOpenFlags);
    ULONGLONG GetLength() const;
    BOOL GetLastWriteTime(FILETIME* pftWritten) const;
    UINT Read(void* lpBuf, UINT nCount);
    void Close();

private:
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    HANDLE m_hFile;
};
