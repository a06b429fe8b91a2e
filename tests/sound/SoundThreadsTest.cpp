// The three threads of the sound at work together: the device thread mixing
// (here a thread of the test), the refill timer decoding into the ring, and
// the main thread starting, changing and stopping the music. Run under
// ThreadSanitizer too.

#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Patience = std::chrono::seconds(20); // a loaded machine is slow, never this slow

// Mixes 1024 frames at a time, as the audio device does, until destroyed.
// The real device keeps to the clock, some two chunks a refill; this one runs
// free but mixes at most ChunksPerRead chunks after each read of the music,
// so it can never come round the 1.2-second ring (51 chunks) to the part a
// refill is writing: a refill reads up to three times, so at most 20 chunks
// are written while at most 16 more are mixed.
class TDeviceThread {
public:
    static constexpr int ChunksPerRead = 4;

    TDeviceThread(TSoundMixer& mixer, const TPcmSource& music)
        : Thread([this, &mixer, &music] {
              std::vector<std::int16_t> out(2048);
              int readsSeen = -1;
              int chunks = 0;
              while (!Done.load()) {
                  if (const int reads = music.Reads.load(); reads != readsSeen) {
                      readsSeen = reads;
                      chunks = 0;
                  }
                  if (chunks < ChunksPerRead) {
                      mixer.Render(out.data(), 1024);
                      ++chunks;
                      Peak.store(std::max<int>(Peak.load(), std::abs(out[0])));
                  }
                  std::this_thread::yield();
              }
          }) {}
    ~TDeviceThread() {
        Done.store(true);
        Thread.join();
    }
    std::atomic<int> Peak{0};

private:
    std::atomic<bool> Done{false};
    std::thread Thread;
};

// Calls `step` until `done` holds, or fails after Patience.
template <typename Done, typename Step> void WaitUntil(Done done, Step step) {
    const auto deadline = Clock::now() + Patience;
    while (!done()) {
        ASSERT_LT(Clock::now(), deadline) << "waited in vain";
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

TEST(SoundThreads, TheTimerRefillsTheRingWhileTheDeviceMixesAndTheMainThreadSteers) {
    TPcmSource music(100000); // outlives the device and its refill timer
    TZ5DirectSound device(PumpedOutput());
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    TDeviceThread mixing(*device.Mixer(), music);
    WaitUntil([&] { return music.Reads.load() > 3; }, [&] { device.UpdateStream(); }); // refills ran
    channel.SetVolume(0.5);
    channel.SetPan(-0.5);
    device.StopStream();
    EXPECT_EQ(channel.State(), TZ5StreamDirectSoundBuffer::stStopped);
    ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    WaitUntil([&] { return mixing.Peak.load() > 0; }, [&] { device.UpdateStream(); });
}

TEST(SoundThreads, ADecodeErrorOnTheTimerStopsTheMusicOnTheNextFrame) {
    TPcmSource music(100000);
    TZ5DirectSound device(PumpedOutput());
    TZ5StreamDirectSoundBuffer& channel = *device.StreamChannel();
    music.ReadsBeforeFailure = 3; // the first fill reads once; a later refill fails
    ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
    TDeviceThread mixing(*device.Mixer(), music);
    WaitUntil([&] { return channel.State() == TZ5StreamDirectSoundBuffer::stStopped; },
              [&] { device.UpdateStream(); });
}

// The real output: SDL's disk driver writes what the mixer plays to a file.
TEST(SoundThreads, TheSystemOutputPlaysTheMixerAndAMissingDriverLeavesTheDeviceFailed) {
    // One file per process: the Release and thread-sanitizer runs may overlap.
    const std::string file = testing::TempDir() + "sound-output-" + std::to_string(getpid()) + ".raw";
    std::remove(file.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    {
        TPcmSource music(100000);
        TZ5DirectSound device;
        ASSERT_FALSE(device.Failed());
        ASSERT_TRUE(device.PlayStream(&music, true, 0, 1, 1));
        // Frames 999 and 1000 of the music, after however much silence came first.
        const std::int16_t expected[] = {999, -999, 1000, -1000};
        WaitUntil(
            [&] {
                std::ifstream written(file, std::ios::binary);
                const std::string bytes{std::istreambuf_iterator<char>(written), {}};
                return bytes.find(std::string(reinterpret_cast<const char*>(expected), sizeof expected)) !=
                       std::string::npos;
            },
            [&] { device.UpdateStream(); });
    }
    std::remove(file.c_str());
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    TZ5DirectSound silent;
    EXPECT_TRUE(silent.Failed());
}
