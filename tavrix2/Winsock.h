#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include "framework/AfxLoadProc.h"

// The Winsock functions a TCP link calls, bound when the first one is made,
// so that a program that never sends over TCP never loads Winsock.
// clang-format off
#define WINSOCK_FUNCTIONS(F) \
    F(WSAStartup) F(WSACleanup) F(WSAGetLastError) F(getaddrinfo) F(freeaddrinfo) \
    F(socket) F(ioctlsocket) F(connect) F(select) F(getsockopt) F(setsockopt) \
    F(send) F(recv) F(shutdown) F(closesocket)
// clang-format on

struct WINSOCK_API {
    WINSOCK_FUNCTIONS(AFX_API_MEMBER)
};

// NULL, with the reason in the last-error code, when Winsock cannot be had.
const WINSOCK_API* Winsock();
