#pragma once

#include <cstdio>

// Opens a file named by a UTF-8 path for binary reading; none when it cannot be opened. On Linux file
// names are byte strings and the path is used as it is; on Windows it is converted to the wide form
// (at most 2048 characters), or used as it is when it is not valid UTF-8.
std::FILE* PIX_OpenFileForReading(const char* utf8Path);
