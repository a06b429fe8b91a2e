#include "lib/OggVorbisUnit.h"
#include "lib/Z5OggVorbisSoundStreamUnit.h"
#include "platform/Exception.h"
#include "platform/WaveDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr const char* GameMusic = "bgm/game.ogg";
constexpr const char* OpenMessage = "OggVorbisのファイルを開くことができませんした。";

// One valid Ogg page (first of its stream) carrying `body`, under 255 bytes.
std::string OggPage(const std::string& body) {
    std::string page = std::string("OggS\0\x02", 6) + std::string(8 + 4 + 4 + 4, '\0');
    page += static_cast<char>(1);
    page += static_cast<char>(body.size());
    page += body;
    std::uint32_t crc = 0;
    for (unsigned char byte : page) {
        crc ^= static_cast<std::uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i)
        page[22 + i] = static_cast<char>(crc >> (8 * i));
    return page;
}

class OggVorbisStream : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TZ5OggVorbisSoundStream::LoadLibraries("")); }

    // The whole PCM of an opened stream, read in odd-sized pieces.
    static std::vector<std::int16_t> ReadAll(TZ5OggVorbisSoundStream& stream) {
        std::vector<std::int16_t> pcm;
        std::vector<std::int16_t> piece(3001);
        while (const std::int32_t got =
                   stream.Read(static_cast<std::int32_t>(piece.size() * 2), piece.data()))
            pcm.insert(pcm.end(), piece.begin(), piece.begin() + got / 2);
        return pcm;
    }

    // The game's music with `edit` applied, written to a file of this test.
    std::string EditedMusic(const std::function<void(std::string&)>& edit) {
        std::ifstream in(GameMusic, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), {}};
        edit(bytes);
        const std::string path = testing::TempDir() + "edited.ogg";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // `tail` follows the file's name: what the checked open found, if anything.
    static void ExpectOpenFails(const std::string& path, const char* where, const std::string& tail = {}) {
        TZ5OggVorbisSoundStream stream;
        try {
            stream.Open(path);
            FAIL() << path << " opened";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string(OpenMessage) + where + "\r\nファイル名" + path + tail);
        }
        EXPECT_FALSE(stream.Opened());
    }
};

} // namespace

TEST_F(OggVorbisStream, TheGameMusicDecodesWholeAndRewinds) {
    TZ5OggVorbisSoundStream stream;
    EXPECT_EQ(stream.Read(100, nullptr), 0) << "not opened";
    stream.Open(GameMusic);
    const TWaveFormat format = stream.GetFormat();
    EXPECT_EQ(format.FormatTag, 1);
    EXPECT_EQ(format.Channels, 2);
    EXPECT_EQ(format.SamplesPerSec, 44100u);
    EXPECT_EQ(format.BitsPerSample, 16);
    EXPECT_EQ(format.BlockAlign, 4);
    EXPECT_EQ(format.AvgBytesPerSec, 176400u);
    EXPECT_EQ(stream.Read(0, nullptr), 0);

    const auto pcm = ReadAll(stream);
    EXPECT_EQ(pcm.size() * 2, stream.Length());
    std::int16_t more[8];
    EXPECT_EQ(stream.Read(sizeof more, more), 0) << "after the end";
    stream.Rewind();
    std::vector<std::int16_t> again(4096);
    ASSERT_EQ(stream.Read(8192, again.data()), 8192);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), pcm.begin()));
}

// The piece is one period of a loop: from its last frame to its first, the
// wave moves no more than it does between most neighbouring frames.
TEST_F(OggVorbisStream, TheGameMusicLoopsWithoutAClick) {
    TZ5OggVorbisSoundStream stream;
    stream.Open(GameMusic);
    const auto pcm = ReadAll(stream);
    const std::size_t frames = pcm.size() / 2;
    EXPECT_GE(frames, 60u * 44100) << "about one to two minutes";
    EXPECT_LE(frames, 120u * 44100);
    for (std::size_t channel = 0; channel < 2; ++channel) {
        std::vector<int> steps;
        for (std::size_t i = 1; i < frames; ++i)
            steps.push_back(std::abs(pcm[2 * i + channel] - pcm[2 * i - 2 + channel]));
        std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
        const int usualStep = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::abs(pcm[channel] - pcm[2 * frames - 2 + channel]), usualStep) << "channel " << channel;
    }
}

TEST_F(OggVorbisStream, BadFilesGiveTheOpenMessageNamingTheFile) {
    ExpectOpenFails("bgm/missing.ogg", "@FileOpen", ": No such file or directory");
    ExpectOpenFails("bgm", "@FileOpen", ": not a regular file"); // a folder
    ExpectOpenFails(EditedMusic([](std::string& b) { b.resize(3000); }), "@OggVorbisUnit.ov_open_callbacks");
    ExpectOpenFails(
        EditedMusic([](std::string& b) { b = OggPage("OpusHead\x01\x02\x38\x01\x80\xbb\0\0\0\0\0"); }),
        "@OggVorbisUnit.ov_open_callbacks"); // an Ogg stream of another codec
    ExpectOpenFails(EditedMusic([](std::string& b) { b = "not an ogg file at all"; }),
                    "@OggVorbisUnit.ov_open_callbacks");
}

// The open message keeps what the checked open found: a FIFO would otherwise
// read as a missing file, and an oversized file as a damaged one.
TEST_F(OggVorbisStream, FilesTheCheckedOpenRefusesKeepTheirReason) {
    const std::string fifo = testing::TempDir() + "fifo.ogg";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ExpectOpenFails(fifo, "@FileOpen", ": not a regular file");
    std::filesystem::remove(fifo);

    const std::string huge = testing::TempDir() + "huge.ogg";
    std::ofstream(huge, std::ios::binary).close();
    std::filesystem::resize_file(huge, MaxOggFileBytes + 1); // sparse: no disk space taken
    ExpectOpenFails(huge, "@FileOpen",
                    ": too large (" + std::to_string(MaxOggFileBytes + 1) + " bytes, at most " +
                        std::to_string(MaxOggFileBytes) + ")");
    std::filesystem::remove(huge);
}

TEST_F(OggVorbisStream, DamagedAudioGivesTheDecodeMessage) {
    // Bytes of a page in the middle overwritten: the page fails its checksum
    // and leaves a hole in the stream.
    const std::string path =
        EditedMusic([](std::string& b) { std::fill_n(b.begin() + b.size() / 2, 2000, 'x'); });
    TZ5OggVorbisSoundStream stream;
    stream.Open(path);
    try {
        ReadAll(stream);
        FAIL() << "read through the damage";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(),
                     "OggVorbisのファイルの読み込み(デコード)に失敗しました。@OggVorbisUnit.ov_read");
    }
}

TEST_F(OggVorbisStream, WithoutTheLibrariesOpenFailsBeforeCallingThem) {
    EXPECT_FALSE(LoadOggVorbisLibraries("/nowhere", {"libnone-a.so", "libnone-b.so", "libnone-c.so"}));
    EXPECT_EQ(OggVorbis().ov_open_callbacks, nullptr);
    ExpectOpenFails(GameMusic, "@OggVorbisUnit.LoadLibraries");
    // A folder without them falls back to the system's search path.
    EXPECT_TRUE(LoadOggVorbisLibraries("/nowhere/"));
    EXPECT_TRUE(OggVorbis().Complete());
}

// The effects sound under the music: each one's level (RMS) lies at least
// 3 dB under the level of the game's piece.
TEST_F(OggVorbisStream, TheEffectsSitUnderTheMusic) {
    const auto level = [](const std::vector<std::int16_t>& pcm) {
        double sum = 0;
        for (const std::int16_t s : pcm)
            sum += double(s) * s;
        return 20 * std::log10(std::sqrt(sum / double(pcm.size())));
    };
    TZ5OggVorbisSoundStream music;
    music.Open(GameMusic);
    const double musicLevel = level(ReadAll(music));
    for (const char* effect : {"select", "Hit1", "Hit2", "clear", "decide"}) {
        const platform::WaveSound wave = platform::LoadWave(std::string("sounds/") + effect + ".wav");
        std::vector<std::int16_t> pcm(wave.Pcm.size() / 2);
        std::memcpy(pcm.data(), wave.Pcm.data(), pcm.size() * 2);
        EXPECT_LT(level(pcm), musicLevel - 3) << effect;
    }
}
