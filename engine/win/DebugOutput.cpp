#include "engine/DebugTrace.h"

#include <windows.h>

// The trace goes to the debugger, as OutputDebugStringA passes it on (nowhere when none listens).
void WriteDebuggerOutput(const char* text, std::size_t)
{
    OutputDebugStringA(text);
}
