#include "AfxAnsiFromWide.h"

#include <stdlib.h>

BOOL AfxAnsiFromWide(LPCWSTR pwch, int cwch, CString& rString) {
    rString = CString();
    if (cwch == 0)
        return TRUE;
    // UTF-8 holds every character, and takes neither the flag nor the check;
    // a lone surrogate it would turn into U+FFFD fails instead. Only Windows
    // 10 and later have UTF-8 as the ANSI code page, and Vista and later the
    // flag, which is taken with CP_UTF8 by name only.
    UINT nCodePage = GetACP() == CP_UTF8 ? CP_UTF8 : CP_ACP;
    bool bUtf8 = nCodePage == CP_UTF8;
    DWORD dwFlags = bUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL bDefaultUsed = FALSE;
    LPBOOL pbDefaultUsed = bUtf8 ? NULL : &bDefaultUsed;
    int cch = WideCharToMultiByte(nCodePage, dwFlags, pwch, cwch, NULL, 0, NULL, pbDefaultUsed);
    char* pch = cch > 0 && !bDefaultUsed ? static_cast<char*>(malloc(cch)) : NULL;
    BOOL bConverted =
        pch != NULL &&
        WideCharToMultiByte(nCodePage, dwFlags, pwch, cwch, pch, cch, NULL, pbDefaultUsed) == cch &&
        !bDefaultUsed;
    if (bConverted)
        rString = CString(pch, cch);
    else if (bDefaultUsed)
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    else if (cch > 0 && pch == NULL)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    free(pch);
    return bConverted;
}
