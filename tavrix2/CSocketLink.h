#pragma once

#include <winsock2.h>

#include "tavrix2/CPortLink.h"

// A TCP connection to a network printer (raw printing, port 9100 by custom).
class CSocketLink : public CPortLink {
public:
    ~CSocketLink() override;

    // Loads Winsock, looks the host up and connects to one of its addresses,
    // all within the link timeout; NULL with the reason when it cannot.
    static CSocketLink* Connect(LPCSTR pszHost, LPCSTR pszService);

    // One write is the whole job, as a raw print job is one connection: the
    // bytes count as taken only when, after our side has ended the job, the
    // printer closes the connection, as CUPS's socket backend waits for it.
    // Within the link timeout; TAVRIX_ERROR_NOT_CONFIRMED when it does not
    // close in time, the system's reason when it resets.
    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    explicit CSocketLink(SOCKET s) : m_socket(s) {}
    BOOL SendAll(const char* pData, DWORD cbData, DWORD dwStart);
    BOOL ConfirmTaken(DWORD dwStart);

    SOCKET m_socket; // non-blocking
};
