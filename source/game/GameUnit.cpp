#include "game/GameUnit.h"

#include "lib/Z5UtilsUnit.h"

#include <cerrno>
#include <cstdlib>

using namespace platform;

namespace {

const char* const OptionsSection = "options";
const char* const IsFullScreenKey = "IsFullScreen";
const char* const VisibleDebugMessageKey = "VisibleDebugMessage";

std::optional<long> ParseOptionInteger(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (*digits == '\0')
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

std::string BoolText(bool value) { return value ? "1" : "0"; }

} // namespace

bool ReadBoolOption(const IniFile& options, const std::string& key, bool fallback) {
    const std::optional<std::string> text = options.Read(OptionsSection, key);
    if (!text)
        return fallback;
    const std::optional<long> value = ParseOptionInteger(*text);
    return value ? *value != 0 : fallback;
}

TGameApp::TGameApp() : TApp("TGameApp") {
    Title = GameTitle;
    Width = GameWidth;
    Height = GameHeight;
    ColorBits = GameColorBits;
    HideCursor(); // the game draws its own cursor picture
    LoadOptions();
}

TGameApp::~TGameApp() {
    WaitTimer.reset();
    Options.reset();
}

void TGameApp::LoadOptions() {
    Options = std::make_unique<IniFile>(ProgramFilePath(".ini", TUserFolder::Config));
    StartFullScreen = ReadBoolOption(*Options, IsFullScreenKey, false);
    VisibleDebugMessage_ = ReadBoolOption(*Options, VisibleDebugMessageKey, false);
}

void TGameApp::SaveOptions() {
    Options->Write(OptionsSection, IsFullScreenKey, BoolText(IsFullScreen()));
    Options->Write(OptionsSection, VisibleDebugMessageKey, BoolText(VisibleDebugMessage_));
    Options->Save();
}

void TGameApp::OnCreateWindow() {
    WaitTimer = std::make_unique<TWaitTimer>();
    WaitTimer->SetRate(GameFrameRate);
    WaitTimer->SetFrameSkip(true);
}

void TGameApp::OnDestroyWindow() { SaveOptions(); }

void TGameApp::Idle() {
    if (WaitTimer->Check())
        return;
    ++FrameCount_;
}

void TGameApp::KeyDown(std::uint16_t& key) {
    if (key == VK_F2)
        VisibleDebugMessage_ = !VisibleDebugMessage_;
    TApp::KeyDown(key);
}
