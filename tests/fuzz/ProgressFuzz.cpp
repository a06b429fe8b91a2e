// Fuzzed bytes as progress.ini: reading never raises (a damaged file is set
// aside and the progress starts clean), and a clear recorded afterwards is
// read back by the next run, as good as the result recorded or better, with
// at least its stars.
// Crashes, hangs, leaks and sanitizer reports are findings.

#include "game/stages/ProgressUnit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// A private folder for the file and what is set aside beside it.
class TProgressFolder {
public:
    TProgressFolder() {
        char pattern[] = "/tmp/vaporel-progress-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        Dir = pattern;
    }
    ~TProgressFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
    // The folder emptied, then `size` bytes as progress.ini; answers its name.
    std::string Write(const std::uint8_t* data, std::size_t size) {
        for (const auto& entry : std::filesystem::directory_iterator(Dir))
            std::filesystem::remove_all(entry.path());
        const std::string file = Dir + "/progress.ini";
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), std::streamsize(size));
        return file;
    }

private:
    std::string Dir;
};

} // namespace

// A clear recorded over whatever the file held keeps at least these stars.
constexpr std::int32_t EarnedStars = 2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TProgressFolder folder;
    const std::string file = folder.Write(data, size);
    const TStageResult played{3, 1500};
    {
        TProgress progress(file);
        (void)progress.Best("0001");
        progress.RecordClear("0001", played, EarnedStars);
    }
    const TProgress again(file);
    const std::optional<TStageResult> best = again.Best("0001");
    const std::optional<std::int32_t> stars = again.Stars("0001");
    if (!again.IsCleared("0001") || !best || played.IsBetterThan(*best) || !stars || *stars < EarnedStars)
        std::abort();
    return 0;
}
