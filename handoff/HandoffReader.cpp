#include "HandoffReader.h"

#include <stdlib.h>
#include <string.h>

#include "framework/CFile.h"
#include "handoff/HandoffDecoder.h"

namespace {

// A host may still hold the file for a moment after it has started us.
const DWORD HELD_FILE_PATIENCE_MS = 2000;
const DWORD HELD_FILE_RETRY_MS = 50;

CString NameOf(LPCSTR pch, size_t cch) {
    cch = TrimLineEnds(pch, cch);
    return cch <= MAXINT ? CString(pch, static_cast<int>(cch)) : CString();
}

// A name that the ANSI code page cannot hold exactly names no printer: its
// best-fit lookalike ("Label" for "Labeł") may well name another one.
CString AnsiFromUtf16(const unsigned char* pb, size_t cb) {
    size_t cwch = cb / 2;
    WCHAR* pwsz = static_cast<WCHAR*>(malloc((cwch + 1) * sizeof(WCHAR)));
    if (pwsz == NULL)
        return CString();
    memcpy(pwsz, pb, cwch * sizeof(WCHAR));
    pwsz[cwch] = L'\0';
    // UTF-8 holds every character, and takes neither the flag nor the check.
    bool bUtf8 = GetACP() == CP_UTF8;
    DWORD dwFlags = bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL bDefaultUsed = FALSE;
    LPBOOL pbDefaultUsed = bUtf8 ? NULL : &bDefaultUsed;
    CString strName;
    int cch = WideCharToMultiByte(CP_ACP, dwFlags, pwsz, -1, NULL, 0, NULL, pbDefaultUsed);
    char* psz = cch > 0 && !bDefaultUsed ? static_cast<char*>(malloc(cch)) : NULL;
    if (psz != NULL &&
        WideCharToMultiByte(CP_ACP, dwFlags, pwsz, -1, psz, cch, NULL, pbDefaultUsed) > 0 &&
        !bDefaultUsed)
        strName = NameOf(psz, strlen(psz));
    free(psz);
    free(pwsz);
    return strName;
}

CString DecodeHandoff(unsigned char* pb, size_t cb) {
    if (HasUtf16Bom(pb, cb))
        return AnsiFromUtf16(pb + 2, cb - 2);
    RemoveZeroBytes(pb, cb);
    return NameOf(reinterpret_cast<LPCSTR>(pb), TextLength(pb, cb));
}

BOOL OpenHandoff(CFile& file, LPCSTR pszPath) {
    DWORD dwStart = GetTickCount();
    while (!file.Open(pszPath, CFile::modeRead)) {
        if (GetLastError() != ERROR_SHARING_VIOLATION ||
            GetTickCount() - dwStart >= HELD_FILE_PATIENCE_MS)
            return FALSE;
        Sleep(HELD_FILE_RETRY_MS);
    }
    return TRUE;
}

} // namespace

CString ReadHandoffFile(LPCSTR pszPath) {
    CFile file;
    if (!OpenHandoff(file, pszPath))
        return CString();
    ULONGLONG cbFile = file.GetLength();
    // One read of the whole file: it must fit one ReadFile and one block.
    unsigned char* pb = NULL;
    if (cbFile < MAXDWORD)
        pb = static_cast<unsigned char*>(malloc(cbFile > 0 ? static_cast<size_t>(cbFile) : 1));
    UINT cbRead = pb != NULL ? file.Read(pb, static_cast<UINT>(cbFile)) : 0;
    file.Close();
    DeleteFileA(pszPath);
    CString strName;
    if (pb != NULL && cbRead == cbFile)
        strName = DecodeHandoff(pb, cbRead);
    free(pb);
    return strName;
}
