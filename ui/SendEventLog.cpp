#include "SendEventLog.h"

#include <stdlib.h>

#include "KestrinVersion.h"
#include "framework/AfxLoadProc.h"
#include "framework/CString.h"

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

// The event log's client, in advapi32.dll.
struct EVENT_LOG {
    decltype(&::RegisterEventSourceA) RegisterEventSourceA;
    decltype(&::ReportEventA) ReportEventA;
    decltype(&::DeregisterEventSource) DeregisterEventSource;
};

bool LoadEventLog(EVENT_LOG* p) {
    const char* const DLL = "advapi32.dll";
    return AfxBindSystemProc(&p->RegisterEventSourceA, DLL, "RegisterEventSourceA") &&
           AfxBindSystemProc(&p->ReportEventA, DLL, "ReportEventA") &&
           AfxBindSystemProc(&p->DeregisterEventSource, DLL, "DeregisterEventSource");
}

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

DWORD WINAPI ReportThread(LPVOID pv) {
    PENDING_EVENT* pEvent = static_cast<PENDING_EVENT*>(pv);
    EVENT_LOG log;
    HANDLE hSource = LoadEventLog(&log) ? log.RegisterEventSourceA(NULL, "Kestrin") : NULL;
    if (hSource != NULL) {
        LPCSTR rgpszInsert[STRING_COUNT];
        for (int i = 0; i < STRING_COUNT; ++i)
            rgpszInsert[i] = pEvent->rgstrInsert[i];
        log.ReportEventA(hSource, pEvent->wType, 0, pEvent->dwEventId, NULL, STRING_COUNT, 0,
                         rgpszInsert, NULL);
        log.DeregisterEventSource(hSource);
    }
    delete pEvent;
    return 0;
}

} // namespace

void ReportSendEvent(const SEND_EVENT& event) {
    PENDING_EVENT* pEvent = new PENDING_EVENT;
    if (pEvent == NULL)
        return;
    pEvent->dwEventId = event.dwEventId;
    pEvent->wType = event.bWarning ? EVENTLOG_WARNING_TYPE : EVENTLOG_ERROR_TYPE;
    CString* rgstr = pEvent->rgstrInsert;
    rgstr[STRING_MESSAGE] = event.pszMessage;
    rgstr[STRING_PRINTER] = event.pszPrinter;
    rgstr[STRING_PORT] = event.pszPortName;
    rgstr[STRING_SETTING] = event.pszSetting;
    rgstr[STRING_PLACE] = PlaceName(event.nPlace);
    rgstr[STRING_ERROR].Format("0x%08lX", event.dwError);
    rgstr[STRING_TIMEOUT].Format("%lu", event.dwTimeoutSeconds);
    rgstr[STRING_VERSION] = KESTRIN_VERSION_DOTTED;
    HANDLE hThread = CreateThread(NULL, 0, ReportThread, pEvent, 0, NULL);
    if (hThread == NULL)
        delete pEvent;
    else
        CloseHandle(hThread);
}
