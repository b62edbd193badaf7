#include "HandoffReader.h"

#include <shlobj.h>
#include <stdlib.h>

#include "framework/AfxAnsiFromWide.h"
#include "framework/AfxLoadProc.h"
#include "framework/CFile.h"
#include "handoff/HandoffDecoder.h"

namespace {

// A host may still hold the file for a moment after it has started us.
const DWORD HELD_FILE_PATIENCE_MS = 2000;
const DWORD HELD_FILE_RETRY_MS = 50;

struct HANDOFF {
    HANDOFF() : bFound(FALSE), ftWritten() {}

    BOOL bFound;
    FILETIME ftWritten;
    CString strName;
};

CString NameOf(LPCSTR pch, size_t cch) {
    cch = TrimLineEnds(pch, cch);
    return cch <= MAXINT ? CString(pch, static_cast<int>(cch)) : CString();
}

// Text of any characters names a printer only in the ANSI code page's
// exact form; a zero character ends it.
CString NameFromWide(LPCWSTR pwch, size_t cwch) {
    size_t cwchText = 0;
    while (cwchText < cwch && pwch[cwchText] != L'\0')
        ++cwchText;
    CString strName;
    if (cwchText > MAXINT || !AfxAnsiFromWide(pwch, static_cast<int>(cwchText), strName))
        return CString();
    return NameOf(strName, strName.GetLength());
}

// Malformed UTF-8 names no printer either.
CString NameFromUtf8(const unsigned char* pb, size_t cb) {
    cb = TextLength(pb, cb);
    if (cb == 0 || cb > MAXINT)
        return CString();
    LPCSTR pch = reinterpret_cast<LPCSTR>(pb);
    int cwch =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pch, static_cast<int>(cb), NULL, 0);
    WCHAR* pwch = cwch > 0 ? static_cast<WCHAR*>(malloc(cwch * sizeof(WCHAR))) : NULL;
    CString strName;
    if (pwch != NULL && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pch,
                                            static_cast<int>(cb), pwch, cwch) == cwch)
        strName = NameFromWide(pwch, cwch);
    free(pwch);
    return strName;
}

CString DecodeHandoff(unsigned char* pb, size_t cb) {
    // The buffer comes from malloc, so the text after the two-byte mark is
    // aligned for WCHAR.
    if (HasUtf16Bom(pb, cb))
        return NameFromWide(reinterpret_cast<LPCWSTR>(pb + 2), (cb - 2) / 2);
    if (HasUtf8Bom(pb, cb))
        return NameFromUtf8(pb + 3, cb - 3);
    RemoveZeroBytes(pb, cb);
    return NameOf(reinterpret_cast<LPCSTR>(pb), TextLength(pb, cb));
}

// Opens the hand-off so that closing it deletes it: reading and deleting are
// one step, and a hand-off that the host writes meanwhile is not deleted
// unread. A read-only hand-off refuses that; it is opened to be read only,
// and *pbDeleteOnClose says so.
BOOL OpenHandoff(CFile& file, LPCWSTR pszPath, DWORD dwStart, BOOL* pbDeleteOnClose) {
    for (;;) {
        *pbDeleteOnClose = file.Open(pszPath, CFile::modeRead | CFile::osDeleteOnClose);
        if (*pbDeleteOnClose)
            return TRUE;
        if (GetLastError() == ERROR_ACCESS_DENIED && file.Open(pszPath, CFile::modeRead))
            return TRUE;
        if (GetLastError() != ERROR_SHARING_VIOLATION ||
            GetTickCount() - dwStart >= HELD_FILE_PATIENCE_MS)
            return FALSE;
        Sleep(HELD_FILE_RETRY_MS);
    }
}

// Reads one copy of the hand-off and consumes it.
HANDOFF ReadHandoff(LPCWSTR pszPath, DWORD dwStart) {
    HANDOFF handoff;
    CFile file;
    BOOL bDeleteOnClose = FALSE;
    if (!OpenHandoff(file, pszPath, dwStart, &bDeleteOnClose))
        return handoff;
    handoff.bFound = TRUE;
    file.GetLastWriteTime(&handoff.ftWritten);
    ULONGLONG cbFile = file.GetLength();
    // One read of the whole file: it must fit one ReadFile and one block.
    unsigned char* pb = NULL;
    if (cbFile < MAXDWORD)
        pb = static_cast<unsigned char*>(malloc(cbFile > 0 ? static_cast<size_t>(cbFile) : 1));
    UINT cbRead = pb != NULL ? file.Read(pb, static_cast<UINT>(cbFile)) : 0;
    file.Close();
    if (!bDeleteOnClose)
        DeleteFileW(pszPath);
    if (pb != NULL && cbRead == cbFile)
        handoff.strName = DecodeHandoff(pb, cbRead);
    free(pb);
    return handoff;
}

// Where Windows puts what a legacy program without administrator rights
// writes to a protected folder of the system drive: the same path, without
// its drive, under the user's VirtualStore. Since the shell's function is
// bound when it is needed, Windows XP, which has no VirtualStore, still
// starts.
BOOL GetVirtualStoreCopy(LPCWSTR pszPath, WCHAR (&szCopy)[MAX_PATH]) {
    if (pszPath[0] == L'\0' || pszPath[1] != L':' || pszPath[2] != L'\\')
        return FALSE;
    decltype(&SHGetFolderPathW) pfnGetFolderPath;
    if (!AfxBindSystemProc(&pfnGetFolderPath, "shell32.dll", "SHGetFolderPathW") ||
        FAILED(pfnGetFolderPath(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, szCopy)))
        return FALSE;
    const WCHAR VIRTUAL_STORE[] = L"\\VirtualStore\\";
    LPCWSTR pszRest = pszPath + 3;
    if (lstrlenW(szCopy) + lstrlenW(VIRTUAL_STORE) + lstrlenW(pszRest) >= MAX_PATH)
        return FALSE;
    lstrcatW(szCopy, VIRTUAL_STORE);
    lstrcatW(szCopy, pszRest);
    return TRUE;
}

} // namespace

CString ReadHandoffFile(LPCSTR pszPath) {
    WCHAR szPath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, pszPath, -1, szPath, MAX_PATH) == 0)
        return CString();
    DWORD dwStart = GetTickCount();
    HANDOFF handoff = ReadHandoff(szPath, dwStart);
    // Both copies are consumed, so that neither names a printer at a later
    // start; the one written last names it now.
    WCHAR szCopy[MAX_PATH];
    if (GetVirtualStoreCopy(szPath, szCopy)) {
        HANDOFF copy = ReadHandoff(szCopy, dwStart);
        if (copy.bFound &&
            (!handoff.bFound || CompareFileTime(&copy.ftWritten, &handoff.ftWritten) > 0))
            return copy.strName;
    }
    return handoff.strName;
}
