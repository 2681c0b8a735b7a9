#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct stat;

// The few file operations whose system calls differ between Linux and Windows. Files are binary
// everywhere; failures set errno.

// Creates a new file from a pattern ending in "XXXXXX" (replaced in place by a unique name), open for
// reading and writing, with the permissions a plain create would give. -1 on failure.
int CreateUniqueFile(std::string& pattern);

// Renames from to to, replacing an existing file of that name. False on failure.
bool ReplaceFileWith(const std::string& from, const std::string& to);

// Opens an existing file for reading, or for writing over its contents in place (a device or a
// FIFO, whose opening may wait for a reader); binary, not inherited by child processes. -1 on
// failure.
int OpenForReading(const std::string& path);
int OpenForWritingInPlace(const std::string& path);

// Gives a new file the permission bits, and where the system allows it the owner, of an existing
// one (nothing where files carry no such bits).
void CopyOwnerAndMode(int fd, const struct stat& existing);

// Makes the file from also known as to, failing with EEXIST rather than replacing a file of that
// name (the caller then removes from). False on failure.
bool LinkWithoutReplacing(const std::string& from, const std::string& to);

// Lets handler run when the process is asked to stop (Ctrl-C, or a termination request).
void InstallStopHandler(void (*handler)(int));

// Writes size bytes at offset without moving the file position as far as callers are concerned;
// returns the bytes written or -1.
std::int64_t WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset);
