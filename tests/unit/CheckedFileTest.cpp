// What a reader gets from a checked file. The files it refuses (FIFO, device,
// folder, huge file) are tried through the readers that use it: pictures,
// the stage runner and the game's start.

#include "platform/CheckedFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

using platform::CheckedFile;
using platform::FileError;

TEST(CheckedFile, ReadsUpToTheEndWithinTheLimitAndRefusesALongerFile) {
    const std::string path = ::testing::TempDir() + "vaporel_checked_file_test";
    std::ofstream(path, std::ios::binary) << "0123456789";

    EXPECT_EQ(platform::ReadCheckedFile(path, 10), "0123456789") << "exactly the limit is accepted";
    CheckedFile file(path, 10);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 8), 8u);
    CheckedFile moved = std::move(file);
    EXPECT_EQ(moved.Read(buffer, 8), 2u) << "the rest, then the end";
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(moved.Read(buffer, 8), 0u);

    try {
        CheckedFile tooLong(path, 9);
        ADD_FAILURE() << "a file over the limit opens";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), (path + " is too large (10 bytes, at most 9)").c_str());
        EXPECT_EQ(error.Reason(), "too large (10 bytes, at most 9)") << "the reason without the name";
        EXPECT_EQ(error.SystemError(), 0);
    }
    std::filesystem::remove(path);
    try {
        CheckedFile missing(path, 10);
        ADD_FAILURE() << "a missing file opens";
    } catch (const FileError& error) {
        EXPECT_EQ(error.SystemError(), ENOENT) << "callers tell a missing file from a bad one";
        EXPECT_EQ(error.Reason(), std::strerror(ENOENT));
        EXPECT_EQ(error.what(), "cannot open " + path + ": " + error.Reason());
    }
}

// The look without an open agrees with the open on every kind of file.
TEST(CheckedFile, CheckRegularFileGivesTheReasonTheOpenWould) {
    const std::string dir = ::testing::TempDir() + "vaporel_check_regular/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "folder");
    std::ofstream(dir + "file") << "x";
    ASSERT_EQ(mkfifo((dir + "fifo").c_str(), 0600), 0);

    for (const std::string name : {"file", "folder", "fifo", "missing"}) {
        const platform::FileCheck check = platform::CheckRegularFile(dir + name);
        try {
            CheckedFile file(dir + name, 100);
            EXPECT_TRUE(check.IsRegularFile()) << name << " opens, yet the look refuses it: " << check.Reason;
        } catch (const FileError& error) {
            EXPECT_EQ(check.Reason, error.Reason()) << name;
            EXPECT_EQ(check.SystemError, error.SystemError()) << name;
        }
    }
    EXPECT_TRUE(platform::CheckRegularFile(dir + "file").IsRegularFile());
    EXPECT_EQ(platform::CheckRegularFile(dir + "fifo").Reason, "not a regular file");
    EXPECT_EQ(platform::CheckRegularFile(dir + "missing").SystemError, ENOENT);
    std::filesystem::remove_all(dir);
}

} // namespace
