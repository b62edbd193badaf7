#include "support/Devices.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <thread>

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

    TimeoutSetting m_bound;
    std::unique_ptr<TestPrinter> m_printer;
    std::unique_ptr<KestrinProcess> m_kestrin;
};

TEST_F(Send, ComPortReceivesExactlyTheCommandAndTheProgramEnds) {
    SerialPeer device;
    ASSERT_TRUE(device.Opened());
    Open("COM1:");
    Type("100", "50");
    // Enter sends: Send is the dialog's default button.
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_Y), VK_RETURN);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(device.Read(15), "\x1B\x2E\x44\x31\x3B\x34\x30\x30\x30\x3B\x32\x30\x30\x30\x3A");
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
    WriteFileBytes(device, "earlier;");
    m_printer->MoveToPort("FILES:");
    Restart();
    Type("1", "2");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), "earlier;" + Command("40", "80"));

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
    ExpectSendToFail(std::string("The printer \"") + PRINTER +
                     "\" is on the port \"com1:\", which is none of Kestrin's (COM1: to COM8:, "
                     "LPT1: to LPT4:, FILES:, TCPIP:, ZOVAVA0:, QORUSB1: to QORUSB3:). To reach "
                     "it, let the starting program name a printer on one of those ports whose "
                     "setting is printer:" +
                     PRINTER + " (README.txt, \"Reaching a printer Windows already has\").");
    EXPECT_EQ(device.Read(0), "");
    EXPECT_EQ(Kestrin().ItemText(IDC_EDIT_X), "100");

    ASSERT_TRUE(m_printer->MoveToPort("COM1:"));
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(device.Read(15), Command("4000", "2000"));
}

// A port set to a printer that Windows has, here one whose own port is a
// Unix file, sends it the command as one RAW job, which reaches the device
// untouched. Set to a printer that Windows does not have, it sends nothing
// anywhere.
TEST_F(Send, PortSetToAWindowsPrinterSendsItOneRawJob) {
    const char* pszState = getenv("WINE_STATE");
    ASSERT_TRUE(pszState != NULL);
    const std::string device = std::string(pszState) + "/raw-job.out";
    DeleteFileA(WindowsPath(device).c_str());
    TestPrinter target("Kestrin Raw Target", device);
    ASSERT_TRUE(target.Added());
    PortSetting nobody("LPT2", "printer:Kestrin Nobody");
    Open("LPT2:");
    Type("100", "50");
    ExpectSendToFail("The port LPT2: is set to the printer \"Kestrin Nobody\", which Windows "
                     "does not have: Invalid printer name.");

    // Wine's spooler writes a job to its port and drops it, without ever
    // saying PRINTED: handed on, as far as Kestrin can know, and never sent
    // twice.
    PortSetting raw("LPT2", "printer:Kestrin Raw Target");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_NE(Acknowledge().find("may still"), std::string::npos);
    EXPECT_FALSE(IsWindowEnabled(Kestrin().Item(IDC_SEND)));
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_X), VK_ESCAPE);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_MAYBE_SENT);
    EXPECT_EQ(ReadFileBytes(WindowsPath(device)), Command("4000", "2000"));
}

// A printer that took the command but did not confirm it may still print
// it: Send stays off, so that a second press cannot print it twice, and the
// exit code says that it may have been sent.
TEST_F(Send, CommandThatMayStillPrintIsNeverSentTwice) {
    TcpPeer peer;
    PortSetting tcpip("TCPIP", peer.Address());
    Open("TCPIP:");
    std::string received;
    std::thread printer([&] { received = peer.AcceptReadAndHold(2000); });
    ExpectSendToFail("The printer at the port TCPIP: took the command but did not confirm it "
                     "within 1 second, and may still print it: check the printer before you "
                     "send again. Kestrin will not send it twice.");
    printer.join();
    EXPECT_EQ(received, Command("0", "0"));
    EXPECT_FALSE(IsWindowEnabled(Kestrin().Item(IDC_SEND)));
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForMessageBox(500), nullptr);
    EXPECT_EQ(peer.Accept(500), INVALID_SOCKET);
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_X), VK_ESCAPE);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_MAYBE_SENT);
}

// Text that is no number, or a number too large to send, is refused before
// any port is opened: the port is free for others while the message waits,
// and nothing is sent. Text longer than the field's first read is read
// whole.
TEST_F(Send, FieldsThatHoldNoSendableNumberSendNothingAndHoldNoPort) {
    std::string device = NewTestFolder("FieldText") + "\\device.out";
    PortSetting files("FILES", device);
    Open("FILES:");
    Type("1,000", "0");
    Kestrin().PostClick(IDC_SEND);
    ASSERT_NE(Kestrin().WaitForMessageBox(), nullptr);
    HANDLE hDevice = CreateFileA(device.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, 0, NULL);
    EXPECT_NE(hDevice, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    CloseHandle(hDevice);
    EXPECT_EQ(Acknowledge(), "Please enter an integer.");
    const char* const OUT_OF_RANGE = "Please enter an integer between -53687091 and 53687091.";
    const struct {
        std::string x;
        std::string y;
        const char* pszMessage;
    } refused[] = {
        {"53687092", "0", OUT_OF_RANGE},
        {"0", "-53687092", OUT_OF_RANGE},
        {std::string(20000, '1'), "0", "Please enter an integer."},
        {"0", "7" + std::string(70, ' ') + "x", "Please enter an integer."},
    };
    for (const auto& r : refused) {
        Type(r.x.c_str(), r.y.c_str());
        Kestrin().PostClick(IDC_SEND);
        EXPECT_EQ(Acknowledge(), r.pszMessage) << r.x.size() << " " << r.y.size();
    }
    EXPECT_EQ(ReadFileBytes(device), "");

    Type("-53687091", " +53687091 ");
    Kestrin().PostClick(IDC_SEND);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_SENT);
    EXPECT_EQ(ReadFileBytes(device), Command("-2147483640", "2147483640"));
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

} // namespace
