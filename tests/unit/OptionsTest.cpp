// The options file's values: integers, any but 0 true, read as the file
// holds them and written back without losing other lines.

#include "game/app/OptionsUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using platform::IniFile;

namespace {

class OptionsFile : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(File); }

    void Write(const std::string& text) const { std::ofstream(File, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(File, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    const std::string File = testing::TempDir() + "vaporel-options-test.ini";
};

} // namespace

TEST_F(OptionsFile, ValuesAreNumbersAnyNonZeroBeingTrue) {
    Write("[options]\nIsFullScreen=yes\nVisibleDebugMessage=-3\n[other]\nIsFullScreen=1\n");
    const IniFile options(File);
    EXPECT_FALSE(ReadBoolOption(options, "IsFullScreen", false)) << "not a number: the default";
    EXPECT_TRUE(ReadBoolOption(options, "IsFullScreen", true));
    EXPECT_TRUE(ReadBoolOption(options, "VisibleDebugMessage", false));
    EXPECT_FALSE(ReadBoolOption(options, "Missing", false));
    Write("[options]\nIsFullScreen=0X0\nVisibleDebugMessage=0x\n");
    const IniFile hex(File);
    EXPECT_FALSE(ReadBoolOption(hex, "IsFullScreen", true));
    EXPECT_TRUE(ReadBoolOption(hex, "VisibleDebugMessage", true)) << "0x alone is no number";
    Write("[options]\nIsFullScreen=4294967296\nVisibleDebugMessage=0xFFFFFFFF\n");
    const IniFile wide(File);
    EXPECT_FALSE(ReadBoolOption(wide, "IsFullScreen", false)) << "beyond 32 bits: no number, the default";
    EXPECT_TRUE(ReadBoolOption(wide, "VisibleDebugMessage", false)) << "eight hex digits are -1";
}

TEST_F(OptionsFile, AKeyGivenTwiceReadsTheFirstAndKeepsBothLines) {
    Write("[options]\nVisibleDebugMessage=1\nVisibleDebugMessage=0\n[sound]\nv=1\nv=2\n");
    IniFile options(File);
    EXPECT_TRUE(ReadBoolOption(options, "VisibleDebugMessage", false));
    options.Write("options", "VisibleDebugMessage", "7");
    options.Save();
    const std::string saved = Read();
    EXPECT_NE(saved.find("[options]\nVisibleDebugMessage = 7\nVisibleDebugMessage = 0\n"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find("[sound]\nv = 1\nv = 2\n"), std::string::npos) << saved;
    options.Write("options", "VisibleDebugMessage", "0");
    EXPECT_FALSE(ReadBoolOption(options, "VisibleDebugMessage", true)) << "the written line is the one read";
}

TEST_F(OptionsFile, ABoolIsWrittenAsOneOrZero) {
    IniFile options(File);
    WriteBoolOption(options, "IsMuted", true);
    options.Save();
    EXPECT_NE(Read().find("[options]\nIsMuted = 1\n"), std::string::npos) << Read();
    WriteBoolOption(options, "IsMuted", false);
    EXPECT_FALSE(ReadBoolOption(options, "IsMuted", true));
}
