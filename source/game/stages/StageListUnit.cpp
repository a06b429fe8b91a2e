#include "game/stages/StageListUnit.h"

#include "lib/Z5EasyXMLUnit.h"
#include "lib/Z5LogUnit.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <filesystem>

namespace {

bool IsDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Shipped stages are named by digits only, user stages by the prefix and digits.
bool IsStageFolderName(const std::string& name, bool isUser) {
    if (!isUser)
        return IsDigits(name);
    const std::string prefix = UserStagePrefix;
    return name.rfind(prefix, 0) == 0 && IsDigits(name.substr(prefix.size()));
}

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
    TStageInfo info{StageFolderName(folder), folder, "", "", isUser};
    if (const TXmlValue title = reader.GetValue("name"); !title.IsEmpty())
        info.Title = title.Text();
    if (const TXmlValue hint = reader.GetValue("hint"); !hint.IsEmpty())
        info.Hint = hint.Text();
    return info;
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

std::string UserStagesFolder() {
    return platform::XdgBaseFolder("XDG_DATA_HOME", ".local/share") + "/vaporel/stages/";
}

TStageList::TStageList(std::string shippedFolder, std::string userFolder)
    : ShippedFolder_(WithSlash(std::move(shippedFolder))), UserFolder_(WithSlash(std::move(userFolder))) {
    Rescan();
}

void TStageList::Rescan() {
    Stages_.clear();
    ScanFolder(ShippedFolder_, false);
    ScanFolder(UserFolder_, true);
}

void TStageList::ScanFolder(const std::string& folder, bool isUser) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (IsStageFolderName(name, isUser) && entry->is_directory(error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        try {
            Stages_.push_back(ReadStageInfo(folder + name + "/", isUser));
        } catch (const std::exception& failure) {
            if (!isUser)
                throw;
            Log().WriteLine("The stage " + folder + name + " is left out: " + failure.what());
        }
    }
}

std::optional<std::size_t> TStageList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < Stages_.size(); ++i)
        if (Stages_[i].Name == name)
            return i;
    return std::nullopt;
}
