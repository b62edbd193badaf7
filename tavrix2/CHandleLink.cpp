#include "CHandleLink.h"

#include "portlink/RegistryValue.h"
#include "portlink/TavrixError.h"

namespace {

// A named pipe's server learns who we are, but may not act as us.
const DWORD NO_IMPERSONATION = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

// Where Windows keeps each serial port's line settings, as Device Manager's
// Port Settings write them: the value "COM1:" holds "9600,n,8,1".
const char* const WINDOWS_PORTS_KEY = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

HANDLE OpenExisting(LPCSTR pszPath) {
    // Serial ports refuse GetCommState and the like on a write-only handle;
    // a device that cannot be read at all is still written.
    HANDLE hFile = CreateFileA(pszPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED | NO_IMPERSONATION, NULL);
    if (hFile == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        hFile = CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | NO_IMPERSONATION, NULL);
    return hFile;
}

void ApplyLineSettings(HANDLE hFile, LPCSTR pszComPort) {
    CString strValueName;
    strValueName.Format("%s:", pszComPort);
    CString strMode;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    // The key is the native spooler's: the 64-bit view on 64-bit Windows.
    // A port without settings, or with some that do not parse, keeps those
    // of its driver.
    if (ReadStringValue(HKEY_LOCAL_MACHINE, WINDOWS_PORTS_KEY, KEY_WOW64_64KEY, strValueName,
                        &strMode) == ERROR_SUCCESS &&
        GetCommState(hFile, &dcb) && BuildCommDCBA(strMode, &dcb))
        SetCommState(hFile, &dcb);
}

} // namespace

CHandleLink::~CHandleLink() {
    CloseHandle(m_hFile);
    CloseHandle(m_hWritten);
    if (!m_strMade.IsEmpty())
        DeleteFileA(m_strMade);
}

CHandleLink* CHandleLink::Open(LPCSTR pszPath, LPCSTR pszComPort, DWORD dwStart,
                               DWORD dwTimeoutMs) {
    HANDLE hFile = OpenExisting(pszPath);
    BOOL bMade = FALSE;
    if (hFile == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        hFile = CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED | NO_IMPERSONATION, NULL);
        bMade = hFile != INVALID_HANDLE_VALUE && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    if (*pszComPort != '\0')
        ApplyLineSettings(hFile, pszComPort);
    BOOL bFile = GetFileType(hFile) == FILE_TYPE_DISK;
    if (!bFile) {
        // The wait of each write is its one bound: write timeouts that the
        // port's last user left in its driver would end a write part-way.
        COMMTIMEOUTS noTimeouts = {};
        SetCommTimeouts(hFile, &noTimeouts);
    }

    HANDLE hWritten = CreateEventA(NULL, TRUE, FALSE, NULL);
    CHandleLink* pLink =
        hWritten != NULL ? new CHandleLink(hFile, hWritten, bFile, dwStart, dwTimeoutMs) : NULL;
    if (pLink == NULL) {
        DWORD dwError = hWritten != NULL ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
        CloseHandle(hFile);
        if (hWritten != NULL)
            CloseHandle(hWritten);
        if (bMade)
            DeleteFileA(pszPath);
        SetLastError(dwError);
    } else if (bMade && bFile) {
        pLink->m_strMade = pszPath;
    }
    return pLink;
}

BOOL CHandleLink::WriteAll(const char* pData, DWORD cbData) {
    LARGE_INTEGER liStart = {};
    if (m_bFile && !GetFileSizeEx(m_hFile, &liStart))
        return FALSE;
    DWORD cbTaken = 0;
    BOOL bBegun = FALSE;
    // A share may take a write into its cache and fail it only later. The
    // flush has no bound of its own: its caller's is the one.
    if (WriteInTime(pData, cbData, &cbTaken, &bBegun) && (!m_bFile || FlushFileBuffers(m_hFile))) {
        m_strMade = CString();
        return TRUE;
    }
    DWORD dwError = GetLastError();
    BOOL bMayHaveArrived = bBegun;
    if (m_bFile)
        bMayHaveArrived = cbTaken > 0 && !(SetFilePointerEx(m_hFile, liStart, NULL, FILE_BEGIN) &&
                                           SetEndOfFile(m_hFile));
    SetLastError(bMayHaveArrived ? TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError) : dwError);
    return FALSE;
}

BOOL CHandleLink::WriteInTime(const char* pData, DWORD cbData, DWORD* pcbTaken, BOOL* pbBegun) {
    while (cbData > 0) {
        DWORD cbWritten = 0;
        if (TimeLeftMs() == 0) {
            SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
        BOOL bWritten = WriteWithin(pData, cbData, &cbWritten, pbBegun);
        *pcbTaken += cbWritten;
        if (!bWritten)
            return FALSE;
        // A file that takes less than all is full; a device that finished a
        // write without taking a byte would be asked again and again.
        if (m_bFile && cbWritten < cbData) {
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        if (cbWritten == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
        pData += cbWritten;
        cbData -= cbWritten;
    }
    return TRUE;
}

BOOL CHandleLink::WriteWithin(const char* pData, DWORD cbData, DWORD* pcbWritten, BOOL* pbBegun) {
    OVERLAPPED overlapped = {};
    // At the end of a file; devices and pipes have no position to heed.
    overlapped.Offset = 0xFFFFFFFF;
    overlapped.OffsetHigh = 0xFFFFFFFF;
    overlapped.hEvent = m_hWritten;
    // Older Windows wants a count even where the OVERLAPPED gets the result.
    DWORD cbWrittenNow = 0;
    if (!WriteFile(m_hFile, pData, cbData, &cbWrittenNow, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return FALSE;
    *pbBegun = TRUE;
    if (WaitForSingleObject(m_hWritten, TimeLeftMs()) == WAIT_OBJECT_0)
        return GetOverlappedResult(m_hFile, &overlapped, pcbWritten, FALSE);
    // The write must be over before its buffer and OVERLAPPED go; one that
    // finishes before the cancel takes still counts.
    CancelIo(m_hFile);
    if (GetOverlappedResult(m_hFile, &overlapped, pcbWritten, TRUE))
        return TRUE;
    if (GetLastError() == ERROR_OPERATION_ABORTED)
        SetLastError(ERROR_TIMEOUT);
    return FALSE;
}
