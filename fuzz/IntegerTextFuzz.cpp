// The integer exchange's parser accepts exactly blanks, an optional sign,
// digits and blanks whose value fits an int, and then gives that value.
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "framework/IntegerText.h"

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The expected answer, worked out on the digits as text so that no width of
// arithmetic can hide an overflow.
bool Expected(const std::string& text, long long* pllValue) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool bNegative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    size_t iDigits = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    std::string digits = text.substr(iDigits, i - iDigits);
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (digits.empty() || i != text.size())
        return false;
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.size() > 10)
        return false;
    long long llValue = digits.empty() ? 0 : std::stoll(digits);
    llValue = bNegative ? -llValue : llValue;
    if (llValue < -2147483648LL || llValue > 2147483647LL)
        return false;
    *pllValue = llValue;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    std::string text(reinterpret_cast<const char*>(pData), cb);
    text = text.substr(0, text.find('\0'));
    long long llExpected = 0;
    bool bExpected = Expected(text, &llExpected);
    int nValue = 12345;
    bool bParsed = ParseIntegerText(text.c_str(), &nValue);
    if (bParsed != bExpected || (bParsed && nValue != llExpected) || (!bParsed && nValue != 12345))
        __builtin_trap();
    return 0;
}
