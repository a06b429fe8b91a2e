#include "game/app/PlayerMessageUnit.h"

#include "game/core/AppUnit.h"
#include "game/core/PlayerTextUnit.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/MessageCatalog.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Longest first, so that a text that holds another is taken whole.
template <std::size_t Count> constexpr auto LongestFirst(std::array<std::string_view, Count> ids) {
    std::sort(ids.begin(), ids.end(),
              [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    return ids;
}

// The program's Japanese texts that can reach the player, the message ids of
// the English catalogue (po/en.po).
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
}));

// The program's English texts in its messages, the message ids of the
// Japanese catalogue (po/ja.po).
constexpr auto EnglishMessageIds = LongestFirst(std::to_array<std::string_view>({NoDisplayText}));

// `message` with each of `ids` in it replaced by its translation in `catalogue`.
template <std::size_t Count>
std::string Translated(const std::string& message, const std::array<std::string_view, Count>& ids,
                       const platform::MessageCatalog& catalogue) {
    std::string translated;
    const std::string_view rest(message);
    for (std::size_t at = 0; at < rest.size();) {
        const auto id = std::find_if(
            ids.begin(), ids.end(), [&](std::string_view text) { return rest.substr(at).starts_with(text); });
        if (id == ids.end()) {
            translated += rest[at++];
            continue;
        }
        translated += catalogue.Translation(*id);
        at += id->size();
    }
    return translated;
}

} // namespace

std::string EnglishMessage(const std::string& message, const platform::MessageCatalog& catalogue) {
    return Translated(message, MessageIds, catalogue);
}

std::string JapaneseMessage(const std::string& message, const platform::MessageCatalog& catalogue) {
    return Translated(message, EnglishMessageIds, catalogue);
}

std::string PlayerMessage(const std::string& message) {
    if (const platform::MessageCatalog* japanese = PlayerCatalogue())
        return JapaneseMessage(message, *japanese);
    return EnglishMessage(message, platform::MessageCatalog(MessageDomain, DataDir + MessageFolder));
}

std::string FailureNotice(std::string_view lead, const std::string& message) {
    Log().WriteLine("Error! " + message);
    return PlayerFormat(lead, PlayerMessage(message).c_str());
}
