#include "ui/SendFailure.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <winspool.h>

#include <string>

#include "portlink/TavrixError.h"

namespace {

// Every reason a send fails for, with what the user reads. The printer is
// "Label" on the port LPT2: and each wait 3 seconds; the system's own words
// are Wine's.
TEST(SendFailure, EveryReasonSaysWhatFailedAndWhatToDo) {
    const DWORD MAYBE = TAVRIX_ERROR_MAY_HAVE_ARRIVED;
    const DWORD JOB = TAVRIX_ERROR_JOB_FAILED;
    const DWORD STARTED = TAVRIX_ERROR_JOB_STARTED;
    const char* const RAW = "printer:Raw";
    const struct {
        SEND_STAGE stage;
        DWORD dwError;
        const char* pszSetting;
        const char* pszReason;
    } reasons[] = {
        {STAGE_HANDOFF, HANDOFF_NONE, "",
         "No printer was named: the program that starts Kestrin must write a printer's name, in "
         "characters of this computer's code page, to c:\\~QorTmp.Dat before each start."},
        {STAGE_HANDOFF, HANDOFF_NOT_PLAIN, "",
         "No printer was named: c:\\~QorTmp.Dat was a link or a device rather than a plain file, "
         "and Kestrin reads no other file through it. The program that starts Kestrin must write "
         "the printer's name to that file itself."},
        {STAGE_HANDOFF, HANDOFF_TOO_LARGE, "",
         "No printer was named: c:\\~QorTmp.Dat was larger than 64 KB, far more than a printer's "
         "name, and was not read."},
        {STAGE_TIMEOUT, TAVRIX_ERROR_BAD_TIMEOUT, "",
         "The setting TimeoutSeconds, under Software\\Kestrin\\Tavrix or Group Policy's "
         "Software\\Policies\\Kestrin\\Tavrix, is no number of seconds from 1 to 60: make it a "
         "REG_DWORD value in that range, or delete it to wait 5 seconds."},
        {STAGE_TIMEOUT, TavrixError(TAVRIX_ERROR_UNREADABLE_SETTING, ERROR_ACCESS_DENIED), "",
         "The setting TimeoutSeconds, under Software\\Kestrin\\Tavrix or Group Policy's "
         "Software\\Policies\\Kestrin\\Tavrix, cannot be read: Access denied."},
        {STAGE_LOOKUP, ERROR_INVALID_PRINTER_NAME, "",
         "Windows has no printer named \"Label\": check the name that the starting program writes "
         "against the printers in Devices and Printers."},
        {STAGE_LOOKUP, ERROR_TIMEOUT, "",
         "The print spooler did not say within 3 seconds which port the printer \"Label\" is on: "
         "check that the Print Spooler service runs and that the printer's server answers."},
        {STAGE_LOOKUP, RPC_S_SERVER_UNAVAILABLE, "",
         "The print spooler cannot say which port the printer \"Label\" is on: RPC server "
         "unavailable."},
        {STAGE_SHARED, 0, "",
         "The printer \"Label\" is shared by another computer, \\\\Srv, and is on a port of that "
         "computer's, not of this one's. To reach it, let the starting program name a printer on "
         "one of Kestrin's ports whose setting is printer:Label (README.txt, \"Reaching a printer "
         "Windows already has\")."},
        {STAGE_PORT, ERROR_INVALID_PARAMETER, "",
         "The printer \"Label\" is on the port \"LPT2:\", which is none of Kestrin's (COM1: to "
         "COM8:, LPT1: to LPT4:, FILES:, TCPIP:, ZOVAVA0:, QORUSB1: to QORUSB3:). To reach it, let "
         "the starting program name a printer on one of those ports whose setting is "
         "printer:Label (README.txt, \"Reaching a printer Windows already has\")."},
        {STAGE_OPEN, TAVRIX_ERROR_NO_SETTING, "",
         "The port LPT2: has no target: set the string value LPT2 under "
         "HKEY_CURRENT_USER\\Software\\Kestrin\\Tavrix\\Ports or "
         "HKEY_LOCAL_MACHINE\\Software\\Kestrin\\Tavrix\\Ports."},
        {STAGE_OPEN, TAVRIX_ERROR_BAD_SETTING, "",
         "The setting of the port LPT2: is not text: make the value LPT2 under "
         "Software\\Kestrin\\Tavrix\\Ports a string value (REG_SZ or REG_EXPAND_SZ)."},
        {STAGE_OPEN, TavrixError(TAVRIX_ERROR_UNREADABLE_SETTING, ERROR_NO_UNICODE_TRANSLATION), "",
         "The setting of the port LPT2 cannot be read: No Unicode translation."},
        {STAGE_OPEN, TAVRIX_ERROR_NOT_FULL_PATH, "device.out",
         "The setting of the port LPT2, \"device.out\", is no full path, and would put the "
         "command in whatever folder Kestrin was started in: give the drive or the server too "
         "(C:\\Labels\\device.out, \\\\server\\share\\device.out)."},
        {STAGE_OPEN, TAVRIX_ERROR_UNDEFINED_VARIABLE, "",
         "The setting of the port LPT2 names an environment variable that is not defined here: "
         "define it, or write the path out in full."},
        {STAGE_OPEN, TAVRIX_ERROR_UNSPECIFIED_ADDRESS, "0.0.0.0:9100",
         "The setting of the port LPT2, \"0.0.0.0:9100\", names no printer: 0.0.0.0 and :: stand "
         "for this computer itself. Give the printer's own address or name."},
        {STAGE_OPEN, ERROR_TIMEOUT, "",
         "The port LPT2: did not answer within 3 seconds: check that the device is on and can be "
         "reached."},
        {STAGE_OPEN, ERROR_SHARING_VIOLATION, "",
         "The port LPT2: cannot be opened: Sharing violation."},
        {STAGE_WRITE, ERROR_TIMEOUT, "",
         "The port LPT2: did not take the command within 3 seconds: check that the device is on, "
         "ready and connected."},
        {STAGE_WRITE, ERROR_DISK_FULL, "",
         "Writing the command to the port LPT2: failed: Disk full."},
        {STAGE_WRITE, TAVRIX_ERROR_PEER_CLOSED, "",
         "The printer at the port LPT2: closed the connection before the command was sent, so "
         "nothing was sent: check that it takes raw print jobs at that address."},
        {STAGE_WRITE, TAVRIX_ERROR_NOT_CONFIRMED, "",
         "The printer at the port LPT2: took the command but did not confirm it within 3 seconds, "
         "and may still print it: check the printer before you send again. Kestrin will not send "
         "it twice."},
        {STAGE_WRITE, TavrixError(MAYBE, ERROR_TIMEOUT), "",
         "The port LPT2: did not take all of the command within 3 seconds, and what it took may "
         "still reach the device: check the device before you send again. Kestrin will not send "
         "it twice."},
        {STAGE_WRITE, TavrixError(MAYBE, WSAECONNRESET), "",
         "Writing the command to the port LPT2: stopped part-way, and what went may still reach "
         "the device: Connection reset by peer. Check the device before you send again. Kestrin "
         "will not send it twice."},
        {STAGE_OPEN, ERROR_INVALID_PRINTER_NAME, RAW,
         "The port LPT2: is set to the printer \"Raw\", which Windows does not have: Invalid "
         "printer name."},
        {STAGE_OPEN, ERROR_ACCESS_DENIED, RAW,
         "The port LPT2: is set to the printer \"Raw\", which cannot take the command: Access "
         "denied."},
        {STAGE_WRITE, ERROR_INVALID_DATATYPE, RAW,
         "The driver of the printer \"Raw\", to which the port LPT2: is set, does not accept the "
         "device's own commands: a \"Generic / Text Only\" printer on the same port will."},
        {STAGE_WRITE, TavrixError(JOB, JOB_STATUS_OFFLINE | JOB_STATUS_PRINTING), RAW,
         "The printer \"Raw\", to which the port LPT2: is set, reported the command's job as "
         "offline, so Kestrin deleted it and nothing was sent: check the printer and send again."},
        {STAGE_WRITE, TavrixError(JOB, 0), RAW,
         "The printer \"Raw\", to which the port LPT2: is set, had not printed the command within "
         "3 seconds (its job was waiting in the queue), so Kestrin deleted the job and nothing "
         "was sent: check the printer and send again."},
        {STAGE_WRITE, TavrixError(STARTED, JOB_STATUS_COMPLETE), RAW,
         "The printer \"Raw\", to which the port LPT2: is set, had started on the command's job "
         "(sent to the printer) before it could be taken back, and may still print it: check the "
         "printer before you send again. Kestrin will not send it twice."},
    };
    for (const auto& r : reasons) {
        HANDOFF_STATUS handoff =
            r.stage == STAGE_HANDOFF ? static_cast<HANDOFF_STATUS>(r.dwError) : HANDOFF_NAMED;
        SEND_FAILURE failure = {r.stage, r.dwError, handoff,      "Label", "\\\\Srv",
                                "LPT2:", 9,         r.pszSetting, 3};
        EXPECT_EQ(std::string(SendFailureReason(failure)), r.pszReason)
            << r.stage << " " << std::hex << r.dwError;
    }

    SEND_FAILURE unnamed = {STAGE_SHARED, 0, HANDOFF_NAMED, "Label", "", "", -1, "", 3};
    const std::string shared = "The printer \"Label\" is shared by another computer, and is on";
    EXPECT_EQ(std::string(SendFailureReason(unnamed)).substr(0, shared.size()), shared);

    // A job's state in words: the first of its status bits that names one.
    const struct {
        DWORD dwStatus;
        const char* pszState;
    } states[] = {
        {JOB_STATUS_DELETING | JOB_STATUS_ERROR, "deleted"},
        {JOB_STATUS_ERROR | JOB_STATUS_OFFLINE, "in error"},
        {JOB_STATUS_PAPEROUT, "out of paper"},
        {JOB_STATUS_BLOCKED_DEVQ, "blocked"},
        {JOB_STATUS_USER_INTERVENTION, "waiting for someone at the printer"},
        {JOB_STATUS_PRINTING | JOB_STATUS_PAUSED, "printing"},
        {JOB_STATUS_PAUSED | JOB_STATUS_SPOOLING, "paused"},
    };
    for (const auto& s : states) {
        SEND_FAILURE failure = {STAGE_WRITE,
                                TavrixError(STARTED, s.dwStatus),
                                HANDOFF_NAMED,
                                "Label",
                                "",
                                "LPT2:",
                                9,
                                RAW,
                                3};
        EXPECT_NE(std::string(SendFailureReason(failure)).find(std::string("(") + s.pszState + ")"),
                  std::string::npos)
            << s.pszState;
    }
}

} // namespace
