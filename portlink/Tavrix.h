#pragma once

#include "framework/CString.h"

// The port-link class of Tavrix2.dll: one link to the device port chosen by
// port number (0..7 COM1..COM8, 8..11 LPT1..LPT4, 12 FILES, 13 TCPIP,
// 14 ZOVAVA0, 15..17 QORUSB1..QORUSB3). The two inline members are compiled
// into, and exported by, the program that uses the class.
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

    TAVRIX_API void SetCommPort(int port);
    // mode 0 opens the selected port for writing; there is no other mode, and
    // any other value opens nothing. Nonzero when the port is open.
    TAVRIX_API virtual int OpenComm(int mode);
    // Writes all length bytes: length on success, 0 when not all could be
    // written within the link's timeout.
    TAVRIX_API unsigned long Write(const char* data, unsigned long length);
    TAVRIX_API virtual void CloseComm();

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
};
