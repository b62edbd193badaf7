#include "support/Devices.h"

#include "portlink/Tavrix.h"

#include "portlink/PortTable.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TestFiles.h"
#include "support/WaitUntil.h"

namespace {

const std::string COMMAND = "\x1B.D1;40;80:";

// One link cycle on the port: open, write the command, close. The reason
// for a failure is left in the last-error code.
bool SendCommand(int nPort) {
    Tavrix link;
    link.SetCommPort(nPort);
    return link.OpenComm(0) && link.Write(COMMAND.data(), COMMAND.size()) == COMMAND.size();
}

// What a command of the system under Wine, such as stty, prints. Wine starts
// it but gives no handle to wait on, so its output is watched for.
std::string UnixCommandOutput(const std::string& command) {
    const char* pszState = getenv("WINE_STATE");
    EXPECT_TRUE(pszState != NULL);
    std::string out = std::string(pszState != NULL ? pszState : ".") + "/command-output.txt";
    DeleteFileA(WindowsPath(out).c_str());
    RunToEnd("/bin/sh -c \"" + command + " >" + out + ".part && mv " + out + ".part " + out + "\"");
    WaitUntil([&] { return FileExists(WindowsPath(out)); }, 10000);
    return ReadFileBytes(WindowsPath(out));
}

TEST(Tavrix, FilesPortAppendsEveryWriteInFull) {
    std::string path = NewTestFolder("TavrixFiles") + "\\device.out";
    WriteFileBytes(path, "old;");
    {
        Tavrix link;
        link.SetCommPort(PORT_FILES);
        link.SetOutputFileName(CString(path.c_str()));
        EXPECT_EQ(link.IsConnect(), 0);
        ASSERT_NE(link.OpenComm(0), 0);
        EXPECT_NE(link.IsConnect(), 0);
        EXPECT_EQ(link.Write("abc", 3), 3ul);
        std::string big(100000, 'x');
        EXPECT_EQ(link.Write(big.data(), big.size()), big.size());
        link.CloseComm();
        EXPECT_EQ(link.IsConnect(), 0);
        EXPECT_EQ(link.Write("late", 4), 0ul);
        link.CloseComm();

        ASSERT_NE(link.OpenComm(0), 0);
        EXPECT_EQ(link.Write("!", 1), 1ul);
        // Left open: the destructor closes it.
    }
    EXPECT_EQ(ReadFileBytes(path), "old;abc" + std::string(100000, 'x') + "!");
    HANDLE hExclusive = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(hExclusive, INVALID_HANDLE_VALUE) << "the file is still held open";
    CloseHandle(hExclusive);
}

// A deployer may point any port at a file to try things out: it is made if
// need be, and every command goes after what it already holds.
TEST(Tavrix, FileTargetsOfAnyPortAreMadeIfNeededAndAppendedTo) {
    const struct {
        int nPort;
        const char* pszSetting;
    } ports[] = {{8, "LPT1"}, {15, "QORUSB1"}, {PORT_FILES, "FILES"}};
    for (const auto& p : ports) {
        for (const std::string earlier : {"", "OLDCONTENT-0123456789-0123456789"}) {
            std::string path = NewTestFolder("TavrixFileTarget") + "\\target.prn";
            if (!earlier.empty())
                WriteFileBytes(path, earlier);
            PortSetting setting(p.pszSetting, path);
            EXPECT_TRUE(SendCommand(p.nPort)) << p.pszSetting << ": error " << GetLastError();
            EXPECT_TRUE(SendCommand(p.nPort)) << p.pszSetting << ": error " << GetLastError();
            EXPECT_EQ(ReadFileBytes(path), earlier + COMMAND + COMMAND) << p.pszSetting;
        }
    }
}

TEST(Tavrix, ExpandableSettingsAreExpanded) {
    std::string folder = NewTestFolder("TavrixExpand");
    // The second setting is longer as stored than any path, and is read in
    // full all the same.
    for (const std::string& name : {std::string("KESTRIN_TEST_FOLDER"), std::string(300, 'K')}) {
        SetEnvironmentVariableA(name.c_str(), folder.c_str());
        PortSetting expandable("LPT3", "%" + name + "%\\expanded.prn", REG_EXPAND_SZ);
        EXPECT_TRUE(SendCommand(10)) << name.size() << ": error " << GetLastError();
    }
    EXPECT_EQ(ReadFileBytes(folder + "\\expanded.prn"), COMMAND + COMMAND);
}

// The first place that has the port's value decides: Group Policy's for the
// machine, then for the user, then the user's own setting, then the
// machine's.
TEST(Tavrix, PolicyComesFirstThenTheUsersSettingThenTheMachines) {
    const struct {
        HKEY hRoot;
        const char* pszKey;
    } places[] = {
        {HKEY_LOCAL_MACHINE, POLICY_KEY},
        {HKEY_CURRENT_USER, POLICY_KEY},
        {HKEY_CURRENT_USER, PORTS_KEY},
        {HKEY_LOCAL_MACHINE, PORTS_KEY},
    };
    const std::string folder = NewTestFolder("TavrixPlaces");
    std::vector<std::unique_ptr<RegistrySetting>> settings;
    for (size_t i = 0; i < 4; ++i)
        settings.emplace_back(new RegistrySetting(places[i].hRoot, places[i].pszKey, "LPT2",
                                                  folder + "\\" + std::to_string(i) + ".prn"));
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(SendCommand(9)) << "error " << GetLastError();
        EXPECT_EQ(ReadFileBytes(folder + "\\" + std::to_string(i) + ".prn"), COMMAND) << i;
        settings[i].reset();
    }
}

// A key whose access list is emptied for one test, so that no one may read
// it; its owner still may put the list back.
class UnreadableKey {
public:
    UnreadableKey(HKEY hRoot, const char* pszKey) : m_hKey(NULL) {
        DWORD cbSecurity = 0;
        EXPECT_EQ(RegOpenKeyExA(hRoot, pszKey, 0, READ_CONTROL | WRITE_DAC, &m_hKey), 0);
        RegGetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, NULL, &cbSecurity);
        m_earlier.resize(cbSecurity);
        RegGetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, m_earlier.data(), &cbSecurity);
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        InitializeAcl(&m_empty, sizeof m_empty, ACL_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, &m_empty, FALSE);
        EXPECT_EQ(RegSetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, &sd), 0);
    }
    ~UnreadableKey() {
        RegSetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, m_earlier.data());
        RegCloseKey(m_hKey);
    }

private:
    HKEY m_hKey;
    ACL m_empty;
    std::vector<BYTE> m_earlier;
};

// A setting that is there but cannot be used decides as one that can: the
// bytes go neither to a later place's target nor to the port's own device.
TEST(Tavrix, UnusableSettingsFailWithTheirReasonAndSendNothingAnywhere) {
    WriteFileBytes(ParallelPortFile(), "");
    const std::string later = NewTestFolder("TavrixUnusable") + "\\later.prn";
    RegistrySetting laterPlace(HKEY_LOCAL_MACHINE, PORTS_KEY, "LPT1", later);
    SetEnvironmentVariableW(L"KESTRIN_NOT_IN_CODE_PAGE", L"\x4E2D");
    const struct {
        HKEY hRoot;
        const char* pszKey;
        std::string value;
        DWORD dwType;
        DWORD dwError;
    } cases[] = {
        {HKEY_CURRENT_USER, PORTS_KEY, std::string("\x01\0\0\0", 4), REG_DWORD,
         TAVRIX_ERROR_BAD_SETTING},
        {HKEY_LOCAL_MACHINE, POLICY_KEY, "C:\\%KESTRIN_NOT_IN_CODE_PAGE%.prn", REG_EXPAND_SZ,
         TavrixError(TAVRIX_ERROR_UNREADABLE_SETTING, ERROR_NO_UNICODE_TRANSLATION)},
    };
    for (const auto& c : cases) {
        RegistrySetting setting(c.hRoot, c.pszKey, "LPT1", c.value, c.dwType);
        EXPECT_FALSE(SendCommand(8));
        EXPECT_EQ(GetLastError(), c.dwError);
    }
    {
        RegistrySetting setting(HKEY_CURRENT_USER, POLICY_KEY, "LPT1", later);
        UnreadableKey unreadable(HKEY_CURRENT_USER, POLICY_KEY);
        EXPECT_FALSE(SendCommand(8));
        EXPECT_EQ(GetLastError(), TavrixError(TAVRIX_ERROR_UNREADABLE_SETTING, ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(ReadFileBytes(ParallelPortFile()), "");
    EXPECT_FALSE(FileExists(later));
}

// Device Manager's Port Settings for COM1, as Windows keeps them.
TEST(Tavrix, SerialPortTakesTheLineSettingsWindowsKeepsForIt) {
    RegistrySetting mode(HKEY_LOCAL_MACHINE,
                         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
                         "COM1:", "2400,n,8,1");
    SerialPeer device;
    EXPECT_TRUE(SendCommand(0)) << "error " << GetLastError();
    EXPECT_EQ(device.Read(COMMAND.size()), COMMAND);
    // A pty keeps only the speed: it forces 8 bits and no parity.
    EXPECT_EQ(UnixCommandOutput("stty -F \"$WINE_STATE/com1\" speed"), "2400\n");
}

TEST(Tavrix, TcpipReachesAnIpv6HostInBrackets) {
    TcpPeer peer(AF_INET6);
    if (!peer.Listening())
        GTEST_SKIP() << "no IPv6 loopback here";
    PortSetting tcpip("TCPIP", peer.Address());
    // The write waits for the printer to close the connection.
    std::string received;
    std::thread printer([&] { received = peer.AcceptAndRead(); });
    EXPECT_TRUE(SendCommand(PORT_TCPIP)) << "error " << GetLastError();
    printer.join();
    EXPECT_EQ(received, COMMAND);
}

// The stand-in USB printers of the test prefix, with no setting for the
// ports: in the order of their paths, whichever are plugged in.
TEST(Tavrix, UsbPortsReachThePrintersInPathOrderAndFailWhenOneIsMissingOrStalls) {
    for (char chSerial : {'A', 'B', 'C'})
        WriteFileBytes(UsbPrinterFile(chSerial), "");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SendCommand(PORT_FIRST_USB + i)) << i << ": error " << GetLastError();
    for (char chSerial : {'A', 'B', 'C'})
        EXPECT_EQ(ReadFileBytes(UsbPrinterFile(chSerial)), COMMAND) << chSerial;

    UsbPrinterPresence unplugged('B', false);
    EXPECT_TRUE(SendCommand(PORT_FIRST_USB + 1)) << "error " << GetLastError();
    EXPECT_EQ(ReadFileBytes(UsbPrinterFile('C')), COMMAND + COMMAND);
    EXPECT_FALSE(SendCommand(PORT_FIRST_USB + 2));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_NOT_CONNECTED));

    // A FIFO takes 64 KiB before a write has to wait for a reader.
    UsbPrinterPresence stalled('D', true);
    Tavrix link;
    link.SetCommPort(PORT_FIRST_USB + 2);
    ASSERT_NE(link.OpenComm(0), 0) << "error " << GetLastError();
    std::string flood(256 * 1024, 'x');
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(link.Write(flood.data(), flood.size()), 0ul);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TIMEOUT));
    EXPECT_LT(GetTickCount() - dwStart, 8000u);
}

TEST(Tavrix, NothingOpensWithoutATarget) {
    for (int nPort : {PORT_NONE, PORT_COUNT, PORT_FILES, PORT_TCPIP}) {
        Tavrix link;
        link.SetCommPort(nPort);
        EXPECT_EQ(link.OpenComm(0), 0) << nPort;
        EXPECT_EQ(link.IsConnect(), 0);
        EXPECT_EQ(link.Write("x", 1), 0ul);
        link.CloseComm();
    }
    // Without a host it would be this computer's own printer port.
    TcpPeer local;
    const std::string service = std::to_string(local.Port());
    for (const std::string& setting : {":" + service, "[]:" + service, std::string("[]")}) {
        PortSetting tcpip("TCPIP", setting);
        EXPECT_FALSE(SendCommand(PORT_TCPIP)) << setting;
        EXPECT_EQ(GetLastError(), TAVRIX_ERROR_NO_SETTING) << setting;
    }
    EXPECT_EQ(local.Accept(500), INVALID_SOCKET);
}

TEST(Tavrix, OnlyModeZeroOpens) {
    std::string path = NewTestFolder("TavrixMode") + "\\device.out";
    Tavrix link;
    link.SetCommPort(PORT_FILES);
    link.SetOutputFileName(CString(path.c_str()));
    EXPECT_EQ(link.OpenComm(1), 0);
    EXPECT_EQ(link.OpenComm(-1), 0);
    EXPECT_NE(link.OpenComm(0), 0);
}

TEST(Tavrix, TcpPeerThatNeverReadsMakesALargeWriteFailInsteadOfHanging) {
    TcpPeer peer;
    PortSetting tcpip("TCPIP", peer.Address());
    Tavrix link;
    link.SetCommPort(PORT_TCPIP);
    ASSERT_NE(link.OpenComm(0), 0);
    SOCKET s = peer.Accept();
    ASSERT_NE(s, INVALID_SOCKET);
    // Far more than the socket buffers on both sides hold.
    std::string flood(64 * 1024 * 1024, 'x');
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(link.Write(flood.data(), flood.size()), 0ul);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TIMEOUT));
    EXPECT_LT(GetTickCount() - dwStart, 8000u);
    link.CloseComm();
    closesocket(s);
}

// Wine does not hold serial devices exclusively as Windows does; a target
// file opened without sharing is as busy as a port.
TEST(Tavrix, TargetHeldOpenElsewhereDoesNotOpenUntilReleased) {
    std::string path = NewTestFolder("TavrixBusy") + "\\device.out";
    HANDLE hHeld = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    Tavrix link;
    link.SetCommPort(PORT_FILES);
    link.SetOutputFileName(CString(path.c_str()));
    EXPECT_EQ(link.OpenComm(0), 0);
    CloseHandle(hHeld);
    EXPECT_NE(link.OpenComm(0), 0);
}

} // namespace
