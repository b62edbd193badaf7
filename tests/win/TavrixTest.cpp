#include "support/Devices.h"

#include "portlink/Tavrix.h"

#include "output/PortTable.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestFiles.h"

namespace {

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

TEST(Tavrix, NothingOpensWithoutATarget) {
    for (int nPort : {PORT_NONE, PORT_COUNT, PORT_FILES, PORT_TCPIP, PORT_FIRST_USB}) {
        Tavrix link;
        link.SetCommPort(nPort);
        EXPECT_EQ(link.OpenComm(0), 0) << nPort;
        EXPECT_EQ(link.IsConnect(), 0);
        EXPECT_EQ(link.Write("x", 1), 0ul);
        link.CloseComm();
    }
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
    EXPECT_EQ(link.Write(flood.data(), flood.size()), 0ul);
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
