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
        // Not one of MFC's: a link (symbolic, junction, any reparse point)
        // is opened as itself, never followed to what it points at.
        osNoFollow = 0x20000,
    };

    CFile();
    ~CFile();

    BOOL Open(LPCWSTR pszFileName, UINT nOpenFlags);
    // The size, times, attributes and number of links of the open file.
    BOOL GetInformation(BY_HANDLE_FILE_INFORMATION* pInfo) const;
    // FILE_TYPE_DISK for a file; a device, a pipe or a console otherwise.
    DWORD GetType() const;
    UINT Read(void* lpBuf, UINT nCount);
    void Close();

private:
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    HANDLE m_hFile;
};
