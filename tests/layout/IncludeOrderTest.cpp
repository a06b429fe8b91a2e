// The folders of source/ depend one way: a file includes only files of its
// own folder and of the folders below it. This test reads every #include "..."
// line under source/ and names each file and line that reaches up or sideways.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TFolder {
    const char* Path; // under source/
    int Level;        // a folder includes only its own and lower levels; one level's folders not each other
};

// Bottom to top, as the README's layout table shows them.
const TFolder Folders[] = {
    {"platform", 0},    {"lib", 1},        {"lib/sound", 2},       {"game/texts", 3},
    {"game/core", 4},   {"game/water", 5}, {"game/stagemaker", 5}, {"game/stages", 6},
    {"game/render", 7}, {"game/audio", 7}, {"game/states", 8},     {"game/app", 9},
};

// The one include against the order that the engine still has: its music
// player plays through the sound device below it.
struct TKnownException {
    const char* File;
    const char* Included;
};
const TKnownException KnownExceptions[] = {{"lib/Z5BGMUnit.cpp", "lib/sound/Z5DirectSoundUnit.h"}};

// The folder of the table that holds `path` (a path under source/) itself.
std::optional<TFolder> FolderOf(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().generic_string();
    for (const TFolder& candidate : Folders)
        if (folder == candidate.Path)
            return candidate;
    return std::nullopt;
}

bool IsKnownException(const std::string& file, const std::string& included) {
    return std::any_of(std::begin(KnownExceptions), std::end(KnownExceptions),
                       [&](const TKnownException& e) { return file == e.File && included == e.Included; });
}

} // namespace

// One line of `file` (a path under source/): what is wrong with it, or "".
std::string CheckIncludeLine(const std::string& file, int lineNumber, const std::string& line) {
    static const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)")re");
    std::smatch match;
    if (!std::regex_search(line, match, include))
        return "";
    const std::string included = match[1];
    const std::optional<TFolder> from = FolderOf(file);
    const std::optional<TFolder> to = FolderOf(included);
    if (!from || !to || std::string(from->Path) == to->Path || to->Level < from->Level ||
        IsKnownException(file, included))
        return "";
    return "source/" + file + ":" + std::to_string(lineNumber) + ": " + from->Path + " includes " + included +
           (to->Level == from->Level ? ", a folder beside it" : ", a folder above it");
}

namespace {

std::vector<std::string> CheckFile(const fs::path& source, const fs::path& path) {
    const std::string file = path.lexically_relative(source).generic_string();
    std::vector<std::string> faults;
    std::ifstream in(path);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (std::string fault = CheckIncludeLine(file, number, line); !fault.empty())
            faults.push_back(fault);
    return faults;
}

bool IsSourceFile(const fs::path& path) {
    return path.extension() == ".h" || path.extension() == ".cpp";
}

} // namespace

TEST(IncludeOrder, AnIncludeUpOrSidewaysIsNamedWithItsFileAndLine) {
    EXPECT_EQ(
        CheckIncludeLine("game/water/VaporelBoxUnit.h", 9, R"(#include "game/render/GameRendererUnit.h")"),
        "source/game/water/VaporelBoxUnit.h:9: game/water includes game/render/GameRendererUnit.h, a "
        "folder above it");
    EXPECT_EQ(CheckIncludeLine("game/render/X.cpp", 3, R"(#include "game/audio/Y.h")"),
              "source/game/render/X.cpp:3: game/render includes game/audio/Y.h, a folder beside it");
    EXPECT_NE(CheckIncludeLine("lib/Z5LogUnit.cpp", 2, R"(  #  include "lib/sound/SoundMixer.h")"), "")
        << "lib/sound lies above lib";
}

TEST(IncludeOrder, IncludesDownwardsWithinAFolderAndOfOtherKindsPass) {
    EXPECT_EQ(CheckIncludeLine("game/render/X.cpp", 1, R"(#include "game/water/VaporelBoxUnit.h")"), "");
    EXPECT_EQ(CheckIncludeLine("game/render/X.cpp", 1, R"(#include "game/render/Y.h")"), "");
    EXPECT_EQ(CheckIncludeLine("lib/sound/X.cpp", 1, R"(#include "lib/Z5LogUnit.h")"), "");
    EXPECT_EQ(CheckIncludeLine("game/app/X.cpp", 1, R"(#include <SDL.h>)"), "");
}

TEST(IncludeOrder, EveryIncludeUnderSourceKeepsTheOrder) {
    const fs::path source = VAPOREL_SOURCE_DIR;
    std::vector<std::string> faults;
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source))
        if (entry.is_regular_file() && IsSourceFile(entry.path())) {
            ++files;
            const std::vector<std::string> fileFaults = CheckFile(source, entry.path());
            faults.insert(faults.end(), fileFaults.begin(), fileFaults.end());
        }
    EXPECT_GT(files, 100) << "source/ was not found at " << source;
    for (const std::string& fault : faults)
        ADD_FAILURE() << fault;
}

// An exception the code no longer needs goes from the list.
TEST(IncludeOrder, EveryKnownExceptionStillOccurs) {
    const fs::path source = VAPOREL_SOURCE_DIR;
    for (const TKnownException& exception : KnownExceptions) {
        std::ifstream in(source / exception.File);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find(std::string("#include \"") + exception.Included + "\""), std::string::npos)
            << exception.File << " no longer includes " << exception.Included;
    }
}
