#include "HandoffReader.h"

#include <stdlib.h>
#include <string.h>

#include "framework/CFile.h"
#include "handoff/HandoffDecoder.h"

namespace {

CString AnsiFromUtf16(const unsigned char* pb, size_t cb) {
    size_t cwch = cb / 2;
    WCHAR* pwsz = static_cast<WCHAR*>(malloc((cwch + 1) * sizeof(WCHAR)));
    if (pwsz == NULL)
        return CString();
    memcpy(pwsz, pb, cwch * sizeof(WCHAR));
    pwsz[cwch] = L'\0';
    CString strName;
    int cch = WideCharToMultiByte(CP_ACP, 0, pwsz, -1, NULL, 0, NULL, NULL);
    char* psz = cch > 0 ? static_cast<char*>(malloc(cch)) : NULL;
    if (psz != NULL && WideCharToMultiByte(CP_ACP, 0, pwsz, -1, psz, cch, NULL, NULL) > 0)
        strName = CString(psz);
    free(psz);
    free(pwsz);
    return strName;
}

CString DecodeHandoff(unsigned char* pb, size_t cb) {
    if (HasUtf16Bom(pb, cb))
        return AnsiFromUtf16(pb + 2, cb - 2);
    RemoveZeroBytes(pb, cb);
    size_t cch = TextLength(pb, cb);
    return cch <= MAXINT ? CString(reinterpret_cast<LPCSTR>(pb), static_cast<int>(cch)) : CString();
}

} // namespace

CString ReadHandoffFile(LPCSTR pszPath) {
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead))
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
