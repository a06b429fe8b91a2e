#include "game/stages/StageCourseUnit.h"

#include "lib/Z5EasyXMLUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string_view>

namespace {

constexpr std::uint64_t MaxCourseBytes = 64 * 1024; // a course is a few hundred bytes
constexpr double FramesPerSecond = 60;
constexpr double MaxParSeconds = 3600; // an hour: far past any play
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsShippedStageName(const std::string& name) {
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class TCourseReader {
public:
    explicit TCourseReader(std::string fileName) : FileName(std::move(fileName)) {}

    void Read(std::string_view text) {
        if (text.starts_with(ByteOrderMark))
            text.remove_prefix(ByteOrderMark.size()); // an editor's mark that the file is UTF-8
        std::istringstream stream{std::string(text)};
        for (std::string line; std::getline(stream, line);) {
            ++LineNumber;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && line[0] != '#')
                TakeLine(line);
        }
        if (Course.empty())
            throw Exception(FileName + ": the course names no stage");
    }

    std::vector<TCourseStage> Course;

private:
    void TakeLine(const std::string& line) {
        const std::string chapterKey = "chapter ";
        if (line.rfind(chapterKey, 0) == 0) {
            Chapter = line.substr(chapterKey.size());
            if (Chapter.empty())
                Fail("a chapter needs a name");
            return;
        }
        if (!IsShippedStageName(line))
            Fail("\"" + EscapeControls(line) + "\" is no stage folder's name (digits only)");
        if (Chapter.empty())
            Fail("the stage " + line + " comes before any chapter");
        if (std::any_of(Course.begin(), Course.end(),
                        [&](const TCourseStage& s) { return s.Folder == line; }))
            Fail("the stage " + line + " is listed twice");
        Course.push_back({line, Chapter, LineNumber});
    }

    [[noreturn]] void Fail(const std::string& message) const {
        throw Exception(FileName + ":" + std::to_string(LineNumber) + ": " + message);
    }

    std::string FileName;
    std::string Chapter;
    int LineNumber = 0;
};

} // namespace

std::vector<TCourseStage> ParseCourse(const std::string& text, const std::string& fileName) {
    TCourseReader reader(fileName);
    reader.Read(text);
    return reader.Course;
}

std::vector<TCourseStage> ReadCourse(const std::string& fileName) {
    return ParseCourse(platform::ReadCheckedFile(fileName, MaxCourseBytes), fileName);
}

std::optional<TStagePar> ReadStagePar(const std::string& folder) {
    const std::string fileName = folder + ParFileName;
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return std::nullopt;
    TZ5EasyXMLReader reader;
    reader.LoadFromFile(fileName); // its errors name the file
    reader.Enter("par");
    try {
        const TXmlValue cells = reader.GetValue("cells");
        const TXmlValue seconds = reader.GetValue("seconds");
        if (cells.IsEmpty() || seconds.IsEmpty())
            throw Exception("needs <cells> and <seconds> inside <par>");
        const std::int32_t cellCount = cells.ToInteger();
        const double time = seconds.ToReal();
        if (cellCount < 0 || !(time > 0 && time <= MaxParSeconds))
            throw Exception("the cells must be a count and the seconds more than 0, at most an hour");
        return TStagePar{cellCount, static_cast<std::int32_t>(std::lround(time * FramesPerSecond))};
    } catch (const std::exception& failure) {
        throw Exception(fileName + ": " + failure.what());
    }
}
