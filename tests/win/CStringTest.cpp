#include "framework/CString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The text of a string may be what it is formatted from, as in
// str.Format("%s:", (LPCSTR)str).
TEST(CString, FormatTakesTheStringItselfAsAnArgument) {
    for (size_t cch : {1u, 15u, 100u, 5000u}) {
        const std::string text(cch, 'k');
        CString str(text.c_str());
        str.Format("<%s>", static_cast<LPCSTR>(str));
        EXPECT_EQ(std::string(str), "<" + text + ">") << cch;
    }
}

} // namespace
