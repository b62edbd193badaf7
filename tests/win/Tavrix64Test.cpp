#include "portlink/PortTable.h"
#include "portlink/Tavrix.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestFiles.h"

namespace {

// Runs in a 64-bit prefix only, where the 32-bit library runs under WoW64:
// the ordinary reg.exe of 64-bit Windows writes the 64-bit registry view,
// which a 32-bit program sees only when it asks for it.
TEST(Tavrix, MachineSettingOfThe64BitRegistryViewIsFound) {
    char szWindows[MAX_PATH] = "";
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    std::string reg = std::string(szWindows) + "\\sysnative\\reg.exe";
    ASSERT_TRUE(FileExists(reg)) << "not a 64-bit prefix";
    std::string path = NewTestFolder("Tavrix64") + "\\machine.prn";
    const std::string key = " HKLM\\Software\\Kestrin\\Tavrix\\Ports /v FILES /f";
    RunToEnd(reg + " add" + key + " /d \"" + path + "\"");
    Tavrix link;
    link.SetCommPort(PORT_FILES);
    EXPECT_TRUE(link.OpenComm(0) && link.Write("\x1B.D1;0;0:", 9) == 9)
        << "error " << GetLastError();
    link.CloseComm();
    RunToEnd(reg + " delete" + key);
    EXPECT_EQ(ReadFileBytes(path), "\x1B.D1;0;0:");
}

} // namespace
