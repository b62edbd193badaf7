#include "CSocketLink.h"

#include <ws2tcpip.h>

namespace {

BOOL ConnectWithin(SOCKET s, const sockaddr* pAddress, int cbAddress, DWORD dwTimeoutMs) {
    u_long ulNonBlocking = 1;
    ioctlsocket(s, FIONBIO, &ulNonBlocking);
    if (connect(s, pAddress, cbAddress) != 0 && WSAGetLastError() != WSAEWOULDBLOCK)
        return FALSE;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    timeval timeout = {static_cast<long>(dwTimeoutMs / 1000),
                       static_cast<long>(dwTimeoutMs % 1000 * 1000)};
    if (select(0, NULL, &writable, &failed, &timeout) != 1 || !FD_ISSET(s, &writable))
        return FALSE;
    ulNonBlocking = 0;
    ioctlsocket(s, FIONBIO, &ulNonBlocking);
    return TRUE;
}

SOCKET ConnectAny(const addrinfo* pAddresses) {
    for (const addrinfo* p = pAddresses; p != NULL; p = p->ai_next) {
        SOCKET s = socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (s == INVALID_SOCKET)
            continue;
        if (ConnectWithin(s, p->ai_addr, static_cast<int>(p->ai_addrlen), LINK_TIMEOUT_MS))
            return s;
        closesocket(s);
    }
    return INVALID_SOCKET;
}

SOCKET ConnectTo(LPCSTR pszHost, LPCSTR pszService) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* pAddresses = NULL;
    if (getaddrinfo(pszHost, pszService, &hints, &pAddresses) != 0)
        return INVALID_SOCKET;
    SOCKET s = ConnectAny(pAddresses);
    freeaddrinfo(pAddresses);
    return s;
}

} // namespace

CSocketLink::~CSocketLink() {
    shutdown(m_socket, SD_SEND);
    closesocket(m_socket);
    WSACleanup();
}

CSocketLink* CSocketLink::Connect(LPCSTR pszHost, LPCSTR pszService) {
    // Winsock stays started for as long as the link lives.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return NULL;
    SOCKET s = ConnectTo(pszHost, pszService);
    if (s == INVALID_SOCKET) {
        WSACleanup();
        return NULL;
    }
    DWORD dwTimeout = LINK_TIMEOUT_MS;
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&dwTimeout),
               sizeof dwTimeout);
    CSocketLink* pLink = new CSocketLink(s);
    if (pLink == NULL) {
        closesocket(s);
        WSACleanup();
    }
    return pLink;
}

BOOL CSocketLink::WriteAll(const char* pData, DWORD cbData) {
    while (cbData > 0) {
        int cbSent = send(m_socket, pData, static_cast<int>(cbData), 0);
        if (cbSent <= 0)
            return FALSE;
        pData += cbSent;
        cbData -= static_cast<DWORD>(cbSent);
    }
    return TRUE;
}
