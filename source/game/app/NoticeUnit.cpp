#include "game/app/NoticeUnit.h"

#include "game/render/GameRendererUnit.h"
#include "game/render/GlyphListsUnit.h"
#include "platform/OpenGLBinding.h"

namespace {

// How many bytes of `text` go on its first line: whole characters (a line of
// Japanese, with no spaces, breaks between any two), at least one.
std::size_t FirstLineLength(std::string_view text, double width, const TTextWidth& textWidth) {
    std::size_t fits = 0;
    NextCodePoint(text, fits);
    for (std::size_t next = fits; next < text.size(); fits = next) {
        NextCodePoint(text, next);
        if (textWidth(text.substr(0, next)) > width)
            break;
    }
    if (fits == text.size())
        return fits;
    const std::size_t space = text.substr(0, fits).rfind(' ');
    return space == std::string_view::npos ? fits : space + 1;
}

} // namespace

std::vector<std::string> WrapNoticeText(std::string_view text, double width, const TTextWidth& textWidth) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t length = FirstLineLength(text, width, textWidth);
        lines.emplace_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

void TNotice::Show(const std::string& text, std::uint32_t now) {
    Text_ = text;
    End = now + NoticeMilliseconds;
}

// The clock wraps after 49 days: the time left is compared as a signed difference.
bool TNotice::Expire(std::uint32_t now) {
    if (Text_.empty() || static_cast<std::int32_t>(now - End) < 0)
        return false;
    Text_.clear();
    return true;
}

void TNotice::Draw(TGameRenderer& renderer) const {
    if (Text_.empty())
        return;
    const std::vector<std::string> lines = WrapNoticeText(
        Text_, NoticeTextWidth, [&renderer](std::string_view line) { return renderer.TextWidth(line); });
    const double lineHeight = renderer.FontHeight();
    platform::GL().Color4f(0, 0, 0, 0.6f);
    renderer.SetBlendNormal();
    const double bottom = NoticeY + static_cast<double>(lines.size()) * lineHeight;
    renderer.DrawRect(true, NoticeLeft, NoticeY - 4, NoticeRight, bottom + 4, NoticeZ);
    renderer.SetBlendNone();
    platform::GL().Color3f(1, 1, 1);
    double top = NoticeY;
    for (const std::string& line : lines) {
        renderer.DrawText(line, NoticeLeft + NoticeIndent, top, NoticeZ);
        top += lineHeight;
    }
    platform::GL().Color4f(1, 1, 1, 1);
}
