#include "engine/DebugTrace.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

namespace
{
std::size_t FormatLine(char (&buffer)[kDebugTraceBufferSize], const char* format, std::va_list arguments)
{
    const int written = std::vsnprintf(buffer, kDebugTraceTextLimit + 1, format, arguments);
    std::size_t length = 0;
    if (written > 0)
        length = static_cast<std::size_t>(written) < kDebugTraceTextLimit ? static_cast<std::size_t>(written)
                                                                          : kDebugTraceTextLimit;
    while (length > 0 && std::isspace(static_cast<unsigned char>(buffer[length - 1])))
        --length;
    buffer[length++] = '\r';
    buffer[length++] = '\n';
    buffer[length] = '\0';
    return length;
}
} // namespace

std::size_t FormatDebugTrace(char (&buffer)[kDebugTraceBufferSize], const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    const std::size_t length = FormatLine(buffer, format, arguments);
    va_end(arguments);
    return length;
}

void DebugTrace(const char* format, ...)
{
    char buffer[kDebugTraceBufferSize];
    std::va_list arguments;
    va_start(arguments, format);
    const std::size_t length = FormatLine(buffer, format, arguments);
    va_end(arguments);
    WriteDebuggerOutput(buffer, length);
}

void TraceProgramChange(int program)
{
    DebugTrace("mudou %d", program);
}
