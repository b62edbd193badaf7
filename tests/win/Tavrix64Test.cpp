#include "portlink/PortTable.h"
#include "portlink/Tavrix.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestFiles.h"

namespace {

// Runs in a 64-bit prefix only, where the 32-bit library runs under WoW64:
// the ordinary reg.exe of 64-bit Windows writes the 64-bit registry view,
// which the 32-bit package can neither keep nor remove. The machine's
// settings are those of the 32-bit view, which reg.exe writes with /reg:32.
TEST(Tavrix, MachineSettingIsReadInThe32BitRegistryViewOnly) {
    char szWindows[MAX_PATH] = "";
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    std::string reg = std::string(szWindows) + "\\sysnative\\reg.exe";
    ASSERT_TRUE(FileExists(reg)) << "not a 64-bit prefix";
    std::string path = NewTestFolder("Tavrix64") + "\\machine.prn";
    const std::string key = " HKLM\\Software\\Kestrin\\Tavrix\\Ports /v FILES /f";
    for (const char* pszView : {"", " /reg:32"}) {
        RunToEnd(reg + " add" + key + pszView + " /d \"" + path + "\"");
        Tavrix link;
        link.SetCommPort(PORT_FILES);
        EXPECT_EQ(link.OpenComm(0) && link.Write("\x1B.D1;0;0:", 9) == 9, *pszView != '\0')
            << pszView << ": error " << GetLastError();
        link.CloseComm();
        RunToEnd(reg + " delete" + key + pszView);
    }
    EXPECT_EQ(ReadFileBytes(path), "\x1B.D1;0;0:");
}

} // namespace
