#include "SendEventLog.h"

#include <stdlib.h>

#include "KestrinVersion.h"
#include "SendEvents.h"
#include "framework/AfxCallWithin.h"
#include "framework/AfxLoadProc.h"
#include "framework/CString.h"

// The event IDs are the message table's numbers.
static_assert(SEND_EVENT_NO_PRINTER == MSG_SEND_NO_PRINTER &&
                  SEND_EVENT_BAD_SETTING == MSG_SEND_SETTING_UNUSABLE &&
                  SEND_EVENT_NO_PORT == MSG_SEND_PRINTER_UNREACHABLE &&
                  SEND_EVENT_NOT_OPENED == MSG_SEND_PORT_NOT_OPENED &&
                  SEND_EVENT_NOT_SENT == MSG_SEND_NOT_SENT &&
                  SEND_EVENT_MAY_ARRIVE == MSG_SEND_MAY_STILL_ARRIVE,
              "SendEvents.mc numbers each event as the failure table does");

namespace {

// The insertion strings, in the order SendEvents.mc numbers them.
enum {
    STRING_MESSAGE,
    STRING_PRINTER,
    STRING_PORT,
    STRING_SETTING,
    STRING_PLACE,
    STRING_ERROR,
    STRING_TIMEOUT,
    STRING_VERSION,
    STRING_COUNT
};

// An event on its way, on the C run-time heap: the thread that reports it
// outlives the call that made it, and frees it.
struct PENDING_EVENT {
    static void* operator new(size_t cb) noexcept { return malloc(cb); }
    static void operator delete(void* p) { free(p); }

    DWORD dwEventId;
    WORD wType;
    CString rgstrInsert[STRING_COUNT];
};

// The event log's client, loaded only when there is something to report.
// clang-format off
#define EVENT_LOG_FUNCTIONS(F) F(RegisterEventSourceA) F(ReportEventA) F(DeregisterEventSource)
// clang-format on

struct EVENT_LOG {
    EVENT_LOG_FUNCTIONS(AFX_API_MEMBER)
};

LPCSTR PlaceName(SETTING_PLACE nPlace) {
    switch (nPlace) {
    case PLACE_MACHINE_POLICY:
        return "machine policy";
    case PLACE_USER_POLICY:
        return "user policy";
    case PLACE_USER:
        return "user";
    case PLACE_MACHINE:
        return "machine";
    case PLACE_NONE:
        break;
    }
    return "none";
}

void Report(void* pv) {
    PENDING_EVENT* pEvent = static_cast<PENDING_EVENT*>(pv);
    static const LPCSTR NAMES[] = {EVENT_LOG_FUNCTIONS(AFX_API_NAME)};
    const EVENT_LOG* pLog = AfxSystemApi<EVENT_LOG>("advapi32.dll", NAMES);
    HANDLE hSource = pLog != NULL ? pLog->RegisterEventSourceA(NULL, "Kestrin") : NULL;
    if (hSource != NULL) {
        const EVENT_LOG& log = *pLog;
        LPCSTR rgpszInsert[STRING_COUNT];
        for (int i = 0; i < STRING_COUNT; ++i)
            rgpszInsert[i] = pEvent->rgstrInsert[i];
        log.ReportEventA(hSource, pEvent->wType, 0, pEvent->dwEventId, NULL, STRING_COUNT, 0,
                         rgpszInsert, NULL);
        log.DeregisterEventSource(hSource);
    }
    delete pEvent;
}

} // namespace

void ReportSendEvent(const SEND_FAILURE& failure, LPCSTR pszMessage) {
    PENDING_EVENT* pEvent = new PENDING_EVENT;
    if (pEvent == NULL)
        return;
    pEvent->dwEventId = SendFailureEvent(failure);
    pEvent->wType = SendMayStillArrive(failure) ? EVENTLOG_WARNING_TYPE : EVENTLOG_ERROR_TYPE;
    CString* rgstr = pEvent->rgstrInsert;
    rgstr[STRING_MESSAGE] = pszMessage;
    rgstr[STRING_PRINTER] = failure.strPrinter;
    rgstr[STRING_PORT] = failure.strPortName;
    rgstr[STRING_SETTING] = failure.strSetting;
    rgstr[STRING_PLACE] = PlaceName(failure.nSettingPlace);
    rgstr[STRING_ERROR].Format("0x%08lX", failure.dwError);
    rgstr[STRING_TIMEOUT].Format("%lu", failure.dwTimeoutSeconds);
    rgstr[STRING_VERSION] = KESTRIN_VERSION_DOTTED;
    if (AfxCallDetached(Report, pEvent) != ERROR_SUCCESS)
        delete pEvent;
}
