#include "SendFailure.h"

#include <string.h>
#include <winspool.h>

#include "framework/AfxFormatString.h"
#include "portlink/SettingText.h"
#include "portlink/TavrixError.h"
#include "ui/resource.h"

namespace {

// The stages at which the library is called, and gives its own reasons.
const UINT LINK = STAGE_OPEN | STAGE_WRITE;

} // namespace

// Each row is what failed, and then what says so. Kept as a table, not as
// clang-format would lay it out.
// clang-format off
const SEND_FAILURE_ROW g_rgSendFailureRows[] = {
    {STAGE_HANDOFF, REASON_ANY, TARGET_ANY,
     IDS_NO_PRINTER, {}, SEND_EVENT_NO_PRINTER},
    {STAGE_HANDOFF, HANDOFF_NOT_PLAIN, TARGET_ANY,
     IDS_HANDOFF_NOT_PLAIN, {}, SEND_EVENT_NO_PRINTER},
    {STAGE_HANDOFF, HANDOFF_TOO_LARGE, TARGET_ANY,
     IDS_HANDOFF_TOO_LARGE, {}, SEND_EVENT_NO_PRINTER},
    // The library reads TimeoutSeconds itself where it is not told the bound.
    {STAGE_TIMEOUT | LINK, TAVRIX_ERROR_BAD_TIMEOUT, TARGET_ANY,
     IDS_BAD_TIMEOUT, {}, SEND_EVENT_BAD_SETTING},
    {STAGE_TIMEOUT, REASON_ANY, TARGET_ANY,
     IDS_UNREADABLE_TIMEOUT, {INSERT_REASON}, SEND_EVENT_BAD_SETTING},
    {STAGE_LOOKUP, ERROR_INVALID_PRINTER_NAME, TARGET_ANY,
     IDS_UNKNOWN_PRINTER, {INSERT_PRINTER}, SEND_EVENT_NO_PORT},
    {STAGE_LOOKUP, ERROR_TIMEOUT, TARGET_ANY,
     IDS_SPOOLER_TIMEOUT, {INSERT_PRINTER, INSERT_SECONDS}, SEND_EVENT_NO_PORT},
    {STAGE_LOOKUP, REASON_ANY, TARGET_ANY,
     IDS_LOOKUP_FAILED, {INSERT_PRINTER, INSERT_REASON}, SEND_EVENT_NO_PORT},
    {STAGE_SHARED, REASON_ANY, TARGET_ANY,
     IDS_SHARED_PRINTER, {INSERT_PRINTER, INSERT_SERVER}, SEND_EVENT_NO_PORT},
    {STAGE_PORT, REASON_ANY, TARGET_ANY,
     IDS_PORT_NOT_REACHED, {INSERT_PRINTER, INSERT_PORT, INSERT_PORTS}, SEND_EVENT_NO_PORT},

    // The port's setting cannot be used.
    {LINK, TAVRIX_ERROR_NO_SETTING, TARGET_ANY,
     IDS_NO_SETTING, {INSERT_PORT, INSERT_VALUE}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_NO_SETTING, TARGET_TCP,
     IDS_NO_HOST, {INSERT_PORT, INSERT_SETTING}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_NO_SETTING, TARGET_PRINTER,
     IDS_NO_TARGET_PRINTER, {INSERT_PORT, INSERT_SETTING}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_BAD_SETTING, TARGET_ANY,
     IDS_BAD_SETTING, {INSERT_PORT, INSERT_VALUE}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_UNREADABLE_SETTING, TARGET_ANY,
     IDS_UNREADABLE_SETTING, {INSERT_PORT, INSERT_REASON}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_NOT_FULL_PATH, TARGET_ANY,
     IDS_NOT_FULL_PATH, {INSERT_PORT, INSERT_SETTING}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_UNDEFINED_VARIABLE, TARGET_ANY,
     IDS_UNDEFINED_VARIABLE, {INSERT_PORT}, SEND_EVENT_BAD_SETTING},
    {LINK, TAVRIX_ERROR_UNSPECIFIED_ADDRESS, TARGET_ANY,
     IDS_UNSPECIFIED_ADDRESS, {INSERT_PORT, INSERT_SETTING}, SEND_EVENT_BAD_SETTING},

    // The port did not open.
    {STAGE_OPEN, ERROR_TIMEOUT, TARGET_ANY,
     IDS_NO_ANSWER, {INSERT_PORT, INSERT_SECONDS}, SEND_EVENT_NOT_OPENED},
    {STAGE_OPEN, REASON_ANY, TARGET_ANY,
     IDS_OPEN_FAILED, {INSERT_PORT, INSERT_REASON}, SEND_EVENT_NOT_OPENED},
    {STAGE_OPEN, ERROR_INVALID_PRINTER_NAME, TARGET_PRINTER,
     IDS_TARGET_UNKNOWN, {INSERT_PORT, INSERT_TARGET, INSERT_REASON}, SEND_EVENT_NOT_OPENED},
    {STAGE_OPEN, REASON_ANY, TARGET_PRINTER,
     IDS_TARGET_FAILED, {INSERT_PORT, INSERT_TARGET, INSERT_REASON}, SEND_EVENT_NOT_OPENED},

    // The command was not sent.
    {STAGE_WRITE, ERROR_TIMEOUT, TARGET_ANY,
     IDS_WRITE_TIMEOUT, {INSERT_PORT, INSERT_SECONDS}, SEND_EVENT_NOT_SENT},
    {STAGE_WRITE, REASON_ANY, TARGET_ANY,
     IDS_WRITE_FAILED, {INSERT_PORT, INSERT_REASON}, SEND_EVENT_NOT_SENT},
    {STAGE_WRITE, REASON_ANY, TARGET_PRINTER,
     IDS_TARGET_FAILED, {INSERT_PORT, INSERT_TARGET, INSERT_REASON}, SEND_EVENT_NOT_SENT},
    {LINK, TAVRIX_ERROR_PEER_CLOSED, TARGET_ANY,
     IDS_PEER_CLOSED, {INSERT_PORT}, SEND_EVENT_NOT_SENT},
    {LINK, ERROR_INVALID_DATATYPE, TARGET_PRINTER,
     IDS_RAW_REFUSED, {INSERT_PORT, INSERT_TARGET}, SEND_EVENT_NOT_SENT},
    {LINK, TAVRIX_ERROR_JOB_FAILED, TARGET_ANY,
     IDS_JOB_FAILED, {INSERT_PORT, INSERT_TARGET, INSERT_SECONDS, INSERT_JOB_STATE},
     SEND_EVENT_NOT_SENT},

    // The command may still arrive.
    {LINK, TAVRIX_ERROR_NOT_CONFIRMED, TARGET_ANY,
     IDS_NOT_CONFIRMED, {INSERT_PORT, INSERT_SECONDS}, SEND_EVENT_MAY_ARRIVE},
    {LINK, TavrixError(TAVRIX_ERROR_MAY_HAVE_ARRIVED, ERROR_TIMEOUT), TARGET_ANY,
     IDS_WRITE_TIMEOUT_UNCERTAIN, {INSERT_PORT, INSERT_SECONDS}, SEND_EVENT_MAY_ARRIVE},
    {LINK, TAVRIX_ERROR_MAY_HAVE_ARRIVED, TARGET_ANY,
     IDS_WRITE_FAILED_UNCERTAIN, {INSERT_PORT, INSERT_REASON}, SEND_EVENT_MAY_ARRIVE},
    {LINK, TAVRIX_ERROR_JOB_STARTED, TARGET_ANY,
     IDS_JOB_STARTED, {INSERT_PORT, INSERT_TARGET, INSERT_JOB_STATE}, SEND_EVENT_MAY_ARRIVE},
    {LINK, TAVRIX_ERROR_JOB_HANDED_ON, TARGET_ANY,
     IDS_JOB_HANDED_ON, {INSERT_PORT, INSERT_TARGET, INSERT_JOB_STATE}, SEND_EVENT_MAY_ARRIVE},
};
// clang-format on
const int SEND_FAILURE_ROW_COUNT = sizeof g_rgSendFailureRows / sizeof g_rgSendFailureRows[0];

namespace {

// A setting the library found has text: an empty value counts as none.
SEND_TARGET TargetOf(const SEND_FAILURE& f) {
    if (PrinterOfSetting(f.strSetting) != NULL)
        return TARGET_PRINTER;
    return f.nPort == PORT_TCPIP && !f.strSetting.IsEmpty() ? TARGET_TCP : TARGET_DEVICE;
}

CString Words(UINT nIDS) {
    CString strWords;
    strWords.LoadString(nIDS);
    return strWords;
}

CString Format(UINT nIDS, LPCSTR psz1, LPCSTR psz2 = "") {
    CString strText;
    AfxFormatString2(strText, nIDS, psz1, psz2);
    return strText;
}

CString Number(DWORD dw) {
    CString strNumber;
    strNumber.Format("%lu", dw);
    return strNumber;
}

// The system's own words for an error code, or its number.
CString SystemMessage(DWORD dwError) {
    LPSTR pszMessage = NULL;
    DWORD cch = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               NULL, dwError, 0, reinterpret_cast<LPSTR>(&pszMessage), 0, NULL);
    // The text ends in a line break.
    while (cch > 0 && (pszMessage[cch - 1] == '\r' || pszMessage[cch - 1] == '\n' ||
                       pszMessage[cch - 1] == ' '))
        --cch;
    CString strMessage = cch > 0 ? CString(pszMessage, static_cast<int>(cch))
                                 : Format(IDS_SYSTEM_ERROR, Number(dwError));
    LocalFree(pszMessage);
    return strMessage;
}

// The system's reason in an error: the detail of a library reason that
// carries one (its kind is the same whatever the detail), or the error.
DWORD SystemReason(DWORD dwError) {
    bool bDetailed = TavrixErrorKind(dwError | 1) == (dwError & 0xFFFF0000);
    return bDetailed ? TavrixErrorDetail(dwError) : dwError;
}

// A print job's status in words: those of the first of its bits, in this
// order, that names one.
UINT JobState(DWORD dwStatus) {
    const struct {
        DWORD dwBits;
        UINT nIDS;
    } states[] = {
        {JOB_STATUS_DELETED | JOB_STATUS_DELETING, IDS_JOB_DELETED},
        {JOB_STATUS_ERROR, IDS_JOB_ERROR},
        {JOB_STATUS_OFFLINE, IDS_JOB_OFFLINE},
        {JOB_STATUS_PAPEROUT, IDS_JOB_PAPEROUT},
        {JOB_STATUS_BLOCKED_DEVQ, IDS_JOB_BLOCKED},
        {JOB_STATUS_USER_INTERVENTION, IDS_JOB_ATTENTION},
        {JOB_STATUS_PRINTING, IDS_JOB_PRINTING},
        {JOB_STATUS_COMPLETE, IDS_JOB_SENT},
        {JOB_STATUS_PAUSED, IDS_JOB_PAUSED},
    };
    for (const auto& state : states)
        if (dwStatus & state.dwBits)
            return state.nIDS;
    return IDS_JOB_QUEUED;
}

// Whether the next port of the table numbers on from this one by its last
// digit: COM2 after COM1.
bool NumbersOn(LPCSTR pszPort, LPCSTR pszNext) {
    size_t cch = strlen(pszPort);
    return cch > 0 && strlen(pszNext) == cch && strncmp(pszPort, pszNext, cch - 1) == 0 &&
           pszPort[cch - 1] >= '0' && pszPort[cch - 1] < '9' &&
           pszNext[cch - 1] == pszPort[cch - 1] + 1;
}

// Kestrin's ports as Windows lists them, in table order, a run of numbered
// ones by its first and last: "COM1: to COM8:, ..., FILES:".
CString PortList() {
    CString strList;
    for (int nFirst = 0; nFirst < PORT_COUNT;) {
        int nLast = nFirst;
        while (nLast + 1 < PORT_COUNT &&
               NumbersOn(g_rgpszPortNames[nLast], g_rgpszPortNames[nLast + 1]))
            ++nLast;
        CString strFirst;
        strFirst.Format("%s:", g_rgpszPortNames[nFirst]);
        CString strLast;
        strLast.Format("%s:", g_rgpszPortNames[nLast]);
        CString strRun = nLast == nFirst ? strFirst : Format(IDS_PORT_RANGE, strFirst, strLast);
        strList.Format(nFirst == 0 ? "%s%s" : "%s, %s", static_cast<LPCSTR>(strList),
                       static_cast<LPCSTR>(strRun));
        nFirst = nLast + 1;
    }
    return strList;
}

CString Insert(SEND_INSERT insert, const SEND_FAILURE& f) {
    switch (insert) {
    case INSERT_NONE:
        break;
    case INSERT_PRINTER:
        return f.strPrinter;
    case INSERT_SERVER:
        return f.strServer.IsEmpty() ? Words(IDS_SERVER_UNNAMED) : f.strServer;
    case INSERT_PORT:
        return f.strPortName;
    case INSERT_PORTS:
        return PortList();
    case INSERT_VALUE:
        return f.nPort >= 0 && f.nPort < PORT_COUNT ? g_rgpszPortNames[f.nPort] : "";
    case INSERT_SETTING:
        return f.strSetting;
    case INSERT_TARGET: {
        LPCSTR pszPrinter = PrinterOfSetting(f.strSetting);
        return pszPrinter != NULL ? pszPrinter : "";
    }
    case INSERT_SECONDS:
        return f.dwTimeoutSeconds == 1 ? Words(IDS_ONE_SECOND)
                                       : Format(IDS_SECONDS, Number(f.dwTimeoutSeconds));
    case INSERT_REASON:
        return SystemMessage(SystemReason(f.dwError));
    case INSERT_JOB_STATE:
        return Words(JobState(TavrixErrorDetail(f.dwError)));
    }
    return CString();
}

} // namespace

const SEND_FAILURE_ROW& SendFailureRow(const SEND_FAILURE& f) {
    DWORD dwReason = f.stage == STAGE_HANDOFF ? static_cast<DWORD>(f.handoff) : f.dwError;
    const DWORD rgdwReasons[] = {dwReason, TavrixErrorKind(dwReason), REASON_ANY};
    const SEND_TARGET rgTargets[] = {TargetOf(f), TARGET_ANY};
    for (DWORD dwTry : rgdwReasons)
        for (SEND_TARGET target : rgTargets)
            for (const SEND_FAILURE_ROW& row : g_rgSendFailureRows)
                if ((row.nStages & f.stage) != 0 && row.dwReason == dwTry && row.target == target)
                    return row;
    // Not reached: every stage has a row for any reason and any target.
    return g_rgSendFailureRows[SEND_FAILURE_ROW_COUNT - 1];
}

CString SendFailureReason(const SEND_FAILURE& failure) {
    const SEND_FAILURE_ROW& row = SendFailureRow(failure);
    CString rgstrInserts[MAX_SEND_INSERTS];
    LPCSTR rgpszInserts[MAX_SEND_INSERTS];
    for (int i = 0; i < MAX_SEND_INSERTS; ++i) {
        rgstrInserts[i] = Insert(row.rgInserts[i], failure);
        rgpszInserts[i] = rgstrInserts[i];
    }
    CString strReason;
    AfxFormatStrings(strReason, row.nIDS, rgpszInserts, MAX_SEND_INSERTS);
    return strReason;
}

SEND_EVENT_ID SendFailureEvent(const SEND_FAILURE& failure) {
    return SendFailureRow(failure).event;
}

bool SendMayStillArrive(const SEND_FAILURE& failure) {
    return SendFailureEvent(failure) == SEND_EVENT_MAY_ARRIVE;
}
