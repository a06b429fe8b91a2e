#include "game/stages/StageListUnit.h"

#include "lib/Z5EasyXMLUnit.h"
#include "lib/Z5LogUnit.h"
#include "platform/Exception.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr int UserStageDigits = 4;        // zeros fill the number up to four digits
constexpr std::size_t MaxUserDigits = 18; // any 18-digit number fits 64 bits, and one more

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// The name and hint of data.xml; raises when the file cannot be read.
TStageInfo ReadStageInfo(const std::string& folder, bool isUser) {
    TZ5EasyXMLReader reader;
    reader.LoadFromFile(folder + "data.xml");
    reader.Enter("stage");
    TStageInfo info;
    info.Name = StageFolderName(folder);
    info.Folder = folder;
    info.IsUser = isUser;
    if (const TXmlValue title = reader.GetValue("name"); !title.IsEmpty())
        info.Title = title.Text();
    if (const TXmlValue hint = reader.GetValue("hint"); !hint.IsEmpty())
        info.Hint = hint.Text();
    return info;
}

// A shared stage brings its par; a saved map has none.
TStageInfo ReadUserStageInfo(const std::string& folder) {
    TStageInfo info = ReadStageInfo(folder, true);
    info.Par = ReadStagePar(folder);
    return info;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_directory(error))
            names.push_back(entry->path().filename().string());
    return names;
}

} // namespace

std::string StageFolderName(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
}

std::string ShippedStagesFolder() {
    return "stages/";
}

std::string StartUpStageFolder() {
    return ShippedStagesFolder() + StartUpStage + "/";
}

std::string UserStagesFolder() {
    return platform::XdgBaseFolder("XDG_DATA_HOME", ".local/share") + "/vaporel/stages/";
}

std::optional<std::uint64_t> UserStageNumber(const std::string& name) {
    const std::string prefix = UserStagePrefix;
    if (name.rfind(prefix, 0) != 0)
        return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > MaxUserDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoull(digits);
}

std::vector<std::string> UserStagesInOrder(std::vector<std::string> names) {
    std::erase_if(names, [](const std::string& name) { return !UserStageNumber(name); });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::uint64_t numberA = *UserStageNumber(a), numberB = *UserStageNumber(b);
        return numberA != numberB ? numberA < numberB : a.size() < b.size();
    });
    return names;
}

std::string NextUserStageName(std::uint64_t highest) {
    if (highest >= MaxUserStageNumber)
        throw Exception("every user stage number up to " + std::to_string(MaxUserStageNumber) + " is taken");
    char name[40];
    std::snprintf(name, sizeof name, "%s%0*llu", UserStagePrefix, UserStageDigits,
                  static_cast<unsigned long long>(highest + 1));
    return name;
}

TStageList::TStageList(std::string shippedFolder, std::string userFolder)
    : ShippedFolder_(WithSlash(std::move(shippedFolder))), UserFolder_(WithSlash(std::move(userFolder))) {
    ReadCourseStages();
    ReadUserStages();
}

void TStageList::ReadCourseStages() {
    std::error_code error;
    if (!std::filesystem::is_directory(ShippedFolder_, error))
        return;
    const std::string courseFile = ShippedFolder_ + CourseFileName;
    for (const TCourseStage& stage : ReadCourse(courseFile)) {
        TStageInfo info = ReadCourseStage(courseFile, stage);
        info.Place = Stages_.size() + 1;
        Stages_.push_back(std::move(info));
    }
    CourseSize_ = Stages_.size();
}

// A stage that cannot be read names the course's line that asks for it, so
// a missing folder points at the line to mend as well as at the file.
TStageInfo TStageList::ReadCourseStage(const std::string& courseFile, const TCourseStage& stage) const {
    try {
        TStageInfo info = ReadStageInfo(ShippedFolder_ + stage.Folder + "/", false);
        info.Chapter = stage.Chapter;
        info.Par = ReadStagePar(info.Folder);
        return info;
    } catch (const std::exception& failure) {
        throw Exception(courseFile + ":" + std::to_string(stage.Line) + " names the stage " + stage.Folder +
                        ": " + failure.what());
    }
}

void TStageList::ReadUserStages() {
    for (const std::string& name : UserStagesInOrder(FolderNames(UserFolder_))) {
        HighestUserNumber = std::max(HighestUserNumber, *UserStageNumber(name));
        try {
            Stages_.push_back(ReadUserStageInfo(UserFolder_ + name + "/"));
        } catch (const std::exception& failure) {
            Log().WriteLine("The stage " + UserFolder_ + name + " is left out: " + failure.what());
        }
    }
}

void TStageList::AddUserStage(const std::string& name) {
    Stages_.push_back(ReadUserStageInfo(UserFolder_ + name + "/"));
    HighestUserNumber = std::max(HighestUserNumber, UserStageNumber(name).value_or(0));
}

std::optional<std::size_t> TStageList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < Stages_.size(); ++i)
        if (Stages_[i].Name == name)
            return i;
    return std::nullopt;
}
