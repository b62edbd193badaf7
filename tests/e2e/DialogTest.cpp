#include <windows.h>

#include <gtest/gtest.h>

#include "support/KestrinProcess.h"
#include "support/Devices.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"
#include "ui/resource.h"

namespace {

class Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(HANDOFF_PATH, std::string("D\0e\0m\0o\0\0\0", 10));
        m_kestrin.reset(new KestrinProcess());
        ASSERT_NE(m_kestrin->WaitForDialog(), nullptr) << "no dialog captioned QLA Image Size";
    }

    KestrinProcess& Kestrin() { return *m_kestrin; }

    std::unique_ptr<KestrinProcess> m_kestrin;
};

TEST_F(Dialog, OpensCentredWithZeroSizesAndConsumesTheHandoff) {
    EXPECT_FALSE(FileExists(HANDOFF_PATH));
    RECT rcWork = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    POINT ptCentre = WindowCentre(Kestrin().Dialog());
    EXPECT_NEAR(ptCentre.x, (rcWork.left + rcWork.right) / 2, 1);
    EXPECT_NEAR(ptCentre.y, (rcWork.top + rcWork.bottom) / 2, 1);
    EXPECT_EQ(Kestrin().ItemText(IDC_EDIT_X), "0");
    EXPECT_EQ(Kestrin().ItemText(IDC_EDIT_Y), "0");
    EXPECT_TRUE(Kestrin().WaitForFocus(Kestrin().Item(IDC_EDIT_X)));

    // A second start finds no hand-off and still shows the dialog.
    KestrinProcess second;
    EXPECT_NE(second.WaitForDialog(), nullptr);
}

TEST_F(Dialog, CloseBoxEndsTheProcess) {
    PostMessageA(Kestrin().Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT);
}

TEST_F(Dialog, ArrowsStopAtTheRangeAndWriteValuesTheExchangeAccepts) {
    const struct {
        int nID;
        const char* pszFrom;
        UINT vk;
        int nPresses;
        const char* pszTo;
    } presses[] = {
        // A press past the end changes nothing, so its field may still have
        // it queued when the text is there: it comes last in its field.
        {IDC_EDIT_Y, "999", VK_UP, 1, "1000"},
        {IDC_EDIT_Y, "1", VK_DOWN, 2, "0"},
        {IDC_EDIT_X, "24999", VK_UP, 2, "25000"},
    };
    for (const auto& p : presses) {
        Kestrin().SetItemText(p.nID, p.pszFrom);
        for (int i = 0; i < p.nPresses; ++i)
            Kestrin().PostKey(Kestrin().Item(p.nID), p.vk);
        WaitUntil([&] { return Kestrin().ItemText(p.nID) == p.pszTo; }, 2000);
        EXPECT_EQ(Kestrin().ItemText(p.nID), p.pszTo) << p.pszFrom;
    }

    // The visible Cancel button reads both fields before it closes.
    Kestrin().PostClick(IDOK);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT);
}

TEST_F(Dialog, VisibleCancelKeepsTheDialogOpenOnAFieldThatIsNoInteger) {
    Kestrin().SetItemText(IDC_EDIT_Y, "12a");
    Kestrin().PostClick(IDOK);
    HWND hBox = Kestrin().WaitForMessageBox();
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(MessageText(hBox), "Please enter an integer.");
    EXPECT_EQ(WindowText(hBox), "Kestrin");
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);

    EXPECT_EQ(Kestrin().WaitForExit(500), STILL_ACTIVE);
    EXPECT_TRUE(IsWindowVisible(Kestrin().Dialog()));
    EXPECT_TRUE(Kestrin().WaitForFocus(Kestrin().Item(IDC_EDIT_Y)));

    // Esc closes without reading the fields.
    Kestrin().PostKey(Kestrin().Item(IDC_EDIT_Y), VK_ESCAPE);
    EXPECT_EQ(Kestrin().WaitForExit(), EXIT_NOTHING_SENT);
}

TEST_F(Dialog, MinimisedDialogPaintsAndComesBack) {
    HWND hDialog = Kestrin().Dialog();
    // The dialog manager shows a new dialog once more when its queue first
    // runs empty, which can undo a minimise that came before; so ask again.
    ASSERT_TRUE(WaitUntil(
        [hDialog] {
            PostMessageA(hDialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return WaitUntil([hDialog] { return IsIconic(hDialog) != FALSE; }, 1000);
        },
        3000));
    RedrawWindow(hDialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    DWORD_PTR dwResult = 0;
    EXPECT_TRUE(SendMessageTimeoutA(hDialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult));
    EXPECT_EQ(SendMessageA(hDialog, WM_QUERYDRAGICON, 0, 0),
              SendMessageA(hDialog, WM_GETICON, ICON_BIG, 0));

    PostMessageA(hDialog, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([hDialog] { return !IsIconic(hDialog); }, 2000));
}

// The shell's "open" of .txt files, for one test: it copies the file it is
// given to OPENED instead of showing it, so that the test sees what was
// opened. (Wine's shell reads file types from HKEY_CLASSES_ROOT only.)
class TextOpenStandIn {
public:
    static constexpr const char* OPENED = "C:\\kestrin-help-opened.txt";

    TextOpenStandIn()
        : m_txt(HKEY_CLASSES_ROOT, ".txt", "", "KestrinTest.Text"),
          m_command(HKEY_CLASSES_ROOT, "KestrinTest.Text\\shell\\open\\command", "",
                    std::string("cmd.exe /c copy /y \"%1\" ") + OPENED) {
        DeleteFileA(OPENED);
    }
    ~TextOpenStandIn() { DeleteFileA(OPENED); }

    // Whether the shell was asked to open a file of this content within the
    // timeout, and once it has copied all of it; for no content, whether it
    // was asked to open nothing.
    bool Opened(const std::string& content, DWORD dwTimeoutMs) const {
        bool bOpened = content.empty() ? !WaitUntil([] { return FileExists(OPENED); }, dwTimeoutMs)
                                       : WaitUntil([&] { return ReadFileBytes(OPENED) == content; },
                                                   dwTimeoutMs);
        DeleteFileA(OPENED);
        return bOpened;
    }

private:
    RegistrySetting m_txt;
    RegistrySetting m_command;
};

// F1 opens the README.txt beside the program; without one it does nothing.
// Either way the dialog goes on taking input.
TEST(Help, F1OpensTheReadmeBesideTheProgram) {
    TextOpenStandIn shell;
    std::string bare = NewTestFolder("HelpWithoutReadme");
    for (const char* pszFile : {"Kestrin.exe", "Tavrix2.dll"})
        ASSERT_TRUE(
            CopyFileA(BuildOutputPath(pszFile).c_str(), (bare + "\\" + pszFile).c_str(), FALSE));
    const struct {
        std::string exe;
        std::string opened;
    } cases[] = {
        {BuildOutputPath("Kestrin.exe"), ReadFileBytes(BuildOutputPath("README.txt"))},
        {bare + "\\Kestrin.exe", ""},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(c.exe.empty());
        KestrinProcess kestrin("", c.exe);
        ASSERT_NE(kestrin.WaitForDialog(), nullptr);
        kestrin.PressKey(VK_F1);
        EXPECT_TRUE(shell.Opened(c.opened, c.opened.empty() ? 1500 : 10000)) << c.exe;
        kestrin.SetItemText(IDC_EDIT_X, "12a");
        kestrin.PostClick(IDOK);
        HWND hBox = kestrin.WaitForMessageBox();
        ASSERT_NE(hBox, nullptr) << c.exe;
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntilGone(hBox));
        kestrin.PostKey(kestrin.Item(IDC_EDIT_X), VK_ESCAPE);
        EXPECT_EQ(kestrin.WaitForExit(), EXIT_NOTHING_SENT) << c.exe;
    }
}

TEST(Startup, CommandLineArgumentsChangeNothing) {
    WriteFileBytes(HANDOFF_PATH, "Demo");
    KestrinProcess kestrin("/s 100 50 --help");
    ASSERT_NE(kestrin.WaitForDialog(), nullptr);
    EXPECT_FALSE(FileExists(HANDOFF_PATH));
    EXPECT_EQ(kestrin.ItemText(IDC_EDIT_X), "0");
    kestrin.PostKey(kestrin.Item(IDC_EDIT_X), VK_ESCAPE);
    EXPECT_EQ(kestrin.WaitForExit(), EXIT_NOTHING_SENT);
}

} // namespace
