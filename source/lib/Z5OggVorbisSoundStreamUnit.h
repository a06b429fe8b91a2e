#pragma once
// An Ogg Vorbis file decoded to 16-bit little-endian PCM through the run-time
// bound decoder (OggVorbisUnit). Open and Close run on the main thread while
// no channel plays the stream; Read and Rewind on the streaming channel's
// refill thread. The stream takes no locks.

#include "lib/Z5SoundStreamUnit.h"

#include <cstdint>
#include <memory>
#include <string>

struct OggVorbis_File;
namespace platform {
class CheckedFile;
}

// Ogg files are streamed, never held whole; a larger file is refused as no
// piece of music of ours.
inline constexpr std::uint64_t MaxOggFileBytes = 1ull << 30;

class TZ5OggVorbisSoundStream : public TZ5SoundStream {
public:
    TZ5OggVorbisSoundStream();
    ~TZ5OggVorbisSoundStream() override; // closes

    // Loads the decoder libraries from `folder` first, then from the system's
    // search path; true only when all three loaded (see OggVorbisUnit).
    static bool LoadLibraries(const std::string& folder);

    // Raises the open message naming the file when the file cannot be opened,
    // is no Ogg Vorbis stream, or the decoder libraries are missing (checked
    // before any call into them).
    void Open(const std::string& fileName) override;
    void Close() override;
    void Rewind() override;
    // Whole frames only: less than `size` when size is not a multiple of the
    // frame size. Raises the decode message when the data is damaged.
    std::int32_t Read(std::int32_t size, void* buffer) override;

    bool Opened() const { return Opened_; }

private:
    static std::size_t ReadCallback(void* buffer, std::size_t size, std::size_t count, void* source);
    static int SeekCallback(void* source, std::int64_t offset, int origin);
    static int CloseCallback(void* source);
    static long TellCallback(void* source);

    std::unique_ptr<OggVorbis_File> Decoder;
    std::unique_ptr<platform::CheckedFile> File; // the decoder's data source while opened
    bool Opened_ = false;
};
