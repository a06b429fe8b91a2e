#include "game/app/PlayerMessageUnit.h"

#include "lib/Z5UtilsUnit.h"
#include "platform/MessageCatalog.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The program's texts that can reach the player, the message ids of the
// catalogue (po/en.po). Longest first, so that a text that holds another
// is taken whole.
constexpr auto MessageIds = [] {
    auto ids = std::to_array<std::string_view>({
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
    });
    std::sort(ids.begin(), ids.end(),
              [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    return ids;
}();

} // namespace

std::string EnglishMessage(const std::string& message, const platform::MessageCatalog& catalogue) {
    std::string english;
    const std::string_view rest(message);
    for (std::size_t at = 0; at < rest.size();) {
        const auto id = std::find_if(MessageIds.begin(), MessageIds.end(), [&](std::string_view text) {
            return rest.substr(at).starts_with(text);
        });
        if (id == MessageIds.end()) {
            english += rest[at++];
            continue;
        }
        english += catalogue.English(std::string(*id).c_str());
        at += id->size();
    }
    return english;
}

std::string PlayerMessage(const std::string& message) {
    if (platform::PlayerReadsJapanese())
        return message;
    return EnglishMessage(message, platform::MessageCatalog(MessageDomain, DataDir + MessageFolder));
}
