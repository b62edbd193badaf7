#include "CHandleLink.h"

#include "framework/AfxLoadProc.h"
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
}

CHandleLink* CHandleLink::Open(LPCSTR pszPath, LPCSTR pszComPort, DWORD dwTimeoutMs) {
    HANDLE hFile = OpenExisting(pszPath);
    if (hFile == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
        hFile = CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED | NO_IMPERSONATION, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    if (*pszComPort != '\0')
        ApplyLineSettings(hFile, pszComPort);
    // The driver gives up on a write too, where it can; files have no
    // driver to ask.
    BOOL bFile = GetFileType(hFile) == FILE_TYPE_DISK;
    if (!bFile) {
        COMMTIMEOUTS timeouts = {};
        timeouts.WriteTotalTimeoutConstant = dwTimeoutMs;
        SetCommTimeouts(hFile, &timeouts);
    }

    HANDLE hWritten = CreateEventA(NULL, TRUE, FALSE, NULL);
    CHandleLink* pLink =
        hWritten != NULL ? new CHandleLink(hFile, hWritten, bFile, dwTimeoutMs) : NULL;
    if (pLink == NULL) {
        DWORD dwError = hWritten != NULL ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
        CloseHandle(hFile);
        if (hWritten != NULL)
            CloseHandle(hWritten);
        SetLastError(dwError);
    }
    return pLink;
}

BOOL CHandleLink::WriteAll(const char* pData, DWORD cbData) {
    LARGE_INTEGER liStart = {};
    if (m_bFile && !GetFileSizeEx(m_hFile, &liStart))
        return FALSE;
    DWORD cbTaken = 0;
    // A share may take a write into its cache and fail it only later. The
    // flush has no time limit of its own: past the caller's, it is cancelled.
    if (WriteInTime(pData, cbData, &cbTaken) && (!m_bFile || FlushFileBuffers(m_hFile)))
        return TRUE;
    DWORD dwError = GetLastError();
    BOOL bCutBack =
        m_bFile && SetFilePointerEx(m_hFile, liStart, NULL, FILE_BEGIN) && SetEndOfFile(m_hFile);
    SetLastError(cbTaken > 0 && !bCutBack ? TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError)
                                          : dwError);
    return FALSE;
}

void CHandleLink::OnCancel() {
    // Vista and later; a write to a file on a share blocks in WriteFile
    // itself, whatever the handle was opened for.
    BOOL(WINAPI * pfnCancelIoEx)(HANDLE, LPOVERLAPPED);
    if (AfxBindSystemProc(&pfnCancelIoEx, "kernel32.dll", "CancelIoEx"))
        pfnCancelIoEx(m_hFile, NULL);
}

BOOL CHandleLink::WriteInTime(const char* pData, DWORD cbData, DWORD* pcbTaken) {
    DWORD dwStart = GetTickCount();
    while (cbData > 0) {
        DWORD dwLeftMs = TimeLeftMs(dwStart);
        DWORD cbWritten = 0;
        if (dwLeftMs == 0 || IsCancelled()) {
            SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
        BOOL bWritten = WriteWithin(pData, cbData, dwLeftMs, &cbWritten);
        *pcbTaken += cbWritten;
        if (!bWritten)
            return FALSE;
        // A file that takes less than all is full; a device whose own
        // timeout passed without taking a byte gave up.
        if (m_bFile && cbWritten < cbData) {
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        if (cbWritten == 0) {
            SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
        pData += cbWritten;
        cbData -= cbWritten;
    }
    return TRUE;
}

BOOL CHandleLink::WriteWithin(const char* pData, DWORD cbData, DWORD dwTimeoutMs,
                              DWORD* pcbWritten) {
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
    if (WaitForSingleObject(m_hWritten, dwTimeoutMs) == WAIT_OBJECT_0)
        return GetOverlappedResult(m_hFile, &overlapped, pcbWritten, FALSE);
    // Every device, pipe and file can be stopped this way, and the write
    // must be over before its buffer and OVERLAPPED go: a driver that never
    // lets go holds this thread, which the caller has stopped waiting for.
    // One that finishes before the cancel takes still counts.
    CancelIo(m_hFile);
    if (GetOverlappedResult(m_hFile, &overlapped, pcbWritten, TRUE))
        return TRUE;
    if (GetLastError() == ERROR_OPERATION_ABORTED)
        SetLastError(ERROR_TIMEOUT);
    return FALSE;
}
