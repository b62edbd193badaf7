#include "ui/SendFailure.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "portlink/TavrixError.h"

namespace {

// A failure of the row's own kind, on the port LPT2:, or TCPIP: for a host;
// a row for any reason is given one that no row names.
SEND_FAILURE FailureOf(const SEND_FAILURE_ROW& row) {
    SEND_FAILURE f;
    f.stage = static_cast<SEND_STAGE>(row.nStages & (0 - row.nStages));
    f.dwError = row.dwReason == REASON_ANY ? ERROR_NOT_READY : row.dwReason;
    f.handoff = static_cast<HANDOFF_STATUS>(f.dwError);
    f.strPrinter = "Label";
    bool bTcp = row.target == TARGET_TCP;
    f.strPortName = bTcp ? "TCPIP:" : "LPT2:";
    f.nPort = bTcp ? PORT_TCPIP : 9;
    f.strSetting = bTcp ? ":9100" : row.target == TARGET_PRINTER ? "printer:Raw" : "";
    return f;
}

// Each row is the one its own failure finds, its sentence fills exactly its
// inserts, names the port as Windows lists it, counts 1 second and 2
// seconds, and says the command "may still" arrive, ending as the guides
// say, exactly when SendMayStillArrive says so and its event is the warning.
TEST(SendFailure, EveryRowsSentenceIsWholeAndSaysWhatMayStillArrive) {
    for (int i = 0; i < SEND_FAILURE_ROW_COUNT; ++i) {
        const SEND_FAILURE_ROW& row = g_rgSendFailureRows[i];
        SEND_FAILURE f = FailureOf(row);
        EXPECT_EQ(&SendFailureRow(f), &row) << "row " << i;
        CString strFormat;
        ASSERT_TRUE(strFormat.LoadString(row.nIDS)) << row.nIDS;
        int nInserts = 0;
        while (nInserts < MAX_SEND_INSERTS && row.rgInserts[nInserts] != INSERT_NONE)
            ++nInserts;
        for (int n = 1; n <= 9; ++n)
            EXPECT_EQ(strstr(strFormat, ("%" + std::to_string(n)).c_str()) != NULL, n <= nInserts)
                << row.nIDS << " %" << n;
        f.dwTimeoutSeconds = 2;
        const std::string two(SendFailureReason(f));
        f.dwTimeoutSeconds = 1;
        const std::string one(SendFailureReason(f));
        EXPECT_EQ(one.find("1 seconds"), std::string::npos) << one;
        EXPECT_EQ(one.find("within 1 second") != std::string::npos,
                  two.find("within 2 seconds") != std::string::npos)
            << one;
        const std::string bare(f.strPortName, f.strPortName.GetLength() - 1);
        EXPECT_FALSE(std::regex_search(one, std::regex("port \"?" + bare + "(?!:)"))) << one;
        const bool bMayStill = SendMayStillArrive(f);
        EXPECT_EQ(one.find("may still") != std::string::npos, bMayStill) << one;
        EXPECT_EQ(std::regex_search(one, std::regex("Kestrin will not send it twice\\.$")),
                  bMayStill)
            << one;
        EXPECT_EQ(SendFailureEvent(f) == SEND_EVENT_MAY_ARRIVE, bMayStill) << one;
    }
}

// Every library reason, at either stage and for any target, has a row of its
// kind, after which the command may still arrive exactly when the library
// says so; its detail (here both a system error and a job's status) is in the
// system's words, a job's state in those of its first bit that names one; and
// a port with a setting is never said to have no target.
TEST(SendFailure, EveryLibraryReasonHasARowOfItsKind) {
    const DWORD DETAIL = ERROR_ACCESS_DENIED; // JOB_STATUS_DELETING | JOB_STATUS_PAUSED
    const DWORD kinds[] = {
        TAVRIX_ERROR_NO_SETTING,          TAVRIX_ERROR_BAD_SETTING,
        TAVRIX_ERROR_NOT_FULL_PATH,       TAVRIX_ERROR_UNDEFINED_VARIABLE,
        TAVRIX_ERROR_UNSPECIFIED_ADDRESS, TAVRIX_ERROR_PEER_CLOSED,
        TAVRIX_ERROR_BAD_TIMEOUT,         TAVRIX_ERROR_NOT_CONFIRMED,
        TAVRIX_ERROR_UNREADABLE_SETTING,  TAVRIX_ERROR_JOB_FAILED,
        TAVRIX_ERROR_MAY_HAVE_ARRIVED,    TAVRIX_ERROR_JOB_STARTED,
        TAVRIX_ERROR_JOB_HANDED_ON,
    };
    for (DWORD dwKind : kinds)
        for (SEND_STAGE stage : {STAGE_OPEN, STAGE_WRITE})
            for (const char* pszSetting : {"", "printer:Raw", "host"}) {
                SEND_FAILURE f;
                f.stage = stage;
                f.dwError = TavrixErrorDetail(dwKind) ? dwKind : TavrixError(dwKind, DETAIL);
                f.nPort = PORT_TCPIP;
                f.strSetting = pszSetting;
                const std::string reason(SendFailureReason(f));
                EXPECT_EQ(TavrixErrorKind(SendFailureRow(f).dwReason), TavrixErrorKind(f.dwError))
                    << reason;
                EXPECT_EQ(SendMayStillArrive(f), TavrixMayHaveArrived(f.dwError)) << reason;
                EXPECT_EQ(reason.find("Windows error"), std::string::npos) << reason;
                EXPECT_FALSE(*pszSetting && reason.find("has no target") != std::string::npos);
                EXPECT_TRUE(dwKind != TAVRIX_ERROR_JOB_STARTED ||
                            reason.find("(deleted)") != std::string::npos);
            }
}

} // namespace
