#include "lib/Z5LogUnit.h"

#include "lib/Z5UtilsUnit.h"

#include "platform/CheckedFile.h"

#include <filesystem>

namespace {

const char* const RuleLine = "---------------------------------------------------------------";

// Lines end with CR LF, the log's one line ending. Each line is one write, so
// a line is never split by another program appending to the same file.
bool PutLine(platform::AppendFile& file, const std::string& line) {
    return file.Write(line + "\r\n");
}

// A log that has grown past the limit starts again; the last full one is kept
// beside it, replacing the one before.
void RetireLongLog(const std::string& fileName) {
    std::error_code error;
    if (std::filesystem::is_regular_file(fileName, error) &&
        std::filesystem::file_size(fileName, error) > MaxLogBytes && !error)
        std::filesystem::rename(fileName, fileName + OldLogExtension, error);
}

} // namespace

TZ5Log::TZ5Log(std::string fileName) : FileName_(std::move(fileName)) {}

TZ5Log::~TZ5Log() {
    std::lock_guard lock(WriteMutex);
    StartLog();
    AppendLine("Z5Log end (" + DateTimeStamp() + ")");
}

void TZ5Log::StartLog() {
    if (!NotStarted)
        return;
    RetireLongLog(FileName_);
    platform::AppendFile file(FileName_);
    if (PutLine(file, RuleLine))
        PutLine(file, "Z5Log begin (" + DateTimeStamp() + ")");
    NotStarted = false; // tried once per run, whether or not it worked
}

bool TZ5Log::AppendLine(const std::string& line) const {
    platform::AppendFile file(FileName_);
    return PutLine(file, line);
}

void TZ5Log::WriteLine(const std::string& message) {
    std::lock_guard lock(WriteMutex);
    StartLog();
    std::string line = " ";
    line.append(TimeStamp()).append(": ").append(message);
    AppendLine(line);
}

TZ5Log& Log() {
    static TZ5Log log(ProgramFilePath(".Z5.log", TUserFolder::State));
    return log;
}

void WriteError(const std::string& message) {
    Log().WriteLine("Error! " + message);
}
