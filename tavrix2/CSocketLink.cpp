#include "CSocketLink.h"

#include <ws2tcpip.h>

#include "framework/CString.h"

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
    if (InterlockedDecrement(&pLookup->cRefs) != 0)
        return;
    if (pLookup->pAddresses != NULL)
        freeaddrinfo(pLookup->pAddresses);
    delete pLookup;
}

DWORD WINAPI LookupThread(LPVOID pvLookup) {
    LOOKUP* pLookup = static_cast<LOOKUP*>(pvLookup);
    HMODULE hModule = pLookup->hModule;
    WSADATA data;
    pLookup->nError = WSAStartup(MAKEWORD(2, 2), &data);
    bool bStarted = pLookup->nError == 0;
    if (bStarted) {
        addrinfo hints = {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        pLookup->nError =
            getaddrinfo(pLookup->strHost, pLookup->strService, &hints, &pLookup->pAddresses);
    }
    ReleaseLookup(pLookup);
    if (bStarted)
        WSACleanup();
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

// Waits until the socket can be written, or a connect on it has finished:
// 1 then, 0 when time ran out, SOCKET_ERROR on failure.
int WaitWritable(SOCKET s, fd_set* pFailed, DWORD dwTimeoutMs) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    if (pFailed != NULL) {
        FD_ZERO(pFailed);
        FD_SET(s, pFailed);
    }
    timeval timeout = {static_cast<long>(dwTimeoutMs / 1000),
                       static_cast<long>(dwTimeoutMs % 1000 * 1000)};
    int nReady = select(0, NULL, &writable, pFailed, &timeout);
    return nReady == SOCKET_ERROR ? SOCKET_ERROR : nReady > 0;
}

// Starts a non-blocking connect and waits for it: ERROR_SUCCESS, the
// reason it failed, or ERROR_TIMEOUT.
DWORD ConnectWithin(SOCKET s, const addrinfo* pAddress, DWORD dwTimeoutMs) {
    u_long ulNonBlocking = 1;
    ioctlsocket(s, FIONBIO, &ulNonBlocking);
    if (connect(s, pAddress->ai_addr, static_cast<int>(pAddress->ai_addrlen)) == 0)
        return ERROR_SUCCESS;
    if (WSAGetLastError() != WSAEWOULDBLOCK)
        return WSAGetLastError();
    fd_set failed;
    int nReady = WaitWritable(s, &failed, dwTimeoutMs);
    if (nReady == 0)
        return ERROR_TIMEOUT;
    if (nReady == SOCKET_ERROR)
        return WSAGetLastError();
    if (!FD_ISSET(s, &failed))
        return ERROR_SUCCESS;
    int nError = 0;
    int cbError = sizeof nError;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&nError), &cbError);
    return nError != 0 ? nError : WSAECONNREFUSED;
}

// Tries the addresses in turn until one connects, all within the timeout
// counted from dwStart.
SOCKET ConnectAny(const addrinfo* pAddresses, DWORD dwStart) {
    DWORD dwError = WSAHOST_NOT_FOUND;
    for (const addrinfo* p = pAddresses; p != NULL; p = p->ai_next) {
        DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= LINK_TIMEOUT_MS) {
            dwError = ERROR_TIMEOUT;
            break;
        }
        SOCKET s = socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (s == INVALID_SOCKET) {
            dwError = WSAGetLastError();
            continue;
        }
        dwError = ConnectWithin(s, p, LINK_TIMEOUT_MS - dwElapsed);
        if (dwError == ERROR_SUCCESS)
            return s;
        closesocket(s);
    }
    SetLastError(dwError);
    return INVALID_SOCKET;
}

} // namespace

CSocketLink::~CSocketLink() {
    shutdown(m_socket, SD_SEND);
    closesocket(m_socket);
    WSACleanup();
}

CSocketLink* CSocketLink::Connect(LPCSTR pszHost, LPCSTR pszService) {
    DWORD dwStart = GetTickCount();
    // Winsock stays started for as long as the link lives.
    WSADATA data;
    int nError = WSAStartup(MAKEWORD(2, 2), &data);
    if (nError != 0) {
        SetLastError(nError);
        return NULL;
    }
    SOCKET s = INVALID_SOCKET;
    if (LOOKUP* pLookup = LookUp(pszHost, pszService, LINK_TIMEOUT_MS)) {
        s = ConnectAny(pLookup->pAddresses, dwStart);
        DWORD dwError = GetLastError();
        ReleaseLookup(pLookup);
        SetLastError(dwError);
    }
    CSocketLink* pLink = s != INVALID_SOCKET ? new CSocketLink(s) : NULL;
    if (pLink == NULL) {
        DWORD dwError = s != INVALID_SOCKET ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
        if (s != INVALID_SOCKET)
            closesocket(s);
        WSACleanup();
        SetLastError(dwError);
    }
    return pLink;
}

BOOL CSocketLink::WriteAll(const char* pData, DWORD cbData) {
    DWORD dwStart = GetTickCount();
    while (cbData > 0) {
        DWORD dwElapsed = GetTickCount() - dwStart;
        int nReady = dwElapsed < LINK_TIMEOUT_MS
                         ? WaitWritable(m_socket, NULL, LINK_TIMEOUT_MS - dwElapsed)
                         : 0;
        if (nReady != 1) {
            SetLastError(nReady == 0 ? ERROR_TIMEOUT : WSAGetLastError());
            return FALSE;
        }
        int cbSent = send(m_socket, pData, static_cast<int>(cbData), 0);
        if (cbSent == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK)
            return FALSE;
        if (cbSent > 0) {
            pData += cbSent;
            cbData -= static_cast<DWORD>(cbSent);
        }
    }
    return TRUE;
}
