#pragma once

// Output files that appear only when the whole run succeeded. Each one is written under a temporary
// name in the directory of its destination (so the final rename cannot cross file systems) and moved
// into place at the end; a failed run removes its temporaries and leaves existing files untouched.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class IGraphics;

class TemporaryFile
{
public:
    // Creates the temporary file. A destination that is a directory counts as not writable here
    // already, rather than only when the finished file is renamed over it.
    explicit TemporaryFile(const std::string& destination);
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
    // Closes the file and moves it into place; the one-line error, or an empty text.
    std::string Commit();
    // After a successful Commit: removes the destination again when it was created by this run.
    void Withdraw();

private:
    std::string destination_;
    std::string path_;
    std::string error_;
    int fd_ = -1;
    bool committed_ = false;
    bool replaces_ = false; // the destination existed before
};

// "cannot write \"path\": reason", the one message every output failure gives.
std::string CannotWrite(const std::string& path, const std::string& reason);

// Whether `destination` can be created, checked by creating (and removing) a temporary file beside
// it. The one-line error, or an empty text.
std::string CheckCanCreate(const std::string& destination);

// Writes all bytes to the file; the one-line error, or an empty text.
std::string WriteBytes(TemporaryFile& file, const void* data, std::size_t size);

// Draws the whole editor into the file as a PNG image; the one-line error, or an empty text.
std::string WriteStagedEditorPng(IGraphics& graphics, TemporaryFile& file);

// The outputs of one run, committed together.
class StagedFiles
{
public:
    // The temporary file for `destination`, or nullptr and the one-line error.
    TemporaryFile* Add(const std::string& destination, std::string& error);
    // Moves every file into place, in the order they were added. Should one fail, the files this
    // run created before it are removed again. The one-line error, or an empty text.
    std::string CommitAll();

private:
    std::vector<std::unique_ptr<TemporaryFile>> files_;
};
