#include "cli/PlatformFiles.h"

#include <windows.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

int CreateUniqueFile(std::string& pattern)
{
    // The name is made unique first and then created exclusively, so a file that appeared in between
    // is never opened; binary mode, since audio and images are written through the descriptor.
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        std::string candidate = pattern;
        if (_mktemp_s(candidate.data(), candidate.size() + 1) != 0) return -1;
        const int fd =
            _open(candidate.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0)
        {
            pattern = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

bool ReplaceFileWith(const std::string& from, const std::string& to)
{
    // rename on Windows refuses to replace an existing file.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    errno = EACCES;
    return false;
}

std::int64_t WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    if (_lseeki64(fd, offset, SEEK_SET) != offset) return -1;
    return _write(fd, data, static_cast<unsigned>(size));
}

int OpenForReading(const std::string& path)
{
    return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int OpenForWritingInPlace(const std::string& path)
{
    return _open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY | _O_NOINHERIT);
}

void CopyOwnerAndMode(int, const struct stat&)
{
    // Windows files carry access lists, which the new file inherits from its folder.
}

bool LinkWithoutReplacing(const std::string& from, const std::string& to)
{
    if (MoveFileExA(from.c_str(), to.c_str(), 0)) return true;
    const DWORD error = GetLastError();
    errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST : EACCES;
    return false;
}

void InstallStopHandler(void (*handler)(int))
{
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
}
