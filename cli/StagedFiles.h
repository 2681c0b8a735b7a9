#pragma once

// Output files that appear only when they are complete. Each one is written under a temporary name
// in the directory of its destination (so the final rename cannot cross file systems) and moved into
// place when it is finished; a failed or interrupted run removes its temporaries and leaves existing
// files untouched.
//
// Destinations that are not regular files are never replaced: "-" is standard output, and devices
// and FIFOs are written in place (the finished contents are copied into them at commit). A symbolic
// link is followed to the file it names, which is replaced (or created) instead of the link. A file
// that is replaced keeps its permissions.

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class IGraphics;

// The destination name that means standard output.
inline constexpr const char* kStandardOutput = "-";

class TemporaryFile
{
public:
    // Creates the temporary file. A destination that is a directory counts as not writable here
    // already, rather than only when the finished file is renamed over it; with noClobber, so does
    // an existing regular file.
    explicit TemporaryFile(const std::string& destination, bool noClobber = false);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Fd() const { return fd_; }
    // Where the contents go until Commit.
    const std::string& Path() const { return path_; }
    const std::string& Destination() const { return destination_; }
    // Why the file could not be created ("cannot write ..."), or an empty text.
    const std::string& OpenError() const { return error_; }

    // Closes the descriptor once the contents are written; the one-line error, or an empty text.
    std::string Close();
    // Closes the file and moves (or copies) it into place; the one-line error, or an empty text.
    std::string Commit();
    // After a successful Commit: removes the destination again when it was created by this run.
    void Withdraw();

private:
    std::string CopyInPlace();

    std::string destination_; // as the user named it
    std::string target_;      // the file it leads to once links are followed
    std::string path_;
    std::string error_;
    int fd_ = -1;
    bool committed_ = false;
    bool replaces_ = false; // the destination existed before
    bool inPlace_ = false;  // standard output, a device or a FIFO
    bool noClobber_ = false;
};

// Whether the destination is standard output: "-", or a path leading to its descriptor (/dev/stdout).
// Standard output is written through the process's own descriptor, so that what else goes to it
// cannot overwrite the file, and the renderer's messages then go to standard error.
bool IsStandardOutput(const std::string& destination);

// "cannot write \"path\": reason", the one message every output failure gives.
std::string CannotWrite(const std::string& path, const std::string& reason);

// Whether `destination` can be created, checked by creating (and removing) a temporary file beside
// it. The one-line error, or an empty text.
std::string CheckCanCreate(const std::string& destination, bool noClobber = false);

// Writes all bytes to the file; the one-line error, or an empty text.
std::string WriteBytes(TemporaryFile& file, const void* data, std::size_t size);

// Draws the whole editor into the file as a PNG image; the one-line error, or an empty text.
std::string WriteStagedEditorPng(IGraphics& graphics, TemporaryFile& file);

// A group of outputs committed together.
class StagedFiles
{
public:
    explicit StagedFiles(bool noClobber = false) : noClobber_(noClobber) {}
    // The temporary file for `destination`, or nullptr and the one-line error.
    TemporaryFile* Add(const std::string& destination, std::string& error);
    // Moves every file into place, in the order they were added. Should one fail, the files this
    // group created before it are removed again. The one-line error, or an empty text.
    std::string CommitAll();

private:
    std::vector<std::unique_ptr<TemporaryFile>> files_;
    bool noClobber_ = false;
};
