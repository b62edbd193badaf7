#pragma once

#include <winsock2.h>

#include "tavrix2/CPortLink.h"

// A TCP connection to a network printer (raw printing, port 9100 by custom).
class CSocketLink : public CPortLink {
public:
    ~CSocketLink() override;

    // Looks the host up and connects to one of its addresses, all within the
    // link timeout; NULL with the reason when it cannot.
    static CSocketLink* Connect(LPCSTR pszHost, LPCSTR pszService);

    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    explicit CSocketLink(SOCKET s) : m_socket(s) {}

    SOCKET m_socket; // non-blocking
};
