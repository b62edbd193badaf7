#include "SendFailure.h"

#include <winspool.h>

#include "framework/AfxFormatString.h"
#include "portlink/PortTable.h"
#include "portlink/SettingText.h"
#include "portlink/TavrixError.h"
#include "ui/resource.h"

namespace {

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
    CString strMessage;
    if (cch > 0) {
        strMessage = CString(pszMessage, static_cast<int>(cch));
    } else {
        char szNumber[16];
        wsprintfA(szNumber, "%lu", dwError);
        AfxFormatString1(strMessage, IDS_SYSTEM_ERROR, szNumber);
    }
    LocalFree(pszMessage);
    return strMessage;
}

// A print job's state in words, and whether it is one the job fails in:
// the first of its status bits, in this order, that names one.
struct JOB_STATE {
    DWORD dwBits;
    UINT nIDS;
    bool bFailed;
};

JOB_STATE JobState(DWORD dwStatus) {
    const JOB_STATE states[] = {
        {JOB_STATUS_DELETED | JOB_STATUS_DELETING, IDS_JOB_DELETED, true},
        {JOB_STATUS_ERROR, IDS_JOB_ERROR, true},
        {JOB_STATUS_OFFLINE, IDS_JOB_OFFLINE, true},
        {JOB_STATUS_PAPEROUT, IDS_JOB_PAPEROUT, true},
        {JOB_STATUS_BLOCKED_DEVQ, IDS_JOB_BLOCKED, true},
        {JOB_STATUS_USER_INTERVENTION, IDS_JOB_ATTENTION, true},
        {JOB_STATUS_PRINTING, IDS_JOB_PRINTING, false},
        {JOB_STATUS_COMPLETE, IDS_JOB_SENT, false},
        {JOB_STATUS_PAUSED, IDS_JOB_PAUSED, false},
    };
    for (const JOB_STATE& state : states)
        if (dwStatus & state.dwBits)
            return state;
    return {0, IDS_JOB_QUEUED, false};
}

CString Words(UINT nIDS) {
    CString strWords;
    strWords.LoadString(nIDS);
    return strWords;
}

CString Format(UINT nIDS, LPCSTR psz1, LPCSTR psz2 = "", LPCSTR psz3 = "", LPCSTR psz4 = "") {
    LPCSTR rgpsz[] = {psz1, psz2, psz3, psz4};
    CString strText;
    AfxFormatStrings(strText, nIDS, rgpsz, 4);
    return strText;
}

// The reasons of a port whose setting names a Windows printer.
CString PrinterTargetReason(const SEND_FAILURE& f, LPCSTR pszSeconds, LPCSTR pszTarget) {
    DWORD dwKind = TavrixErrorKind(f.dwError);
    DWORD dwDetail = TavrixErrorDetail(f.dwError);
    JOB_STATE state = JobState(dwDetail);
    if (dwKind == TAVRIX_ERROR_JOB_FAILED && state.bFailed)
        return Format(IDS_JOB_FAILED, f.strPortName, pszTarget, Words(state.nIDS));
    if (dwKind == TAVRIX_ERROR_JOB_FAILED)
        return Format(IDS_JOB_TIMEOUT, f.strPortName, pszTarget, pszSeconds, Words(state.nIDS));
    if (dwKind == TAVRIX_ERROR_JOB_STARTED || dwKind == TAVRIX_ERROR_JOB_HANDED_ON)
        return Format(IDS_JOB_STARTED, f.strPortName, pszTarget, Words(state.nIDS));
    if (f.dwError == ERROR_INVALID_PRINTER_NAME)
        return Format(IDS_TARGET_UNKNOWN, f.strPortName, pszTarget, SystemMessage(f.dwError));
    if (f.dwError == ERROR_INVALID_DATATYPE)
        return Format(IDS_RAW_REFUSED, f.strPortName, pszTarget);
    return CString();
}

CString PortReason(const SEND_FAILURE& f, LPCSTR pszSeconds) {
    LPCSTR pszValue = f.nPort >= 0 && f.nPort < PORT_COUNT ? g_rgpszPortNames[f.nPort] : "";
    LPCSTR pszTarget = PrinterOfSetting(f.strSetting);
    CString strReason =
        pszTarget != NULL ? PrinterTargetReason(f, pszSeconds, pszTarget) : CString();
    if (!strReason.IsEmpty())
        return strReason;
    switch (TavrixErrorKind(f.dwError)) {
    case TAVRIX_ERROR_NO_SETTING:
        return Format(IDS_NO_SETTING, f.strPortName, pszValue);
    case TAVRIX_ERROR_BAD_SETTING:
        return Format(IDS_BAD_SETTING, f.strPortName, pszValue);
    case TAVRIX_ERROR_UNREADABLE_SETTING:
        return Format(IDS_UNREADABLE_SETTING, pszValue,
                      SystemMessage(TavrixErrorDetail(f.dwError)));
    case TAVRIX_ERROR_NOT_FULL_PATH:
        return Format(IDS_NOT_FULL_PATH, pszValue, f.strSetting);
    case TAVRIX_ERROR_UNDEFINED_VARIABLE:
        return Format(IDS_UNDEFINED_VARIABLE, pszValue);
    case TAVRIX_ERROR_UNSPECIFIED_ADDRESS:
        return Format(IDS_UNSPECIFIED_ADDRESS, pszValue, f.strSetting);
    case TAVRIX_ERROR_BAD_TIMEOUT:
        return Words(IDS_BAD_TIMEOUT);
    case TAVRIX_ERROR_PEER_CLOSED:
        return Format(IDS_PEER_CLOSED, f.strPortName);
    case TAVRIX_ERROR_NOT_CONFIRMED:
        return Format(IDS_NOT_CONFIRMED, f.strPortName, pszSeconds);
    case TAVRIX_ERROR_MAY_HAVE_ARRIVED:
        return TavrixErrorDetail(f.dwError) == ERROR_TIMEOUT
                   ? Format(IDS_WRITE_TIMEOUT_UNCERTAIN, f.strPortName, pszSeconds)
                   : Format(IDS_WRITE_FAILED_UNCERTAIN, f.strPortName,
                            SystemMessage(TavrixErrorDetail(f.dwError)));
    }
    bool bOpening = f.stage == STAGE_OPEN;
    if (f.dwError == ERROR_TIMEOUT)
        return Format(bOpening ? IDS_NO_ANSWER : IDS_WRITE_TIMEOUT, f.strPortName, pszSeconds);
    if (pszTarget != NULL)
        return Format(IDS_TARGET_FAILED, f.strPortName, pszTarget, SystemMessage(f.dwError));
    return Format(bOpening ? IDS_OPEN_FAILED : IDS_WRITE_FAILED, f.strPortName,
                  SystemMessage(f.dwError));
}

} // namespace

CString SendFailureReason(const SEND_FAILURE& f) {
    char szSeconds[16];
    wsprintfA(szSeconds, "%lu", f.dwTimeoutSeconds);
    switch (f.stage) {
    case STAGE_HANDOFF:
        return Words(f.handoff == HANDOFF_NOT_PLAIN   ? IDS_HANDOFF_NOT_PLAIN
                     : f.handoff == HANDOFF_TOO_LARGE ? IDS_HANDOFF_TOO_LARGE
                                                      : IDS_NO_PRINTER);
    case STAGE_TIMEOUT:
        return f.dwError == TAVRIX_ERROR_BAD_TIMEOUT
                   ? Words(IDS_BAD_TIMEOUT)
                   : Format(IDS_UNREADABLE_TIMEOUT, SystemMessage(TavrixErrorDetail(f.dwError)));
    case STAGE_LOOKUP:
        if (f.dwError == ERROR_INVALID_PRINTER_NAME)
            return Format(IDS_UNKNOWN_PRINTER, f.strPrinter);
        return f.dwError == ERROR_TIMEOUT
                   ? Format(IDS_SPOOLER_TIMEOUT, f.strPrinter, szSeconds)
                   : Format(IDS_LOOKUP_FAILED, f.strPrinter, SystemMessage(f.dwError));
    case STAGE_SHARED:
        return f.strServer.IsEmpty() ? Format(IDS_SHARED_PRINTER_UNNAMED, f.strPrinter)
                                     : Format(IDS_SHARED_PRINTER, f.strPrinter, f.strServer);
    case STAGE_PORT:
        return Format(IDS_PORT_NOT_REACHED, f.strPrinter, f.strPortName);
    case STAGE_OPEN:
    case STAGE_WRITE:
        break;
    }
    return PortReason(f, szSeconds);
}
