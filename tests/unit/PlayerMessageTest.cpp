// The messages the player reads: English from the catalogue built beside the
// program, unless the environment says the player reads Japanese.

#include "game/texts/PlayerTextsUnit.h"
#include "platform/CheckedFile.h"
#include "platform/UserLanguage.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

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
    const TPlayerTexts english{VAPOREL_MESSAGE_FOLDER, EnglishLanguage};
};

TEST_F(PlayerMessages, EveryCatalogueTextIsFoundAndTranslated) {
    const auto texts = CatalogueSource();
    ASSERT_GE(texts.size(), 20u);
    for (const auto& [id, text] : texts) {
        EXPECT_EQ(english.Text(id), text) << "the built catalogue lacks " << id;
        EXPECT_EQ(english.Message(id), text) << "the program's list lacks " << id;
        EXPECT_TRUE(IsPlainAscii(text)) << id;
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
            EXPECT_TRUE(IsPlainAscii(english.Message(text)))
                << file.path().filename() << ": " << text << " reads as " << english.Message(text);
        }
    }
    EXPECT_GE(found, 20) << "the program's Japanese texts were not found";
}

TEST_F(PlayerMessages, TextsAreReplacedWhereTheyStandAndNamesKept) {
    EXPECT_EQ(
        english.Message("No display was found: the game needs a display. ウィンドウが生成できませんでした"),
        "No display was found: the game needs a display. The window could not be created");
    EXPECT_EQ(
        english.Message("stages/0001/Backは、対応していない画像ファイルです。(stages/0001/Back.jpg: not a "
                        "regular file)"),
        "stages/0001/Back is not a picture file of a kind the game reads. (stages/0001/Back.jpg: not a "
        "regular file)");
    EXPECT_EQ(english.Message("OggVorbisのファイルを開くことができませんした。@FileOpen\r\nファイル名bgm/"
                              "ファイル.ogg: No such file or directory"),
              "The Ogg Vorbis file could not be opened.@FileOpen\r\nFile bgm/ファイル.ogg: No such file or "
              "directory")
        << "a name that holds part of a text is a name";
    EXPECT_EQ(english.Message("登録されていないキー(名前)の内容を参照しようとしました"),
              "The value of the key that was never registered (名前) was asked for");
    EXPECT_EQ(english.Message(""), "");
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
    EXPECT_EQ(TPlayerTexts(VAPOREL_MESSAGE_FOLDER, JapaneseLanguage).Message(message), message);
    const LocaleEnvironment german(LocaleEnvironment::Values{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de"}});
    EXPECT_EQ(english.Message(message), "OpenGL could not be initialised")
        << "English under any other language, whatever LANGUAGE says";
    EXPECT_STREQ(std::getenv("LANGUAGE"), "de") << "the lookup leaves the environment as it was";
}

TEST_F(PlayerMessages, TheLookupNeverWritesTheEnvironment) {
    const LocaleEnvironment german(LocaleEnvironment::Values{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de"}});
    const int writesBefore = EnvironmentWrites;
    EXPECT_EQ(english.Message("OpenGLの初期化に失敗しました"), "OpenGL could not be initialised");
    EXPECT_EQ(EnvironmentWrites, writesBefore);
}

// A copy of the built catalogues in a folder of its own, to be damaged.
class CatalogueCopy {
public:
    CatalogueCopy() {
        for (const char* language : {EnglishLanguage, JapaneseLanguage}) {
            std::filesystem::create_directories(File(language).parent_path());
            std::filesystem::copy_file(std::filesystem::path(VAPOREL_MESSAGE_FOLDER) / Relative(language),
                                       File(language));
        }
    }
    ~CatalogueCopy() { std::filesystem::remove_all(Folder); }

    std::filesystem::path File(const char* language) const { return Folder / Relative(language); }
    // Keeps the first `bytes` of the language's catalogue.
    void Cut(const char* language, std::size_t bytes) const {
        const std::string whole = ReadFile(File(language));
        std::ofstream(File(language), std::ios::binary | std::ios::trunc) << whole.substr(0, bytes);
    }
    std::size_t Size(const char* language) const { return std::filesystem::file_size(File(language)); }

    // A folder of its own process: CTest runs this suite's tests side by side.
    const std::filesystem::path Folder =
        std::filesystem::path(testing::TempDir()) / ("vaporel-damaged-locale." + std::to_string(getpid()));

private:
    static std::filesystem::path Relative(const char* language) {
        return std::filesystem::path(language) / "LC_MESSAGES" / (std::string(MessageDomain) + ".mo");
    }
};

// What cannot be read is refused with the file's name and what is wrong.
TEST(MessageCatalogue, ADamagedCatalogueIsRefusedWithItsNameAndReason) {
    const CatalogueCopy copy;
    const std::size_t whole = copy.Size(EnglishLanguage);
    const struct {
        std::size_t Bytes;
        const char* Reason;
    } cuts[] = {{whole / 2, "cut short"}, {whole - 4, "cut short"}, {12, "cut short"}, {0, "cut short"}};
    for (const auto& cut : cuts) {
        copy.Cut(EnglishLanguage, cut.Bytes);
        try {
            TMessageCatalog catalogue(copy.File(EnglishLanguage).string());
            ADD_FAILURE() << "a catalogue cut to " << cut.Bytes << " bytes was read";
        } catch (const platform::FileError& error) {
            EXPECT_EQ(error.Reason(), cut.Reason) << cut.Bytes << " bytes";
            EXPECT_NE(std::string(error.what()).find(copy.File(EnglishLanguage).string()), std::string::npos);
        }
    }
    std::ofstream(copy.File(EnglishLanguage), std::ios::binary | std::ios::trunc)
        << "msgid \"not compiled\"\n";
    try {
        TMessageCatalog catalogue(copy.File(EnglishLanguage).string());
        ADD_FAILURE() << "a catalogue's source was read as a compiled one";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(error.Reason(), "not a message catalogue");
    }
}

TEST(MessageCatalogue, ADamagedJapaneseCatalogueGivesAWholeScreenInEnglishAndSaysWhy) {
    const CatalogueCopy copy;
    copy.Cut(JapaneseLanguage, copy.Size(JapaneseLanguage) / 2);
    const TPlayerTexts texts(copy.Folder.string(), JapaneseLanguage);
    EXPECT_EQ(texts.Language(), EnglishLanguage) << "the pictures with words follow the language";
    EXPECT_EQ(texts.Text("PAUSED"), "PAUSED");
    EXPECT_EQ(texts.Message("OpenGLの初期化に失敗しました"), "OpenGL could not be initialised")
        << "the program's Japanese texts are English too";
    ASSERT_EQ(texts.Faults().size(), 1u);
    EXPECT_NE(texts.Faults()[0].find(copy.File(JapaneseLanguage).string()), std::string::npos)
        << texts.Faults()[0];
    EXPECT_NE(texts.Faults()[0].find("cut short"), std::string::npos) << texts.Faults()[0];
}

TEST(MessageCatalogue, WithoutAnyCatalogueEveryTextIsItsIdAndBothAreNamed) {
    const CatalogueCopy copy;
    copy.Cut(JapaneseLanguage, 3);
    std::filesystem::remove(copy.File(EnglishLanguage));
    const TPlayerTexts texts(copy.Folder.string(), JapaneseLanguage);
    EXPECT_EQ(texts.Text("PAUSED"), "PAUSED");
    EXPECT_EQ(texts.Message("OpenGLの初期化に失敗しました"), "OpenGLの初期化に失敗しました");
    ASSERT_EQ(texts.Faults().size(), 2u);
    EXPECT_NE(texts.Faults()[1].find(copy.File(EnglishLanguage).string()), std::string::npos)
        << texts.Faults()[1];
    EXPECT_TRUE(TPlayerTexts(VAPOREL_MESSAGE_FOLDER, JapaneseLanguage).Faults().empty());
}

} // namespace
