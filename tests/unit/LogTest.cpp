#include "lib/Z5LogUnit.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "lines end with CR LF: " << line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        std::filesystem::remove_all(FileName);
        std::filesystem::remove_all(FileName + ".old");
    }
    const std::string FileName = ::testing::TempDir() + "vaporel_log_test.Z5.log";
};

const std::string Rule(63, '-');
const std::regex Banner(R"(Z5Log (begin|end) \(\d{4}/\d{1,2}/\d{1,2} \d\d:\d\d'\d\d"\d{3}\))");

} // namespace

TEST_F(LogTest, ARunWithoutEntriesStillLeavesItsFrame) {
    { TZ5Log log(FileName); }
    const auto lines = ReadLines(FileName);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], Rule);
    EXPECT_TRUE(std::regex_match(lines[1], Banner)) << lines[1];
    EXPECT_EQ(lines[1].substr(0, 12), "Z5Log begin ");
    EXPECT_EQ(lines[2].substr(0, 10), "Z5Log end ");
}

TEST_F(LogTest, EntriesCarryTheTimeStampAndRunsAppend) {
    {
        TZ5Log log(FileName);
        log.WriteLine("first run");
    }
    {
        TZ5Log log(FileName);
        log.WriteLine("Error! ウィンドウが生成できませんでした");
    }
    const auto lines = ReadLines(FileName);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], Rule);
    EXPECT_EQ(lines[4], Rule) << "the second run opens its own section";
    const std::regex entry(R"( \d\d:\d\d'\d\d"\d{3}: (.*))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[2], match, entry)) << lines[2];
    EXPECT_EQ(match[1], "first run");
    ASSERT_TRUE(std::regex_match(lines[6], match, entry)) << lines[6];
    EXPECT_EQ(match[1], "Error! ウィンドウが生成できませんでした");
}

TEST_F(LogTest, AnUnwritableLogDropsLinesSilently) {
    std::filesystem::create_directory(FileName); // nothing can open a folder for appending
    {
        TZ5Log log(FileName);
        EXPECT_NO_THROW(log.WriteLine("dropped"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(FileName));
    EXPECT_TRUE(std::filesystem::is_empty(FileName));
}

TEST_F(LogTest, AFifoInPlaceOfTheLogNeitherBlocksNorReceivesLines) {
    ASSERT_EQ(::mkfifo(FileName.c_str(), 0600), 0);
    { TZ5Log(FileName).WriteLine("no reader: opening must not wait for one"); }

    const int reader = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    { TZ5Log(FileName).WriteLine("a reader: still not a log file"); }
    char byte;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "nothing was written into the FIFO";
    ::close(reader);
}

TEST_F(LogTest, ALogPastTheLimitIsKeptAsOldAndANewOneBegins) {
    const auto writeLog = [this](std::uintmax_t bytes) {
        std::ofstream(FileName, std::ios::binary) << std::string(bytes, 'x');
    };
    std::ofstream(FileName + ".old") << "an older log";
    writeLog(MaxLogBytes);
    { TZ5Log(FileName).WriteLine("at the limit: appended"); }
    EXPECT_GT(std::filesystem::file_size(FileName), MaxLogBytes);
    EXPECT_EQ(std::filesystem::file_size(FileName + ".old"), 12u);

    writeLog(MaxLogBytes + 1);
    { TZ5Log(FileName).WriteLine("past it: a new log"); }
    EXPECT_EQ(std::filesystem::file_size(FileName + ".old"), MaxLogBytes + 1);
    const auto lines = ReadLines(FileName);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], Rule);
}
