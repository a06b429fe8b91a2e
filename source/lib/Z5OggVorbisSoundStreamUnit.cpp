#include "lib/Z5OggVorbisSoundStreamUnit.h"

#include "lib/OggVorbisUnit.h"
#include "platform/CheckedFile.h"
#include "platform/Exception.h"

#include <cerrno>
#include <limits>

namespace {

constexpr const char* OpenFailed = "OggVorbisのファイルを開くことができませんした。";
constexpr const char* CloseFailed = "OggVorbisのファイルを閉じることができませんした。";
constexpr const char* RewindFailed = "OggVorbisのファイルを巻き戻すことができませんした。";
constexpr const char* DecodeFailed =
    "OggVorbisのファイルの読み込み(デコード)に失敗しました。@OggVorbisUnit.ov_read";

constexpr std::uint16_t DecodedBits = 16;
constexpr int LittleEndian = 0;
constexpr int WordBytes = 2;
constexpr int SignedSamples = 1;
constexpr int AllLinks = -1; // ov_info of the current logical stream
constexpr int FirstLink = 0;

// The length in bytes of `frames` decoded frames: 0 when the decoder cannot
// tell, held at the 32-bit limit for a sound longer than that (a damaged
// file may claim any length; a real one, some six hours of stereo).
std::uint32_t PcmBytes(ogg_int64_t frames, std::uint16_t blockAlign) {
    constexpr std::uint64_t Limit = std::numeric_limits<std::uint32_t>::max();
    if (frames <= 0 || blockAlign == 0)
        return 0;
    if (static_cast<std::uint64_t>(frames) > Limit / blockAlign)
        return static_cast<std::uint32_t>(Limit);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(frames) * blockAlign);
}

// `reason`, when given, is what the checked open found wrong with the file.
[[noreturn]] void RaiseOpenError(const char* where, const std::string& fileName,
                                 const std::string& reason = {}) {
    const std::string message = std::string(OpenFailed) + where + "\r\nファイル名" + fileName;
    throw Exception(reason.empty() ? message : message + ": " + reason);
}

} // namespace

TZ5OggVorbisSoundStream::TZ5OggVorbisSoundStream() : Decoder(std::make_unique<OggVorbis_File>()) {}

TZ5OggVorbisSoundStream::~TZ5OggVorbisSoundStream() {
    try {
        Close();
    } catch (const Exception&) {
        // The decoder's state is gone either way; nothing is left to release.
    }
}

bool TZ5OggVorbisSoundStream::LoadLibraries(const std::string& folder) {
    return LoadOggVorbisLibraries(folder);
}

void TZ5OggVorbisSoundStream::Open(const std::string& fileName) {
    Close();
    if (!Format)
        Format = std::make_unique<TWaveFormat>();
    const TOggVorbisEntryPoints& ov = OggVorbis();
    if (!ov.Complete())
        RaiseOpenError("@OggVorbisUnit.LoadLibraries", fileName);
    try {
        File = std::make_unique<platform::CheckedFile>(fileName, MaxOggFileBytes);
    } catch (const platform::FileError& error) {
        RaiseOpenError("@FileOpen", fileName, error.Reason());
    }
    const ov_callbacks callbacks{&ReadCallback, &SeekCallback, &CloseCallback, &TellCallback};
    if (ov.ov_open_callbacks(this, Decoder.get(), nullptr, 0, callbacks) < 0) {
        File.reset();
        RaiseOpenError("@OggVorbisUnit.ov_open_callbacks", fileName);
    }
    const vorbis_info* info = ov.ov_info(Decoder.get(), AllLinks);
    *Format = MakePcmFormat(static_cast<std::uint16_t>(info->channels),
                            static_cast<std::uint32_t>(info->rate), DecodedBits);
    Length_ = PcmBytes(ov.ov_pcm_total(Decoder.get(), FirstLink), Format->BlockAlign);
    Opened_ = true;
}

void TZ5OggVorbisSoundStream::Close() {
    if (!Opened_)
        return;
    Opened_ = false;
    const int result = OggVorbis().ov_clear(Decoder.get()); // closes the file through CloseCallback
    File.reset();
    if (result != 0)
        throw Exception(CloseFailed);
}

void TZ5OggVorbisSoundStream::Rewind() {
    if (!Opened_)
        return;
    const TOggVorbisEntryPoints& ov = OggVorbis();
    const ogg_int64_t position = ov.ov_pcm_tell(Decoder.get());
    if (static_cast<std::int32_t>(position) == OV_EINVAL)
        throw Exception(std::string(RewindFailed) + "@OggVorbisUnit.ov_pcm_tell");
    if (position == 0)
        return;
    if (ov.ov_pcm_seek(Decoder.get(), 0) != 0)
        throw Exception(std::string(RewindFailed) + "@OggVorbisUnit.ov_pcm_seek");
}

std::int32_t TZ5OggVorbisSoundStream::Read(std::int32_t size, void* buffer) {
    if (!Opened_ || size < 1)
        return 0;
    const auto ovRead = OggVorbis().ov_read;
    char* const out = static_cast<char*>(buffer);
    // The decoder delivers whole frames only: asked for less than one, it fails.
    const std::int32_t frameBytes = Format->BlockAlign;
    std::int32_t stored = 0;
    while (size - stored >= frameBytes) {
        const std::int32_t wanted = (size - stored) / frameBytes * frameBytes;
        int link = 0;
        const long got =
            ovRead(Decoder.get(), out + stored, wanted, LittleEndian, WordBytes, SignedSamples, &link);
        if (got < 0)
            throw Exception(DecodeFailed);
        if (got == 0)
            break; // end of the sound
        stored += static_cast<std::int32_t>(got);
    }
    return stored;
}

// The decoder's data source callbacks. They run inside the decoder's C code,
// so nothing may be thrown through them: a read error is an errno the decoder
// understands.

std::size_t TZ5OggVorbisSoundStream::ReadCallback(void* buffer, std::size_t size, std::size_t count,
                                                  void* source) {
    if (size == 0 || count == 0)
        return 0;
    try {
        return static_cast<TZ5OggVorbisSoundStream*>(source)->File->Read(buffer, size * count);
    } catch (const platform::FileError&) {
        errno = EIO;
        return 0;
    }
}

int TZ5OggVorbisSoundStream::SeekCallback(void* source, std::int64_t offset, int origin) {
    return static_cast<TZ5OggVorbisSoundStream*>(source)->File->Seek(offset, origin) ? 0 : -1;
}

int TZ5OggVorbisSoundStream::CloseCallback(void* source) {
    static_cast<TZ5OggVorbisSoundStream*>(source)->File.reset();
    return 0;
}

long TZ5OggVorbisSoundStream::TellCallback(void* source) {
    return static_cast<long>(static_cast<TZ5OggVorbisSoundStream*>(source)->File->Tell());
}
