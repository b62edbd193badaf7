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

// One of the two places a hand-off may be in, as found.
struct HANDOFF_COPY {
    HANDOFF_COPY() : bFound(FALSE), ftWritten() { handoff.status = HANDOFF_NONE; }

    BOOL bFound;
    FILETIME ftWritten;
    HANDOFF handoff;
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
// unread. A link is opened, and so deleted, as itself. A read-only hand-off
// refuses that; it is opened to be read only, and *pbDeleteOnClose says so.
BOOL OpenHandoff(CFile& file, LPCWSTR pszPath, DWORD dwStart, BOOL* pbDeleteOnClose) {
    for (;;) {
        *pbDeleteOnClose =
            file.Open(pszPath, CFile::modeRead | CFile::osNoFollow | CFile::osDeleteOnClose);
        if (*pbDeleteOnClose)
            return TRUE;
        if (GetLastError() == ERROR_ACCESS_DENIED &&
            file.Open(pszPath, CFile::modeRead | CFile::osNoFollow))
            return TRUE;
        if (GetLastError() != ERROR_SHARING_VIOLATION ||
            GetTickCount() - dwStart >= HELD_FILE_PATIENCE_MS)
            return FALSE;
        Sleep(HELD_FILE_RETRY_MS);
    }
}

// The name in the file's content, read in one piece.
HANDOFF ReadName(CFile& file, DWORD cbFile) {
    HANDOFF handoff = {HANDOFF_NONE, CString()};
    unsigned char* pb = static_cast<unsigned char*>(malloc(cbFile > 0 ? cbFile : 1));
    if (pb != NULL && file.Read(pb, cbFile) == cbFile)
        handoff.strName = DecodeHandoff(pb, cbFile);
    free(pb);
    if (!handoff.strName.IsEmpty())
        handoff.status = HANDOFF_NAMED;
    return handoff;
}

// Reads one copy of the hand-off and consumes it.
HANDOFF_COPY ReadCopy(LPCWSTR pszPath, DWORD dwStart) {
    HANDOFF_COPY copy;
    CFile file;
    BOOL bDeleteOnClose = FALSE;
    if (!OpenHandoff(file, pszPath, dwStart, &bDeleteOnClose))
        return copy;
    copy.bFound = TRUE;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file.GetInformation(&info) || !IsPlainFile(info, file.GetType()))
        copy.handoff.status = HANDOFF_NOT_PLAIN;
    else if (info.nFileSizeHigh != 0 || info.nFileSizeLow > MAX_HANDOFF_BYTES)
        copy.handoff.status = HANDOFF_TOO_LARGE;
    else
        copy.handoff = ReadName(file, info.nFileSizeLow);
    copy.ftWritten = info.ftLastWriteTime;
    return copy;
}

// The user's local application data: as the environment names it, where it
// names a folder on a drive letter, so that start-up need not load the shell,
// whose known folder is asked otherwise; never a UNC or device path. The shell's function is bound
// when it is needed, so that Windows XP, which has no VirtualStore, starts.
BOOL GetLocalAppData(WCHAR (&szFolder)[MAX_PATH]) {
    DWORD cch = GetEnvironmentVariableW(L"LOCALAPPDATA", szFolder, MAX_PATH);
    if (cch > 0 && cch < MAX_PATH && (szFolder[0] | 0x20) >= L'a' && (szFolder[0] | 0x20) <= L'z' &&
        szFolder[1] == L':' && szFolder[2] == L'\\')
        return TRUE;
    decltype(&SHGetFolderPathW) pfnGetFolderPath;
    return AfxBindSystemProc(&pfnGetFolderPath, "shell32.dll", "SHGetFolderPathW") &&
           SUCCEEDED(
               pfnGetFolderPath(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, szFolder));
}

// Where Windows puts what a legacy program without administrator rights
// writes to a protected folder of the system drive: the same path, without
// its drive, under the user's VirtualStore.
BOOL GetVirtualStoreCopy(LPCWSTR pszPath, WCHAR (&szCopy)[MAX_PATH]) {
    if (pszPath[0] == L'\0' || pszPath[1] != L':' || pszPath[2] != L'\\' ||
        !GetLocalAppData(szCopy))
        return FALSE;
    const WCHAR VIRTUAL_STORE[] = L"\\VirtualStore\\";
    LPCWSTR pszRest = pszPath + 3;
    if (lstrlenW(szCopy) + lstrlenW(VIRTUAL_STORE) + lstrlenW(pszRest) >= MAX_PATH)
        return FALSE;
    lstrcatW(szCopy, VIRTUAL_STORE);
    lstrcatW(szCopy, pszRest);
    return TRUE;
}

BOOL ProcessMayBeVirtualised() {
    HANDLE hToken = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return FALSE;
    BOOL bVirtualised = MayBeVirtualised(hToken);
    CloseHandle(hToken);
    return bVirtualised;
}

} // namespace

BOOL IsPlainFile(const BY_HANDLE_FILE_INFORMATION& info, DWORD dwFileType) {
    return dwFileType == FILE_TYPE_DISK &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ==
               0 &&
           info.nNumberOfLinks == 1;
}

BOOL MayBeVirtualised(HANDLE hToken) {
    TOKEN_ELEVATION elevation = {};
    DWORD cbElevation = 0;
    return GetTokenInformation(hToken, TokenElevation, &elevation, sizeof elevation,
                               &cbElevation) &&
           !elevation.TokenIsElevated;
}

HANDOFF ReadHandoffFile(LPCSTR pszPath, HANDLE hToken) {
    WCHAR szPath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, pszPath, -1, szPath, MAX_PATH) == 0)
        return HANDOFF_COPY().handoff;
    DWORD dwStart = GetTickCount();
    HANDOFF_COPY handoff = ReadCopy(szPath, dwStart);
    // Both copies are consumed, so that neither names a printer at a later
    // start; the one written last names it now.
    WCHAR szCopy[MAX_PATH];
    BOOL bVirtualised = hToken != NULL ? MayBeVirtualised(hToken) : ProcessMayBeVirtualised();
    if (bVirtualised && GetVirtualStoreCopy(szPath, szCopy)) {
        HANDOFF_COPY copy = ReadCopy(szCopy, dwStart);
        if (copy.bFound &&
            (!handoff.bFound || CompareFileTime(&copy.ftWritten, &handoff.ftWritten) > 0))
            return copy.handoff;
    }
    return handoff.handoff;
}
