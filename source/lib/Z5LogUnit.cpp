#include "lib/Z5LogUnit.h"

#include "lib/Z5UtilsUnit.h"

#include <cstdio>
#include <memory>

namespace {

const char* const RuleLine = "---------------------------------------------------------------";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForAppend(const std::string& fileName) {
    return File(std::fopen(fileName.c_str(), "ab"));
}

// Lines end with CR LF: the log's one line ending, which every editor and
// every reader of older logs takes as the end of a line.
void PutLine(std::FILE* file, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputs("\r\n", file);
}

} // namespace

TZ5Log::TZ5Log(std::string fileName) : FileName_(std::move(fileName)) {}

TZ5Log::~TZ5Log() {
    StartLog();
    AppendLine("Z5Log end (" + DateTimeStamp() + ")");
}

void TZ5Log::StartLog() {
    if (!NotStarted)
        return;
    if (File file = OpenForAppend(FileName_)) {
        PutLine(file.get(), RuleLine);
        PutLine(file.get(), "Z5Log begin (" + DateTimeStamp() + ")");
    }
    NotStarted = false; // tried once per run, whether or not it worked
}

bool TZ5Log::AppendLine(const std::string& line) const {
    File file = OpenForAppend(FileName_);
    if (!file)
        return false;
    PutLine(file.get(), line);
    return std::fflush(file.get()) == 0;
}

void TZ5Log::WriteLine(const std::string& message) {
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
