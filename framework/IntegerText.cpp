#include "IntegerText.h"

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

const char* SkipBlanks(const char* psz) {
    while (IsBlank(*psz))
        ++psz;
    return psz;
}

} // namespace

bool ParseIntegerText(const char* pszText, int* pnValue) {
    const char* psz = SkipBlanks(pszText);
    bool bNegative = *psz == '-';
    if (*psz == '-' || *psz == '+')
        ++psz;
    if (*psz < '0' || *psz > '9')
        return false;
    // Accumulate the magnitude in unsigned arithmetic, stopping as soon as it
    // passes what an int can hold, so no digit string can overflow.
    const unsigned long long ullLimit = bNegative ? 2147483648ULL : 2147483647ULL;
    unsigned long long ullValue = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz) {
        ullValue = ullValue * 10 + static_cast<unsigned>(*psz - '0');
        if (ullValue > ullLimit)
            return false;
    }
    if (*SkipBlanks(psz) != '\0')
        return false;
    long long llValue = static_cast<long long>(ullValue);
    *pnValue = static_cast<int>(bNegative ? -llValue : llValue);
    return true;
}
