#include "cli/PlatformFiles.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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

int OpenForReading(const std::string& path)
{
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int OpenForWritingInPlace(const std::string& path)
{
    return open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
}

void CopyOwnerAndMode(int fd, const struct stat& existing)
{
    fchmod(fd, existing.st_mode & 07777);
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0)
    {
        // Only the superuser may give a file away; the file stays the caller's.
    }
}

bool LinkWithoutReplacing(const std::string& from, const std::string& to)
{
    return link(from.c_str(), to.c_str()) == 0;
}

void InstallStopHandler(void (*handler)(int))
{
    // sigaction without SA_RESTART: a wait in open() or write() returns, so the stop is seen.
    struct sigaction action
    {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
