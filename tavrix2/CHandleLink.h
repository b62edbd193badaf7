#pragma once

#include "tavrix2/CPortLink.h"

// A port reached through a file handle: a serial or parallel port, a USB
// printer interface, a named pipe or a file.
class CHandleLink : public CPortLink {
public:
    ~CHandleLink() override;

    // A device or pipe that exists, opened for writing with write timeouts
    // where the device has them.
    static CHandleLink* OpenDevice(LPCSTR pszPath);
    // A file, created if need be, that writes append to.
    static CHandleLink* OpenAppend(LPCSTR pszPath);

    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    explicit CHandleLink(HANDLE hFile) : m_hFile(hFile) {}
    static CHandleLink* Adopt(HANDLE hFile);

    HANDLE m_hFile;
};
