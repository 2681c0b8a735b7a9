#include "cli/PlatformFiles.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

int CreateUniqueFile(std::string& pattern)
{
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return -1;
    // mkstemp creates the file private; give it the permissions a plain create would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    return fd;
}

bool ReplaceFileWith(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::int64_t WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    return pwrite(fd, data, size, static_cast<off_t>(offset));
}
