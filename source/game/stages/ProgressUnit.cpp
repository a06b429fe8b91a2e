#include "game/stages/ProgressUnit.h"

#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"

namespace {

const char* const ClearedKey = "Cleared";
const char* const BestCellsKey = "BestCells";
const char* const BestFramesKey = "BestFrames";
const char* const StarsKey = "Stars";
const char* const CountKeys[] = {ClearedKey, BestCellsKey, BestFramesKey, StarsKey};
const char* const ProgressKind = "progress file";

class EDamagedProgress : public Exception {
public:
    using Exception::Exception;
};

} // namespace

std::string ProgressFileName() {
    return ProgramFolderPath("progress.ini", TUserFolder::State);
}

TProgress::TProgress(std::string fileName) : FileName_(std::move(fileName)) {
    try {
        Ini = std::make_unique<platform::IniFile>(FileName_, ProgressKind);
        CheckEveryValue();
    } catch (const Exception& error) {
        SetAsideDamagedFile(error.what());
    }
}

TProgress::~TProgress() = default;

// Every value of a key we read is a count; anything else is a damaged file,
// not a stage we quietly forget.
void TProgress::CheckEveryValue() const {
    for (const std::string& stage : Ini->Sections())
        for (const char* key : CountKeys)
            if (const std::optional<std::string> text = Ini->Read(stage, key);
                text && (!TextToInt(*text) || *TextToInt(*text) < 0))
                throw EDamagedProgress(FileName_ + ": [" + EscapeControls(stage) + "] " + key +
                                       " is no count: '" + EscapeControls(text->substr(0, 64)) + "'");
}

void TProgress::SetAsideDamagedFile(const std::string& reason) {
    try {
        const std::string aside = platform::RenameAside(FileName_, FileName_ + ".bad");
        Log().WriteLine("The progress file is damaged and was kept as " + aside +
                        "; progress starts clean: " + reason);
    } catch (const platform::FileError& error) {
        // The file stays where it is: saving over it would lose it.
        Log().WriteLine("The progress file is damaged and cannot be set aside (" + error.Reason() +
                        "), so progress is not saved this run: " + reason);
        Saving = false;
    }
    Ini = std::make_unique<platform::IniFile>(Saving ? FileName_ : std::string(), ProgressKind); // "": empty
}

std::optional<std::int32_t> TProgress::ReadCount(const std::string& stage, const char* key) const {
    const std::optional<std::string> text = Ini->Read(stage, key);
    return text ? TextToInt(*text) : std::nullopt;
}

bool TProgress::IsCleared(const std::string& stage) const {
    return ReadCount(stage, ClearedKey).value_or(0) != 0;
}

std::optional<TStageResult> TProgress::Best(const std::string& stage) const {
    const std::optional<std::int32_t> cells = ReadCount(stage, BestCellsKey);
    const std::optional<std::int32_t> frames = ReadCount(stage, BestFramesKey);
    if (!IsCleared(stage) || !cells || !frames)
        return std::nullopt;
    return TStageResult{*cells, *frames};
}

std::optional<std::int32_t> TProgress::Stars(const std::string& stage) const {
    return IsCleared(stage) ? ReadCount(stage, StarsKey) : std::nullopt;
}

void TProgress::RecordClear(const std::string& stage, const TStageResult& result, std::int32_t stars) {
    const std::optional<TStageResult> best = Best(stage);
    const std::optional<std::int32_t> mostStars = Stars(stage);
    Ini->Write(stage, ClearedKey, "1");
    if (!best || result.IsBetterThan(*best)) {
        Ini->Write(stage, BestCellsKey, IntToText(result.Cells));
        Ini->Write(stage, BestFramesKey, IntToText(result.Frames));
    }
    if (!mostStars || stars > *mostStars)
        Ini->Write(stage, StarsKey, IntToText(stars));
    if (Saving)
        Ini->Save();
}
