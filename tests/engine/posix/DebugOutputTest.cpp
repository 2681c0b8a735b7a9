#include "engine/DebugTrace.h"

#include <gtest/gtest.h>

// Without a debugger output channel the program-change trace goes to standard error.
TEST(DebugTrace, ProgramChangeGoesToStandardError)
{
    testing::internal::CaptureStderr();
    TraceProgramChange(42);
    TraceProgramChange(-3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "mudou 42\r\nmudou -3\r\n");
}
