#include "game/stages/ProgressUnit.h"

#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"

#include <vector>

namespace {

const char* const ClearedKey = "Cleared";
const char* const BestCellsKey = "BestCells";
const char* const BestFramesKey = "BestFrames";
const char* const StarsKey = "Stars";
const char* const CountKeys[] = {ClearedKey, BestCellsKey, BestFramesKey, StarsKey};
const char* const ProgressKind = "progress file";

} // namespace

std::string ProgressFileName() {
    return ProgramFolderPath("progress.ini", TUserFolder::State);
}

TProgress::TProgress(std::string fileName) : FileName_(std::move(fileName)) {
    try {
        Ini = std::make_unique<platform::IniFile>(FileName_, ProgressKind);
    } catch (const Exception& error) {
        SetAsideDamagedFile(error.what());
        return;
    }
    DropDamagedSections();
}

TProgress::~TProgress() = default;

// Every value of a key we read is a count; anything else damages its stage's
// section, not a stage we quietly forget, and no other stage's.
std::optional<std::string> TProgress::SectionFault(const std::string& stage) const {
    for (const char* key : CountKeys)
        if (const std::optional<std::string> text = Ini->Read(stage, key);
            text && (!TextToInt(*text) || *TextToInt(*text) < 0))
            return "[" + EscapeControls(stage) + "] " + key + " is no count: '" +
                   EscapeControls(text->substr(0, 64)) + "'";
    return std::nullopt;
}

// The damaged sections go, the others stay, and the file is saved without
// them at once, so the next start finds it whole; a copy of the file as it
// was is kept first.
void TProgress::DropDamagedSections() {
    std::vector<std::string> damaged;
    std::string faults;
    for (const std::string& stage : Ini->Sections())
        if (const std::optional<std::string> fault = SectionFault(stage)) {
            damaged.push_back(stage);
            faults += (faults.empty() ? "" : "; ") + *fault;
        }
    if (damaged.empty())
        return;
    KeepCopyOfDamagedFile(faults);
    for (const std::string& stage : damaged)
        Ini->RemoveSection(stage);
    SaveIfAllowed();
}

void TProgress::KeepCopyOfDamagedFile(const std::string& faults) {
    try {
        const std::string copy = platform::CopyAside(FileName_, FileName_ + ".bad");
        Log().WriteLine("The progress file " + FileName_ + " is damaged and was copied to " + copy +
                        "; the stages it holds well keep their progress: " + faults);
    } catch (const platform::FileError& error) {
        // The file stays as it is: saving over it would lose it.
        Log().WriteLine("The progress file " + FileName_ + " is damaged and cannot be copied aside (" +
                        error.Reason() + "), so progress is not saved this run: " + faults);
        Saving = false;
    }
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

void TProgress::SaveIfAllowed() {
    if (!Saving)
        return;
    try {
        Ini->Save();
    } catch (const Exception& error) {
        Log().WriteLine(std::string(error.what()) + "; the next clear saves it again");
    }
}
