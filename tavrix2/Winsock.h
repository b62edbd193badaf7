#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

// The Winsock functions a TCP link calls, bound when the first one is made,
// so that a program that never sends over TCP never loads Winsock.
struct WINSOCK_API {
    decltype(&::WSAStartup) WSAStartup;
    decltype(&::WSACleanup) WSACleanup;
    decltype(&::WSAGetLastError) WSAGetLastError;
    decltype(&::getaddrinfo) getaddrinfo;
    decltype(&::freeaddrinfo) freeaddrinfo;
    decltype(&::socket) socket;
    decltype(&::ioctlsocket) ioctlsocket;
    decltype(&::connect) connect;
    decltype(&::select) select;
    decltype(&::getsockopt) getsockopt;
    decltype(&::setsockopt) setsockopt;
    decltype(&::send) send;
    decltype(&::recv) recv;
    decltype(&::shutdown) shutdown;
    decltype(&::closesocket) closesocket;
};

// Loads Winsock once; FALSE, with the reason in the last-error code, when it
// cannot be had.
BOOL LoadWinsock();
// The functions, once LoadWinsock has succeeded.
const WINSOCK_API& Winsock();
