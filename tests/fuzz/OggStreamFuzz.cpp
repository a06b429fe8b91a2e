// Fuzzed bytes as an Ogg Vorbis file, decoded through the real libraries:
// opening must either succeed or raise the open message; an opened stream
// must read to its end (or raise the decode message), rewind and read again.
// Crashes, hangs, leaks and sanitizer reports are findings.

#include "lib/Z5OggVorbisSoundStreamUnit.h"
#include "platform/Exception.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr std::int32_t MaxBytesRead = 1 << 22; // PCM read per input: 24 s of stereo

// Where each input is written for the stream to open; removed at exit.
struct TInputFile {
    const std::string Path = "/tmp/vaporel-ogg-fuzz-" + std::to_string(getpid()) + ".ogg";
    ~TInputFile() { std::remove(Path.c_str()); }
};

void ReadSome(TZ5OggVorbisSoundStream& stream) {
    std::array<std::uint8_t, 4099> buffer; // not a whole number of frames
    std::int32_t total = 0;
    while (total < MaxBytesRead) {
        const std::int32_t got = stream.Read(static_cast<std::int32_t>(buffer.size()), buffer.data());
        if (got < 0 || got > static_cast<std::int32_t>(buffer.size()))
            std::abort();
        if (got == 0)
            return;
        total += got;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool loaded = TZ5OggVorbisSoundStream::LoadLibraries("");
    static const TInputFile input;
    const std::string& path = input.Path;
    if (!loaded)
        std::abort();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    TZ5OggVorbisSoundStream stream;
    try {
        stream.Open(path);
    } catch (const Exception&) {
        return 0; // rejected with the open message
    }
    try {
        ReadSome(stream);
        stream.Rewind();
        ReadSome(stream);
        stream.Close();
    } catch (const Exception&) {
        // a decode or rewind message: the damaged stream stops here
    }
    return 0;
}
