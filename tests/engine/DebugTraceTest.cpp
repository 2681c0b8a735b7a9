#include "engine/DebugTrace.h"

#include <gtest/gtest.h>

#include <string>

TEST(DebugTrace, FormatsStripsTrailingSpaceAndEndsWithCrLf)
{
    char buffer[kDebugTraceBufferSize];
    EXPECT_EQ(FormatDebugTrace(buffer, "mudou %d", 5), 9u);
    EXPECT_STREQ(buffer, "mudou 5\r\n");
    EXPECT_EQ(FormatDebugTrace(buffer, "x %s", "y \t\n\n"), 5u);
    EXPECT_STREQ(buffer, "x y\r\n");
    EXPECT_EQ(FormatDebugTrace(buffer, "%s", " \n"), 2u);
    EXPECT_STREQ(buffer, "\r\n");
}

TEST(DebugTrace, LongTextIsCutAt4093Characters)
{
    char buffer[kDebugTraceBufferSize];
    const std::string longText(5000, 'a');
    EXPECT_EQ(FormatDebugTrace(buffer, "%s", longText.c_str()), 4095u);
    const std::string line(buffer);
    EXPECT_EQ(line, std::string(4093, 'a') + "\r\n");
}
