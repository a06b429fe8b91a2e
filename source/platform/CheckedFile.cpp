#include "platform/CheckedFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr const char* NotRegular = "not a regular file";

[[noreturn]] void FailToOpen(const std::string& path, const std::string& reason, int systemError = 0) {
    throw FileError("cannot open " + path + ": " + reason, reason, systemError);
}

[[noreturn]] void FailTooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes) {
    const std::string reason =
        "too large (" + std::to_string(size) + " bytes, at most " + std::to_string(maxBytes) + ")";
    throw FileError(path + " is " + reason, reason);
}

[[noreturn]] void FailToOpenWithErrno(const std::string& path) {
    const int systemError = errno;
    FailToOpen(path, std::strerror(systemError), systemError);
}

bool IsRegularFile(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

FileCheck CheckRegularFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        const int systemError = errno;
        return {std::strerror(systemError), systemError};
    }
    if (!S_ISREG(status.st_mode))
        return {NotRegular, 0};
    return {};
}

CheckedFile::CheckedFile(const std::string& path, std::uint64_t maxBytes) : path_(path) {
    // O_NONBLOCK only for the open: opening a FIFO for reading would otherwise
    // wait for a writer. Once the file is known to be regular it is cleared.
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor_ < 0)
        FailToOpenWithErrno(path);
    try { // the destructor does not run when the constructor throws
        struct stat status {};
        if (::fstat(descriptor_, &status) != 0)
            FailToOpenWithErrno(path);
        if (!S_ISREG(status.st_mode))
            FailToOpen(path, NotRegular);
        size_ = static_cast<std::uint64_t>(status.st_size);
        if (size_ > maxBytes)
            FailTooLarge(path, size_, maxBytes);
        const int flags = ::fcntl(descriptor_, F_GETFL);
        if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK) != 0)
            FailToOpenWithErrno(path);
    } catch (...) {
        ::close(descriptor_);
        throw;
    }
}

CheckedFile::~CheckedFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

CheckedFile::CheckedFile(CheckedFile&& other) noexcept
    : path_(std::move(other.path_)), descriptor_(std::exchange(other.descriptor_, -1)), size_(other.size_) {}

CheckedFile& CheckedFile::operator=(CheckedFile&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        path_ = std::move(other.path_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        size_ = other.size_;
    }
    return *this;
}

std::size_t CheckedFile::Read(void* buffer, std::size_t n) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(descriptor_, bytes + done, n - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int systemError = errno;
            const std::string reason = std::strerror(systemError);
            throw FileError(path_ + " cannot be read: " + reason, reason, systemError);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool CheckedFile::Seek(std::int64_t offset, int origin) {
    static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2)
        return false;
    return ::lseek(descriptor_, static_cast<off_t>(offset), whence[origin]) >= 0;
}

std::int64_t CheckedFile::Tell() const {
    return ::lseek(descriptor_, 0, SEEK_CUR);
}

std::string ReadCheckedFile(const std::string& path, std::uint64_t maxBytes) {
    CheckedFile file(path, maxBytes);
    // A file that grows while we read stops at its length when opened, so the
    // limit holds; one that shrinks gives what it still has.
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

namespace {

// Writes all the bytes; false with errno set when a write fails.
bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A file being written whole: removed again unless Finish succeeds.
class NewFile {
public:
    NewFile(std::string path, int createFlags) : path_(std::move(path)) {
        descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | createFlags, 0666);
        if (descriptor_ < 0)
            Fail();
    }
    ~NewFile() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
            ::unlink(path_.c_str());
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void Write(std::string_view bytes) {
        if (!WriteAll(descriptor_, bytes))
            Fail();
    }
    // Closes the file; a file system may report the failed write only here.
    void Finish() {
        const int descriptor = std::exchange(descriptor_, -1);
        if (::close(descriptor) != 0) {
            const int systemError = errno;
            ::unlink(path_.c_str());
            errno = systemError;
            Fail();
        }
    }

private:
    [[noreturn]] void Fail() const {
        const int systemError = errno;
        const std::string reason = std::strerror(systemError);
        throw FileError("cannot write " + path_ + ": " + reason, reason, systemError);
    }

    std::string path_;
    int descriptor_ = -1;
};

} // namespace

void WriteWholeFile(const std::string& fileName, std::string_view bytes) {
    NewFile file(fileName, O_TRUNC | O_NONBLOCK);
    file.Write(bytes);
    file.Finish();
}

void CopyToNewFile(const std::string& from, const std::string& to) {
    CheckedFile source(from, std::numeric_limits<std::uint64_t>::max());
    NewFile copy(to, O_EXCL);
    std::vector<char> piece(64 * 1024);
    while (const std::size_t got = source.Read(piece.data(), piece.size()))
        copy.Write(std::string_view(piece.data(), got));
    copy.Finish();
}

void ReplaceFileContents(const std::string& fileName, std::string_view bytes) {
    const std::string temporary = fileName + ".new";
    std::error_code error;
    const std::filesystem::file_status existing = std::filesystem::status(temporary, error);
    if (std::filesystem::exists(existing) && !std::filesystem::is_regular_file(existing))
        throw FileError(temporary + " is in the way");
    try {
        WriteWholeFile(temporary, bytes);
    } catch (const FileError& failure) {
        throw FileError(failure.Reason(), failure.SystemError());
    }
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        const int systemError = errno;
        std::remove(temporary.c_str());
        throw FileError(std::strerror(systemError), systemError);
    }
}

AppendFile::AppendFile(const std::string& path) {
    // O_NONBLOCK: a FIFO without a reader fails the open at once instead of
    // waiting; one with a reader is refused below. Regular files ignore it.
    descriptor_ =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (descriptor_ >= 0 && !IsRegularFile(descriptor_)) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

AppendFile::~AppendFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool AppendFile::Write(std::string_view bytes) {
    return descriptor_ >= 0 && WriteAll(descriptor_, bytes);
}

namespace {

// rename(2) that fails with EEXIST rather than replace what `to` names. A
// file system without the flag, or a C library without renameat2 (the
// browser's), gets a look first and a plain rename.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
#endif
    if (::access(to.c_str(), F_OK) == 0 || errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

// Answers the first of `to`, `to`.1, `to`.2, … on which `place` succeeds;
// `place` answers false when the name is taken and raises on any other failure.
template <typename Place> std::string FirstFreeAsideName(const std::string& to, const Place& place) {
    for (int number = 0; number < MaxAsideNames; ++number) {
        const std::string aside = number == 0 ? to : to + "." + std::to_string(number);
        if (place(aside))
            return aside;
    }
    throw FileError("every name from " + to + " to " + to + "." + std::to_string(MaxAsideNames - 1) +
                    " is taken");
}

} // namespace

std::string RenameAside(const std::string& from, const std::string& to) {
    return FirstFreeAsideName(to, [&](const std::string& aside) {
        if (RenameWithoutReplacing(from, aside))
            return true;
        if (errno != EEXIST) {
            const int systemError = errno;
            throw FileError(std::strerror(systemError), systemError);
        }
        return false;
    });
}

std::string CopyAside(const std::string& from, const std::string& to) {
    return FirstFreeAsideName(to, [&](const std::string& aside) {
        try {
            CopyToNewFile(from, aside);
            return true;
        } catch (const FileError& failure) {
            if (failure.SystemError() != EEXIST)
                throw;
            return false;
        }
    });
}

} // namespace platform
