#include "engine/DebugTrace.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace
{
// OutputDebugStringA hands its text to the debugger as a DBG_PRINTEXCEPTION_C exception (length with
// the terminating NUL, then the text); a vectored handler sees it first, as a debugger would.
std::string gReceived;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.ExceptionCode != DBG_PRINTEXCEPTION_C || record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    gReceived.append(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_EXECUTION;
}
} // namespace

TEST(DebugTrace, ProgramChangeGoesToTheDebugger)
{
    gReceived.clear();
    void* handler = AddVectoredExceptionHandler(1, CatchDebugOutput);
    ASSERT_NE(handler, nullptr);
    testing::internal::CaptureStderr();
    TraceProgramChange(42);
    TraceProgramChange(-3);
    const std::string stderrText = testing::internal::GetCapturedStderr();
    RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ(gReceived, "mudou 42\r\nmudou -3\r\n");
    EXPECT_EQ(stderrText, "");
}
