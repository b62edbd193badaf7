#include "output/SizeCommand.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string CommandFor(int nSizeX, int nSizeY) {
    char szCommand[SIZE_COMMAND_BUFFER];
    int cb = FormatSizeCommand(szCommand, nSizeX, nSizeY);
    return std::string(szCommand, cb);
}

TEST(SizeCommand, CarriesBothSizesInFortiethsOfAMillimetre) {
    EXPECT_EQ(CommandFor(100, 50), "\x1B.D1;4000;2000:");
    EXPECT_EQ(CommandFor(100, 50).size(), 15u);
    EXPECT_EQ(CommandFor(0, 0), "\x1B.D1;0;0:");
    EXPECT_EQ(CommandFor(25000, 25000), "\x1B.D1;1000000;1000000:");
    EXPECT_EQ(CommandFor(-1, 7), "\x1B.D1;-40;280:");
}

TEST(SizeCommand, SendableBoundsStillFitAndGiveTheLongestCommand) {
    EXPECT_EQ(CommandFor(MIN_SENDABLE_SIZE_MM, MAX_SENDABLE_SIZE_MM),
              "\x1B.D1;-2147483640;2147483640:");
    EXPECT_EQ(CommandFor(MIN_SENDABLE_SIZE_MM, MIN_SENDABLE_SIZE_MM).size(), 29u);
}

} // namespace
