// The folders of source/ depend one way: a file includes only files of its
// own folder and of the folders below it. This test reads every #include "..."
// line under source/, finds the file the compiler would open, and names each
// file and line that reaches up or sideways, and each file whose folder is
// not in the table.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TFolder {
    const char* Path; // under source/
    int Level;        // a folder includes only its own and lower levels; one level's folders not each other
};

// Bottom to top, as the README's layout table shows them.
const TFolder Folders[] = {
    {"platform", 0},    {"platform/web", 0}, {"lib", 1},        {"lib/sound", 2},
    {"game/texts", 3},  {"game/core", 4},    {"game/water", 5}, {"game/stagemaker", 5},
    {"game/stages", 6}, {"game/render", 7},  {"game/audio", 7}, {"game/states", 8},
    {"game/app", 9},
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

// The tree includes are resolved in: source/ and the folders the build puts
// on the include path, in their order.
struct TSourceTree {
    fs::path Root;
    std::vector<fs::path> IncludeFolders;
};

// Where the compiler finds `#include "name"` written in `file` (a path under
// the root): beside the file first, then in each include folder; as a path
// under the root, or nothing for a file outside it or found nowhere (a
// system or generated header).
std::optional<std::string> ResolveInclude(const TSourceTree& tree, const std::string& file,
                                          const std::string& name) {
    std::vector<fs::path> candidates{(tree.Root / file).parent_path() / name};
    for (const fs::path& folder : tree.IncludeFolders)
        candidates.push_back(folder / name);
    for (const fs::path& candidate : candidates)
        if (fs::is_regular_file(candidate)) {
            const fs::path under =
                fs::weakly_canonical(candidate).lexically_relative(fs::weakly_canonical(tree.Root));
            if (under.empty() || *under.begin() == "..")
                return std::nullopt;
            return under.generic_string();
        }
    return std::nullopt;
}

} // namespace

// One line of `file` (a path under the tree's root): what is wrong with it, or "".
std::string CheckIncludeLine(const TSourceTree& tree, const std::string& file, int lineNumber,
                             const std::string& line) {
    static const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)")re");
    std::smatch match;
    if (!std::regex_search(line, match, include))
        return "";
    const std::optional<std::string> included = ResolveInclude(tree, file, match[1]);
    if (!included)
        return "";
    const std::optional<TFolder> from = FolderOf(file);
    const std::optional<TFolder> to = FolderOf(*included);
    if (!from || !to || std::string(from->Path) == to->Path || to->Level < from->Level ||
        IsKnownException(file, *included))
        return "";
    return "source/" + file + ":" + std::to_string(lineNumber) + ": " + from->Path + " includes " +
           *included + (to->Level == from->Level ? ", a folder beside it" : ", a folder above it");
}

namespace {

bool IsSourceFile(const fs::path& path) {
    return path.extension() == ".h" || path.extension() == ".cpp";
}

std::vector<std::string> CheckFile(const TSourceTree& tree, const std::string& file) {
    std::vector<std::string> faults;
    if (!FolderOf(file))
        faults.push_back("source/" + file + ": its folder is not in the table of folders");
    std::ifstream in(tree.Root / file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (std::string fault = CheckIncludeLine(tree, file, number, line); !fault.empty())
            faults.push_back(fault);
    return faults;
}

// What is wrong with every source file of the tree.
std::vector<std::string> CheckTree(const TSourceTree& tree) {
    std::vector<std::string> faults;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(tree.Root))
        if (entry.is_regular_file() && IsSourceFile(entry.path())) {
            const std::vector<std::string> fileFaults =
                CheckFile(tree, entry.path().lexically_relative(tree.Root).generic_string());
            faults.insert(faults.end(), fileFaults.begin(), fileFaults.end());
        }
    return faults;
}

// The include folders the build gives the game's code, ':' between them.
TSourceTree BuiltTree() {
    TSourceTree tree{VAPOREL_SOURCE_DIR, {}};
    std::stringstream folders(VAPOREL_INCLUDE_DIRS);
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty())
            tree.IncludeFolders.emplace_back(folder);
    return tree;
}

// A small tree of empty files, with source/ as its include folder.
class FakeTree : public testing::Test {
protected:
    void SetUp() override {
        for (const char* file :
             {"game/water/VaporelBoxUnit.h", "game/render/GameRendererUnit.h", "game/render/X.cpp",
              "game/render/Y.h", "game/audio/Y.h", "lib/Z5LogUnit.cpp", "lib/Z5LogUnit.h",
              "lib/sound/SoundMixer.h", "lib/sound/X.cpp", "game/app/X.cpp"})
            Add(file, "");
    }
    void TearDown() override { fs::remove_all(tree.Root); }

    void Add(const std::string& file, const std::string& text) const {
        fs::create_directories((tree.Root / file).parent_path());
        std::ofstream(tree.Root / file) << text;
    }
    std::string Check(const std::string& file, int lineNumber, const std::string& line) const {
        return CheckIncludeLine(tree, file, lineNumber, line);
    }

    // A tree of its own per process: CTest runs the tests side by side.
    const fs::path root = fs::path(testing::TempDir()) / ("vaporel-include-tree." + std::to_string(getpid()));
    const TSourceTree tree{root / "source", {root / "source"}};
};

} // namespace

TEST_F(FakeTree, AnIncludeUpOrSidewaysIsNamedWithItsFileAndLine) {
    EXPECT_EQ(Check("game/water/VaporelBoxUnit.h", 9, R"(#include "game/render/GameRendererUnit.h")"),
              "source/game/water/VaporelBoxUnit.h:9: game/water includes game/render/GameRendererUnit.h, a "
              "folder above it");
    EXPECT_EQ(Check("game/render/X.cpp", 3, R"(#include "game/audio/Y.h")"),
              "source/game/render/X.cpp:3: game/render includes game/audio/Y.h, a folder beside it");
    EXPECT_NE(Check("lib/Z5LogUnit.cpp", 2, R"(  #  include "lib/sound/SoundMixer.h")"), "")
        << "lib/sound lies above lib";
}

TEST_F(FakeTree, IncludesDownwardsWithinAFolderAndOfOtherKindsPass) {
    EXPECT_EQ(Check("game/render/X.cpp", 1, R"(#include "game/water/VaporelBoxUnit.h")"), "");
    EXPECT_EQ(Check("game/render/X.cpp", 1, R"(#include "game/render/Y.h")"), "");
    EXPECT_EQ(Check("lib/sound/X.cpp", 1, R"(#include "lib/Z5LogUnit.h")"), "");
    EXPECT_EQ(Check("game/app/X.cpp", 1, R"(#include <SDL.h>)"), "");
}

// An include written relative to its file is the file the compiler opens.
TEST_F(FakeTree, AnIncludeRelativeToItsFileIsResolvedAsTheCompilerDoes) {
    EXPECT_EQ(Check("game/water/VaporelBoxUnit.h", 4, R"(#include "../render/GameRendererUnit.h")"),
              "source/game/water/VaporelBoxUnit.h:4: game/water includes game/render/GameRendererUnit.h, a "
              "folder above it");
    EXPECT_EQ(Check("game/render/X.cpp", 5, R"(#include "../audio/Y.h")"),
              "source/game/render/X.cpp:5: game/render includes game/audio/Y.h, a folder beside it");
    EXPECT_EQ(Check("game/render/X.cpp", 1, R"(#include "Y.h")"), "") << "beside it: game/render/Y.h";
    EXPECT_EQ(Check("game/render/X.cpp", 1, R"(#include "../water/VaporelBoxUnit.h")"), "");
    Add("game/water/game/audio/Y.h", "");
    EXPECT_EQ(Check("game/water/VaporelBoxUnit.h", 1, R"(#include "game/audio/Y.h")"), "")
        << "beside the file wins over the include folder";
}

TEST_F(FakeTree, AFileInAFolderTheTableDoesNotNameFails) {
    Add("game/unlisted/Z.cpp", "#include \"../render/Y.h\"\n");
    Add("Loose.h", "");
    const std::vector<std::string> faults = CheckTree(tree);
    const auto has = [&](const std::string& fault) {
        return std::find(faults.begin(), faults.end(), fault) != faults.end();
    };
    EXPECT_TRUE(has("source/game/unlisted/Z.cpp: its folder is not in the table of folders"));
    EXPECT_TRUE(has("source/Loose.h: its folder is not in the table of folders"));
    EXPECT_EQ(faults.size(), 2u) << "every other file of the tree is in order";
}

TEST(IncludeOrder, EveryIncludeUnderSourceKeepsTheOrder) {
    const TSourceTree tree = BuiltTree();
    ASSERT_FALSE(tree.IncludeFolders.empty()) << "the build names no include folder";
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(tree.Root))
        files += entry.is_regular_file() && IsSourceFile(entry.path()) ? 1 : 0;
    EXPECT_GT(files, 100) << "source/ was not found at " << tree.Root;
    for (const std::string& fault : CheckTree(tree))
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
