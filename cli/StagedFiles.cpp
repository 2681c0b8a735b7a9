#include "cli/StagedFiles.h"

#include "cli/PlatformFiles.h"
#include "editor/IEditorSnapshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Follows symbolic links to the path they finally name, which need not exist yet (a dangling link
// gets its file created). Links into /proc (such as /dev/stdout) name open descriptors, whose
// targets are not paths that could be written to: the path is kept as it is there.
std::string FollowLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops)
    {
        if (path.rfind("/proc/", 0) == 0) return path;
        std::error_code ec;
        if (!std::filesystem::is_symlink(path, ec)) return path;
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) return path;
        path =
            next.is_absolute() ? next.string() : (std::filesystem::path(path).parent_path() / next).string();
    }
    return path; // a loop: creating the file reports it
}

// Why a file cannot be created in a directory that does not exist: the directory is named, so that
// a mistyped folder is obvious.
std::string MissingDirectoryNote(const std::string& target)
{
    const std::filesystem::path parent = std::filesystem::path(target).parent_path();
    std::error_code ec;
    if (parent.empty() || std::filesystem::exists(parent, ec)) return {};
    return " (there is no directory \"" + parent.string() + "\")";
}

// The descriptor a path such as /proc/self/fd/1 (where /dev/stdout leads) names, or -1.
int DescriptorPath(const std::string& path)
{
    constexpr std::string_view prefix = "/proc/self/fd/";
    if (path.rfind(prefix, 0) != 0 || path.size() == prefix.size()) return -1;
    int fd = 0;
    for (std::size_t i = prefix.size(); i < path.size(); ++i)
    {
        if (path[i] < '0' || path[i] > '9' || fd > 100000) return -1;
        fd = fd * 10 + (path[i] - '0');
    }
    return fd;
}

} // namespace

TemporaryFile::TemporaryFile(const std::string& destination, bool noClobber)
    : destination_(destination), noClobber_(noClobber)
{
    std::string pattern;
    struct stat existing
    {
    };
    const bool toStandardOutput = IsStandardOutput(destination);
    target_ = toStandardOutput ? std::string(kStandardOutput) : FollowLinks(destination);
    if (toStandardOutput)
        inPlace_ = true;
    else
    {
        if (stat(target_.c_str(), &existing) == 0)
        {
            if (S_ISDIR(existing.st_mode))
            {
                error_ = CannotWrite(destination, std::strerror(EISDIR));
                return;
            }
            inPlace_ = !S_ISREG(existing.st_mode) || target_.rfind("/proc/", 0) == 0;
            replaces_ = true;
            if (inPlace_ && access(target_.c_str(), W_OK) != 0)
            {
                error_ = CannotWrite(destination, std::strerror(errno));
                return;
            }
            if (!inPlace_ && noClobber)
            {
                error_ = CannotWrite(destination, "the file exists and --no-clobber keeps it");
                return;
            }
        }
    }
    // Contents for standard output, a device or a FIFO are staged in the temporary directory: the
    // encoder seeks, which a pipe cannot.
    pattern = inPlace_ ? (std::filesystem::temp_directory_path() / "brisbleep-render-XXXXXX").string()
                       : target_ + ".tmp-XXXXXX";
    fd_ = CreateUniqueFile(pattern);
    if (fd_ < 0)
    {
        const int code = errno;
        error_ = CannotWrite(destination, std::strerror(code));
        if (code == ENOENT) error_ += MissingDirectoryNote(target_);
        return;
    }
    path_ = pattern;
    // The temporary file has the permissions a plain create gives; one that replaces a file takes
    // that file's permissions (and owner, where the system lets us).
    if (replaces_ && !inPlace_) CopyOwnerAndMode(fd_, existing);
}

TemporaryFile::~TemporaryFile()
{
    if (fd_ >= 0) close(fd_);
    if ((!committed_ || inPlace_) && !path_.empty()) std::remove(path_.c_str());
}

std::string TemporaryFile::Close()
{
    if (fd_ < 0) return {};
    const int result = close(fd_);
    fd_ = -1;
    return result == 0 ? std::string() : CannotWrite(destination_, std::strerror(errno));
}

std::string TemporaryFile::CopyInPlace()
{
    const int in = OpenForReading(path_);
    if (in < 0) return CannotWrite(destination_, std::strerror(errno));
    // Opening a FIFO waits for its reader; a stop signal interrupts the wait.
    const int out = target_ == kStandardOutput ? STDOUT_FILENO : OpenForWritingInPlace(target_);
    std::string error;
    if (out < 0) error = std::strerror(errno);
    char buffer[65536];
    while (error.empty())
    {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0)
        {
            if (errno != EINTR) error = std::strerror(errno);
            continue;
        }
        for (ssize_t done = 0; done < got && error.empty();)
        {
            const ssize_t put = write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno != EINTR) error = std::strerror(errno);
            if (put > 0) done += put;
        }
    }
    close(in);
    if (out >= 0 && out != STDOUT_FILENO && close(out) != 0 && error.empty()) error = std::strerror(errno);
    return error.empty() ? std::string() : CannotWrite(destination_, error);
}

std::string TemporaryFile::Commit()
{
    if (path_.empty()) return error_;
    std::string error = Close();
    if (!error.empty()) return error;
    if (inPlace_)
    {
        error = CopyInPlace();
        committed_ = error.empty();
        return error;
    }
    if (noClobber_)
    {
        // A link fails rather than replace a file that appeared since the check.
        if (!LinkWithoutReplacing(path_, target_))
            return CannotWrite(destination_, errno == EEXIST ? "the file exists and --no-clobber keeps it"
                                                             : std::strerror(errno));
        std::remove(path_.c_str());
    }
    else if (!ReplaceFileWith(path_, target_))
        return CannotWrite(destination_, std::strerror(errno));
    committed_ = true;
    return {};
}

void TemporaryFile::Withdraw()
{
    if (committed_ && !replaces_ && !inPlace_) std::remove(target_.c_str());
}

bool IsStandardOutput(const std::string& destination)
{
    return destination == kStandardOutput || DescriptorPath(FollowLinks(destination)) == STDOUT_FILENO;
}

std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write \"" + path + "\": " + reason;
}

std::string CheckCanCreate(const std::string& destination, bool noClobber)
{
    const TemporaryFile probe(destination, noClobber);
    return probe.OpenError();
}

std::string WriteBytes(TemporaryFile& file, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size)
    {
        const ssize_t n = write(file.Fd(), bytes + done, size - done);
        if (n < 0)
        {
            if (errno == EINTR) continue;
            return CannotWrite(file.Destination(), std::strerror(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string WriteStagedEditorPng(IGraphics& graphics, TemporaryFile& file)
{
    std::string error = file.Close();
    if (!error.empty()) return error;
    // The image writer opens the file by name; its messages name the temporary file, which the
    // user never sees, so they are reported under the destination.
    error = WriteEditorPng(graphics, file.Path());
    for (std::size_t at = error.find(file.Path()); at != std::string::npos; at = error.find(file.Path()))
        error.replace(at, file.Path().size(), file.Destination());
    return error;
}

TemporaryFile* StagedFiles::Add(const std::string& destination, std::string& error)
{
    auto file = std::make_unique<TemporaryFile>(destination, noClobber_);
    error = file->OpenError();
    if (!error.empty()) return nullptr;
    files_.push_back(std::move(file));
    return files_.back().get();
}

std::string StagedFiles::CommitAll()
{
    for (std::size_t i = 0; i < files_.size(); ++i)
    {
        const std::string error = files_[i]->Commit();
        if (error.empty()) continue;
        for (std::size_t j = 0; j < i; ++j)
            files_[j]->Withdraw();
        return error;
    }
    return {};
}
