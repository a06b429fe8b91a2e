#pragma once
// The one way to open a file that comes from outside the program (options,
// stage data, pictures, music): only a regular file is accepted, the open
// never blocks (a FIFO under the file's name would wait for a writer), and a
// file longer than the caller's limit is refused before anything is read, so
// a hostile or mistaken file costs neither a hang nor unbounded memory.
// Every failure raises a FileError whose message names the file.

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

class FileError : public Exception {
public:
    // `reason` is what was wrong, worded to follow the file's name ("not a
    // regular file", the system's error text, "too large (…)").
    FileError(const std::string& message, std::string reason, int systemError = 0)
        : Exception(message), Reason_(std::move(reason)), SystemError_(systemError) {}
    // A failure whose message is all there is to say: it is its own reason.
    explicit FileError(const std::string& message, int systemError = 0)
        : FileError(message, message, systemError) {}

    const std::string& Reason() const { return Reason_; }
    // The errno of the call that failed (ENOENT for a missing file); 0 when
    // the file was opened but refused (not a regular file, too large).
    int SystemError() const { return SystemError_; }

private:
    std::string Reason_;
    int SystemError_ = 0;
};

// Whether a path names a file the checked open takes, size aside: nothing is
// opened, so a FIFO costs no wait. For a file searched under several names.
struct FileCheck {
    std::string Reason; // empty for a regular file; else as FileError::Reason
    int SystemError = 0;

    bool IsRegularFile() const { return Reason.empty(); }
};
FileCheck CheckRegularFile(const std::string& path);

// A file from outside opened for reading: regular file only (no FIFO, device,
// directory), opened without blocking (O_NONBLOCK, then cleared), at most
// maxBytes long; closes on destruction.
class CheckedFile {
public:
    CheckedFile(const std::string& path, std::uint64_t maxBytes); // throws FileError naming path
    ~CheckedFile();
    CheckedFile(CheckedFile&& other) noexcept;
    CheckedFile& operator=(CheckedFile&& other) noexcept;
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    int Descriptor() const { return descriptor_; }
    // The length when the file was opened, in bytes.
    std::uint64_t Size() const { return size_; }
    const std::string& Path() const { return path_; }

    // Reads exactly n bytes at the current position, or fewer at the end of
    // the file; throws FileError on a read error.
    std::size_t Read(void* buffer, std::size_t n);
    // Moves the read position by `offset` from the start (origin 0), the
    // current position (1) or the end (2); false when that fails.
    bool Seek(std::int64_t offset, int origin);
    // The read position, or -1 when it cannot be told.
    std::int64_t Tell() const;

private:
    std::string path_;
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
};

// The whole file (as long as it was when opened); throws FileError.
std::string ReadCheckedFile(const std::string& path, std::uint64_t maxBytes);

// Makes `fileName` (created, or emptied when it is there) hold `bytes`. A
// failure raises FileError with the system's reason for the call that failed
// ("No space left on device" when the disk fills part way) and removes the
// file, so no part of it stays.
void WriteWholeFile(const std::string& fileName, std::string_view bytes);
// Copies the regular file `from` to `to`, which must not be there yet, piece
// by piece; failures as WriteWholeFile's.
void CopyToNewFile(const std::string& from, const std::string& to);

// Makes `fileName` hold exactly `bytes`: they are written to "<fileName>.new"
// and renamed over the file, so a failure half-way (a full disk, a read-only
// folder) never leaves a truncated file behind. Something else under the
// temporary name (a folder; a FIFO, whose open would wait for a reader) is
// left alone. Raises FileError with the reason.
void ReplaceFileContents(const std::string& fileName, std::string_view bytes);

// Moves `from` aside to the first of `to`, `to`.1, `to`.2, … (up to
// MaxAsideNames names) that names nothing yet: nothing is ever renamed over
// another file or folder. Answers the name it took; raises FileError with the
// reason when the rename fails or every name is taken.
inline constexpr int MaxAsideNames = 100;
std::string RenameAside(const std::string& from, const std::string& to);
// Copies the regular file `from` to the first of the names RenameAside tries
// that names nothing yet; `from` stays. Answers the name it took; raises
// FileError as CopyToNewFile does, or when every name is taken.
std::string CopyAside(const std::string& from, const std::string& to);

// A file the program appends to (the log): created when missing, opened
// without blocking, and refused unless it is a regular file, so a FIFO or a
// device under its name can neither hang nor swallow the program's output.
// Nothing raises: a refused or failed file answers false.
class AppendFile {
public:
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Appends all the bytes; false when the file is not open or a write fails.
    bool Write(std::string_view bytes);

private:
    int descriptor_ = -1;
};

} // namespace platform
