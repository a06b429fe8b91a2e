#pragma once
// The program's text log: time-stamped lines appended to one file, each run
// framed by a rule line, a begin banner and an end banner. Any thread may
// write: a periodic timer logs the failure of its handler on its own thread.
// A log longer than MaxLogBytes when a run begins becomes "<log>.old"
// (replacing an older one) and a new log begins.

#include <cstdint>
#include <mutex>
#include <string>

inline constexpr std::uintmax_t MaxLogBytes = 1024 * 1024;
inline constexpr const char* OldLogExtension = ".old";

class TZ5Log {
public:
    // Nothing is written until the first line or the destruction.
    explicit TZ5Log(std::string fileName);
    ~TZ5Log(); // writes the end banner (and the begin banner if none was written yet)
    TZ5Log(const TZ5Log&) = delete;
    TZ5Log& operator=(const TZ5Log&) = delete;

    // Appends " hh:mm'ss\"mmm: message". A line that cannot be written is
    // dropped silently; the next call tries again.
    void WriteLine(const std::string& message);

    const std::string& FileName() const { return FileName_; }

private:
    void StartLog();
    bool AppendLine(const std::string& line) const;

    std::mutex WriteMutex; // one line at a time, the banners first
    bool NotStarted = true;
    std::string FileName_;
};

// The program's one log, "<program>.Z5.log" beside the program (or in the
// user's state folder when the program's folder is not writable). Created on
// first use; main touches it first so that it outlives everything else.
TZ5Log& Log();

// Log().WriteLine("Error! " + message).
void WriteError(const std::string& message);
