#include "Winsock.h"

#include "framework/AfxLoadProc.h"

namespace {

WINSOCK_API g_winsock;

template <class PFN> bool Bind(PFN& pfn, LPCSTR pszName) {
    return AfxBindSystemProc(&pfn, "ws2_32.dll", pszName);
}

} // namespace

BOOL LoadWinsock() {
    static BOOL s_bLoaded = FALSE;
    WINSOCK_API& ws = g_winsock;
    if (!s_bLoaded)
        s_bLoaded = Bind(ws.WSAStartup, "WSAStartup") && Bind(ws.WSACleanup, "WSACleanup") &&
                    Bind(ws.WSAGetLastError, "WSAGetLastError") &&
                    Bind(ws.getaddrinfo, "getaddrinfo") && Bind(ws.freeaddrinfo, "freeaddrinfo") &&
                    Bind(ws.socket, "socket") && Bind(ws.ioctlsocket, "ioctlsocket") &&
                    Bind(ws.connect, "connect") && Bind(ws.select, "select") &&
                    Bind(ws.getsockopt, "getsockopt") && Bind(ws.setsockopt, "setsockopt") &&
                    Bind(ws.send, "send") && Bind(ws.recv, "recv") &&
                    Bind(ws.shutdown, "shutdown") && Bind(ws.closesocket, "closesocket");
    return s_bLoaded;
}

const WINSOCK_API& Winsock() {
    return g_winsock;
}
