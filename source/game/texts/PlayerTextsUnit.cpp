#include "game/texts/PlayerTextsUnit.h"

#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"
#include "platform/UserLanguage.h"

#include <algorithm>
#include <cstdarg>

namespace {

// Longest first, so that a text that holds another is taken whole.
template <std::size_t Count> constexpr auto LongestFirst(std::array<std::string_view, Count> ids) {
    std::sort(ids.begin(), ids.end(),
              [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    return ids;
}

// The program's texts that errors carry to the player: its Japanese texts (the
// ids of po/en.po) and its English ones (ids of po/ja.po).
constexpr auto MessageIds = LongestFirst(std::to_array<std::string_view>({
    "ウィンドウが登録できませんでした",
    "ウィンドウが生成できませんでした",
    "DirectDrawCreate に失敗しました",
    "DirectDraw.SetCooperativeLevel に失敗しました",
    "DirectDraw.SetDisplayMode に失敗しました",
    "アウトラインフォントが作成できませんでした",
    "OpenGLの初期化に失敗しました",
    "指定のピクセルフォーマットが見つけられませんでした",
    "指定のピクセルフォーマットが設定できませんでした",
    "OpenGLのレンダリングコンテキストが作成できませんでした",
    "OpenGLのレンダリングコンテキストをアクティブにできませんでした",
    "Bitmapフォントが作成できませんでした",
    "は、対応していない画像ファイルです。",
    "範囲外のマップを読み込みしようとしました",
    "範囲外のマップに書き込みしようとしました",
    "登録されていないキー(",
    ")の内容を参照しようとしました",
    "OggVorbisのファイルを開くことができませんした。",
    "OggVorbisのファイルを閉じることができませんした。",
    "OggVorbisのファイルを巻き戻すことができませんした。",
    "OggVorbisのファイルの読み込み(デコード)に失敗しました。",
    "ファイル名",
    "不正なBGMの再生タイプが指定されました",
    NoDisplayText,
}));

std::string CatalogueFile(const std::string& folder, std::string_view language) {
    return folder + "/" + std::string(language) + "/LC_MESSAGES/" + MessageDomain + ".mo";
}

} // namespace

TPlayerTexts::TPlayerTexts(const std::string& folder, std::string_view language) {
    if (language == JapaneseLanguage && Read(folder, JapaneseLanguage))
        return;
    Read(folder, EnglishLanguage);
}

bool TPlayerTexts::Read(const std::string& folder, std::string_view language) {
    Language_ = language;
    const std::string file = CatalogueFile(folder, language);
    try {
        Catalogue_.emplace(file);
        return true;
    } catch (const platform::FileError& error) {
        Faults_.push_back("The message catalogue " + file + " cannot be read (" + error.Reason() +
                          (language == EnglishLanguage ? "): the program's texts show as written"
                                                       : "): the texts show in English"));
        return false;
    }
}

std::string_view TPlayerTexts::Text(std::string_view id) const {
    return Catalogue_ ? Catalogue_->Text(id) : id;
}

std::string TPlayerTexts::Message(const std::string& message) const {
    std::string translated;
    const std::string_view rest(message);
    for (std::size_t at = 0; at < rest.size();) {
        const auto id = std::find_if(MessageIds.begin(), MessageIds.end(), [&](std::string_view text) {
            return rest.substr(at).starts_with(text);
        });
        if (id == MessageIds.end()) {
            translated += rest[at++];
            continue;
        }
        translated += Text(*id);
        at += id->size();
    }
    return translated;
}

const TPlayerTexts& PlayerTexts() {
    static const TPlayerTexts texts(DataDir + MessageFolder,
                                    platform::PlayerReadsJapanese() ? JapaneseLanguage : EnglishLanguage);
    return texts;
}

std::string_view PlayerText(std::string_view id) {
    return PlayerTexts().Text(id);
}

std::string PlayerMessage(const std::string& message) {
    return PlayerTexts().Message(message);
}

std::string FormatText(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    text.pop_back();
    return text;
}
