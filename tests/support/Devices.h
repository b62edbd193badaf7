#pragma once

#include <winsock2.h>

#include <string>
#include <vector>

// A registry value for one test: set on construction, and put back as it
// was (or removed) when the object goes. The value's bytes are stored as
// they are, with a terminating zero for text.
class RegistrySetting {
public:
    RegistrySetting(HKEY hRoot, const char* pszKey, const char* pszName, const std::string& value,
                    DWORD dwType = REG_SZ);
    ~RegistrySetting();

private:
    HKEY m_hKey;
    std::string m_name;
    bool m_bEarlier;
    DWORD m_dwEarlierType;
    std::vector<BYTE> m_earlier;
};

// Where the port-link library looks for a port's setting: Group Policy's
// key, and the key of the user's and the machine's own settings.
const char* const POLICY_KEY = "Software\\Policies\\Kestrin\\Tavrix\\Ports";
const char* const PORTS_KEY = "Software\\Kestrin\\Tavrix\\Ports";

// The port-link library's setting of one port, in HKEY_CURRENT_USER.
class PortSetting : public RegistrySetting {
public:
    PortSetting(const char* pszPort, const std::string& value, DWORD dwType = REG_SZ);
};

// The library's TimeoutSeconds for one test, in HKEY_CURRENT_USER: every wait
// of a test is bounded by far less than the default 5 seconds.
const char* const SETTINGS_KEY = "Software\\Kestrin\\Tavrix";
class TimeoutSetting : public RegistrySetting {
public:
    explicit TimeoutSetting(DWORD dwSeconds = 1)
        : RegistrySetting(HKEY_CURRENT_USER, SETTINGS_KEY, "TimeoutSeconds",
                          std::string(reinterpret_cast<const char*>(&dwSeconds), 4), REG_DWORD) {}
};

// The file the test prefix's LPT1 writes to.
std::string ParallelPortFile();

// The file that the test prefix's stand-in USB printer 'A', 'B' or 'C'
// writes to. QORUSB1 .. QORUSB3 reach them in that order; 'D', a FIFO that
// nobody reads, is present only while a test plugs it in.
std::string UsbPrinterFile(char chSerial);

// A stand-in USB printer plugged in or out for one test.
class UsbPrinterPresence : public RegistrySetting {
public:
    UsbPrinterPresence(char chSerial, bool bPresent);
};

// The far end of the test prefix's COM1: what COM1 is sent arrives on COM9.
class SerialPeer {
public:
    SerialPeer();
    ~SerialPeer();

    bool Opened() const { return m_hPort != INVALID_HANDLE_VALUE; }
    // What arrived: cbExpected bytes once they are there (with whatever else
    // had come by then), or what came within the timeout.
    std::string Read(size_t cbExpected, DWORD dwTimeoutMs = 5000);

private:
    HANDLE m_hPort;
};

// A TCP server on 127.0.0.1 (or ::1) for one test, on a port of the
// system's choice.
class TcpPeer {
public:
    explicit TcpPeer(int nFamily = AF_INET);
    ~TcpPeer();

    bool Listening() const { return m_nPort != 0; }
    unsigned short Port() const { return m_nPort; }
    // The TCPIP setting that reaches it: 127.0.0.1:port or [::1]:port.
    std::string Address() const;
    // Makes connections it never accepts until the system takes no more, so
    // that a new one is never answered.
    void FillBacklog();
    // Accepts one connection within the timeout and reads it to its end.
    std::string AcceptAndRead(DWORD dwTimeoutMs = 10000);
    // As a printer that takes a job but is slow to confirm it: accepts one
    // connection, reads what comes first, and closes the connection only
    // after dwHoldMs. Returns what it read.
    std::string AcceptReadAndHold(DWORD dwHoldMs);
    // Accepts one connection and hands it over unread: INVALID_SOCKET if none
    // came within the timeout.
    SOCKET Accept(DWORD dwTimeoutMs = 10000);

private:
    SOCKET m_listener;
    int m_nFamily;
    unsigned short m_nPort;
    std::vector<SOCKET> m_waiting;
};
