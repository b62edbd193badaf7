#include "support/Devices.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include "support/KestrinProcess.h"
#include "support/TestFiles.h"
#include "support/TestPrinter.h"
#include "ui/resource.h"

namespace {

const DWORD EXIT_SENT = 0;
const DWORD EXIT_NOTHING_SENT = 1;
const char* const PRINTER = "Kestrin Send Test";
const char* const SEND_FAILED = "Send CCD data failed !";

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

    void Restart() {
        WriteFileBytes(HANDOFF_PATH, PRINTER);
        m_kestrin.reset(new KestrinProcess());
        ASSERT_NE(m_kestrin->WaitForDialog(), nullptr);
    }

    void Type(const char* pszX, const char* pszY) {
        m_kestrin->SetItemText(IDC_EDIT_X, pszX);
        m_kestrin->SetItemText(IDC_EDIT_Y, pszY);
    }

    // Dismisses the message box that says pszText and waits until it is
    // gone, so that the next input reaches the dialog; false if none came.
    bool Acknowledge(const char* pszText) {
        HWND hBox = m_kestrin->WaitForMessageBox(pszText);
        if (hBox == NULL)
            return false;
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        return WaitUntilGone(hBox);
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
        EXPECT_EQ(device.Read(), c.bytes) << c.pszX << " x " << c.pszY;
        Restart();
    }
}

TEST_F(Send, ParallelPortFilesPortAndTcpipPortReachTheirTargets) {
    const char* pszState = getenv("WINE_STATE");
    ASSERT_TRUE(pszState != NULL);
    std::string parallel = WindowsPath(std::string(pszState) + "/parallel.out");
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
}

TEST_F(Send, PortOutsideTheTableFailsAndTheNextPressSeesTheMovedPrinter) {
    SerialPeer device;
    Open("com1:");
    Type("100", "50");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_TRUE(Acknowledge(SEND_FAILED));
    EXPECT_EQ(device.Read(), "");
    EXPECT_EQ(Kestrin().WaitForExit(300), STILL_ACTIVE);
    EXPECT_EQ(Kestrin().ItemText(IDC_EDIT_X), "100");

    ASSERT_TRUE(m_printer->MoveToPort("COM1:"));
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(device.Read(), Command("4000", "2000"));
}

TEST_F(Send, TcpipWithNothingListeningFailsAndTheDialogStaysUsable) {
    unsigned short nClosedPort;
    {
        TcpPeer gone;
        nClosedPort = gone.Port();
    }
    PortSetting tcpip("TCPIP", "127.0.0.1:" + std::to_string(nClosedPort));
    Open("TCPIP:");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_TRUE(Acknowledge(SEND_FAILED));
    EXPECT_EQ(Kestrin().WaitForExit(300), STILL_ACTIVE);

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
        EXPECT_TRUE(Acknowledge(r.pszMessage)) << r.pszX << " x " << r.pszY;
        EXPECT_EQ(device.Read(300), "") << r.pszX << " x " << r.pszY;
        EXPECT_EQ(Kestrin().WaitForExit(0), STILL_ACTIVE);
    }
    Type("-53687091", " +53687091 ");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(device.Read(), Command("-2147483640", "2147483640"));
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
    Kestrin().PostClick(IDC_SEND);
    EXPECT_TRUE(Acknowledge(SEND_FAILED));
    CloseHandle(hHeld);
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("120", "160"));
}

TEST_F(Send, PrinterRemovedAfterStartFailsWithoutHarm) {
    Open("COM1:");
    m_printer->Delete();
    Kestrin().PostClick(IDC_SEND);
    EXPECT_TRUE(Acknowledge(SEND_FAILED));
    EXPECT_EQ(Kestrin().WaitForExit(300), STILL_ACTIVE);
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_X), VK_ESCAPE);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT);
}

TEST_F(Send, TcpPeerThatClosesAtOnceGivesAClearOutcome) {
    TcpPeer peer;
    PortSetting tcpip("TCPIP", peer.Address());
    Open("TCPIP:");
    Kestrin().PostClick(IDC_SEND);
    SOCKET s = peer.Accept();
    ASSERT_NE(s, INVALID_SOCKET);
    closesocket(s);
    // Either the bytes went out before the peer was gone, or the send
    // failed and says so: nothing in between, and nothing hangs.
    DWORD dwExitCode = Kestrin().WaitForExit(2000);
    if (dwExitCode == STILL_ACTIVE)
        EXPECT_TRUE(Acknowledge(SEND_FAILED));
    else
        EXPECT_EQ(dwExitCode, EXIT_SENT);
}

TEST_F(Send, FieldTextIsReadStrictly) {
    std::string device = NewTestFolder("FieldText") + "\\device.out";
    PortSetting files("FILES", device);
    Open("FILES:");
    const char* const refused[] = {"   ", "\xB2", "\xEF\xBC\x91", "1,000", "0x10", "1e3", "- 5"};
    for (const char* pszX : refused) {
        Type(pszX, "0");
        Kestrin().PostClick(IDC_SEND);
        EXPECT_TRUE(Acknowledge("Please enter an integer.")) << '"' << pszX << '"';
    }
    const std::string longDigits(20000, '1');
    Type(longDigits.c_str(), "0");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_TRUE(Acknowledge("Please enter an integer."));
    const std::string longText(20000, 'x');
    Type("0", longText.c_str());
    Kestrin().PostClick(IDC_SEND);
    EXPECT_TRUE(Acknowledge("Please enter an integer."));
    EXPECT_EQ(ReadFileBytes(device), "");

    Type("+5", " 7 ");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("200", "280"));
}

} // namespace
