#pragma once

#include "framework/CString.h"
#include "portlink/TavrixError.h"
#include "portlink/TavrixSettings.h"

// The port-link class of Tavrix2.dll: one link to the device port chosen by
// its number in the port table (PortTable.h). The two inline members are
// compiled into, and exported by, the program that uses the class.
//
// A member that fails returns 0 and leaves the reason in the thread's
// last-error code: the system's own code (ERROR_SHARING_VIOLATION for a busy
// port, WSAECONNREFUSED, ...), ERROR_TIMEOUT for a device that did not answer
// or take the bytes in time, ERROR_INVALID_PARAMETER for a port number
// outside the table or a mode other than 0, or one of the library's own
// (TavrixError.h).
//
// A link has one bound, the deployer's TimeoutSeconds (TavrixSettings.h)
// from the start of OpenComm, or the caller's own (SetSendBound), to the end
// of CloseComm: every wait that Windows lets be given up (a device's write,
// a connection, the printer's answer, a print job's end) ends with it, and
// the member then fails with its own reason. A few calls have no such form and return when Windows
// lets them: opening a path on a server that has gone, the spooler's calls,
// a host name's lookup, flushing a file to a share. A caller that must not
// wait for them runs the link on a thread of its own and gives up on it
// there, as Kestrin does (CancelSynchronousIo ends such a call); a link
// closed without a command in it removes the file that its open made.
#ifdef TAVRIX2_BUILD
#define TAVRIX_API __declspec(dllexport)
#define TAVRIX_INLINE_API
#else
#define TAVRIX_API __declspec(dllimport)
#define TAVRIX_INLINE_API __declspec(dllexport)
#endif

class CPortLink;

class Tavrix {
public:
    TAVRIX_API Tavrix();
    TAVRIX_API ~Tavrix();

    // Selects the port by its number and reads its setting, which the next
    // OpenComm follows.
    TAVRIX_API void SetCommPort(int port);
    // The bound of the caller's own send, for the next OpenComm: dwTimeoutMs
    // from dwStartTick (a GetTickCount), the deployer's TimeoutSeconds as the
    // caller read it. The link then keeps to that bound rather than to one
    // of its own from OpenComm, so that a caller who bounds its whole send
    // hears the link's own reason within it.
    TAVRIX_API void SetSendBound(DWORD dwStartTick, DWORD dwTimeoutMs);
    // mode 0 opens the selected port for writing; there is no other mode, and
    // any other value opens nothing. Nonzero when the port is open.
    TAVRIX_API virtual int OpenComm(int mode);
    // Writes all length bytes: length on success, 0 when not all of them
    // were taken in time. A failure after which the bytes may still reach
    // the device says so (TAVRIX_ERROR_MAY_HAVE_ARRIVED, or
    // TAVRIX_ERROR_NOT_CONFIRMED). Over TCP a write is the whole job: it
    // succeeds once the printer has closed the connection after the bytes,
    // and the link takes no more.
    TAVRIX_API unsigned long Write(const char* data, unsigned long length);
    TAVRIX_API virtual void CloseComm();
    // The selected port's setting as SetCommPort read it, so that a caller
    // can say what the port was set to without reading it again, even while
    // the open is under way: ERROR_SUCCESS with its text and the place that
    // decided (TavrixSettings.h), ERROR_FILE_NOT_FOUND when the port has
    // none, or why it cannot be used.
    TAVRIX_API DWORD GetPortSetting(CString* pstrSetting, SETTING_PLACE* pnPlace) const;

    TAVRIX_INLINE_API int IsConnect() { return m_nConnect; }
    // The file that FILES appends to; without one, the FILES port setting.
    TAVRIX_INLINE_API void SetOutputFileName(CString name) { m_strOutputFileName = name; }

private:
    Tavrix(const Tavrix&) = delete;
    Tavrix& operator=(const Tavrix&) = delete;

    int m_nPort;
    int m_nConnect;
    CString m_strOutputFileName;
    CPortLink* m_pLink;
    BOOL m_bSendBound;
    DWORD m_dwSendStart;
    DWORD m_dwSendTimeoutMs;
    DWORD m_dwSettingResult;
    CString m_strSetting;
    SETTING_PLACE m_nSettingPlace;
};
