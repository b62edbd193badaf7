#include "SettingText.h"

#include <stddef.h>

namespace {

bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

bool IsDriveLetter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

char ToLowerAscii(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

} // namespace

bool IsFullPath(const char* pszPath) {
    if (IsDriveLetter(pszPath[0]) && pszPath[1] == ':')
        return IsSeparator(pszPath[2]);
    return IsSeparator(pszPath[0]) && IsSeparator(pszPath[1]) && pszPath[2] != '\0' &&
           !IsSeparator(pszPath[2]);
}

const char* PrinterOfSetting(const char* pszSetting) {
    const char PREFIX[] = "printer:";
    for (size_t i = 0; i + 1 < sizeof PREFIX; ++i)
        if (ToLowerAscii(pszSetting[i]) != PREFIX[i])
            return NULL;
    return pszSetting + sizeof PREFIX - 1;
}
