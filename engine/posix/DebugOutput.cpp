#include "engine/DebugTrace.h"

#include <cstdio>

// Without a debugger output channel the trace goes to standard error.
void WriteDebuggerOutput(const char* text, std::size_t length)
{
    std::fwrite(text, 1, length, stderr);
}
