#include "Winsock.h"

const WINSOCK_API* Winsock() {
    static const LPCSTR NAMES[] = {WINSOCK_FUNCTIONS(AFX_API_NAME)};
    return AfxSystemApi<WINSOCK_API>("ws2_32.dll", NAMES);
}
