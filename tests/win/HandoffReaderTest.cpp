#include "handoff/HandoffReader.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <thread>

#include "support/TestFiles.h"

namespace {

class HandoffReader : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = NewTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 "\\handoff.dat";
        // Wine runs every program elevated, as Windows runs an administrator's
        // elevated one; the linked token is the limited one that an unelevated
        // start would get, for which Windows virtualises a legacy program.
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &m_hElevated);
        TOKEN_LINKED_TOKEN linked = {};
        DWORD cb = 0;
        GetTokenInformation(m_hElevated, TokenLinkedToken, &linked, sizeof linked, &cb);
        m_hLimited = linked.LinkedToken;
    }
    void TearDown() override {
        CloseHandle(m_hLimited);
        CloseHandle(m_hElevated);
    }

    // The name, from the hand-off only, as for an elevated program.
    std::string Read() { return static_cast<LPCSTR>(ReadAs(m_hElevated).strName); }
    HANDOFF ReadAs(HANDLE hToken) { return ReadHandoffFile(m_path.c_str(), hToken); }

    std::string m_path;
    HANDLE m_hElevated;
    HANDLE m_hLimited;
};

// As echo Label Prn> c:\~QorTmp.Dat writes it; the decoder's own tests have
// the other forms.
TEST_F(HandoffReader, ReadsTheNameAndConsumesTheFile) {
    WriteFileBytes(m_path, "Label Prn\r\n");
    EXPECT_EQ(Read(), "Label Prn");
    EXPECT_FALSE(FileExists(m_path));
}

// A hand-off larger than a name could be is consumed unread; up to that
// size, any content decodes without harm.
TEST_F(HandoffReader, LargeOddAndRandomFilesDecodeWithoutHarm) {
    std::string largest(MAX_HANDOFF_BYTES, '\0');
    for (size_t i = 0; i < largest.size(); i += 2)
        largest[i] = 'A' + static_cast<char>(i / 2 % 26);
    WriteFileBytes(m_path, largest);
    HANDOFF handoff = ReadAs(m_hElevated);
    EXPECT_EQ(handoff.status, HANDOFF_NAMED);
    EXPECT_EQ(handoff.strName.GetLength(), static_cast<int>(MAX_HANDOFF_BYTES / 2));
    WriteFileBytes(m_path, largest + "A");
    handoff = ReadAs(m_hElevated);
    EXPECT_EQ(handoff.status, HANDOFF_TOO_LARGE);
    EXPECT_TRUE(handoff.strName.IsEmpty());
    EXPECT_FALSE(FileExists(m_path));

    WriteFileBytes(m_path, std::string("O\0d\0d", 5));
    EXPECT_EQ(Read(), "Odd");

    unsigned int nSeed = 7;
    for (int iCase = 0; iCase < 50; ++iCase) {
        std::string bytes(1 + iCase * 37 % 300, '\0');
        for (char& ch : bytes)
            ch = static_cast<char>((nSeed = nSeed * 1103515245 + 12345) >> 16);
        WriteFileBytes(m_path, bytes);
        Read();
        EXPECT_FALSE(FileExists(m_path));
    }
}

// Only a plain file names a printer: through a link, another file's first
// bytes would become the name, and deleting it could delete that file.
TEST_F(HandoffReader, LinkNamesNoPrinterAndTheOtherFileKeepsItsContent) {
    const std::string other = m_path + ".other";
    WriteFileBytes(other, "Secret Printer");
    ASSERT_TRUE(CreateHardLinkA(m_path.c_str(), other.c_str(), NULL));
    HANDOFF handoff = ReadAs(m_hElevated);
    EXPECT_EQ(handoff.status, HANDOFF_NOT_PLAIN);
    EXPECT_TRUE(handoff.strName.IsEmpty());
    EXPECT_EQ(ReadFileBytes(other), "Secret Printer");

    BY_HANDLE_FILE_INFORMATION plain = {};
    plain.nNumberOfLinks = 1;
    plain.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    EXPECT_TRUE(IsPlainFile(plain, FILE_TYPE_DISK));
    const struct {
        DWORD dwAttributes;
        DWORD nLinks;
        DWORD dwFileType;
    } others[] = {
        {FILE_ATTRIBUTE_ARCHIVE, 2, FILE_TYPE_DISK},
        {FILE_ATTRIBUTE_REPARSE_POINT, 1, FILE_TYPE_DISK},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 1, FILE_TYPE_DISK},
        {FILE_ATTRIBUTE_NORMAL, 1, FILE_TYPE_PIPE},
        {FILE_ATTRIBUTE_NORMAL, 1, FILE_TYPE_CHAR},
    };
    for (const auto& o : others) {
        BY_HANDLE_FILE_INFORMATION info = plain;
        info.dwFileAttributes = o.dwAttributes;
        info.nNumberOfLinks = o.nLinks;
        EXPECT_FALSE(IsPlainFile(info, o.dwFileType)) << o.dwAttributes << " " << o.nLinks;
    }
}

TEST_F(HandoffReader, MissingFileOrFolderOfThatNameGivesAnEmptyName) {
    EXPECT_EQ(Read(), "");
    EXPECT_FALSE(FileExists(m_path));

    ASSERT_TRUE(CreateDirectoryA(m_path.c_str(), NULL));
    EXPECT_EQ(Read(), "");
    EXPECT_TRUE(FileExists(m_path));
}

// A host may still hold the file for a moment after starting the program;
// one that never lets go leaves it in place and names no printer.
TEST_F(HandoffReader, FileHeldBrieflyIsReadAndFileHeldOnGivesAnEmptyNameWithinTheBound) {
    const DWORD HOLD_MS = 500;
    WriteFileBytes(m_path, "Held");
    HANDLE hHeld = CreateFileA(m_path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    // The host lets go half a second after the reader has begun.
    const DWORD dwStart = GetTickCount();
    std::thread host([hHeld, HOLD_MS] {
        Sleep(HOLD_MS);
        CloseHandle(hHeld);
    });
    EXPECT_EQ(Read(), "Held");
    EXPECT_GE(GetTickCount() - dwStart, HOLD_MS) << "read without waiting for the host";
    host.join();
    EXPECT_FALSE(FileExists(m_path));

    WriteFileBytes(m_path, "Held On");
    hHeld = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    const DWORD dwHeldOnStart = GetTickCount();
    EXPECT_EQ(Read(), "");
    EXPECT_LT(GetTickCount() - dwHeldOnStart, 4000u) << "the 2-second patience";
    CloseHandle(hHeld);
    EXPECT_EQ(ReadFileBytes(m_path), "Held On");
}

// A deployer may rely on a fixed name this way: Windows refuses to delete a
// read-only hand-off, so it is read again at every start.
TEST_F(HandoffReader, ReadOnlyFileIsReadAndStaysForTheNextStart) {
    WriteFileBytes(m_path, "Read Only");
    SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Read(), "Read Only");
    EXPECT_EQ(Read(), "Read Only");
    EXPECT_TRUE(GetFileAttributesA(m_path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(HandoffReader, ByteOrderMarksSelectUnicodeConvertedExactlyToTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "expected names are written for code page 1252, this is " << GetACP();
    const struct {
        std::string bytes;
        std::string name;
    } cases[] = {
        // U+20AC EURO SIGN is 0x80 in 1252.
        {std::string("\xFF\xFE\xAC\x20u\0r\0o\0\r\0\n\0\0\0x\0", 18), "\x80uro"},
        {std::string("\xFF\xFEO\0d\0d\0!", 9), "Odd"},
        // As PowerShell's Set-Content -Encoding UTF8 writes it.
        {"\xEF\xBB\xBF\xE2\x82\xACuro\r\n", "\x80uro"},
        {std::string("\xEF\xBB\xBFPlain\0Tail", 13), "Plain"},
        {"\xEF\xBB\xBF", ""},
        // U+4E2D has no 1252 form; U+0142 has only the best fit "l", and
        // "Label" may well be another printer. A broken sequence is no name.
        {std::string("\xFF\xFE\x2D\x4Eu\0", 6), ""},
        {std::string("\xFF\xFEL\0a\0b\0e\0\x42\x01", 12), ""},
        {"\xEF\xBB\xBF\xE4\xB8\xADu", ""},
        {"\xEF\xBB\xBFLabe\xC5\x82", ""},
        {"\xEF\xBB\xBFLab\xC5", ""},
    };
    for (const auto& c : cases) {
        WriteFileBytes(m_path, c.bytes);
        EXPECT_EQ(Read(), c.name) << c.bytes;
        EXPECT_FALSE(FileExists(m_path));
    }
}

// A legacy host without administrator rights writes into the user's
// VirtualStore without knowing it. Either copy may be there, or both. An
// elevated host is never redirected: its Kestrin leaves the VirtualStore,
// a folder that unelevated programs may turn into a link, alone.
TEST_F(HandoffReader, VirtualStoreCopyIsReadOnlyWhereWindowsVirtualisesAndTheNewerWins) {
    EXPECT_FALSE(MayBeVirtualised(m_hElevated));
    EXPECT_TRUE(MayBeVirtualised(m_hLimited));
    EXPECT_FALSE(MayBeVirtualised(NULL));
    const std::string copy = VirtualStoreCopy(m_path);
    WriteFileBytes(copy, "Redirected");
    EXPECT_EQ(Read(), "");
    EXPECT_EQ(ReadFileBytes(copy), "Redirected");
    EXPECT_STREQ(ReadAs(m_hLimited).strName, "Redirected");
    EXPECT_FALSE(FileExists(copy));

    // A LOCALAPPDATA that is no full path names no folder of the user's.
    char szHere[MAX_PATH], szLocal[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szHere);
    const std::string relative = std::string(szHere) + "\\xy\\VirtualStore\\" + m_path.substr(3);
    SHCreateDirectoryExA(NULL, relative.substr(0, relative.rfind('\\')).c_str(), NULL);
    WriteFileBytes(relative, "Relative");
    GetEnvironmentVariableA("LOCALAPPDATA", szLocal, MAX_PATH);
    SetEnvironmentVariableA("LOCALAPPDATA", "xy\\");
    EXPECT_STREQ(ReadAs(m_hLimited).strName, "");
    SetEnvironmentVariableA("LOCALAPPDATA", szLocal);
    EXPECT_EQ(ReadFileBytes(relative), "Relative");

    for (bool bCopyIsNewer : {true, false}) {
        const std::string& older = bCopyIsNewer ? m_path : copy;
        const std::string& newer = bCopyIsNewer ? copy : m_path;
        WriteFileBytes(older, "Older");
        WriteFileBytes(newer, "Newer");
        FILETIME ftOlder = {0x10000000, 0x01D00000};
        HANDLE hFile =
            CreateFileA(older.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
        SetFileTime(hFile, NULL, NULL, &ftOlder);
        CloseHandle(hFile);
        EXPECT_STREQ(ReadAs(m_hLimited).strName, "Newer") << newer;
        EXPECT_FALSE(FileExists(m_path));
        EXPECT_FALSE(FileExists(copy));
    }
}

} // namespace
