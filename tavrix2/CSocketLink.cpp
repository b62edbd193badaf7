#include "CSocketLink.h"

#include <string.h>

#include "portlink/TavrixError.h"
#include "tavrix2/Winsock.h"

namespace {

// FD_ISSET without Winsock's own function for it.
bool IsInSet(SOCKET s, const fd_set& set) {
    for (u_int i = 0; i < set.fd_count; ++i)
        if (set.fd_array[i] == s)
            return true;
    return false;
}

// Waits until the socket can be read, or written (which includes a connect
// on it having finished): 1 then, 0 when time ran out, SOCKET_ERROR on
// failure.
int WaitReady(SOCKET s, bool bRead, fd_set* pFailed, DWORD dwTimeoutMs) {
    const WINSOCK_API& ws = *Winsock();
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s, &ready);
    if (pFailed != NULL) {
        FD_ZERO(pFailed);
        FD_SET(s, pFailed);
    }
    timeval timeout = {static_cast<long>(dwTimeoutMs / 1000),
                       static_cast<long>(dwTimeoutMs % 1000 * 1000)};
    int nReady = ws.select(0, bRead ? &ready : NULL, bRead ? NULL : &ready, pFailed, &timeout);
    return nReady == SOCKET_ERROR ? SOCKET_ERROR : nReady > 0;
}

// Starts a non-blocking connect and waits for it: ERROR_SUCCESS, the
// reason it failed, or ERROR_TIMEOUT.
DWORD ConnectWithin(SOCKET s, const addrinfo* pAddress, DWORD dwTimeoutMs) {
    const WINSOCK_API& ws = *Winsock();
    u_long ulNonBlocking = 1;
    ws.ioctlsocket(s, FIONBIO, &ulNonBlocking);
    if (ws.connect(s, pAddress->ai_addr, static_cast<int>(pAddress->ai_addrlen)) == 0)
        return ERROR_SUCCESS;
    if (ws.WSAGetLastError() != WSAEWOULDBLOCK)
        return ws.WSAGetLastError();
    fd_set failed;
    int nReady = WaitReady(s, false, &failed, dwTimeoutMs);
    if (nReady == 0)
        return ERROR_TIMEOUT;
    if (nReady == SOCKET_ERROR)
        return ws.WSAGetLastError();
    if (!IsInSet(s, failed))
        return ERROR_SUCCESS;
    int nError = 0;
    int cbError = sizeof nError;
    ws.getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&nError), &cbError);
    return nError != 0 ? nError : WSAECONNREFUSED;
}

// Resets the connection: whatever was not yet taken is dropped.
void Abort(SOCKET s) {
    const WINSOCK_API& ws = *Winsock();
    linger noLinger = {1, 0};
    ws.setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&noLinger),
                  sizeof noLinger);
    ws.closesocket(s);
}

} // namespace

bool IsUnspecifiedAddress(const sockaddr* pAddress) {
    if (pAddress->sa_family == AF_INET)
        return reinterpret_cast<const sockaddr_in*>(pAddress)->sin_addr.s_addr == INADDR_ANY;
    if (pAddress->sa_family != AF_INET6)
        return false;
    // ::ffff:0.0.0.0 is 0.0.0.0 to a socket of both kinds.
    static const BYTE ANY[16] = {};
    static const BYTE MAPPED_ANY[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    const BYTE* pb = reinterpret_cast<const sockaddr_in6*>(pAddress)->sin6_addr.s6_addr;
    return memcmp(pb, ANY, sizeof ANY) == 0 || memcmp(pb, MAPPED_ANY, sizeof MAPPED_ANY) == 0;
}

namespace {

// Tries the addresses in turn until one connects, each in its share of what
// is left of the timeout counted from dwStart, so that one that is never
// answered does not leave the next without time.
SOCKET ConnectAny(const addrinfo* pAddresses, DWORD dwTimeoutMs, DWORD dwStart) {
    const WINSOCK_API& ws = *Winsock();
    DWORD dwError = WSAHOST_NOT_FOUND;
    int cLeft = 0;
    for (const addrinfo* p = pAddresses; p != NULL; p = p->ai_next)
        cLeft += !IsUnspecifiedAddress(p->ai_addr);
    for (const addrinfo* p = pAddresses; p != NULL; p = p->ai_next) {
        if (IsUnspecifiedAddress(p->ai_addr)) {
            if (dwError == WSAHOST_NOT_FOUND)
                dwError = TAVRIX_ERROR_UNSPECIFIED_ADDRESS;
            continue;
        }
        DWORD dwLeftMs = AfxTimeLeftMs(dwStart, dwTimeoutMs);
        if (dwLeftMs == 0) {
            dwError = ERROR_TIMEOUT;
            break;
        }
        SOCKET s = ws.socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (s == INVALID_SOCKET) {
            dwError = ws.WSAGetLastError();
            --cLeft;
            continue;
        }
        dwError = ConnectWithin(s, p, dwLeftMs / cLeft--);
        if (dwError == ERROR_SUCCESS)
            return s;
        Abort(s);
    }
    SetLastError(dwError);
    return INVALID_SOCKET;
}

} // namespace

CSocketLink::~CSocketLink() {
    const WINSOCK_API& ws = *Winsock();
    if (m_bConfirmed)
        ws.closesocket(m_socket);
    else
        Abort(m_socket);
    ws.WSACleanup();
}

CSocketLink* CSocketLink::Connect(LPCSTR pszHost, LPCSTR pszService, DWORD dwStart,
                                  DWORD dwTimeoutMs) {
    if (Winsock() == NULL)
        return NULL;
    const WINSOCK_API& ws = *Winsock();
    // Winsock stays started for as long as the link lives.
    WSADATA data;
    int nError = ws.WSAStartup(MAKEWORD(2, 2), &data);
    if (nError != 0) {
        SetLastError(nError);
        return NULL;
    }
    // The lookup has no bound of its own: its caller's is the one.
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* pAddresses = NULL;
    nError = ws.getaddrinfo(pszHost, pszService, &hints, &pAddresses);
    SOCKET s = INVALID_SOCKET;
    if (nError == 0) {
        s = ConnectAny(pAddresses, dwTimeoutMs, dwStart);
        nError = GetLastError();
        ws.freeaddrinfo(pAddresses);
    }
    CSocketLink* pLink = s != INVALID_SOCKET ? new CSocketLink(s, dwStart, dwTimeoutMs) : NULL;
    if (pLink == NULL) {
        DWORD dwError = s != INVALID_SOCKET ? ERROR_NOT_ENOUGH_MEMORY : nError;
        if (s != INVALID_SOCKET)
            Abort(s);
        ws.WSACleanup();
        SetLastError(dwError);
    }
    return pLink;
}

BOOL CSocketLink::WriteAll(const char* pData, DWORD cbData) {
    const WINSOCK_API& ws = *Winsock();
    // A printer that took the connection and closed it again would leave
    // the bytes in our own buffers and its close to be read as the job's
    // end: what it sent before, a banner say, is read to see past it.
    char buffer[256];
    while (TimeLeftMs() > 0 && WaitReady(m_socket, true, NULL, 0) == 1) {
        int cbReceived = ws.recv(m_socket, buffer, sizeof buffer, 0);
        if (cbReceived == 0) {
            SetLastError(TAVRIX_ERROR_PEER_CLOSED);
            return FALSE;
        }
        if (cbReceived == SOCKET_ERROR && ws.WSAGetLastError() != WSAEWOULDBLOCK) {
            SetLastError(ws.WSAGetLastError());
            return FALSE;
        }
    }
    DWORD cbSent = 0;
    if (SendAll(pData, cbData, &cbSent) && ConfirmTaken())
        return TRUE;
    DWORD dwError = GetLastError();
    if (cbSent > 0 && dwError != TAVRIX_ERROR_NOT_CONFIRMED)
        SetLastError(TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, dwError));
    return FALSE;
}

BOOL CSocketLink::SendAll(const char* pData, DWORD cbData, DWORD* pcbSent) {
    const WINSOCK_API& ws = *Winsock();
    while (cbData > 0) {
        DWORD dwLeftMs = TimeLeftMs();
        int nReady = dwLeftMs > 0 ? WaitReady(m_socket, false, NULL, dwLeftMs) : 0;
        if (nReady != 1) {
            SetLastError(nReady == 0 ? ERROR_TIMEOUT : ws.WSAGetLastError());
            return FALSE;
        }
        int cbSent = ws.send(m_socket, pData, static_cast<int>(cbData), 0);
        if (cbSent == SOCKET_ERROR && ws.WSAGetLastError() != WSAEWOULDBLOCK) {
            SetLastError(ws.WSAGetLastError());
            return FALSE;
        }
        if (cbSent > 0) {
            pData += cbSent;
            cbData -= static_cast<DWORD>(cbSent);
            *pcbSent += static_cast<DWORD>(cbSent);
        }
    }
    return TRUE;
}

BOOL CSocketLink::ConfirmTaken() {
    const WINSOCK_API& ws = *Winsock();
    // A reset that came first makes this fail too; the read below says why.
    ws.shutdown(m_socket, SD_SEND);
    for (;;) {
        DWORD dwLeftMs = TimeLeftMs();
        int nReady = dwLeftMs > 0 ? WaitReady(m_socket, true, NULL, dwLeftMs) : 0;
        if (nReady != 1) {
            SetLastError(nReady == 0 ? TAVRIX_ERROR_NOT_CONFIRMED : ws.WSAGetLastError());
            return FALSE;
        }
        // What the printer says back is not asked for; its close is.
        char buffer[256];
        int cbReceived = ws.recv(m_socket, buffer, sizeof buffer, 0);
        if (cbReceived == 0) {
            m_bConfirmed = TRUE;
            return TRUE;
        }
        if (cbReceived == SOCKET_ERROR && ws.WSAGetLastError() != WSAEWOULDBLOCK) {
            SetLastError(ws.WSAGetLastError());
            return FALSE;
        }
    }
}
