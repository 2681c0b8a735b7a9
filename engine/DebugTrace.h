#pragma once

#include <cstddef>

// Diagnostic text for a developer watching the debugger output (standard error on Linux,
// OutputDebugStringA on Windows).
// Lines are formatted printf-style into a buffer of this size, at most kDebugTraceTextLimit
// characters of text, trailing white space removed and a CR LF appended.
constexpr std::size_t kDebugTraceBufferSize = 4096;
constexpr std::size_t kDebugTraceTextLimit = 4093;

// Formats one trace line into buffer and returns its length (NUL-terminated, CR LF included).
std::size_t FormatDebugTrace(char (&buffer)[kDebugTraceBufferSize], const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Formats one trace line and writes it to the debugger output.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Hands one formatted line (NUL-terminated) to the platform's debugger output.
void WriteDebuggerOutput(const char* text, std::size_t length);

// The instrument's program-change trace, "mudou <program>".
void TraceProgramChange(int program);
