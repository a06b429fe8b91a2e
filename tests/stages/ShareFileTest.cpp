// The share file: a stage and its proof written and read back, what the
// reader refuses (one error naming the file and the reason), and the names a
// written file gets.

#include "game/core/Utf8TextUnit.h"
#include "game/stages/ShareFileUnit.h"
#include "lib/Z5UtilsUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string Stage = "0004";

TStageSource ShippedSource() {
    return ReadStageSource(std::string(VAPOREL_STAGE_SOURCES) + "/" + Stage + ".txt");
}

TReplay ShippedSolution() {
    return LoadReplay(std::string(VAPOREL_SHIPPED_STAGES) + "/" + Stage + "/solution.txt");
}

std::string GoodText() {
    return FormatShareFile(ShippedSource(), ShippedSolution());
}

std::string ErrorOf(const std::string& text) {
    try {
        ParseShareFile(text, "mail/gap.vaporel.txt");
    } catch (const EShareFileError& error) {
        return error.what();
    }
    return "";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(ShareFile, WritesAndReadsBackTheStageTheProofAndTheGamesVersion) {
    const TSharedStage shared = ParseShareFile(GoodText(), "gap.vaporel.txt");
    EXPECT_EQ(shared.Stage, ShippedSource());
    EXPECT_EQ(shared.Proof, ShippedSolution());
    EXPECT_EQ(shared.GameVersion, ProgramVersion);
    const std::string crlf = std::regex_replace(GoodText(), std::regex("\n"), "\r\n");
    EXPECT_EQ(ParseShareFile(crlf, "mailed.txt"), shared) << "a mailed file may end its lines in CR LF";
}

TEST(ShareFile, ADamagedFileIsRefusedNamingTheFileAndTheReason) {
    const std::string good = GoodText();
    const struct {
        std::string Text, Expected;
    } cases[] = {
        {"", "line 1: not a shared stage"},
        {Replaced(good, "vaporel-stage 1", "vaporel-replay 1"), "line 1: not a shared stage"},
        {Replaced(good, "vaporel-stage 1", "vaporel-stage 2"), "line 1: share format 2 is not known"},
        {Replaced(good, "game " + ProgramVersion, "game ../../bin"), "line 2: expected 'game VERSION'"},
        {Replaced(good, "game " + ProgramVersion, "game " + std::string(33, '1')), "line 2: expected 'game"},
        {Replaced(good, "\nstage\n", "\nstages\n"), "line 4: expected the line 'stage'"},
        {good.substr(0, good.find("\nproof\n") + 1),
         "no line 'proof' after the stage: the file is cut short"},
        {good.substr(0, good.rfind('\n', good.size() - 2) + 1), "the end line ('F end hash=H') is missing"},
        {Replaced(good, "name Mind the Gap", "name Mind the Gap\xff"), "line 5: not UTF-8 text"},
        {Replaced(good, "name Mind the Gap", "name Mind\xc0\xaf the Gap"), "line 5: not UTF-8 text"},
        {Replaced(good, "name Mind the Gap", "name " + std::string(41, 'x')),
         "gap.vaporel.txt:5: name is longer than 40 letters"},
        {Replaced(good, "hint The", "hint " + std::string(121, 'h')), ":6: hint is longer than 120 letters"},
        {Replaced(good, "hint The", "hint \x1b]0;owned\x07"), ":6: hint holds a control character"},
        {Replaced(good, "water_radius 4", "water_radius 40"), ":12: water_radius must lie between 1 and 7"},
        {Replaced(good, "water_particle_num 400", "water_particle_num 1000000"),
         ":11: water_particle_num must lie between 1 and 4000"},
        {Replaced(good, "water_swap_frequency 0.1", "water_swap_frequency 1.5"),
         "water_swap_frequency must lie"},
        {Replaced(good, "par 4 9.0", "par 999999 9.0"), "(and the cells at most 3185)"},
        {Replaced(good, "\nstage " + Stage + "\n", "\nstage ../../home\n"), "'../../home' is no stage name"},
        {Replaced(good, "1 cell 7 12 1", "1 cell 7 99 1"), "the row must lie between 0 and 48"},
        {Replaced(good, "1 cell 7 12 1", "300000 cell 7 12 1"), "the frame must lie between 1 and 216000"},
        {good + std::string(MaxShareFileBytes, '\n'), "too large"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf(c.Text);
        EXPECT_EQ(error.rfind("mail/gap.vaporel.txt", 0), 0u) << "names the file: " << error;
        EXPECT_NE(error.find(c.Expected), std::string::npos)
            << "expected '" << c.Expected << "' in '" << error << "'";
        EXPECT_EQ(error.find('\x1b'), std::string::npos) << "no control character reaches a message";
    }
}

TEST(ShareFile, ReadsAtMost64KiBFromDisk) {
    const fs::path file = fs::path(testing::TempDir()) / "share_large.vaporel.txt";
    std::ofstream(file, std::ios::binary) << GoodText() << std::string(MaxShareFileBytes, '#');
    try {
        ReadShareFile(file.string());
        FAIL() << "a file over 64 KiB was read";
    } catch (const EShareFileError& error) {
        EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("too large"), std::string::npos) << error.what();
    }
}

TEST(ShareFile, AWrittenFileIsNamedAfterTheStageInTheFolderAndNeverReplacesOne) {
    const struct {
        std::string StageName, FileName;
    } names[] = {
        {"Mind the Gap", "mind-the-gap.vaporel.txt"},
        {"../../etc/passwd", "etc-passwd.vaporel.txt"},
        {"/abs", "abs.vaporel.txt"},
        {"水の塔", "stage.vaporel.txt"},
        {"Tower 2: the Return!", "tower-2-the-return.vaporel.txt"},
        {std::string(40, 'a') + "b", std::string(40, 'a') + ".vaporel.txt"},
    };
    for (const auto& n : names)
        EXPECT_EQ(ShareFileName(n.StageName), n.FileName) << n.StageName;

    const fs::path folder = fs::path(testing::TempDir()) / "share_written";
    fs::remove_all(folder);
    TStageSource stage = ShippedSource();
    stage.Name = "../../Mind the Gap";
    const std::string first = WriteShareFile(stage, ShippedSolution(), folder.string());
    const std::string second = WriteShareFile(stage, ShippedSolution(), folder.string());
    EXPECT_EQ(fs::path(first), folder / "mind-the-gap.vaporel.txt");
    EXPECT_EQ(fs::path(second), folder / "mind-the-gap-2.vaporel.txt");
    EXPECT_EQ(ReadShareFile(second).Stage, stage);
    EXPECT_EQ(ReadFile(first), ReadFile(second));
}

TEST(ShareFile, TheSameStageHasTheSameKeyWhoeverWroteItsFile) {
    const TStageSource stage = ShippedSource();
    TStageSource moved = stage;
    moved.Map[20][30] = moved.Map[20][30] == '.' ? '#' : '.';
    EXPECT_EQ(SharedStageKey(stage), SharedStageKey(ParseShareFile(GoodText(), "a.txt").Stage));
    EXPECT_NE(SharedStageKey(stage), SharedStageKey(moved));
    EXPECT_EQ(SharedStageKey(stage).size(), 16u);
}

TEST(Utf8Text, BadBytesAreFoundWhereTheyStand) {
    const struct {
        std::string Text;
        std::optional<std::size_t> Bad;
    } cases[] = {
        {"plain", std::nullopt},
        {"\xe6\xb0\xb4\xe3\x81\xae", std::nullopt}, // two letters of Japanese
        {"\xf0\x9f\x92\xa7", std::nullopt},         // U+1F4A7
        {"ab\xc3", 2},                              // cut short
        {"a\xc0\xaf", 1},                           // overlong '/'
        {"\xe0\x80\xaf", 0},                        // overlong in three bytes
        {"\xed\xa0\x80", 0},                        // a surrogate
        {"\xf4\x90\x80\x80", 0},                    // past U+10FFFF
        {"a\x80", 1},                               // a continuation alone
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstBadUtf8Byte(c.Text), c.Bad) << EscapeControls(c.Text);
    EXPECT_EQ(Utf8LetterCount("\xe6\xb0\xb4\xe3\x81\xae tower"), 8u);
}
