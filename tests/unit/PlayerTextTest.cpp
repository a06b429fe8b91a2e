// The texts of the screen in the player's language: every text the code gives
// the lookup, and every shipped stage's name and hint, has a Japanese
// translation that keeps its printf conversions.

#include "game/texts/PlayerTextsUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A C++ or .po string literal's body with its escapes undone.
std::string Unescaped(const std::string& body) {
    std::string text;
    for (std::size_t at = 0; at < body.size(); ++at) {
        if (body[at] != '\\' || at + 1 == body.size()) {
            text += body[at];
            continue;
        }
        const char escaped = body[++at];
        text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
    }
    return text;
}

// The string of one or more adjacent literals (as "a" "b" joins them), from `at`.
std::string JoinedLiterals(const std::string& code, std::size_t at) {
    static const std::regex literal(R"(^\s*"((?:[^"\\\n]|\\.)*)\")");
    std::string text;
    std::smatch match;
    while (std::regex_search(code.cbegin() + static_cast<std::ptrdiff_t>(at), code.cend(), match, literal)) {
        text += Unescaped(match[1]);
        at += static_cast<std::size_t>(match.length(0));
    }
    return text;
}

struct TFoundText {
    std::string Text;
    std::string Where;
};

// Every literal given to TextId or PlayerText in the program's sources.
std::vector<TFoundText> MarkedTexts() {
    std::vector<TFoundText> texts;
    const std::regex call(R"(\b(TextId|PlayerText)\(\s*")");
    for (const auto& file : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(VAPOREL_SOURCE_FOLDER) / "source")) {
        if (!file.is_regular_file())
            continue;
        const std::string code = ReadFile(file.path());
        for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator();
             ++it) {
            const auto literalStart = static_cast<std::size_t>(it->position(0) + it->length(0) - 1);
            texts.push_back({JoinedLiterals(code, literalStart), file.path().filename().string()});
        }
    }
    return texts;
}

// The name and hint of every shipped stage.
std::vector<TFoundText> StageTexts() {
    std::vector<TFoundText> texts;
    const std::regex field("<(name|hint)>([^<]*)</(name|hint)>");
    for (const auto& folder :
         std::filesystem::directory_iterator(std::filesystem::path(VAPOREL_SOURCE_FOLDER) / "data/stages")) {
        const std::string xml = ReadFile(folder.path() / "data.xml");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), field); it != std::sregex_iterator();
             ++it)
            texts.push_back({(*it)[2], folder.path().filename().string() + "/data.xml"});
    }
    return texts;
}

// Each msgid of a catalogue's source with its msgstr, lines joined.
std::map<std::string, std::string> CatalogueSource(const char* file) {
    const std::string po = ReadFile(std::filesystem::path(VAPOREL_SOURCE_FOLDER) / "po" / file);
    const std::regex entry(R"(msgid ((?:"(?:[^"\\\n]|\\.)*"\s*)+)msgstr ((?:"(?:[^"\\\n]|\\.)*"\s*)+))");
    const std::regex piece(R"("((?:[^"\\\n]|\\.)*)\")");
    auto joined = [&](const std::string& pieces) {
        std::string text;
        for (auto it = std::sregex_iterator(pieces.begin(), pieces.end(), piece);
             it != std::sregex_iterator(); ++it)
            text += Unescaped((*it)[1]);
        return text;
    };
    std::map<std::string, std::string> texts;
    for (auto it = std::sregex_iterator(po.begin(), po.end(), entry); it != std::sregex_iterator(); ++it)
        if (const std::string id = joined((*it)[1]); !id.empty())
            texts[id] = joined((*it)[2]);
    return texts;
}

// The printf conversions of a format in order, "%%" left out.
std::vector<std::string> Conversions(const std::string& format) {
    static const std::regex conversion(R"(%(?:\d+\$)?[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z)?[a-zA-Z%])");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(format.begin(), format.end(), conversion);
         it != std::sregex_iterator(); ++it)
        if (it->str() != "%%")
            found.push_back(std::regex_replace(it->str(), std::regex(R"(\d+\$)"), ""));
    return found;
}

class ScreenTexts : public testing::Test {
protected:
    const TPlayerTexts japanese{VAPOREL_MESSAGE_FOLDER, JapaneseLanguage};
    const TPlayerTexts english{VAPOREL_MESSAGE_FOLDER, EnglishLanguage};
};

TEST_F(ScreenTexts, EveryTextOfTheScreenHasAJapaneseOne) {
    const std::vector<TFoundText> marked = MarkedTexts();
    ASSERT_GE(marked.size(), 30u) << "the marked texts were not found";
    for (const TFoundText& found : marked) {
        ASSERT_FALSE(found.Text.empty()) << found.Where << ": a mark without a literal";
        EXPECT_NE(japanese.Text(found.Text), found.Text) << found.Where << ": \"" << found.Text << "\"";
        EXPECT_EQ(english.Text(found.Text), found.Text) << found.Where << ": \"" << found.Text << "\"";
    }
}

TEST_F(ScreenTexts, EveryShippedStageNameAndHintHasAJapaneseOne) {
    const std::vector<TFoundText> stages = StageTexts();
    ASSERT_GE(stages.size(), 40u) << "the stages' names and hints were not found";
    for (const TFoundText& found : stages)
        EXPECT_NE(japanese.Text(found.Text), found.Text) << found.Where << ": \"" << found.Text << "\"";
}

TEST_F(ScreenTexts, TranslationsKeepTheConversionsOfTheirFormats) {
    const auto texts = CatalogueSource("ja.po");
    ASSERT_GE(texts.size(), 40u);
    int formats = 0;
    for (const auto& [id, japaneseText] : texts) {
        formats += Conversions(id).empty() ? 0 : 1;
        EXPECT_EQ(Conversions(japaneseText), Conversions(id)) << id;
        EXPECT_EQ(japanese.Text(id), japaneseText) << "the built catalogue lacks " << id;
    }
    EXPECT_GE(formats, 5) << "the formats were not read";
}

TEST_F(ScreenTexts, TheConversionsAreReadInOrderAndPositionsCountAsTheirPlaces) {
    EXPECT_EQ(Conversions("%d of %5.2f%% and %s"), (std::vector<std::string>{"%d", "%5.2f", "%s"}));
    EXPECT_NE(Conversions("%s then %d"), Conversions("%d then %s"));
    EXPECT_EQ(Conversions("%1$d %2$s"), Conversions("%d %s"));
}

TEST_F(ScreenTexts, ALookupGivesTheJapaneseOrTheTextAsWritten) {
    EXPECT_EQ(japanese.Text("PAUSED"), "一時停止中");
    EXPECT_EQ(english.Text("PAUSED"), "PAUSED") << "English is the text as written";
    const std::string unknown = "a stage name of the player's own";
    EXPECT_EQ(japanese.Text(unknown).data(), unknown.data()) << "an unknown text is the caller's own";
    EXPECT_EQ(japanese.Text(""), "") << "the catalogue's header is no text";
    EXPECT_EQ(japanese.Language(), JapaneseLanguage);
}

TEST_F(ScreenTexts, AFormatIsFilledInWhateverItsLength) {
    EXPECT_EQ(FormatText("Saved as %s", "user-0003"), "Saved as user-0003");
    const std::string longName(300, 'x');
    EXPECT_EQ(FormatText("<%s>", longName.c_str()), "<" + longName + ">");
    EXPECT_EQ(FormatText("%s", ""), "");
}

TEST_F(ScreenTexts, AnEnglishTextInAMessageBecomesJapaneseWhereItStands) {
    const std::string message = std::string(NoDisplayText) + " ウィンドウが生成できませんでした";
    const std::string shown = japanese.Message(message);
    EXPECT_EQ(shown, std::string(japanese.Text(NoDisplayText)) + " ウィンドウが生成できませんでした");
    EXPECT_EQ(shown.find("No display"), std::string::npos);
    EXPECT_EQ(japanese.Message("cannot open stages/0001/data.xml"), "cannot open stages/0001/data.xml")
        << "names and texts that are not the program's stay as they are";
}

} // namespace
