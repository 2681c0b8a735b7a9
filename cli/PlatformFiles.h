#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The few file operations whose system calls differ between Linux and Windows. Files are binary
// everywhere; failures set errno.

// Creates a new file from a pattern ending in "XXXXXX" (replaced in place by a unique name), open for
// reading and writing, with the permissions a plain create would give. -1 on failure.
int CreateUniqueFile(std::string& pattern);

// Renames from to to, replacing an existing file of that name. False on failure.
bool ReplaceFileWith(const std::string& from, const std::string& to);

// Writes size bytes at offset without moving the file position as far as callers are concerned;
// returns the bytes written or -1.
std::int64_t WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset);
