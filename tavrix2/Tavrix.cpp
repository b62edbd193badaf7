#include "portlink/Tavrix.h"

#include "portlink/PortTable.h"
#include "tavrix2/OpenPortLink.h"

namespace {

const int MODE_WRITE = 0;

} // namespace

Tavrix::Tavrix()
    : m_nPort(PORT_NONE), m_nConnect(0), m_pLink(NULL), m_bSendBound(FALSE), m_dwSendStart(0),
      m_dwSendTimeoutMs(0), m_dwSettingResult(ERROR_FILE_NOT_FOUND), m_nSettingPlace(PLACE_NONE) {}

Tavrix::~Tavrix() {
    Tavrix::CloseComm();
}

void Tavrix::SetCommPort(int port) {
    m_nPort = port;
    m_strSetting = CString();
    m_nSettingPlace = PLACE_NONE;
    m_dwSettingResult =
        port >= 0 && port < PORT_COUNT
            ? ReadPortSetting(g_rgpszPortNames[port], &m_strSetting, &m_nSettingPlace)
            : ERROR_FILE_NOT_FOUND;
}

void Tavrix::SetSendBound(DWORD dwStartTick, DWORD dwTimeoutMs) {
    m_bSendBound = TRUE;
    m_dwSendStart = dwStartTick;
    m_dwSendTimeoutMs = dwTimeoutMs;
}

int Tavrix::OpenComm(int mode) {
    CloseComm();
    // The one bound of the link, from here (or the caller's start) to its
    // close.
    BOOL bSendBound = m_bSendBound;
    m_bSendBound = FALSE;
    DWORD dwStart = bSendBound ? m_dwSendStart : GetTickCount();
    if (mode != MODE_WRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD dwSeconds = 0;
    DWORD dwResult = bSendBound ? ERROR_SUCCESS : ReadTimeoutSetting(&dwSeconds);
    if (dwResult != ERROR_SUCCESS) {
        SetLastError(dwResult);
        return 0;
    }
    DWORD dwTimeoutMs = bSendBound ? m_dwSendTimeoutMs : dwSeconds * 1000;
    // A caller whose send has used up the bound gets no open that could
    // still make a file or stir a device's lines.
    if (AfxTimeLeftMs(dwStart, dwTimeoutMs) == 0) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    m_pLink = OpenPortLink(
        ChoosePortTarget(m_nPort, m_strOutputFileName, m_dwSettingResult, m_strSetting), dwStart,
        dwTimeoutMs);
    m_nConnect = m_pLink != NULL;
    return m_nConnect;
}

unsigned long Tavrix::Write(const char* data, unsigned long length) {
    if (m_pLink == NULL || data == NULL || length == 0) {
        SetLastError(m_pLink == NULL ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    return m_pLink->WriteAll(data, length) ? length : 0;
}

void Tavrix::CloseComm() {
    delete m_pLink;
    m_pLink = NULL;
    m_nConnect = 0;
}

DWORD Tavrix::GetPortSetting(CString* pstrSetting, SETTING_PLACE* pnPlace) const {
    *pstrSetting = m_strSetting;
    *pnPlace = m_nSettingPlace;
    return m_dwSettingResult;
}
