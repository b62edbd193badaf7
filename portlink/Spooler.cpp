#include "Spooler.h"

const SPOOLER_API* Spooler() {
    static const LPCSTR NAMES[] = {SPOOLER_FUNCTIONS(AFX_API_NAME)};
    return AfxSystemApi<SPOOLER_API>("winspool.drv", NAMES);
}
