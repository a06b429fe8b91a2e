#include "platform/CheckedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

using platform::CheckedFile;
using platform::FileError;
using platform::ReadCheckedFile;

class CheckedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(Folder);
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = Folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    const std::string Folder = ::testing::TempDir() + "vaporel_checked_file_test";
};

TEST_F(CheckedFileTest, ReadsARegularFileWithinItsLimit) {
    const std::string path = Write("a.txt", "0123456789");
    EXPECT_EQ(ReadCheckedFile(path, 10), "0123456789");

    CheckedFile file(path, 10);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 8), 8u);
    EXPECT_EQ(file.Read(buffer, 8), 2u) << "the rest, then the end";
    EXPECT_EQ(std::string(buffer, 2), "89");
    CheckedFile moved = std::move(file);
    EXPECT_EQ(moved.Read(buffer, 8), 0u);
    EXPECT_EQ(moved.Size(), 10u);
}

TEST_F(CheckedFileTest, EveryFileThatIsNotAReadableRegularFileIsRefusedByName) {
    ASSERT_EQ(::mkfifo((Folder + "/pipe").c_str(), 0600), 0); // no writer: opening must not wait
    const std::string tooLarge = Write("large", std::string(11, 'x'));
    const std::pair<std::string, std::string> cases[] = {
        {Folder + "/missing", "cannot open " + Folder + "/missing: No such file or directory"},
        {Folder, "cannot open " + Folder + ": not a regular file"},
        {Folder + "/pipe", "cannot open " + Folder + "/pipe: not a regular file"},
        {"/dev/zero", "cannot open /dev/zero: not a regular file"},
        {tooLarge, tooLarge + " is too large (11 bytes, at most 10)"},
    };
    for (const auto& [path, message] : cases) {
        try {
            ReadCheckedFile(path, 10);
            ADD_FAILURE() << path << " was read";
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

} // namespace
