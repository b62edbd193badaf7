#include "CString.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "CWinApp.h"

CString::CString() : m_pszData(NULL), m_nLength(0) {}

CString::CString(const CString& stringSrc) : CString() {
    Assign(stringSrc.m_pszData, stringSrc.m_nLength);
}

CString::CString(LPCSTR psz) : CString() {
    if (psz != NULL)
        Assign(psz, lstrlenA(psz));
}

CString::CString(LPCSTR pch, int nLength) : CString() {
    Assign(pch, nLength);
}

CString::~CString() {
    Release();
}

CString& CString::operator=(const CString& stringSrc) {
    if (this != &stringSrc)
        Assign(stringSrc.m_pszData, stringSrc.m_nLength);
    return *this;
}

CString CString::Left(int nCount) const {
    if (nCount < 0)
        nCount = 0;
    return CString(m_pszData, nCount < m_nLength ? nCount : m_nLength);
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    int nLength = _vscprintf(pszFormat, args);
    va_end(args);
    // The old text is released only after formatting: an argument may be
    // this string itself.
    char* pszData = nLength > 0 ? static_cast<char*>(malloc(nLength + 1)) : NULL;
    if (pszData != NULL) {
        va_start(args, pszFormat);
        _vsnprintf(pszData, nLength + 1, pszFormat, args);
        va_end(args);
        pszData[nLength] = '\0';
    }
    Release();
    if (pszData != NULL) {
        m_pszData = pszData;
        m_nLength = nLength;
    }
}

BOOL CString::LoadString(UINT nID) {
    // With a zero buffer size LoadStringW hands out the resource text itself,
    // so strings of any length load without guessing a buffer size.
    LPCWSTR pwch = NULL;
    int cwch = LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pwch), 0);
    Release();
    if (cwch <= 0)
        return FALSE;
    int cb = WideCharToMultiByte(CP_ACP, 0, pwch, cwch, NULL, 0, NULL, NULL);
    char* pszData = static_cast<char*>(malloc(cb + 1));
    if (pszData == NULL)
        return FALSE;
    WideCharToMultiByte(CP_ACP, 0, pwch, cwch, pszData, cb, NULL, NULL);
    pszData[cb] = '\0';
    m_pszData = pszData;
    m_nLength = cb;
    return TRUE;
}

void CString::Assign(LPCSTR pch, int nLength) {
    // Copy before releasing: pch may point into this string.
    char* pszData = nLength > 0 ? static_cast<char*>(malloc(nLength + 1)) : NULL;
    if (pszData != NULL) {
        memcpy(pszData, pch, nLength);
        pszData[nLength] = '\0';
    }
    Release();
    if (pszData != NULL) {
        m_pszData = pszData;
        m_nLength = nLength;
    }
}

void CString::Release() {
    free(m_pszData);
    m_pszData = NULL;
    m_nLength = 0;
}
