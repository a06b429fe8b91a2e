#include "platform/IniFile.h"

#include "platform/CheckedFile.h"
#include "platform/Exception.h"

// Our options are plain bytes: SimpleIni needs no character conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION // the templates are instantiated here, once
#include <SimpleIni.h>

#include <cerrno>
#include <cstdint>

namespace platform {

// Keys may appear twice in a section: every line is kept, and the first one
// counts (SimpleIni's lookups return the first line loaded).
struct IniFile::Document {
    CSimpleIniA Ini{/*isUtf8=*/false, /*multiKey=*/true, /*multiLine=*/false};
};

namespace {

// An ini file is a handful of short lines.
constexpr std::uint64_t MaxIniFileBytes = 1024 * 1024; // bytes

// Reads the whole file; nothing when it does not exist.
std::optional<std::string> ReadWholeFile(const std::string& fileName, const std::string& kind) {
    try {
        return ReadCheckedFile(fileName, MaxIniFileBytes);
    } catch (const FileError& error) {
        if (error.SystemError() == ENOENT)
            return std::nullopt;
        throw Exception("Cannot read the " + kind + ": " + error.what());
    }
}

} // namespace

IniFile::IniFile(std::string fileName, std::string kind)
    : FileName_(std::move(fileName)), Kind(std::move(kind)), Contents(std::make_unique<Document>()) {
    const std::optional<std::string> text = ReadWholeFile(FileName_, Kind);
    if (!text)
        return;
    if (text->find('\0') != std::string::npos)
        throw Exception("The " + Kind + " " + FileName_ + " is not a text file");
    if (Contents->Ini.LoadData(text->data(), text->size()) < 0)
        throw Exception("Cannot read the " + Kind + " " + FileName_);
}

IniFile::~IniFile() = default;

std::optional<std::string> IniFile::Read(const std::string& section, const std::string& key) const {
    const char* value = Contents->Ini.GetValue(section.c_str(), key.c_str(), nullptr);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::vector<std::string> IniFile::Sections() const {
    CSimpleIniA::TNamesDepend names;
    Contents->Ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> sections;
    for (const CSimpleIniA::Entry& name : names)
        sections.emplace_back(name.pItem);
    return sections;
}

void IniFile::RemoveSection(const std::string& section) {
    Contents->Ini.Delete(section.c_str(), nullptr);
}

void IniFile::Write(const std::string& section, const std::string& key, const std::string& value) {
    // Without multiple keys SimpleIni replaces the value of the line lookups
    // find (the first) in place, and leaves a second line as it was.
    Contents->Ini.SetMultiKey(false);
    Contents->Ini.SetValue(section.c_str(), key.c_str(), value.c_str());
    Contents->Ini.SetMultiKey(true);
}

void IniFile::Save() const {
    std::string text;
    if (Contents->Ini.Save(text) < 0)
        throw Exception("Cannot write the " + Kind + " " + FileName_);
    try {
        ReplaceFileContents(FileName_, text);
    } catch (const FileError& error) {
        throw Exception("Cannot write the " + Kind + " " + FileName_ + ": " + error.what());
    }
}

} // namespace platform
