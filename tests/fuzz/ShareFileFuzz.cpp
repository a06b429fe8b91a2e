// Fuzzed bytes as a share file: the reader either gives a stage with its
// proof or raises EShareFileError with one line free of control characters.
// A stage it gives keeps the bounds it promises (UTF-8 name and hint of their
// lengths, the proof's frames) and reads back the same from its own text.
// Crashes, hangs, leaks and sanitizer reports are findings.

#include "game/core/Utf8TextUnit.h"
#include "game/stages/ShareFileUnit.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

bool KeepsTheBounds(const TSharedStage& shared) {
    const TStageSource& stage = shared.Stage;
    return !FirstBadUtf8Byte(stage.Name) && !FirstBadUtf8Byte(stage.Hint) &&
           Utf8LetterCount(stage.Name) <= MaxStageNameLetters &&
           Utf8LetterCount(stage.Hint) <= MaxStageHintLetters &&
           stage.Parameters.size() == StageParameterKeys().size() && IsStageName(shared.Proof.Stage) &&
           shared.Proof.EndFrame <= MaxReplayFrames && shared.GameVersion.size() <= MaxGameVersionBytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TSharedStage shared;
    try {
        shared = ParseShareFile(text, "fuzz.vaporel.txt");
    } catch (const EShareFileError& error) {
        if (std::any_of(error.what(), error.what() + std::char_traits<char>::length(error.what()), IsControl))
            std::abort();
        return 0;
    }
    if (!KeepsTheBounds(shared))
        std::abort();
    std::string again;
    try {
        again = FormatShareFile(shared.Stage, shared.Proof);
    } catch (const EShareFileError&) {
        return 0; // the comments this game writes took it over the limit
    }
    TSharedStage read = ParseShareFile(again, "again.vaporel.txt");
    read.GameVersion = shared.GameVersion;
    if (!(read == shared))
        std::abort();
    return 0;
}
