#include "handoff/HandoffDecoder.h"

#include "reference/ReferenceHandoffDecoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Decoded(Bytes bytes) {
    RemoveZeroBytes(bytes.data(), bytes.size());
    return bytes;
}

std::string NameOf(Bytes bytes) {
    RemoveZeroBytes(bytes.data(), bytes.size());
    const char* pch = reinterpret_cast<const char*>(bytes.data());
    return std::string(pch, TrimLineEnds(pch, TextLength(bytes.data(), bytes.size())));
}

Bytes Utf16(const std::string& text) {
    Bytes bytes;
    for (unsigned char ch : text) {
        bytes.push_back(ch);
        bytes.push_back(0);
    }
    return bytes;
}

TEST(HandoffDecoder, WorkedExamples) {
    EXPECT_EQ(Decoded({0x41, 0, 0x42, 0, 0x43, 0}), (Bytes{0x41, 0x42, 0x43, 0, 0, 0}));
    EXPECT_EQ(NameOf({0x41, 0, 0x42, 0, 0x43, 0}), "ABC");
    EXPECT_EQ(Decoded({0x41, 0, 0x42, 0, 0, 0}), (Bytes{0x41, 0x42, 0, 0, 0, 0}));
    EXPECT_EQ(NameOf({0x41, 0, 0x42, 0, 0, 0}), "AB");
    EXPECT_EQ(Decoded({0x41, 0x42, 0x43}), (Bytes{0x41, 0x42, 0x43}));
    EXPECT_EQ(NameOf({0x41, 0x42, 0x43}), "ABC");
}

TEST(HandoffDecoder, FreedTailReadsAsZeroNotAsACopyOfTheLastByte) {
    EXPECT_EQ(Decoded({0x41, 0, 0x42}), (Bytes{0x41, 0x42, 0}));
    EXPECT_EQ(NameOf({0x41, 0, 0x42}), "AB");
    EXPECT_EQ(NameOf({'P', 0, 'r', 0, 'n'}), "Prn");
}

TEST(HandoffDecoder, SixteenBitTextGivesTheSameNameAsSingleByteText) {
    const std::string name = "Printer on \xC4\xFF (2nd floor)";
    Bytes single(name.begin(), name.end());
    EXPECT_EQ(NameOf(Utf16(name)), name);
    EXPECT_EQ(NameOf(single), name);
    Bytes terminated = Utf16(name);
    terminated.insert(terminated.end(), {0, 0});
    EXPECT_EQ(NameOf(terminated), name);
    single.push_back(0);
    EXPECT_EQ(NameOf(single), name);
}

TEST(HandoffDecoder, ZeroCharacterInsideSixteenBitTextEndsTheName) {
    Bytes bytes = Utf16("AB");
    bytes.insert(bytes.end(), {0, 0});
    Bytes tail = Utf16("CD");
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    EXPECT_EQ(NameOf(bytes), "AB");
    EXPECT_EQ(NameOf({'A', 0, 0, 'B'}), "A");
}

TEST(HandoffDecoder, EmptyAndAllZeroInputsGiveAnEmptyName) {
    EXPECT_EQ(NameOf({}), "");
    EXPECT_EQ(NameOf({0}), "");
    EXPECT_EQ(NameOf({0, 0, 0, 0, 0}), "");
    EXPECT_EQ(NameOf({'\r', '\n'}), "");
}

// echo Name> c:\~QorTmp.Dat writes a line end after the name.
TEST(HandoffDecoder, LineEndsAfterTheNameGoAndNothingElse) {
    const struct {
        std::string text;
        std::string name;
    } cases[] = {
        {"Label\r\n", "Label"},   {"Label\n", "Label"},       {"Label\r\n\r\n", "Label"},
        {"Label \r\n", "Label "}, {"La\r\nbel", "La\r\nbel"}, {"Label\t", "Label\t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameOf(Bytes(c.text.begin(), c.text.end())), c.name);
        EXPECT_EQ(NameOf(Utf16(c.text)), c.name);
    }
}

TEST(HandoffDecoder, ByteOrderMarksAreRecognisedOnlyAtTheStart) {
    const unsigned char bom[] = {0xFF, 0xFE, 'A', 0};
    EXPECT_TRUE(HasUtf16Bom(bom, sizeof bom));
    EXPECT_TRUE(HasUtf16Bom(bom, 2));
    EXPECT_FALSE(HasUtf16Bom(bom, 1));
    EXPECT_FALSE(HasUtf16Bom(bom + 1, 3));
    const unsigned char reversed[] = {0xFE, 0xFF};
    EXPECT_FALSE(HasUtf16Bom(reversed, 2));
    const unsigned char latinSmallYWithDiaeresis[] = {0xFF, 0x00};
    EXPECT_FALSE(HasUtf16Bom(latinSmallYWithDiaeresis, 2));
    const unsigned char utf8[] = {'A', 0xEF, 0xBB, 0xBF, 'A'};
    EXPECT_TRUE(HasUtf8Bom(utf8 + 1, 4));
    EXPECT_TRUE(HasUtf8Bom(utf8 + 1, 3));
    EXPECT_FALSE(HasUtf8Bom(utf8 + 1, 2));
    EXPECT_FALSE(HasUtf8Bom(utf8, 5));
    EXPECT_FALSE(HasUtf16Bom(utf8 + 1, 4));
}

TEST(HandoffDecoder, OnePassEqualsTheByteMovingLoopOnRandomInputs) {
    std::mt19937 random(20261208);
    // Zero bytes are drawn often, so runs of them are common.
    std::uniform_int_distribution<int> byteValue(-8, 255);
    for (int iCase = 0; iCase < 20000; ++iCase) {
        Bytes input(random() % 24);
        for (unsigned char& b : input) {
            int nValue = byteValue(random);
            b = static_cast<unsigned char>(nValue < 0 ? 0 : nValue);
        }
        Bytes expected = input;
        ReferenceRemoveZeroBytes(expected.data(), expected.size());
        ASSERT_EQ(Decoded(input), expected) << "case " << iCase;
    }
}

} // namespace
