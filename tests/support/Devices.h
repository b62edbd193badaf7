#pragma once

#include <winsock2.h>

#include <string>

// The port-link library's setting of one port, for one test: set in
// HKEY_CURRENT_USER on construction, removed when the object goes.
class PortSetting {
public:
    PortSetting(const char* pszPort, const std::string& value);
    ~PortSetting();

private:
    std::string m_port;
};

// The far end of the test prefix's COM1: what COM1 is sent arrives on COM9.
class SerialPeer {
public:
    SerialPeer();
    ~SerialPeer();

    bool Opened() const { return m_hPort != INVALID_HANDLE_VALUE; }
    // What arrived until nothing more came for dwQuietMs.
    std::string Read(DWORD dwQuietMs = 700);

private:
    HANDLE m_hPort;
};

// A TCP server on 127.0.0.1 for one test, on a port of the system's choice.
class TcpPeer {
public:
    TcpPeer();
    ~TcpPeer();

    unsigned short Port() const { return m_nPort; }
    std::string Address() const;
    // Accepts one connection within the timeout and reads it to its end.
    std::string AcceptAndRead(DWORD dwTimeoutMs = 10000);
    // Accepts one connection and hands it over unread: INVALID_SOCKET if none
    // came within the timeout.
    SOCKET Accept(DWORD dwTimeoutMs = 10000);

private:
    SOCKET m_listener;
    unsigned short m_nPort;
};
