#include "CHandleLink.h"

CHandleLink::~CHandleLink() {
    CloseHandle(m_hFile);
}

CHandleLink* CHandleLink::Adopt(HANDLE hFile) {
    CHandleLink* pLink = new CHandleLink(hFile);
    if (pLink == NULL)
        CloseHandle(hFile);
    return pLink;
}

CHandleLink* CHandleLink::OpenDevice(LPCSTR pszPath) {
    // Serial ports refuse GetCommState and the like on a write-only handle.
    HANDLE hFile = CreateFileA(pszPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        hFile = CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    // The line settings stay as configured in Windows; only the timeouts are
    // ours. A target without timeouts (a file, a pipe) still is a target.
    COMMTIMEOUTS timeouts = {};
    timeouts.WriteTotalTimeoutConstant = LINK_TIMEOUT_MS;
    SetCommTimeouts(hFile, &timeouts);
    return Adopt(hFile);
}

CHandleLink* CHandleLink::OpenAppend(LPCSTR pszPath) {
    HANDLE hFile = CreateFileA(pszPath, FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ, NULL,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    return hFile != INVALID_HANDLE_VALUE ? Adopt(hFile) : NULL;
}

BOOL CHandleLink::WriteAll(const char* pData, DWORD cbData) {
    DWORD dwStart = GetTickCount();
    while (cbData > 0) {
        DWORD cbWritten = 0;
        if (!WriteFile(m_hFile, pData, cbData, &cbWritten, NULL))
            return FALSE;
        // A device that takes nothing before its timeout has given up.
        if (cbWritten == 0 || GetTickCount() - dwStart >= LINK_TIMEOUT_MS)
            return cbWritten == cbData;
        pData += cbWritten;
        cbData -= cbWritten;
    }
    return TRUE;
}
