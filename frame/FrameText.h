#pragma once

#include <cstddef>

// Copies text into a fixed-size character field, cutting it to fit and always terminating it.
// A null source gives the empty text.
inline void CopyText(char* dest, std::size_t destSize, const char* source)
{
    if (destSize == 0) return;
    std::size_t i = 0;
    if (source)
        for (; i + 1 < destSize && source[i] != '\0'; ++i)
            dest[i] = source[i];
    dest[i] = '\0';
}

template <std::size_t N> void CopyText(char (&dest)[N], const char* source)
{
    CopyText(dest, N, source);
}
