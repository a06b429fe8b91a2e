#include "game/app/NoticeUnit.h"

#include "game/render/GameRendererUnit.h"
#include "platform/OpenGLBinding.h"

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
    platform::GL().Color4f(0, 0, 0, 0.6f);
    renderer.SetBlendNormal();
    renderer.DrawRect(true, NoticeLeft, NoticeY - 4, NoticeRight, NoticeY + renderer.FontHeight() + 4,
                      NoticeZ);
    renderer.SetBlendNone();
    platform::GL().Color3f(1, 1, 1);
    renderer.DrawText(Text_, NoticeLeft + 16, NoticeY, NoticeZ);
    platform::GL().Color4f(1, 1, 1, 1);
}
