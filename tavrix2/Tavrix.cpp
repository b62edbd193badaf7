#include "portlink/Tavrix.h"

#include "portlink/PortTable.h"
#include "portlink/TavrixSettings.h"
#include "tavrix2/OpenPortLink.h"

namespace {
const int MODE_WRITE = 0;
}

Tavrix::Tavrix() : m_nPort(PORT_NONE), m_nConnect(0), m_pLink(NULL) {}

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
    m_pLink = OpenPortLink(ChoosePortTarget(m_nPort, m_strOutputFileName, ReadPortSetting));
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
