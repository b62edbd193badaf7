#include "Devices.h"

#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "TestFiles.h"
#include "WaitUntil.h"

RegistrySetting::RegistrySetting(HKEY hRoot, const char* pszKey, const char* pszName,
                                 const std::string& value, DWORD dwType)
    : m_hKey(NULL), m_name(pszName), m_bEarlier(false), m_dwEarlierType(REG_NONE) {
    // Kestrin's own settings in the 32-bit view, where the package writes
    // them, whichever build this is.
    REGSAM samView = strncmp(pszKey, "Software\\Kestrin", 16) == 0 ? KEY_WOW64_32KEY : 0;
    LONG lResult = RegCreateKeyExA(hRoot, pszKey, 0, NULL, 0,
                                   KEY_QUERY_VALUE | KEY_SET_VALUE | samView, NULL, &m_hKey, NULL);
    EXPECT_EQ(lResult, ERROR_SUCCESS) << pszKey;
    if (lResult != ERROR_SUCCESS)
        return;
    DWORD cbEarlier = 0;
    m_bEarlier = RegQueryValueExA(m_hKey, pszName, NULL, &m_dwEarlierType, NULL, &cbEarlier) ==
                 ERROR_SUCCESS;
    m_earlier.resize(cbEarlier);
    if (m_bEarlier && cbEarlier > 0)
        RegQueryValueExA(m_hKey, pszName, NULL, &m_dwEarlierType, m_earlier.data(), &cbEarlier);
    bool bText = dwType == REG_SZ || dwType == REG_EXPAND_SZ;
    RegSetValueExA(m_hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + (bText ? 1 : 0)));
}

RegistrySetting::~RegistrySetting() {
    if (m_hKey == NULL)
        return;
    if (m_bEarlier)
        RegSetValueExA(m_hKey, m_name.c_str(), 0, m_dwEarlierType, m_earlier.data(),
                       static_cast<DWORD>(m_earlier.size()));
    else
        RegDeleteValueA(m_hKey, m_name.c_str());
    RegCloseKey(m_hKey);
}

PortSetting::PortSetting(const char* pszPort, const std::string& value, DWORD dwType)
    : RegistrySetting(HKEY_CURRENT_USER, PORTS_KEY, pszPort, value, dwType) {}

namespace {

std::string StateFile(const std::string& name) {
    const char* pszState = getenv("WINE_STATE");
    EXPECT_TRUE(pszState != NULL) << "WINE_STATE names the test prefix's state folder";
    return WindowsPath(std::string(pszState != NULL ? pszState : ".") + "/" + name);
}

std::string UsbPrinterControlKey(char chSerial) {
    const std::string guid = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    return "System\\CurrentControlSet\\Control\\DeviceClasses\\" + guid +
           "\\##?#USB#VID_04F9&PID_2042#" + chSerial + "#" + guid + "\\#\\Control";
}

} // namespace

std::string ParallelPortFile() {
    return StateFile("parallel.out");
}

std::string UsbPrinterFile(char chSerial) {
    return StateFile(std::string("usb-") + static_cast<char>(tolower(chSerial)) + ".out");
}

UsbPrinterPresence::UsbPrinterPresence(char chSerial, bool bPresent)
    : RegistrySetting(HKEY_LOCAL_MACHINE, UsbPrinterControlKey(chSerial).c_str(), "Linked",
                      std::string(bPresent ? "\x01\0\0\0" : "\0\0\0\0", 4), REG_DWORD) {}

SerialPeer::SerialPeer() {
    m_hPort = CreateFileA("\\\\.\\COM9", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    EXPECT_TRUE(Opened()) << "COM9, the far end of COM1: error " << GetLastError();
    if (!Opened())
        return;
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 100;
    SetCommTimeouts(m_hPort, &timeouts);
    PurgeComm(m_hPort, PURGE_RXCLEAR);
    Read(0);
}

SerialPeer::~SerialPeer() {
    if (Opened())
        CloseHandle(m_hPort);
}

std::string SerialPeer::Read(size_t cbExpected, DWORD dwTimeoutMs) {
    // Each read gives up after 100 ms without a byte.
    std::string bytes;
    bool bMore = true;
    WaitUntil(
        [&] {
            char buffer[256];
            DWORD cbRead = 0;
            bMore = Opened() && ReadFile(m_hPort, buffer, sizeof buffer, &cbRead, NULL);
            bytes.append(buffer, cbRead);
            return !bMore || (bytes.size() >= cbExpected && cbRead == 0);
        },
        dwTimeoutMs);
    return bytes;
}

TcpPeer::TcpPeer(int nFamily) : m_listener(INVALID_SOCKET), m_nFamily(nFamily), m_nPort(0) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = socket(nFamily, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_storage address = {};
    int cbAddress = 0;
    if (nFamily == AF_INET6) {
        sockaddr_in6* pAddress = reinterpret_cast<sockaddr_in6*>(&address);
        pAddress->sin6_family = AF_INET6;
        pAddress->sin6_addr = in6addr_loopback;
        cbAddress = sizeof *pAddress;
    } else {
        sockaddr_in* pAddress = reinterpret_cast<sockaddr_in*>(&address);
        pAddress->sin_family = AF_INET;
        pAddress->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        cbAddress = sizeof *pAddress;
    }
    sockaddr* pAddress = reinterpret_cast<sockaddr*>(&address);
    if (bind(m_listener, pAddress, cbAddress) != 0 || listen(m_listener, 1) != 0)
        return;
    getsockname(m_listener, pAddress, &cbAddress);
    m_nPort = ntohs(nFamily == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(pAddress)->sin6_port
                                        : reinterpret_cast<sockaddr_in*>(pAddress)->sin_port);
}

TcpPeer::~TcpPeer() {
    for (SOCKET s : m_waiting)
        closesocket(s);
    closesocket(m_listener);
    WSACleanup();
}

std::string TcpPeer::Address() const {
    std::string host = m_nFamily == AF_INET6 ? "[::1]" : "127.0.0.1";
    return host + ":" + std::to_string(m_nPort);
}

void TcpPeer::FillBacklog() {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_nPort);
    for (int i = 0; i < 16; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        m_waiting.push_back(s);
        u_long ulNonBlocking = 1;
        ioctlsocket(s, FIONBIO, &ulNonBlocking);
        connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        timeval timeout = {0, 300 * 1000};
        if (select(0, NULL, &writable, NULL, &timeout) != 1)
            return;
    }
    ADD_FAILURE() << "the listener's backlog never filled";
}

SOCKET TcpPeer::Accept(DWORD dwTimeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_listener, &readable);
    timeval timeout = {static_cast<long>(dwTimeoutMs / 1000),
                       static_cast<long>(dwTimeoutMs % 1000 * 1000)};
    if (select(0, &readable, NULL, NULL, &timeout) != 1)
        return INVALID_SOCKET;
    return accept(m_listener, NULL, NULL);
}

std::string TcpPeer::AcceptAndRead(DWORD dwTimeoutMs) {
    SOCKET s = Accept(dwTimeoutMs);
    if (s == INVALID_SOCKET)
        return std::string();
    DWORD dwReadTimeout = dwTimeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwReadTimeout),
               sizeof dwReadTimeout);
    std::string bytes;
    char buffer[256];
    int cb;
    while ((cb = recv(s, buffer, sizeof buffer, 0)) > 0)
        bytes.append(buffer, cb);
    closesocket(s);
    return bytes;
}

std::string TcpPeer::AcceptReadAndHold(DWORD dwHoldMs) {
    SOCKET s = Accept();
    char buffer[256];
    int cb = s != INVALID_SOCKET ? recv(s, buffer, sizeof buffer, 0) : 0;
    Sleep(dwHoldMs);
    closesocket(s);
    return std::string(buffer, cb > 0 ? cb : 0);
}
