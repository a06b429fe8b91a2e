#pragma once
// What the stage tests share: a scratch folder of their own per test, and a
// file's whole bytes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// An empty folder named after the running test, removed after it.
class StageTestFolder : public testing::Test {
protected:
    void SetUp() override {
        root = std::filesystem::path(testing::TempDir()) /
               ("vaporel_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::filesystem::path root;
};
