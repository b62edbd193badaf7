#include "AfxFormatString.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Copies the format with its markers replaced into pch, when there is one;
// returns the length of the result either way.
size_t Expand(LPCSTR pszFormat, LPCSTR const* rgpsz, int nString, char* pch) {
    size_t cch = 0;
    for (LPCSTR psz = pszFormat; *psz != '\0'; ++psz) {
        int iString = psz[0] == '%' && psz[1] >= '1' && psz[1] <= '9' ? psz[1] - '1' : nString;
        if (iString < nString) {
            size_t cchInsert = strlen(rgpsz[iString]);
            if (pch != NULL)
                memcpy(pch + cch, rgpsz[iString], cchInsert);
            cch += cchInsert;
            ++psz;
        } else {
            if (pch != NULL)
                pch[cch] = *psz;
            ++cch;
        }
    }
    return cch;
}

} // namespace

void AfxFormatStrings(CString& rString, UINT nIDS, LPCSTR const* rgpsz, int nString) {
    CString strFormat;
    strFormat.LoadString(nIDS);
    size_t cch = Expand(strFormat, rgpsz, nString, NULL);
    char* pch = static_cast<char*>(malloc(cch + 1));
    rString = CString();
    if (pch != NULL && cch <= MAXINT) {
        Expand(strFormat, rgpsz, nString, pch);
        rString = CString(pch, static_cast<int>(cch));
    }
    free(pch);
}

void AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1) {
    AfxFormatStrings(rString, nIDS, &lpsz1, 1);
}

void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2) {
    LPCSTR rgpsz[] = {lpsz1, lpsz2};
    AfxFormatStrings(rString, nIDS, rgpsz, 2);
}
