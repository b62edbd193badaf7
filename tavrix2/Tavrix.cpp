#include "portlink/Tavrix.h"

#include <string.h>

#include "framework/AfxCallWithin.h"
#include "portlink/PortTable.h"
#include "portlink/TavrixSettings.h"
#include "tavrix2/OpenPortLink.h"

namespace {

const int MODE_WRITE = 0;
// The caller waits this much longer than a link waits for its device, so
// that a link that gives up in time is heard from with its own reason.
const DWORD CALLER_GRACE_MS = 500;

// One open, write or close of a link, run where the caller waits for it at
// most the timeout: on the C run-time heap, since an abandoned one outlives
// the caller's frame, and then the thread's to release.
struct LINK_CALL {
    explicit LINK_CALL(CPortLink* pLinkIn)
        : nPort(PORT_NONE), dwTimeoutMs(0), pLink(pLinkIn), pData(NULL), cbData(0), bDone(FALSE),
          dwError(ERROR_SUCCESS) {}

    ~LINK_CALL() { free(pData); }

    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

    int nPort;
    CString strOutputFileName;
    DWORD dwTimeoutMs;
    CPortLink* pLink;
    char* pData; // a copy: the caller's bytes go with its frame
    DWORD cbData;
    BOOL bDone;
    DWORD dwError;
};

// A wait the caller gave up on, and then cancelled, is one that took too
// long, whatever the system calls it.
DWORD TimedOut(DWORD dwError) {
    if (dwError == ERROR_OPERATION_ABORTED)
        return ERROR_TIMEOUT;
    if (dwError == TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_OPERATION_ABORTED))
        return TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT);
    return dwError;
}

DWORD ReadSetting(LPCSTR pszPortName, CString* pstrSetting) {
    return ReadPortSetting(pszPortName, pstrSetting);
}

void OpenCall(void* pv) {
    LINK_CALL* pCall = static_cast<LINK_CALL*>(pv);
    pCall->pLink = OpenPortLink(
        ChoosePortTarget(pCall->nPort, pCall->strOutputFileName, ReadSetting), pCall->dwTimeoutMs);
    pCall->dwError = TimedOut(GetLastError());
}

void WriteCall(void* pv) {
    LINK_CALL* pCall = static_cast<LINK_CALL*>(pv);
    pCall->bDone = pCall->pLink->WriteAll(pCall->pData, pCall->cbData);
    pCall->dwError = TimedOut(GetLastError());
}

void CancelWrite(void* pv) {
    static_cast<LINK_CALL*>(pv)->pLink->Cancel();
}

void CloseCall(void* pv) {
    LINK_CALL* pCall = static_cast<LINK_CALL*>(pv);
    delete pCall->pLink;
    pCall->pLink = NULL;
}

// What an abandoned call leaves is closed, and nothing is written after it.
void AbandonCall(void* pv) {
    LINK_CALL* pCall = static_cast<LINK_CALL*>(pv);
    delete pCall->pLink;
    delete pCall;
}

// Runs the call within the timeout. FALSE with the reason when it could not
// be run, and ERROR_TIMEOUT when it was abandoned: then it is no longer the
// caller's.
BOOL RunCall(const AFX_CALL& call, LINK_CALL* pCall, DWORD dwTimeoutMs) {
    DWORD dwResult = AfxCallWithin(call, pCall, dwTimeoutMs + CALLER_GRACE_MS);
    if (dwResult == ERROR_SUCCESS)
        return TRUE;
    if (dwResult != ERROR_TIMEOUT)
        delete pCall;
    SetLastError(dwResult);
    return FALSE;
}

} // namespace

Tavrix::Tavrix()
    : m_nPort(PORT_NONE), m_nConnect(0), m_pLink(NULL), m_dwTimeoutMs(0),
      m_dwSettingResult(ERROR_FILE_NOT_FOUND), m_nSettingPlace(PLACE_NONE) {}

Tavrix::~Tavrix() {
    Tavrix::CloseComm();
}

void Tavrix::SetCommPort(int port) {
    m_nPort = port;
}

int Tavrix::OpenComm(int mode) {
    CloseComm();
    if (mode != MODE_WRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD dwSeconds = 0;
    DWORD dwResult = ReadTimeoutSetting(&dwSeconds);
    LINK_CALL* pCall = dwResult == ERROR_SUCCESS ? new LINK_CALL(NULL) : NULL;
    if (pCall == NULL) {
        SetLastError(dwResult == ERROR_SUCCESS ? ERROR_NOT_ENOUGH_MEMORY : dwResult);
        return 0;
    }
    m_dwTimeoutMs = dwSeconds * 1000;
    m_strSetting = CString();
    m_dwSettingResult =
        m_nPort >= 0 && m_nPort < PORT_COUNT
            ? ReadPortSetting(g_rgpszPortNames[m_nPort], &m_strSetting, &m_nSettingPlace)
            : ERROR_FILE_NOT_FOUND;
    pCall->nPort = m_nPort;
    pCall->strOutputFileName = m_strOutputFileName;
    pCall->dwTimeoutMs = m_dwTimeoutMs;
    // A link that opens after the caller has stopped waiting is closed
    // unused: no answer in time is no answer.
    if (!RunCall({OpenCall, NULL, AbandonCall}, pCall, m_dwTimeoutMs))
        return 0;
    m_pLink = pCall->pLink;
    m_nConnect = m_pLink != NULL;
    DWORD dwError = pCall->dwError;
    delete pCall;
    if (!m_nConnect)
        SetLastError(dwError);
    return m_nConnect;
}

unsigned long Tavrix::Write(const char* data, unsigned long length) {
    if (m_pLink == NULL || data == NULL || length == 0) {
        SetLastError(m_pLink == NULL ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    LINK_CALL* pCall = new LINK_CALL(m_pLink);
    if (pCall != NULL)
        pCall->pData = static_cast<char*>(malloc(length));
    if (pCall == NULL || pCall->pData == NULL) {
        delete pCall;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    memcpy(pCall->pData, data, length);
    pCall->cbData = length;
    if (!RunCall({WriteCall, CancelWrite, AbandonCall}, pCall, m_dwTimeoutMs)) {
        // Abandoned, the link is the thread's to close once the write lets
        // go of it; it may yet have taken some of the bytes.
        if (GetLastError() == ERROR_TIMEOUT) {
            m_pLink = NULL;
            m_nConnect = 0;
            SetLastError(TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT));
        }
        return 0;
    }
    BOOL bDone = pCall->bDone;
    DWORD dwError = pCall->dwError;
    delete pCall;
    // A write that returned just as its caller gave up leaves a link that
    // sends nothing more.
    if (m_pLink->IsCancelled())
        CloseComm();
    SetLastError(dwError);
    return bDone ? length : 0;
}

DWORD Tavrix::GetPortSetting(CString* pstrSetting, SETTING_PLACE* pnPlace) const {
    *pstrSetting = m_strSetting;
    *pnPlace = m_nSettingPlace;
    return m_dwSettingResult;
}

void Tavrix::CloseComm() {
    CPortLink* pLink = m_pLink;
    m_pLink = NULL;
    m_nConnect = 0;
    if (pLink == NULL)
        return;
    // Closing may wait for a driver or a server as much as writing.
    LINK_CALL* pCall = new LINK_CALL(pLink);
    if (pCall == NULL)
        delete pLink;
    else if (RunCall({CloseCall, NULL, AbandonCall}, pCall, m_dwTimeoutMs))
        delete pCall;
    else if (GetLastError() != ERROR_TIMEOUT)
        delete pLink;
}
