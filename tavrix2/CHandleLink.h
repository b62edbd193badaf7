#pragma once

#include "framework/CString.h"
#include "tavrix2/CPortLink.h"

// A port reached through a file handle: a serial or parallel port, a USB
// printer interface, a named pipe or a file.
class CHandleLink : public CPortLink {
public:
    // A file that the open made and that took no command is removed again:
    // a link given up on leaves nothing behind.
    ~CHandleLink() override;

    // Opens what the path names as what it turns out to be: a device or a
    // pipe as it is, a file (made if there is none yet) to append to. A
    // serial port, named by pszComPort (COM3) when the path is one, gets the
    // line settings Windows keeps for it.
    static CHandleLink* Open(LPCSTR pszPath, LPCSTR pszComPort, DWORD dwStart, DWORD dwTimeoutMs);

    // A file takes whole writes only, and on its disk or server, not in a
    // cache: one that stops part-way, on a full disk or a share that stops
    // answering, is cut back to where it began. A device's write that was
    // begun and then stopped may have passed on bytes whatever it counted.
    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    CHandleLink(HANDLE hFile, HANDLE hWritten, BOOL bFile, DWORD dwStart, DWORD dwTimeoutMs)
        : CPortLink(dwStart, dwTimeoutMs), m_hFile(hFile), m_hWritten(hWritten), m_bFile(bFile) {}
    BOOL WriteInTime(const char* pData, DWORD cbData, DWORD* pcbTaken, BOOL* pbBegun);
    BOOL WriteWithin(const char* pData, DWORD cbData, DWORD* pcbWritten, BOOL* pbBegun);

    HANDLE m_hFile;    // opened for overlapped writes
    HANDLE m_hWritten; // signalled when a write has finished
    BOOL m_bFile;      // a disk file rather than a device or a pipe
    CString m_strMade; // the file the open made, until a command is in it
};
