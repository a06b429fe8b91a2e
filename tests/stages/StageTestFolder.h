#pragma once
// What the stage tests share: a scratch folder of their own per test, and a
// file's whole bytes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// An empty folder named after the running test and process, removed after it.
class StageTestFolder : public testing::Test {
protected:
    void SetUp() override {
        // Suite, test and process in the name: CTest runs every test as a process of its own,
        // side by side, and two suites may hold tests of the same name.
        const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
        root =
            std::filesystem::path(testing::TempDir()) / ("vaporel_" + std::string(test.test_suite_name()) +
                                                         "." + test.name() + "." + std::to_string(getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::filesystem::path root;
};
