#include "CSocketLink.h"

#include "framework/CString.h"
#include "portlink/Tavrix.h"
#include "tavrix2/Winsock.h"

namespace {

// A name lookup has no time limit of its own, so it runs on a thread that
// the link stops waiting for when its time is up. The thread holds a
// reference to the lookup and to this module, and may end after the link.
struct LOOKUP {
    LOOKUP(LPCSTR pszHost, LPCSTR pszService)
        : cRefs(1), strHost(pszHost), strService(pszService), pAddresses(NULL), nError(0),
          hModule(NULL) {}

    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

    LONG cRefs;
    CString strHost;
    CString strService;
    addrinfo* pAddresses;
    int nError;
    HMODULE hModule;
};

void ReleaseLookup(LOOKUP* pLookup) {
    const WINSOCK_API& ws = Winsock();
    if (InterlockedDecrement(&pLookup->cRefs) != 0)
        return;
    if (pLookup->pAddresses != NULL)
        ws.freeaddrinfo(pLookup->pAddresses);
    delete pLookup;
}

DWORD WINAPI LookupThread(LPVOID pvLookup) {
    const WINSOCK_API& ws = Winsock();
    LOOKUP* pLookup = static_cast<LOOKUP*>(pvLookup);
    HMODULE hModule = pLookup->hModule;
    WSADATA data;
    pLookup->nError = ws.WSAStartup(MAKEWORD(2, 2), &data);
    bool bStarted = pLookup->nError == 0;
    if (bStarted) {
        addrinfo hints = {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        pLookup->nError =
            ws.getaddrinfo(pLookup->strHost, pLookup->strService, &hints, &pLookup->pAddresses);
    }
    ReleaseLookup(pLookup);
    if (bStarted)
        ws.WSACleanup();
    FreeLibraryAndExitThread(hModule, 0);
    return 0;
}

HANDLE StartLookupThread(LOOKUP* pLookup) {
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&LookupThread), &pLookup->hModule))
        return NULL;
    InterlockedIncrement(&pLookup->cRefs);
    HANDLE hThread = CreateThread(NULL, 0, LookupThread, pLookup, 0, NULL);
    if (hThread == NULL) {
        DWORD dwError = GetLastError();
        FreeLibrary(pLookup->hModule);
        InterlockedDecrement(&pLookup->cRefs);
        SetLastError(dwError);
    }
    return hThread;
}

// The host's addresses, found within the timeout; NULL with the reason when
// there are none. The caller releases the lookup.
LOOKUP* LookUp(LPCSTR pszHost, LPCSTR pszService, DWORD dwTimeoutMs) {
    LOOKUP* pLookup = new LOOKUP(pszHost, pszService);
    if (pLookup == NULL) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HANDLE hThread = StartLookupThread(pLookup);
    DWORD dwError = GetLastError();
    if (hThread != NULL) {
        dwError = WaitForSingleObject(hThread, dwTimeoutMs) == WAIT_OBJECT_0 ? pLookup->nError
                                                                             : ERROR_TIMEOUT;
        CloseHandle(hThread);
    }
    if (dwError == ERROR_SUCCESS)
        return pLookup;
    ReleaseLookup(pLookup);
    SetLastError(dwError);
    return NULL;
}

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
    const WINSOCK_API& ws = Winsock();
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
    const WINSOCK_API& ws = Winsock();
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

// Tries the addresses in turn until one connects, all within the timeout
// counted from dwStart.
SOCKET ConnectAny(const addrinfo* pAddresses, DWORD dwStart) {
    const WINSOCK_API& ws = Winsock();
    DWORD dwError = WSAHOST_NOT_FOUND;
    for (const addrinfo* p = pAddresses; p != NULL; p = p->ai_next) {
        DWORD dwLeftMs = TimeLeftMs(dwStart);
        if (dwLeftMs == 0) {
            dwError = ERROR_TIMEOUT;
            break;
        }
        SOCKET s = ws.socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (s == INVALID_SOCKET) {
            dwError = ws.WSAGetLastError();
            continue;
        }
        dwError = ConnectWithin(s, p, dwLeftMs);
        if (dwError == ERROR_SUCCESS)
            return s;
        ws.closesocket(s);
    }
    SetLastError(dwError);
    return INVALID_SOCKET;
}

} // namespace

CSocketLink::~CSocketLink() {
    const WINSOCK_API& ws = Winsock();
    ws.shutdown(m_socket, SD_SEND);
    ws.closesocket(m_socket);
    ws.WSACleanup();
}

CSocketLink* CSocketLink::Connect(LPCSTR pszHost, LPCSTR pszService) {
    DWORD dwStart = GetTickCount();
    if (!LoadWinsock())
        return NULL;
    const WINSOCK_API& ws = Winsock();
    // Winsock stays started for as long as the link lives.
    WSADATA data;
    int nError = ws.WSAStartup(MAKEWORD(2, 2), &data);
    if (nError != 0) {
        SetLastError(nError);
        return NULL;
    }
    SOCKET s = INVALID_SOCKET;
    if (LOOKUP* pLookup = LookUp(pszHost, pszService, TimeLeftMs(dwStart))) {
        s = ConnectAny(pLookup->pAddresses, dwStart);
        DWORD dwError = GetLastError();
        ReleaseLookup(pLookup);
        SetLastError(dwError);
    }
    CSocketLink* pLink = s != INVALID_SOCKET ? new CSocketLink(s) : NULL;
    if (pLink == NULL) {
        DWORD dwError = s != INVALID_SOCKET ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
        if (s != INVALID_SOCKET)
            ws.closesocket(s);
        ws.WSACleanup();
        SetLastError(dwError);
    }
    return pLink;
}

BOOL CSocketLink::WriteAll(const char* pData, DWORD cbData) {
    DWORD dwStart = GetTickCount();
    return SendAll(pData, cbData, dwStart) && ConfirmTaken(dwStart);
}

BOOL CSocketLink::SendAll(const char* pData, DWORD cbData, DWORD dwStart) {
    const WINSOCK_API& ws = Winsock();
    while (cbData > 0) {
        DWORD dwLeftMs = TimeLeftMs(dwStart);
        int nReady = dwLeftMs > 0 ? WaitReady(m_socket, false, NULL, dwLeftMs) : 0;
        if (nReady != 1) {
            SetLastError(nReady == 0 ? ERROR_TIMEOUT : ws.WSAGetLastError());
            return FALSE;
        }
        int cbSent = ws.send(m_socket, pData, static_cast<int>(cbData), 0);
        if (cbSent == SOCKET_ERROR && ws.WSAGetLastError() != WSAEWOULDBLOCK)
            return FALSE;
        if (cbSent > 0) {
            pData += cbSent;
            cbData -= static_cast<DWORD>(cbSent);
        }
    }
    return TRUE;
}

BOOL CSocketLink::ConfirmTaken(DWORD dwStart) {
    const WINSOCK_API& ws = Winsock();
    // A reset that came first makes this fail too; the read below says why.
    ws.shutdown(m_socket, SD_SEND);
    for (;;) {
        DWORD dwLeftMs = TimeLeftMs(dwStart);
        int nReady = dwLeftMs > 0 ? WaitReady(m_socket, true, NULL, dwLeftMs) : 0;
        if (nReady != 1) {
            SetLastError(nReady == 0 ? TAVRIX_ERROR_NOT_CONFIRMED : ws.WSAGetLastError());
            return FALSE;
        }
        // What the printer says back is not asked for; its close is.
        char buffer[256];
        int cbReceived = ws.recv(m_socket, buffer, sizeof buffer, 0);
        if (cbReceived == 0)
            return TRUE;
        if (cbReceived == SOCKET_ERROR && ws.WSAGetLastError() != WSAEWOULDBLOCK) {
            SetLastError(ws.WSAGetLastError());
            return FALSE;
        }
    }
}
