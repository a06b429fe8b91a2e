#pragma once
// An ini file held in memory: loaded whole, changed, written back whole.
// Sections, keys and comments that nobody touches stay as they were read. A
// key that appears twice in a section reads as its first line; both lines are
// written back (the second right after the first), only the first is changed.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class IniFile {
public:
    // Reads `fileName`. A missing file gives an empty ini; anything else that
    // cannot be read (a folder, a FIFO, a device, an unreadable or oversized
    // file, a file that is not text) raises Exception naming it.
    // `kind` names the file in the messages ("options file").
    explicit IniFile(std::string fileName, std::string kind = "options file");
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    std::optional<std::string> Read(const std::string& section, const std::string& key) const;
    void Write(const std::string& section, const std::string& key, const std::string& value);
    // The sections' names, in the file's order.
    std::vector<std::string> Sections() const;
    // Forgets the section, its keys and its comments.
    void RemoveSection(const std::string& section);

    // Replaces the file by the whole ini. The old file stays intact when the
    // new one cannot be written; the failure raises Exception naming it.
    void Save() const;

    const std::string& FileName() const { return FileName_; }

private:
    struct Document;
    std::string FileName_;
    std::string Kind;
    std::unique_ptr<Document> Contents;
};

} // namespace platform
