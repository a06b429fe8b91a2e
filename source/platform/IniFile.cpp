#include "platform/IniFile.h"

#include "platform/CheckedFile.h"
#include "platform/Exception.h"

// Our options are plain bytes: SimpleIni needs no character conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION // the templates are instantiated here, once
#include <SimpleIni.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace platform {

// Keys may appear twice in a section: every line is kept, and the first one
// counts (SimpleIni's lookups return the first line loaded).
struct IniFile::Document {
    CSimpleIniA Ini{/*isUtf8=*/false, /*multiKey=*/true, /*multiLine=*/false};
};

namespace {

// An options file is a handful of short lines.
constexpr std::uint64_t MaxOptionsFileBytes = 1024 * 1024; // bytes

// Reads the whole file; nothing when it does not exist.
std::optional<std::string> ReadWholeFile(const std::string& fileName) {
    try {
        return ReadCheckedFile(fileName, MaxOptionsFileBytes);
    } catch (const FileError& error) {
        if (error.SystemError() == ENOENT)
            return std::nullopt;
        throw Exception(std::string("Cannot read the options file: ") + error.what());
    }
}

} // namespace

IniFile::IniFile(std::string fileName)
    : FileName_(std::move(fileName)), Contents(std::make_unique<Document>()) {
    const std::optional<std::string> text = ReadWholeFile(FileName_);
    if (!text)
        return;
    if (text->find('\0') != std::string::npos)
        throw Exception("The options file " + FileName_ + " is not a text file");
    if (Contents->Ini.LoadData(text->data(), text->size()) < 0)
        throw Exception("Cannot read the options file " + FileName_);
}

IniFile::~IniFile() = default;

std::optional<std::string> IniFile::Read(const std::string& section, const std::string& key) const {
    const char* value = Contents->Ini.GetValue(section.c_str(), key.c_str(), nullptr);
    if (!value)
        return std::nullopt;
    return std::string(value);
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
        throw Exception("Cannot write the options file " + FileName_);
    // Written beside the file and then renamed over it, so that a failure
    // half-way never leaves a truncated options file behind.
    const std::string temporary = FileName_ + ".new";
    // Something else under that name (a folder; a FIFO, whose open would wait
    // for a reader) is left alone.
    std::error_code error;
    const std::filesystem::file_status existing = std::filesystem::status(temporary, error);
    if (std::filesystem::exists(existing) && !std::filesystem::is_regular_file(existing))
        throw Exception("Cannot write the options file " + FileName_ + ": " + temporary + " is in the way");
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file || std::rename(temporary.c_str(), FileName_.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        throw Exception("Cannot write the options file " + FileName_ + ": " + reason);
    }
}

} // namespace platform
