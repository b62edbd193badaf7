#include "support/Devices.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "support/KestrinProcess.h"
#include "support/TestFiles.h"
#include "support/TestPrinter.h"
#include "ui/resource.h"

namespace {

const char* const PRINTER = "Kestrin Send Label";
const char* const SEND_FAILED = "Send CCD data failed !\n";

std::string Command(const char* pszX, const char* pszY) {
    return std::string("\x1B.D1;") + pszX + ";" + pszY + ":";
}

// Kestrin started for a printer on the given port, its dialog open.
class Send : public ::testing::Test {
protected:
    void Open(const char* pszPort) {
        m_printer.reset(new TestPrinter(PRINTER, pszPort));
        ASSERT_TRUE(m_printer->Added());
        Restart();
    }

    void Restart(const std::string& handoff = PRINTER) {
        if (!handoff.empty())
            WriteFileBytes(HANDOFF_PATH, handoff);
        m_kestrin.reset(new KestrinProcess());
        ASSERT_NE(m_kestrin->WaitForDialog(), nullptr);
    }

    void Type(const char* pszX, const char* pszY) {
        m_kestrin->SetItemText(IDC_EDIT_X, pszX);
        m_kestrin->SetItemText(IDC_EDIT_Y, pszY);
    }

    // Dismisses the message box that comes up and waits until it is gone,
    // so that the next input reaches the dialog; returns what it said, or
    // nothing if none came.
    std::string Acknowledge() {
        HWND hBox = m_kestrin->WaitForMessageBox();
        if (hBox == NULL)
            return "";
        std::string text = MessageText(hBox);
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        return WaitUntilGone(hBox) ? text : "<not dismissed> " + text;
    }

    // Presses Send and expects the failure message with the given reason,
    // with the dialog still open afterwards.
    void ExpectSendToFail(const std::string& reason) {
        Kestrin().PostClick(IDC_SEND);
        EXPECT_EQ(Acknowledge(), SEND_FAILED + reason);
        EXPECT_EQ(Kestrin().WaitForExit(0), STILL_ACTIVE);
    }

    KestrinProcess& Kestrin() { return *m_kestrin; }

    std::unique_ptr<TestPrinter> m_printer;
    std::unique_ptr<KestrinProcess> m_kestrin;
};

TEST_F(Send, ComPortReceivesExactlyTheCommandAndTheProgramEnds) {
    SerialPeer device;
    ASSERT_TRUE(device.Opened());
    const struct {
        const char* pszX;
        const char* pszY;
        std::string bytes;
    } cases[] = {
        {"100", "50", std::string("\x1B\x2E\x44\x31\x3B\x34\x30\x30\x30\x3B\x32\x30\x30\x30\x3A")},
        {"0", "0", Command("0", "0")},
        {"25000", "25000", Command("1000000", "1000000")},
        {"-1", "7", Command("-40", "280")},
    };
    Open("COM1:");
    for (const auto& c : cases) {
        Type(c.pszX, c.pszY);
        // Enter sends: Send is the dialog's default button.
        Kestrin().PostKey(Kestrin().Item(IDC_EDIT_Y), VK_RETURN);
        EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT) << c.pszX << " x " << c.pszY;
        EXPECT_EQ(device.Read(c.bytes.size()), c.bytes) << c.pszX << " x " << c.pszY;
        Restart();
    }
}

TEST_F(Send, ParallelPortFilesPortAndTcpipPortReachTheirTargets) {
    std::string parallel = ParallelPortFile();
    // A device has no file position: Wine writes an LPT file from its start.
    WriteFileBytes(parallel, "");
    Open("LPT1:");
    Type("12", "34");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(parallel), Command("480", "1360"));

    std::string device = NewTestFolder("FilesPort") + "\\device.out";
    PortSetting files("FILES", device);
    m_printer->MoveToPort("FILES:");
    for (int i = 0; i < 2; ++i) {
        Restart();
        Type("1", "2");
        Kestrin().PostClick(IDC_SEND);
        EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    }
    EXPECT_EQ(ReadFileBytes(device), Command("40", "80") + Command("40", "80"));

    TcpPeer peer;
    PortSetting tcpip("TCPIP", peer.Address());
    m_printer->MoveToPort("TCPIP:");
    Restart();
    Type("100", "50");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(peer.AcceptAndRead(), Command("4000", "2000"));
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);

    // The second USB printer-class device, with no setting for the port.
    WriteFileBytes(UsbPrinterFile('B'), "");
    m_printer->MoveToPort("QORUSB2:");
    Restart();
    Type("3", "9");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(UsbPrinterFile('B')), Command("120", "360"));
}

TEST_F(Send, PortOutsideTheTableFailsAndTheNextPressSeesTheMovedPrinter) {
    SerialPeer device;
    Open("com1:");
    Type("100", "50");
    ExpectSendToFail("The printer is on the port \"com1:\", which Kestrin does not reach: it "
                     "reaches COM1: to COM8:, LPT1: to LPT4:, FILES:, TCPIP:, ZOVAVA0: and "
                     "QORUSB1: to QORUSB3:.");
    EXPECT_EQ(device.Read(0), "");
    EXPECT_EQ(Kestrin().ItemText(IDC_EDIT_X), "100");

    ASSERT_TRUE(m_printer->MoveToPort("COM1:"));
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(device.Read(15), Command("4000", "2000"));
}

TEST_F(Send, FailuresSayWhatToCheckAndLeaveTheDialogOpen) {
    const char* const NO_PRINTER =
        "No printer was named: the program that starts Kestrin must write a printer's name, in "
        "characters of this computer's code page, to c:\\~QorTmp.Dat before each start.";
    // A name the ANSI code page lacks a character of, whose best fit names
    // the printer: "Labe\x0142" would become "Label".
    std::string notInCodePage("\xFF\xFE", 2);
    for (char ch : std::string(PRINTER).substr(0, strlen(PRINTER) - 1))
        notInCodePage += std::string(1, ch) + '\0';
    notInCodePage += std::string("\x42\x01", 2);
    const std::string utf8NotInCodePage =
        "\xEF\xBB\xBF" + std::string(PRINTER).substr(0, strlen(PRINTER) - 1) + "\xC5\x82";
    SetEnvironmentVariableW(L"KESTRIN_NOT_IN_CODE_PAGE", L"\x4E2D");
    PortSetting unexpandable("LPT3", "C:\\%KESTRIN_NOT_IN_CODE_PAGE%.prn", REG_EXPAND_SZ);
    UsbPrinterPresence unplugged('C', false);
    const struct {
        const char* pszPort;
        std::string handoff;
        std::string reason;
    } cases[] = {
        {"FILES:", "", NO_PRINTER},
        {"FILES:", notInCodePage, NO_PRINTER},
        {"FILES:", utf8NotInCodePage, NO_PRINTER},
        {"FILES:", "Kestrin Nobody",
         "Windows has no printer named \"Kestrin Nobody\": check the name that the starting "
         "program writes against the printers in Devices and Printers."},
        {"USB001:", PRINTER,
         "The printer is on the port \"USB001:\", which Kestrin does not reach: it reaches COM1: "
         "to COM8:, LPT1: to LPT4:, FILES:, TCPIP:, ZOVAVA0: and QORUSB1: to QORUSB3:."},
        {"TCPIP:", PRINTER,
         "The port TCPIP: has no target: set the string value TCPIP under "
         "HKEY_CURRENT_USER\\Software\\Kestrin\\Tavrix\\Ports or "
         "HKEY_LOCAL_MACHINE\\Software\\Kestrin\\Tavrix\\Ports."},
        {"LPT1:", PRINTER,
         "The setting of the port LPT1: is not text: make the value LPT1 under "
         "Software\\Kestrin\\Tavrix\\Ports a string value (REG_SZ or REG_EXPAND_SZ)."},
        {"COM5:", PRINTER, "The port COM5: cannot be opened: File not found."},
        {"QORUSB3:", PRINTER, "The port QORUSB3: cannot be opened: The device is not connected."},
        {"LPT3:", PRINTER, "The setting of the port LPT3 cannot be read: No Unicode translation."},
    };
    std::string files = NewTestFolder("Failures") + "\\device.out";
    PortSetting filesSetting("FILES", files);
    std::string parallel = ParallelPortFile();
    WriteFileBytes(parallel, "");
    PortSetting notText("LPT1", std::string("\x01\0\0\0", 4), REG_DWORD);
    m_printer.reset(new TestPrinter(PRINTER, "FILES:"));
    for (const auto& c : cases) {
        ASSERT_TRUE(m_printer->MoveToPort(c.pszPort));
        DeleteFileA(HANDOFF_PATH);
        Restart(c.handoff);
        ExpectSendToFail(c.reason);
        Kestrin().PostKey(Kestrin().Item(IDC_EDIT_X), VK_ESCAPE);
        EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT) << c.reason;
    }
    EXPECT_EQ(ReadFileBytes(files), "");
    EXPECT_EQ(ReadFileBytes(parallel), "");
}

// Windows puts the hand-off of a legacy host without administrator rights
// in the user's VirtualStore; PowerShell writes it as UTF-8 with a mark.
TEST_F(Send, HandoffInTheVirtualStoreAsUtf8WithAMarkReachesThePrinter) {
    std::string device = NewTestFolder("VirtualStore") + "\\device.out";
    PortSetting files("FILES", device);
    m_printer.reset(new TestPrinter(PRINTER, "FILES:"));
    DeleteFileA(HANDOFF_PATH);
    const std::string copy = VirtualStoreCopy(HANDOFF_PATH);
    WriteFileBytes(copy, "\xEF\xBB\xBF" + std::string(PRINTER) + "\r\n");
    Restart("");
    EXPECT_FALSE(FileExists(copy));
    Type("1", "2");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("40", "80"));
}

TEST_F(Send, DevicesThatTakeNothingFailWithinFiveSecondsAndTheDialogStaysUsable) {
    TcpPeer silent;
    silent.FillBacklog();
    PortSetting tcpip("TCPIP", silent.Address());
    Open("TCPIP:");
    DWORD dwStart = GetTickCount();
    ExpectSendToFail("The port TCPIP: did not answer within 5 seconds: check that the device is "
                     "on and can be reached.");
    EXPECT_LT(GetTickCount() - dwStart, 8000u);

    const char* const PIPE = "\\\\.\\pipe\\kestrin-never-read";
    HANDLE hPipe =
        CreateNamedPipeA(PIPE, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, NULL);
    ASSERT_NE(hPipe, INVALID_HANDLE_VALUE);
    PortSetting lpt2("LPT2", PIPE);
    ASSERT_TRUE(m_printer->MoveToPort("LPT2:"));
    dwStart = GetTickCount();
    ExpectSendToFail("The port LPT2: did not take the command within 5 seconds: check that the "
                     "device is on, ready and connected.");
    EXPECT_LT(GetTickCount() - dwStart, 8000u);
    CloseHandle(hPipe);

    std::string device = NewTestFolder("AfterTimeouts") + "\\device.out";
    PortSetting files("FILES", device);
    ASSERT_TRUE(m_printer->MoveToPort("FILES:"));
    Type("5", "6");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("200", "240"));
}

TEST_F(Send, TcpipWithNothingListeningFailsAndTheDialogStaysUsable) {
    unsigned short nClosedPort;
    {
        TcpPeer gone;
        nClosedPort = gone.Port();
    }
    PortSetting tcpip("TCPIP", "127.0.0.1:" + std::to_string(nClosedPort));
    Open("TCPIP:");
    ExpectSendToFail("The port TCPIP: cannot be opened: Connection refused.");

    TcpPeer peer;
    PortSetting listening("TCPIP", peer.Address());
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(peer.AcceptAndRead(), Command("0", "0"));
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
}

TEST_F(Send, FieldsThatHoldNoSendableNumberSendNothing) {
    SerialPeer device;
    Open("COM1:");
    const struct {
        const char* pszX;
        const char* pszY;
        const char* pszMessage;
    } refused[] = {
        {"12a", "0", "Please enter an integer."},
        {"1,000", "0", "Please enter an integer."},
        {"", "0", "Please enter an integer."},
        {"53687092", "0", "Please enter an integer between -53687091 and 53687091."},
        {"0", "-53687092", "Please enter an integer between -53687091 and 53687091."},
    };
    for (const auto& r : refused) {
        Type(r.pszX, r.pszY);
        Kestrin().PostClick(IDC_SEND);
        EXPECT_EQ(Acknowledge(), r.pszMessage) << r.pszX << " x " << r.pszY;
        EXPECT_EQ(device.Read(0), "") << r.pszX << " x " << r.pszY;
        EXPECT_EQ(Kestrin().WaitForExit(0), STILL_ACTIVE);
    }
    Type("-53687091", " +53687091 ");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(device.Read(29), Command("-2147483640", "2147483640"));
}

// Wine does not hold serial devices exclusively as Windows does; the busy
// target is a file held open without sharing by this test.
TEST_F(Send, TargetHeldByAnotherProgramFailsAndSendsOnceReleased) {
    std::string device = NewTestFolder("Busy") + "\\device.out";
    PortSetting files("FILES", device);
    HANDLE hHeld = CreateFileA(device.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    Open("FILES:");
    Type("3", "4");
    ExpectSendToFail("The port FILES: cannot be opened: Sharing violation.");
    CloseHandle(hHeld);
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("120", "160"));
}

TEST_F(Send, PrinterRemovedAfterStartFailsWithoutHarm) {
    Open("COM1:");
    m_printer->Delete();
    ExpectSendToFail(std::string("Windows has no printer named \"") + PRINTER +
                     "\": check the name that the starting program writes against the printers "
                     "in Devices and Printers.");
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_X), VK_ESCAPE);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT);
}

// A printer has taken the job when it closes the connection after it; one
// that never closes it has not. (Under Wine a reset after the bytes reads as
// a close, so the peer that resets cannot be told apart here.)
TEST_F(Send, TcpPeerThatNeverClosesFailsWithinTheBoundAndTheDialogStaysOpen) {
    TcpPeer peer;
    PortSetting tcpip("TCPIP", peer.Address());
    Open("TCPIP:");
    DWORD dwStart = GetTickCount();
    ExpectSendToFail("The printer at the port TCPIP: did not confirm the command within 5 "
                     "seconds: check that it is on and takes raw print jobs at that address.");
    EXPECT_LT(GetTickCount() - dwStart, 8000u);
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_X), VK_ESCAPE);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT);
}

// A DLL named as one that a system DLL needs, dropped beside the program (an
// unpacked ZIP in Downloads) or in the folder it is started in, is never
// loaded; here the spooler's compstui.dll, which Send loads.
TEST_F(Send, DllPlantedBesideTheProgramOrInTheCurrentFolderIsNotLoaded) {
    const char* const LOADED = "C:\\kestrin-planted-dll-loaded.txt";
    DeleteFileA(LOADED);
    char szTests[MAX_PATH] = "";
    GetModuleFileNameA(NULL, szTests, MAX_PATH);
    std::string planted = std::string(szTests, strrchr(szTests, '\\') - szTests) + "\\planted.dll";
    const std::string beside = NewTestFolder("PlantedBeside");
    const std::string current = NewTestFolder("PlantedCurrent");
    for (const char* pszFile : {"Kestrin.exe", "Tavrix2.dll"})
        ASSERT_TRUE(
            CopyFileA(BuildOutputPath(pszFile).c_str(), (beside + "\\" + pszFile).c_str(), FALSE));
    for (const std::string& folder : {beside, current})
        ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + "\\compstui.dll").c_str(), FALSE));
    std::string device = NewTestFolder("PlantedDevice") + "\\device.out";
    PortSetting files("FILES", device);
    m_printer.reset(new TestPrinter(PRINTER, "FILES:"));
    WriteFileBytes(HANDOFF_PATH, PRINTER);
    char szEarlier[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, szEarlier);
    SetCurrentDirectoryA(current.c_str());
    KestrinProcess kestrin("", beside + "\\Kestrin.exe");
    SetCurrentDirectoryA(szEarlier);
    ASSERT_NE(kestrin.WaitForDialog(), nullptr);
    kestrin.PostClick(IDC_SEND);
    EXPECT_EQ(kestrin.WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("0", "0"));
    EXPECT_FALSE(FileExists(LOADED));
}

TEST_F(Send, FieldTextIsReadStrictly) {
    std::string device = NewTestFolder("FieldText") + "\\device.out";
    PortSetting files("FILES", device);
    Open("FILES:");
    // While the message waits for the user, the port is free for others.
    Type("12a", "0");
    Kestrin().PostClick(IDC_SEND);
    ASSERT_NE(Kestrin().WaitForMessageBox(), nullptr);
    HANDLE hDevice = CreateFileA(device.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, 0, NULL);
    EXPECT_NE(hDevice, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    CloseHandle(hDevice);
    EXPECT_EQ(Acknowledge(), "Please enter an integer.");
    const char* const refused[] = {"   ", "\xB2", "\xEF\xBC\x91", "1,000", "0x10", "1e3", "- 5"};
    for (const char* pszX : refused) {
        Type(pszX, "0");
        Kestrin().PostClick(IDC_SEND);
        EXPECT_EQ(Acknowledge(), "Please enter an integer.") << '"' << pszX << '"';
    }
    const std::string longDigits(20000, '1');
    Type(longDigits.c_str(), "0");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Acknowledge(), "Please enter an integer.");
    // A number and blanks as long as a short buffer, then text.
    const std::string longBlanks = "7" + std::string(70, ' ') + "x";
    for (const std::string& y : {std::string(20000, 'x'), longBlanks}) {
        Type("0", y.c_str());
        Kestrin().PostClick(IDC_SEND);
        EXPECT_EQ(Acknowledge(), "Please enter an integer.") << y.size();
    }
    EXPECT_EQ(ReadFileBytes(device), "");

    Type("+5", " 7 ");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("200", "280"));
}

} // namespace
