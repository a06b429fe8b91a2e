// The messages the player reads: English from the catalogue built beside the
// program, unless the environment says the player reads Japanese.

#include "game/app/PlayerMessageUnit.h"
#include "platform/MessageCatalog.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <utility>
#include <vector>

// Every change of the environment in this program is counted: the sound,
// music and water threads may read it at any time, so a lookup must not
// write it even for a moment.
namespace {
std::atomic<int> EnvironmentWrites{0};

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" int setenv(const char* name, const char* value, int overwrite) {
    ++EnvironmentWrites;
    static const auto next = Next<int (*)(const char*, const char*, int)>("setenv");
    return next(name, value, overwrite);
}

extern "C" int unsetenv(const char* name) {
    ++EnvironmentWrites;
    static const auto next = Next<int (*)(const char*)>("unsetenv");
    return next(name);
}

namespace {

bool IsPlainAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The catalogue's source: each msgid with its msgstr (one line each).
std::map<std::string, std::string> CatalogueSource() {
    const std::string po = ReadFile(std::filesystem::path(VAPOREL_SOURCE_FOLDER) / "po/en.po");
    const std::regex entry("msgid \"(.+)\"\nmsgstr \"(.*)\"\n");
    std::map<std::string, std::string> texts;
    for (auto it = std::sregex_iterator(po.begin(), po.end(), entry); it != std::sregex_iterator(); ++it)
        texts[(*it)[1]] = (*it)[2];
    return texts;
}

// Sets the given variables and unsets the other locale variables; puts all
// back when it goes.
class LocaleEnvironment {
public:
    using Values = std::vector<std::pair<const char*, const char*>>;

    explicit LocaleEnvironment(const Values& values) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            Saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        for (const auto& [name, value] : values)
            ::setenv(name, value, 1);
    }
    ~LocaleEnvironment() {
        for (const auto& [name, value] : Saved_)
            value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> Saved_;
};

class PlayerMessages : public testing::Test {
protected:
    platform::MessageCatalog catalogue{MessageDomain, VAPOREL_MESSAGE_FOLDER};
};

TEST_F(PlayerMessages, EveryCatalogueTextIsFoundAndTranslated) {
    const auto texts = CatalogueSource();
    ASSERT_GE(texts.size(), 20u);
    for (const auto& [id, english] : texts) {
        EXPECT_EQ(catalogue.English(id.c_str()), english) << "the built catalogue lacks " << id;
        EXPECT_EQ(EnglishMessage(id, catalogue), english) << "the program's list lacks " << id;
        EXPECT_TRUE(IsPlainAscii(english)) << id;
    }
}

// A text added to the program without a translation would reach an English
// player in Japanese. The profiler's report goes only to the log.
constexpr const char* ProfilerLogOnly = "計測値なし";

TEST_F(PlayerMessages, EveryJapaneseTextInTheProgramHasAnEnglishOne) {
    const std::regex literal("\"((?:[^\"\\\\\n]|\\\\.)*)\"");
    int found = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(VAPOREL_SOURCE_FOLDER) / "source")) {
        if (!file.is_regular_file())
            continue;
        const std::string code = ReadFile(file.path());
        for (auto it = std::sregex_iterator(code.begin(), code.end(), literal); it != std::sregex_iterator();
             ++it) {
            const std::string text = (*it)[1];
            if (IsPlainAscii(text) || text == ProfilerLogOnly)
                continue;
            ++found;
            EXPECT_TRUE(IsPlainAscii(EnglishMessage(text, catalogue)))
                << file.path().filename() << ": " << text << " reads as " << EnglishMessage(text, catalogue);
        }
    }
    EXPECT_GE(found, 20) << "the program's Japanese texts were not found";
}

TEST_F(PlayerMessages, TextsAreReplacedWhereTheyStandAndNamesKept) {
    EXPECT_EQ(
        EnglishMessage("No display was found: the game needs a display. ウィンドウが生成できませんでした",
                       catalogue),
        "No display was found: the game needs a display. The window could not be created");
    EXPECT_EQ(
        EnglishMessage("stages/0001/Backは、対応していない画像ファイルです。(stages/0001/Back.jpg: not a "
                       "regular file)",
                       catalogue),
        "stages/0001/Back is not a picture file of a kind the game reads. (stages/0001/Back.jpg: not a "
        "regular file)");
    EXPECT_EQ(EnglishMessage("OggVorbisのファイルを開くことができませんした。@FileOpen\r\nファイル名bgm/"
                             "ファイル.ogg: No such file or directory",
                             catalogue),
              "The Ogg Vorbis file could not be opened.@FileOpen\r\nFile bgm/ファイル.ogg: No such file or "
              "directory")
        << "a name that holds part of a text is a name";
    EXPECT_EQ(EnglishMessage("登録されていないキー(名前)の内容を参照しようとしました", catalogue),
              "The value of the key that was never registered (名前) was asked for");
    EXPECT_EQ(EnglishMessage("", catalogue), "");
}

TEST_F(PlayerMessages, JapaneseOnlyWhereTheEnvironmentSaysSo) {
    const std::pair<LocaleEnvironment::Values, bool> cases[] = {
        {{}, false},
        {{{"LANG", "C"}}, false},
        {{{"LANG", "de_DE.UTF-8"}}, false},
        {{{"LANG", "ja_JP.UTF-8"}}, true},
        {{{"LANG", "ja"}}, true},
        {{{"LANG", "jv_ID.UTF-8"}}, false}, // Javanese
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_ALL", "C"}}, false},
        {{{"LANG", "en_GB.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, true},
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "fr_FR.UTF-8"}}, false},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "ja:de"}}, true},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en"}}, false},
        {{{"LANG", "C"}, {"LANGUAGE", "ja"}}, false}, // gettext ignores LANGUAGE under C
    };
    for (const auto& [environment, japanese] : cases) {
        const LocaleEnvironment scope(environment);
        EXPECT_EQ(platform::PlayerReadsJapanese(), japanese)
            << "LANG=" << (std::getenv("LANG") ? std::getenv("LANG") : "")
            << " LANGUAGE=" << (std::getenv("LANGUAGE") ? std::getenv("LANGUAGE") : "");
    }
}

TEST_F(PlayerMessages, AJapaneseReaderGetsTheTextsAsTheyAre) {
    const std::string message = "OpenGLの初期化に失敗しました";
    {
        const LocaleEnvironment japanese(LocaleEnvironment::Values{{"LANG", "ja_JP.UTF-8"}});
        EXPECT_EQ(PlayerMessage(message), message);
    }
    const LocaleEnvironment german(LocaleEnvironment::Values{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de"}});
    EXPECT_EQ(EnglishMessage(message, catalogue), "OpenGL could not be initialised")
        << "English under any other language, whatever LANGUAGE says";
    EXPECT_STREQ(std::getenv("LANGUAGE"), "de") << "the lookup leaves the environment as it was";
}

TEST_F(PlayerMessages, TheLookupNeverWritesTheEnvironment) {
    const LocaleEnvironment german(LocaleEnvironment::Values{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de"}});
    const int writesBefore = EnvironmentWrites;
    EXPECT_EQ(EnglishMessage("OpenGLの初期化に失敗しました", catalogue), "OpenGL could not be initialised");
    EXPECT_EQ(EnvironmentWrites, writesBefore);
}

TEST_F(PlayerMessages, ADamagedCatalogueLeavesTheTextsAsTheyAre) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "vaporel-damaged-locale";
    const std::filesystem::path file = folder / "en/LC_MESSAGES" / (std::string(MessageDomain) + ".mo");
    std::filesystem::create_directories(file.parent_path());
    const std::string whole =
        ReadFile(std::filesystem::path(VAPOREL_MESSAGE_FOLDER) / file.lexically_relative(folder));
    std::ofstream(file, std::ios::binary)
        << whole.substr(0, whole.size() - 4); // the last text runs past the end
    const char* const id = "OpenGLの初期化に失敗しました";
    EXPECT_EQ(platform::MessageCatalog(MessageDomain, folder.string()).English(id), id);
    std::filesystem::remove_all(folder);
}

} // namespace
