#pragma once

#include <winsock2.h>

#include "tavrix2/CPortLink.h"

// A TCP connection to a network printer (raw printing, port 9100 by custom).
class CSocketLink : public CPortLink {
public:
    // Ends the connection gracefully after a job the printer confirmed, and
    // resets it otherwise: nothing more of a failed job goes, though what
    // the printer's own stack already holds may still print.
    ~CSocketLink() override;

    // Loads Winsock, looks the host up and connects to one of its addresses,
    // each in its share of the timeout; NULL with the reason when it cannot.
    // An unspecified address (0.0.0.0, ::) is this computer, not a printer:
    // TAVRIX_ERROR_UNSPECIFIED_ADDRESS when the host has no other.
    static CSocketLink* Connect(LPCSTR pszHost, LPCSTR pszService, DWORD dwStart,
                                DWORD dwTimeoutMs);

    // One write is the whole job, as a raw print job is one connection: the
    // bytes count as taken only when, after our side has ended the job, the
    // printer closes the connection, as CUPS's socket backend waits for it.
    // A printer that has closed the connection before fails the write with
    // TAVRIX_ERROR_PEER_CLOSED and nothing sent; one that does not close it
    // in time with TAVRIX_ERROR_NOT_CONFIRMED; one that resets it with the
    // system's reason.
    BOOL WriteAll(const char* pData, DWORD cbData) override;

private:
    CSocketLink(SOCKET s, DWORD dwStart, DWORD dwTimeoutMs)
        : CPortLink(dwStart, dwTimeoutMs), m_socket(s), m_bConfirmed(FALSE) {}
    BOOL SendAll(const char* pData, DWORD cbData, DWORD* pcbSent);
    BOOL ConfirmTaken();

    SOCKET m_socket; // non-blocking
    BOOL m_bConfirmed;
};

// Whether the address stands for every address of this computer (0.0.0.0,
// ::, ::ffff:0.0.0.0), which connects to this computer where it connects.
bool IsUnspecifiedAddress(const sockaddr* pAddress);
