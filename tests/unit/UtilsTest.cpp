#include "game/stages/StageListUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/Cursor.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

TEST(RoundToInt, TiesGoToEvenWhateverTheCallersMode) {
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(RoundToInt(2.5), 2);
        EXPECT_EQ(RoundToInt(3.5), 4);
        EXPECT_EQ(RoundToInt(-2.5), -2);
        EXPECT_EQ(RoundToInt(60.04), 60);
        EXPECT_EQ(std::fegetround(), mode) << "the caller's mode must be back";
    }
    std::fesetround(FE_TONEAREST);
}

TEST(RoundToInt, LeavesNoFloatingPointExceptionPending) {
    std::fesetround(FE_UPWARD);
    std::feraiseexcept(FE_DIVBYZERO | FE_OVERFLOW); // left by the caller
    EXPECT_EQ(RoundToInt(2.5), 2);                  // inexact
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0) << "neither the caller's nor the conversion's";
    static_cast<void>(RoundToInt(1e30)); // beyond 64 bits: "invalid" inside
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    std::fesetround(FE_TONEAREST);
}

TEST(ExtractFolder, KeepsTheTrailingSeparator) {
    EXPECT_EQ(ExtractFolder("/usr/games/vaporel"), "/usr/games/");
    EXPECT_EQ(ExtractFolder("vaporel"), "");
    EXPECT_EQ(ExtractFolder("/"), "/");
    EXPECT_EQ(ExtractFolder(std::string("/a/b\0/c/d", 9)), "/a/") << "stops at a zero byte";
    // Multi-byte UTF-8 names: continuation bytes never read as '/'.
    EXPECT_EQ(ExtractFolder("/ゲーム/水/vaporel"), "/ゲーム/水/");
}

TEST(TextToInt, WholeTextOnly) {
    EXPECT_EQ(TextToInt("-2147483648"), std::optional<std::int32_t>(-2147483648));
    EXPECT_EQ(TextToInt("12abc"), std::nullopt);
    EXPECT_EQ(TextToInt(""), std::nullopt);
    EXPECT_EQ(TextToInt("2147483648"), std::nullopt) << "out of range";
}

TEST(ChangeFileExt, ReplacesOnlyTheLastComponentsExtension) {
    EXPECT_EQ(ChangeFileExt("/opt/game.d/vaporel", ".ini"), "/opt/game.d/vaporel.ini");
    EXPECT_EQ(ChangeFileExt("/opt/vaporel.exe", ".Z5.log"), "/opt/vaporel.Z5.log");
}

TEST(ByteOrder, SwapsReverseTheBytes) {
    EXPECT_EQ(Swap16(0x1234), 0x3412);
    EXPECT_EQ(Swap32(0x12345678u), 0x78563412u);
}

TEST(HideCursor, StepsDownOnlyWhileTheCountAnswersZero) {
    while (platform::ShowCursor(false) >= 0) {
    }
    while (platform::ShowCursor(true) < 0) {
    } // the usual display count 0

    HideCursor(); // one call: -1
    EXPECT_FALSE(platform::CursorVisible());
    EXPECT_EQ(platform::ShowCursor(true), 0);

    platform::ShowCursor(true); // 1
    HideCursor();               // two calls: 0, then -1
    EXPECT_EQ(platform::ShowCursor(true), 0);

    platform::ShowCursor(true);
    platform::ShowCursor(true); // 2
    HideCursor();               // the first answer is 1: it stops, the cursor stays
    EXPECT_TRUE(platform::CursorVisible());
    EXPECT_EQ(platform::ShowCursor(false), 0);
}

namespace {

// A program folder with the installed data folder where the configured path
// leads from it; `marked` puts the installation's marker there.
struct TInstalledTree {
    std::string ProgramDir;
    std::string DataDir;

    TInstalledTree(const std::string& root, bool marked) {
        std::filesystem::remove_all(root);
        ProgramDir = root + "/games/";
        DataDir = std::filesystem::path(ProgramDir + InstalledDataPath).lexically_normal().string();
        std::filesystem::create_directories(ProgramDir);
        std::filesystem::create_directories(DataDir);
        if (marked)
            std::ofstream(DataDir + InstalledMarker) << "installed\n";
    }
};

} // namespace

TEST(DataFolder, AnInstalledTreeHasItThroughTheConfiguredPathAnywhere) {
    ASSERT_EQ(InstalledDataPath.back(), '/');
    ASSERT_NE(InstalledDataPath.front(), '/') << "a relative path, so that the tree can move";
    const std::string root = testing::TempDir() + "vaporel-moved-tree";
    const TInstalledTree tree(root, true);
    EXPECT_EQ(DataFolderOf(tree.ProgramDir), tree.DataDir);
    EXPECT_EQ(tree.DataDir.find(".."), std::string::npos) << tree.DataDir;
    EXPECT_EQ(tree.DataDir.rfind(root + "/", 0), 0u) << "the data lies inside the tree: " << tree.DataDir;
    std::filesystem::remove_all(root);
}

TEST(DataFolder, ABuildFolderOrAPortableCopyKeepsItBesideTheProgram) {
    const std::string root = testing::TempDir() + "vaporel-portable-tree";
    const TInstalledTree unmarked(root, false);
    EXPECT_EQ(DataFolderOf(unmarked.ProgramDir), unmarked.ProgramDir)
        << "a folder where the path leads is not an installation without its marker";
    std::filesystem::remove_all(root);
    EXPECT_EQ(DataDir, ExeDir) << "the tests run in a build folder";
    EXPECT_FALSE(IsInstalledCopy());
}

TEST(ProgramFilePath, BesideTheProgramUnlessItIsAnInstalledCopy) {
    const std::string marker =
        std::filesystem::path(ExeDir + InstalledDataPath).lexically_normal().string() + InstalledMarker;
    ASSERT_FALSE(std::filesystem::exists(marker)) << "left over: " << marker;
    EXPECT_EQ(ProgramFilePath(".ini", TUserFolder::Config), ChangeFileExt(ExeName, ".ini"))
        << "a build folder keeps its files beside the program";

    const std::string config = testing::TempDir() + "vaporel-installed-config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::filesystem::create_directories(ExtractFolder(marker));
    std::ofstream(marker) << "installed\n";
    const bool installed = IsInstalledCopy();
    const std::string path = ProgramFilePath(".ini", TUserFolder::Config);
    std::filesystem::remove(marker);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(installed);
    EXPECT_EQ(path, config + "/vaporel/" + ChangeFileExt(ExeName, ".ini").substr(ExeDir.size()))
        << "an installed copy keeps them in the user's folder, though its own is writable";
    EXPECT_TRUE(std::filesystem::is_directory(config + "/vaporel"));
    std::filesystem::remove_all(config);
}

TEST(ProgramVersion, IsTheVersionTheBuildWasConfiguredWith) {
    EXPECT_EQ(ProgramVersion, VAPOREL_PROJECT_VERSION);
    EXPECT_EQ(VersionText("vaporel-sim").substr(0, VersionText("vaporel-sim").find('\n')),
              std::string("vaporel-sim ") + VAPOREL_PROJECT_VERSION);
}

TEST(ProgramFilePath, ARelativeBaseFolderIsIgnored) {
    const std::string home = testing::TempDir() + "vaporel-home";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string marker =
        std::filesystem::path(ExeDir + InstalledDataPath).lexically_normal().string() + InstalledMarker;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_STATE_HOME", "state", 1);
    setenv("XDG_DATA_HOME", "data", 1);
    std::filesystem::create_directories(ExtractFolder(marker));
    std::ofstream(marker) << "installed\n";
    const std::string log = ProgramFilePath(".Z5.log", TUserFolder::State);
    std::filesystem::remove(marker);
    const std::string stages = UserStagesFolder();
    unsetenv("XDG_STATE_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(log, home + "/.local/state/vaporel/" + ChangeFileExt(ExeName, ".Z5.log").substr(ExeDir.size()));
    EXPECT_EQ(stages, home + "/.local/share/vaporel/stages/");
    std::filesystem::remove_all(home);
}

TEST(EscapeControls, EscapesEveryControlAndKeepsEveryOtherCharacter) {
    using namespace std::string_literals;
    EXPECT_EQ(EscapeControls("\x1b]0;owned\x07 \x1b[31m"), "\\x1b]0;owned\\x07 \\x1b[31m");
    EXPECT_EQ(EscapeControls("cut\0here"s), "cut\\x00here");
    EXPECT_EQ(EscapeControls("tab\tdel\x7f"), "tab\\x09del\\x7f");
    EXPECT_EQ(EscapeControls("csi\xc2\x9b"
                             "2J"),
              "csi\\xc2\\x9b2J")
        << "C1 controls in UTF-8";
    EXPECT_EQ(EscapeControls("\xc2\xa0 ステージ é ~ \\"), "\xc2\xa0 ステージ é ~ \\")
        << "printable text stays";
    EXPECT_EQ(EscapeControls("\xc2"), "\xc2") << "a lone lead byte at the end";
}

// Every character from U+0000 to U+00FF in UTF-8, and every byte from 0x7E to
// 0xA0 standing alone (the fonts read such a byte as Latin-1), against the plain
// rule: escaped are C0, DEL, C1 and the soft hyphen, each of their bytes.
TEST(EscapeControls, TheControlRangesToTheCharacter) {
    const auto escaped = [](std::string_view bytes) {
        std::string shown;
        for (const char byte : bytes) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(byte));
            shown += hex;
        }
        return shown;
    };
    for (char32_t character = 0; character <= 0xFF; ++character) {
        const std::string text = character < 0x80 ? std::string(1, static_cast<char>(character))
                                                  : std::string{static_cast<char>(0xC0 | (character >> 6)),
                                                                static_cast<char>(0x80 | (character & 0x3F))};
        const bool control =
            character < 0x20 || (character >= 0x7F && character <= 0x9F) || character == 0xAD;
        EXPECT_EQ(EscapeControls("a" + text + "b"), "a" + (control ? escaped(text) : text) + "b")
            << "U+" << std::hex << static_cast<std::uint32_t>(character);
    }
    for (int byte = 0x7E; byte <= 0xA0; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        const bool control = byte >= 0x7F && byte <= 0x9F;
        EXPECT_EQ(EscapeControls("a" + text + "b"), "a" + (control ? escaped(text) : text) + "b")
            << "the lone byte " << std::hex << byte;
    }
    EXPECT_EQ(EscapeControls("\xf0\x9f\x98\x80 \xe3\x82\xb9"), "\xf0\x9f\x98\x80 \xe3\x82\xb9")
        << "0x80..0x9F inside longer characters stay";
    EXPECT_EQ(EscapeControls("\xed\xa0\x80"), "\xed\xa0\\x80") << "a surrogate is no character";
}

// Each character that draws nothing, and its visible neighbours, in UTF-8.
TEST(EscapeControls, EscapesTheCharactersThatDrawNothingAndNotTheirNeighbours) {
    struct Row {
        const char* Text;
        const char* Shown;
    };
    const Row rows[] = {
        {"\xc2\xac", "\xc2\xac"},            // U+00AC not sign
        {"\xc2\xad", "\\xc2\\xad"},          // U+00AD soft hyphen
        {"\xc2\xae", "\xc2\xae"},            // U+00AE registered sign
        {"\xe2\x80\x8a", "\xe2\x80\x8a"},    // U+200A hair space
        {"\xe2\x80\x8b", "\\xe2\\x80\\x8b"}, // U+200B zero-width space
        {"\xe2\x80\x8f", "\\xe2\\x80\\x8f"}, // U+200F right-to-left mark
        {"\xe2\x80\x90", "\xe2\x80\x90"},    // U+2010 hyphen
        {"\xe2\x80\xa7", "\xe2\x80\xa7"},    // U+2027 hyphenation point
        {"\xe2\x80\xa8", "\\xe2\\x80\\xa8"}, // U+2028 line separator
        {"\xe2\x80\xae", "\\xe2\\x80\\xae"}, // U+202E right-to-left override
        {"\xe2\x80\xaf", "\xe2\x80\xaf"},    // U+202F narrow no-break space
        {"\xe2\x81\x9f", "\xe2\x81\x9f"},    // U+205F medium mathematical space
        {"\xe2\x81\xa0", "\\xe2\\x81\\xa0"}, // U+2060 word joiner
        {"\xe2\x81\xa9", "\\xe2\\x81\\xa9"}, // U+2069 pop directional isolate
        {"\xe2\x81\xaa", "\xe2\x81\xaa"},    // U+206A inhibit symmetric swapping
        {"\xef\xbb\xbe", "\xef\xbb\xbe"},    // U+FEFE Arabic ligature
        {"\xef\xbb\xbf", "\\xef\\xbb\\xbf"}, // U+FEFF byte-order mark
        {"\xef\xbc\x80", "\xef\xbc\x80"},    // U+FF00
        {"\xef\xbb", "\xef\xbb"},            // a mark cut short
        {"\xe0\x82\xad", "\xe0\\x82\xad"},   // the soft hyphen written too long: its lone 0x82 is a C1 byte
    };
    for (const Row& row : rows)
        EXPECT_EQ(EscapeControls(row.Text), row.Shown) << EscapeControls(row.Text);
}
