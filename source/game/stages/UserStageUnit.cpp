#include "game/stages/UserStageUnit.h"

#include "game/stagemaker/StageFolderUnit.h"
#include "platform/CheckedFile.h"
#include "platform/PictureWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

struct TRgb {
    std::uint8_t R, G, B;
};

// One colour a type; the block's is any colour that is no other type's.
constexpr TRgb CellColours[] = {
    {255, 255, 255}, // ctEmpty
    {160, 96, 48},   // ctBlock
    {128, 128, 128}, // ctWall: any grey
    {0, 0, 255},     // ctOutlet
    {255, 0, 0},     // ctDrain
    {0, 0, 0},       // ctSource
};
static_assert(std::size(CellColours) == CellTypeCount);

const char* const LayerNames[] = {"Back", "Block", "Front"};

bool IsEmptyLine(const TVaporelBox& box, int column, int row, int columnStep, int rowStep) {
    for (; column < MapColumns && row < MapRows; column += columnStep, row += rowStep)
        if (box.Cells()[column][row].CellType != ctEmpty)
            return false;
    return true;
}

// The layers, whatever picture format each one has, and data.xml.
void CopyStageFiles(const std::string& from, const fs::path& to) {
    platform::CopyToNewFile(from + "data.xml", (to / "data.xml").string());
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        const std::string stem = entry.path().stem().string();
        for (const char* layer : LayerNames)
            if (stem == layer && entry.is_regular_file())
                platform::CopyToNewFile(entry.path().string(), (to / entry.path().filename()).string());
    }
}

void WriteStage(const TVaporelBox& box, const TReplay& play, const fs::path& folder) {
    CopyStageFiles(box.StagePath(), folder);
    platform::SavePng((folder / "Map.png").string(), MapPicture(box));
    platform::ReplaceFileContents((folder / "replay.txt").string(), FormatReplay(play));
}

// Writes the folder `name` of `userFolder` (created when missing) under a
// temporary name first and renames it when whole, so a failure (a full disk,
// a read-only folder, a folder of that name in the way) leaves nothing behind.
void WriteWholeFolder(const std::string& userFolder, const std::string& name,
                      const std::function<void(const fs::path&)>& writeFiles) {
    const fs::path folder = fs::path(userFolder) / name;
    const fs::path temporary = fs::path(userFolder) / ("." + name + ".saving");
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    try {
        fs::create_directories(temporary);
        writeFiles(temporary);
        if (fs::exists(folder))
            throw Exception(folder.string() + " is in the way");
        fs::rename(temporary, folder);
    } catch (...) {
        fs::remove_all(temporary, ignored);
        throw;
    }
}

std::string ReadSharedKey(const std::string& folder) {
    try {
        return platform::ReadCheckedFile(folder + SharedKeyFileName, 64);
    } catch (const platform::FileError&) {
        return ""; // a stage of the user's own, or one whose key is gone: no match
    }
}

} // namespace

platform::Picture MapPicture(const TVaporelBox& box) {
    // The 1024 x 768 field; one more cell each way only when the map's last
    // column or row holds something.
    const bool lastColumnEmpty = IsEmptyLine(box, MapColumns - 1, 0, 0, 1);
    const bool lastRowEmpty = IsEmptyLine(box, 0, MapRows - 1, 1, 0);
    const int columns = lastColumnEmpty && lastRowEmpty ? MapColumns - 1 : MapColumns;
    const int rows = lastColumnEmpty && lastRowEmpty ? MapRows - 1 : MapRows;
    platform::Picture picture;
    picture.Width = columns * CellSize;
    picture.Height = rows * CellSize;
    picture.Rgb.resize(static_cast<std::size_t>(picture.Width) * picture.Height * 3);
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            const TRgb colour = CellColours[box.Cells()[x / CellSize][y / CellSize].CellType];
            std::uint8_t* pixel = &picture.Rgb[(static_cast<std::size_t>(y) * picture.Width + x) * 3];
            pixel[0] = colour.R;
            pixel[1] = colour.G;
            pixel[2] = colour.B;
        }
    return picture;
}

void SaveUserStage(const TVaporelBox& box, const TReplay& play, const std::string& userFolder,
                   const std::string& name) {
    try {
        WriteWholeFolder(userFolder, name, [&](const fs::path& folder) { WriteStage(box, play, folder); });
    } catch (const std::exception& failure) {
        throw Exception("Cannot save the stage as " + name + ": " + failure.what());
    }
}

void SaveSharedStage(const TSharedStage& shared, const std::string& userFolder, const std::string& name) {
    TReplay proof = shared.Proof;
    proof.Stage = name; // a replay names the stage it plays
    try {
        WriteWholeFolder(userFolder, name, [&](const fs::path& folder) {
            WriteStageFiles(shared.Stage, folder, name);
            platform::ReplaceFileContents((folder / "replay.txt").string(), FormatReplay(proof));
            platform::ReplaceFileContents((folder / SharedKeyFileName).string(),
                                          SharedStageKey(shared.Stage));
        });
    } catch (const std::exception& failure) {
        throw Exception("Cannot add the stage as " + name + ": " + failure.what());
    }
}

std::optional<std::string> FindSharedStage(const std::string& userFolder,
                                           const std::vector<std::string>& names, const std::string& key) {
    for (const std::string& name : names)
        if (ReadSharedKey(userFolder + name + "/") == key)
            return name;
    return std::nullopt;
}
