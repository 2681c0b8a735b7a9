#include "cli/StagedFiles.h"

#include "cli/PlatformFiles.h"
#include "editor/IEditorSnapshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

TemporaryFile::TemporaryFile(const std::string& destination) : destination_(destination)
{
    struct stat existing
    {
    };
    if (stat(destination.c_str(), &existing) == 0)
    {
        if (S_ISDIR(existing.st_mode))
        {
            error_ = CannotWrite(destination, std::strerror(EISDIR));
            return;
        }
        replaces_ = true;
    }
    std::string pattern = destination + ".tmp-XXXXXX";
    fd_ = CreateUniqueFile(pattern);
    if (fd_ < 0)
    {
        error_ = CannotWrite(destination, std::strerror(errno));
        return;
    }
    path_ = pattern;
}

TemporaryFile::~TemporaryFile()
{
    if (fd_ >= 0) close(fd_);
    if (!committed_ && !path_.empty()) std::remove(path_.c_str());
}

std::string TemporaryFile::Close()
{
    if (fd_ < 0) return {};
    const int result = close(fd_);
    fd_ = -1;
    return result == 0 ? std::string() : CannotWrite(destination_, std::strerror(errno));
}

std::string TemporaryFile::Commit()
{
    if (path_.empty()) return error_;
    std::string error = Close();
    if (!error.empty()) return error;
    if (!ReplaceFileWith(path_, destination_)) return CannotWrite(destination_, std::strerror(errno));
    committed_ = true;
    return {};
}

void TemporaryFile::Withdraw()
{
    if (committed_ && !replaces_) std::remove(destination_.c_str());
}

std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write \"" + path + "\": " + reason;
}

std::string CheckCanCreate(const std::string& destination)
{
    const TemporaryFile probe(destination);
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
    auto file = std::make_unique<TemporaryFile>(destination);
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
