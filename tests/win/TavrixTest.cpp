#include "support/Devices.h"

#include "portlink/Tavrix.h"

#include "portlink/PortTable.h"
#include "portlink/TavrixSettings.h"
#include "tavrix2/CHandleLink.h"
#include "tavrix2/CSocketLink.h"
#include "tavrix2/CSpoolerLink.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <ws2tcpip.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
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

// Every wait is the deployer's to set, in the same places as the ports.
TEST(Tavrix, TimeoutSecondsIsADwordFromOneToSixtyAndPolicyComesFirst) {
    const char* const POLICY_SETTINGS_KEY = "Software\\Policies\\Kestrin\\Tavrix";
    const struct {
        std::string value;
        DWORD dwType;
        DWORD dwResult;
        DWORD dwSeconds;
    } cases[] = {
        {std::string("\x01\0\0\0", 4), REG_DWORD, ERROR_SUCCESS, 1},
        {std::string("\x3C\0\0\0", 4), REG_DWORD, ERROR_SUCCESS, 60},
        {std::string("\0\0\0\0", 4), REG_DWORD, TAVRIX_ERROR_BAD_TIMEOUT, 5},
        {std::string("\x3D\0\0\0", 4), REG_DWORD, TAVRIX_ERROR_BAD_TIMEOUT, 5},
        {"10", REG_SZ, TAVRIX_ERROR_BAD_TIMEOUT, 5},
    };
    DWORD dwSeconds = 0;
    EXPECT_EQ(ReadTimeoutSetting(&dwSeconds), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(dwSeconds, DEFAULT_TIMEOUT_SECONDS);
    for (const auto& c : cases) {
        RegistrySetting setting(HKEY_CURRENT_USER, SETTINGS_KEY, "TimeoutSeconds", c.value,
                                c.dwType);
        EXPECT_EQ(ReadTimeoutSetting(&dwSeconds), c.dwResult) << c.value;
        EXPECT_EQ(dwSeconds, c.dwSeconds) << c.value;
    }
    TimeoutSetting user(9);
    RegistrySetting policy(HKEY_CURRENT_USER, POLICY_SETTINGS_KEY, "TimeoutSeconds",
                           std::string("\x02\0\0\0", 4), REG_DWORD);
    ReadTimeoutSetting(&dwSeconds);
    EXPECT_EQ(dwSeconds, 2u);
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
    SetEnvironmentVariableA("KESTRIN_UNDEFINED", NULL);
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
        // Each would make a file in whatever folder the program started in.
        {HKEY_CURRENT_USER, PORTS_KEY, "kestrin-relative.prn", REG_SZ, TAVRIX_ERROR_NOT_FULL_PATH},
        {HKEY_CURRENT_USER, PORTS_KEY, "C:\\%KESTRIN_UNDEFINED%\\kestrin-relative.prn",
         REG_EXPAND_SZ, TAVRIX_ERROR_UNDEFINED_VARIABLE},
        {HKEY_CURRENT_USER, PORTS_KEY, "printer:", REG_SZ, TAVRIX_ERROR_NO_SETTING},
    };
    for (const auto& c : cases) {
        RegistrySetting setting(c.hRoot, c.pszKey, "LPT1", c.value, c.dwType);
        EXPECT_FALSE(SendCommand(8));
        EXPECT_EQ(GetLastError(), c.dwError) << c.value;
    }
    EXPECT_FALSE(FileExists("kestrin-relative.prn"));
    {
        RegistrySetting setting(HKEY_CURRENT_USER, POLICY_KEY, "LPT1", later);
        UnreadableKey unreadable(HKEY_CURRENT_USER, POLICY_KEY);
        EXPECT_FALSE(SendCommand(8));
        EXPECT_EQ(GetLastError(),
                  TavrixError(TAVRIX_ERROR_UNREADABLE_SETTING, ERROR_ACCESS_DENIED));
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
    TimeoutSetting bound;
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

    // A FIFO takes 64 KiB before a write has to wait for a reader: what it
    // took may yet reach the device.
    UsbPrinterPresence stalled('D', true);
    Tavrix link;
    link.SetCommPort(PORT_FIRST_USB + 2);
    ASSERT_NE(link.OpenComm(0), 0) << "error " << GetLastError();
    std::string flood(256 * 1024, 'x');
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(link.Write(flood.data(), flood.size()), 0ul);
    EXPECT_EQ(GetLastError(), TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT));
    EXPECT_LT(GetTickCount() - dwStart, 3000u);
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
    // Without a host, or with every address of this computer for one, it
    // would be this computer's own printer port.
    TcpPeer local;
    const std::string service = std::to_string(local.Port());
    const struct {
        std::string setting;
        DWORD dwError;
    } cases[] = {
        {":" + service, TAVRIX_ERROR_NO_SETTING},
        {"[]:" + service, TAVRIX_ERROR_NO_SETTING},
        {"[]", TAVRIX_ERROR_NO_SETTING},
        {"0.0.0.0:" + service, TAVRIX_ERROR_UNSPECIFIED_ADDRESS},
    };
    for (const auto& c : cases) {
        PortSetting tcpip("TCPIP", c.setting);
        EXPECT_FALSE(SendCommand(PORT_TCPIP)) << c.setting;
        EXPECT_EQ(GetLastError(), c.dwError) << c.setting;
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

// A raw print job is the connection: a printer that has closed it, after a
// greeting or none, took nothing; one that never answers, or never reads,
// is given up within TimeoutSeconds. (One that keeps it open after the
// bytes is the Send tests'.)
TEST(Tavrix, TcpPeerThatClosedNeverAnswersOrNeverReadsFailsInTime) {
    TimeoutSetting bound;
    TcpPeer peer;
    PortSetting tcpip("TCPIP", peer.Address());
    for (const char* pszGreeting : {"", "READY\r\n", static_cast<const char*>(NULL)}) {
        Tavrix link;
        link.SetCommPort(PORT_TCPIP);
        ASSERT_NE(link.OpenComm(0), 0);
        SOCKET s = peer.Accept();
        if (pszGreeting != NULL) {
            send(s, pszGreeting, lstrlenA(pszGreeting), 0);
            closesocket(s);
            Sleep(200);
        }
        // Far more than the socket buffers on both sides hold.
        std::string flood(pszGreeting == NULL ? 64 * 1024 * 1024 : 0, 'x');
        const std::string& bytes = pszGreeting == NULL ? flood : COMMAND;
        DWORD dwStart = GetTickCount();
        EXPECT_EQ(link.Write(bytes.data(), bytes.size()), 0ul);
        EXPECT_EQ(GetLastError(), pszGreeting != NULL
                                      ? TAVRIX_ERROR_PEER_CLOSED
                                      : TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT));
        EXPECT_LT(GetTickCount() - dwStart, 3000u);
        if (pszGreeting == NULL)
            closesocket(s);
    }

    TcpPeer silent;
    silent.FillBacklog();
    PortSetting unanswered("TCPIP", silent.Address());
    DWORD dwStart = GetTickCount();
    EXPECT_FALSE(SendCommand(PORT_TCPIP));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TIMEOUT));
    EXPECT_LT(GetTickCount() - dwStart, 2000u);
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

// A disk that fills part-way through a write: Wine, as FAT or a share on
// Windows may, says that part of it was written.
TEST(Tavrix, FileOnAFullDiskKeepsItsEarlierBytesExactly) {
    const char* pszState = getenv("WINE_STATE");
    ASSERT_TRUE(pszState != NULL);
    const std::string disk = std::string(pszState) + "/full-disk";
    if (UnixCommandOutput("mkdir -p " + disk + " && mount -t tmpfs -o size=8k kestrin " + disk +
                          " && echo mounted") != "mounted\n")
        GTEST_SKIP() << "mounting a small disk needs root";
    std::shared_ptr<void> unmount(nullptr, [&](void*) { UnixCommandOutput("umount " + disk); });
    // One page for the earlier bytes, with 6 bytes of it free, the other
    // taken: the command's first 6 bytes fit, the rest do not.
    WriteFileBytes(WindowsPath(disk + "/filler"), std::string(4096, 'f'));
    const std::string device = WindowsPath(disk + "/device.out");
    const std::string earlier(4090, 'e');
    WriteFileBytes(device, earlier);
    Tavrix link;
    link.SetCommPort(PORT_FILES);
    link.SetOutputFileName(CString(device.c_str()));
    ASSERT_NE(link.OpenComm(0), 0);
    EXPECT_EQ(link.Write(COMMAND.data(), COMMAND.size()), 0ul);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    link.CloseComm();
    EXPECT_TRUE(ReadFileBytes(device) == earlier) << ReadFileBytes(device).size() << " bytes";
}

// A spooler whose one job (number 7) lives as a row says: its status at
// each look in turn (the last one stays), once paused another if the row
// says so, and where the row has one, a notice of a status it passed.
const DWORD GONE = 0xFFFFFFFF, SAME = 0;
struct JOB_LIFE {
    std::vector<DWORD> looks;
    DWORD dwPaused, dwNotice;
    size_t iLook;
    std::vector<DWORD> controls; // what was asked of the job, in order
} g_life;

BOOL WINAPI StandInGetJob(HANDLE, DWORD, DWORD, LPBYTE pJob, DWORD cb, LPDWORD pcbNeeded) {
    bool bPaused = !g_life.controls.empty() && g_life.controls[0] == JOB_CONTROL_PAUSE;
    DWORD dwStatus = bPaused && g_life.dwPaused != SAME
                         ? g_life.dwPaused
                         : g_life.looks[std::min(g_life.iLook, g_life.looks.size() - 1)];
    *pcbNeeded = sizeof(JOB_INFO_1A);
    SetLastError(dwStatus == GONE ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER);
    if (dwStatus == GONE || cb < sizeof(JOB_INFO_1A))
        return FALSE;
    *reinterpret_cast<JOB_INFO_1A*>(pJob) = {};
    reinterpret_cast<JOB_INFO_1A*>(pJob)->Status = dwStatus;
    ++g_life.iLook;
    return TRUE;
}

HANDLE g_hNotice = INVALID_HANDLE_VALUE;

SPOOLER_API StandInSpooler() {
    SPOOLER_API api = {};
    struct S {
        static BOOL WINAPI Open(LPSTR, LPHANDLE ph, LPPRINTER_DEFAULTSA) { return *ph = ph, TRUE; }
        static BOOL WINAPI Done(HANDLE h) { return h != g_hNotice || CloseHandle(h); }
        // Spooling takes a while: a bound shorter than that passes meanwhile.
        static DWORD WINAPI StartDoc(HANDLE, DWORD, LPBYTE) { return Sleep(30), 7; }
        static BOOL WINAPI Write(HANDLE, LPVOID, DWORD cb, LPDWORD pcb) { return *pcb = cb, TRUE; }
        static BOOL WINAPI SetJob(HANDLE, DWORD, DWORD, LPBYTE, DWORD dwCommand) {
            g_life.controls.push_back(dwCommand);
            return TRUE;
        }
        static HANDLE WINAPI First(HANDLE, DWORD, DWORD, LPVOID) {
            return g_hNotice = g_life.dwNotice ? CreateEventA(NULL, TRUE, TRUE, NULL)
                                               : INVALID_HANDLE_VALUE;
        }
        static BOOL WINAPI Next(HANDLE h, PDWORD, LPVOID, LPVOID* ppInfo) {
            static PRINTER_NOTIFY_INFO info = {2, 0, 1, {}};
            info.aData[0] = {JOB_NOTIFY_TYPE, JOB_NOTIFY_FIELD_STATUS, 0, 7, {}};
            info.aData[0].NotifyData.adwData[0] = g_life.dwNotice;
            *ppInfo = &info;
            return ResetEvent(h);
        }
        static BOOL WINAPI Free(PPRINTER_NOTIFY_INFO) { return TRUE; }
    };
    api.OpenPrinterA = S::Open;
    api.ClosePrinter = api.EndDocPrinter = api.AbortPrinter = S::Done;
    api.FindClosePrinterChangeNotification = S::Done;
    api.StartDocPrinterA = S::StartDoc;
    api.WritePrinter = S::Write;
    api.GetJobA = StandInGetJob;
    api.SetJobA = S::SetJob;
    api.FindFirstPrinterChangeNotification = S::First;
    api.FindNextPrinterChangeNotification = S::Next;
    api.FreePrinterNotifyInfo = S::Free;
    return api;
}

// Printed is what the spooler says, in a notice or in the queue, never what
// its silence suggests. A job given up on is paused before its last look,
// and deleted only if it had not begun by then; one that was handed on, or
// had begun, may still print.
TEST(SpoolerLink, OnlyAPrintedJobIsSentAndOnlyOneThatNeverBeganIsTakenBack) {
    const DWORD P = JOB_CONTROL_PAUSE, R = JOB_CONTROL_RESUME, D = JOB_CONTROL_DELETE;
    const struct {
        std::vector<DWORD> looks;
        DWORD dwPaused, dwNotice, dwTimeoutMs, dwKind;
        std::vector<DWORD> controls;
    } lives[] = {
        {{JOB_STATUS_PRINTING, JOB_STATUS_PRINTED, GONE}, SAME, 0, 1000, ERROR_SUCCESS, {}},
        {{GONE}, SAME, JOB_STATUS_PRINTED, 1000, ERROR_SUCCESS, {}},
        {{0}, JOB_STATUS_PRINTING, 0, 20, TAVRIX_ERROR_JOB_STARTED, {P, R}},
        {{JOB_STATUS_PRINTING}, JOB_STATUS_PRINTED, 0, 20, ERROR_SUCCESS, {P, R}},
        {{JOB_STATUS_SPOOLING, GONE}, SAME, 0, 1000, TAVRIX_ERROR_JOB_HANDED_ON, {}},
        {{JOB_STATUS_COMPLETE, GONE}, SAME, 0, 1000, TAVRIX_ERROR_JOB_HANDED_ON, {}},
        {{JOB_STATUS_PRINTING, JOB_STATUS_DELETING}, SAME, 0, 1000, TAVRIX_ERROR_JOB_STARTED, {}},
        {{JOB_STATUS_DELETING}, SAME, 0, 1000, TAVRIX_ERROR_JOB_FAILED, {}},
        {{0}, JOB_STATUS_PAUSED, 0, 20, TAVRIX_ERROR_JOB_FAILED, {P, D}},
        {{JOB_STATUS_ERROR}, SAME, 0, 1000, TAVRIX_ERROR_JOB_FAILED, {P, D}},
        {{0}, GONE, 0, 20, TAVRIX_ERROR_JOB_HANDED_ON, {P, R}},
    };
    SPOOLER_API api = StandInSpooler();
    for (const auto& life : lives) {
        g_life = {life.looks, life.dwPaused, life.dwNotice, 0, {}};
        std::unique_ptr<CPortLink> link(
            CSpoolerLink::Open(api, "Label", GetTickCount(), life.dwTimeoutMs));
        BOOL bPrinted = link->WriteAll(COMMAND.data(), COMMAND.size());
        DWORD dwKind = bPrinted ? ERROR_SUCCESS : TavrixErrorKind(GetLastError());
        EXPECT_EQ(std::make_pair(dwKind, g_life.controls),
                  std::make_pair(life.dwKind, life.controls))
            << life.looks[0] << " then " << life.looks.back();
    }
}

TEST(SocketLink, UnspecifiedAddressesAreThisComputer) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const struct {
        const char* pszHost;
        bool bUnspecified;
    } hosts[] = {{"0", true},          {"0.0.0.0", true},      {"0x0", true},
                 {"::", true},         {"0:0::0", true},       {"::ffff:0.0.0.0", true},
                 {"127.0.0.1", false}, {"::1", false},         {"::ffff:127.0.0.1", false},
                 {"10.0.0.0", false},  {"::ff:0.0.0.0", false}};
    for (const auto& h : hosts) {
        addrinfo hints = {};
        hints.ai_flags = AI_NUMERICHOST;
        addrinfo* pAddress = NULL;
        ASSERT_EQ(getaddrinfo(h.pszHost, "9100", &hints, &pAddress), 0) << h.pszHost;
        EXPECT_EQ(IsUnspecifiedAddress(pAddress->ai_addr), h.bUnspecified) << h.pszHost;
        freeaddrinfo(pAddress);
    }
    WSACleanup();
}

} // namespace
