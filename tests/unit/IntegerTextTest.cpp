#include "framework/IntegerText.h"

#include <gtest/gtest.h>

namespace {

TEST(IntegerText, AcceptsSignedDecimalWithSurroundingBlanks) {
    const struct {
        const char* pszText;
        int nValue;
    } cases[] = {
        {"0", 0},
        {"25000", 25000},
        {"-1", -1},
        {"+5", 5},
        {" 7 ", 7},
        {"\t12\t", 12},
        {"007", 7},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"  -53687091", -53687091},
        {"00000000000000000000042", 42},
    };
    for (const auto& c : cases) {
        int nValue = 99;
        EXPECT_TRUE(ParseIntegerText(c.pszText, &nValue)) << c.pszText;
        EXPECT_EQ(nValue, c.nValue) << c.pszText;
    }
}

TEST(IntegerText, RejectsEverythingElseAndLeavesTheValueAlone) {
    const char* const texts[] = {
        "",
        " ",
        "-",
        "+",
        "12abc",
        "1,000",
        "1.5",
        "1e3",
        "0x10",
        "- 1",
        "1 2",
        "--1",
        "+-1",
        "abc",
        "12\n",
        "\n12",
        "2147483648",
        "-2147483649",
        "99999999999999999999",
        "\xEF\xBC\x91", // a fullwidth digit one
    };
    for (const char* psz : texts) {
        int nValue = 99;
        EXPECT_FALSE(ParseIntegerText(psz, &nValue)) << '"' << psz << '"';
        EXPECT_EQ(nValue, 99) << '"' << psz << '"';
    }
}

} // namespace
