#pragma once
// The sound device of the program: 128 effect channels (one static buffer
// each) and one streaming channel (a 1.2-second looping ring refilled from a
// decoded sound stream every 50 ms on a periodic timer), mixed in software
// and played through the system's audio output. Without an audio device the
// device starts failed and plays nothing; the game runs on silently.

#include "lib/Z5SoundStreamUnit.h"
#include "lib/Z5StreamUnit.h"
#include "lib/Z5TimerUnit.h"
#include "lib/sound/SoundMixer.h"
#include "lib/sound/StreamRingUnit.h"
#include "platform/AudioOutput.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class TZ5DirectSound;

// What an effect channel loads: the sound's identifier, its format, and its
// PCM bytes (the stream's whole size, wherever it is positioned). The device
// reads it and never owns or frees it.
struct TZ5SoundData {
    std::int32_t SoundId = -1;
    TWaveFormat Format;
    std::unique_ptr<TZ5Stream> Stream;
};

// The value mappings of the channels, in hundredths of a decibel and Hz.
// 20·log10(x); 0 for x <= 0 or |x| <= 1e-12.
double ToDecibel(double x);
// Volume 0..1 (master factor included) as an attenuation: 0.5 gives -602.
std::int32_t VolumeToAttenuation(double volume);
// Pan -1..1 as the attenuation of the far side, signed: 0.5 gives 602.
std::int32_t PanToAttenuation(double pan);
// A rate ratio 0..2 of the sound's own rate as a playback rate, 100..100000 Hz.
std::uint32_t RatioToFrequency(std::uint32_t samplesPerSec, double ratio);

// An effect channel.
class TZ5DirectSoundBuffer {
public:
    static constexpr std::int32_t NoSound = -1;

    explicit TZ5DirectSoundBuffer(TZ5DirectSound& owner) : Owner(owner) {}
    virtual ~TZ5DirectSoundBuffer();
    TZ5DirectSoundBuffer(const TZ5DirectSoundBuffer&) = delete;
    TZ5DirectSoundBuffer& operator=(const TZ5DirectSoundBuffer&) = delete;

    // Copies the source's PCM into a new buffer of this channel; false (and
    // no buffer) when there is no device, no source, no PCM, or the buffer
    // cannot be made, locked or filled.
    bool Load(const TZ5SoundData* source);
    // Restarts the loaded sound from its beginning, once.
    void Play(double pan, double volume, double frequency);
    virtual void Release();

    virtual void SetVolume(double volume);
    void SetPan(double pan);
    void SetFrequency(double frequency);
    virtual double GetMasterVolume() const;

    bool IsPlaying() const;
    std::int32_t SoundId() const { return SoundId_; }
    double Pan() const { return Pan_; }
    double Volume() const { return Volume_; }
    double Frequency() const { return Frequency_; }
    // The mixer buffer, null when nothing is loaded.
    TSoundBuffer* Buffer() const { return Buffer_.get(); }

private:
    bool CopyIntoNewBuffer(TZ5Stream& pcm, std::uint32_t bytes);

protected:
    TZ5DirectSound& Owner;
    std::unique_ptr<TSoundBuffer> Buffer_;
    TWaveFormat Format{};
    std::int32_t SoundId_ = NoSound;
    double Pan_ = 0.0;
    double Volume_ = 0.0;
    double Frequency_ = 0.0;
};

// How the streaming channel's ring is refilled: by its own 50 ms timer, or
// (for tests that step it) only by calls to Refill.
enum class TRefillMode { Timer, Manual };

// The streaming channel. Play, Stop and Update run on the main thread;
// Refill runs on the timer's thread and is the only reader of the source
// and the ring's bookkeeping while the timer runs. Stopping the timer waits
// for a running Refill, and every change of source or buffer stops the timer
// first.
class TZ5StreamDirectSoundBuffer : public TZ5DirectSoundBuffer {
public:
    enum TState : std::uint8_t { stPlaying = 0, stStopped = 1 };
    static constexpr std::uint32_t RefillIntervalMs = 50;
    static constexpr std::uint32_t RingMilliseconds = 1200;

    TZ5StreamDirectSoundBuffer(TZ5DirectSound& owner, TRefillMode mode);
    ~TZ5StreamDirectSoundBuffer() override;

    // Plays `source` from its beginning; false when the ring cannot be made.
    // A source that fails in the first fill is handled as one that fails
    // while refilling.
    bool Play(TZ5SoundStream* source, bool loop, double pan, double volume, double frequency);
    void Stop();
    // Once per frame: stops a sound that has finished; stops and logs a
    // source that failed while refilling. A looping sound starts over inside
    // the refill and finishes only when its source gives nothing right after
    // a rewind (a file with headers and no audio): playing it again would
    // only finish again, so it stops too.
    void Update();
    void Release() override;
    double GetMasterVolume() const override;

    // The timer's handler: writes the part of the ring played since the last
    // call with the next bytes of the source. A source that fails to read
    // silences the channel at once and is not read again; the next Update
    // logs and stops it.
    void Refill();

    TState State() const { return State_; }
    bool Finished() const { return Finished_.load(std::memory_order_acquire); }
    // The refill's own bookkeeping: read it only while no timer refills (a
    // channel refilled by hand, or a stopped one).
    const TStreamRing& Ring() const { return Ring_; }
    TZ5SoundStream* Source() const { return Source_; }
    bool Loop() const { return Loop_; }

    std::function<void()> OnPlay;
    std::function<void()> OnStop;

private:
    void FillInitial();
    void FillPlayedSpan();
    // Writes the span into its locked regions as planned and reports it to the ring.
    void WriteSpan(const TRingSpan& span, const TLockedRegions& regions);
    void SilenceFrom(const TLockedRegions& regions, std::uint32_t offset) const;
    // Reads up to `bytes` of the source, starting it over at its end when
    // looping; a looping source that gives nothing right after a rewind ends
    // the reading, so an empty source cannot spin the refill.
    std::uint32_t ReadSource(std::uint8_t* region, std::uint32_t bytes);
    // Silences the channel and leaves the error for the main thread's Update.
    void SourceFailedWith(const std::exception& error);

    const TRefillMode Mode;
    TZ5Timer Timer;
    TStreamRing Ring_;
    TZ5SoundStream* Source_ = nullptr;
    std::atomic<bool> Finished_{false};
    TState State_ = stStopped;
    bool Loop_ = false;
    // Set by the timer's thread when reading the source raised; the message
    // is written before the flag and read after it.
    std::atomic<bool> SourceFailed{false};
    std::string SourceError;
};

// Opens the audio output the mixer renders into; throws platform::AudioError.
using TSoundOutputOpener = std::function<std::unique_ptr<platform::AudioOutput>(platform::AudioRenderer&)>;

class TZ5DirectSound {
public:
    static constexpr std::int32_t EffectChannelCount = 128;
    static constexpr std::int32_t NoChannel = -1;

    // Starts the device on the system's audio output; without one, the device
    // is failed: PlayEffect answers -1, PlayStream false, the rest does nothing.
    explicit TZ5DirectSound(TSoundOutputOpener openOutput = platform::OpenAudioOutput,
                            TRefillMode refill = TRefillMode::Timer);
    ~TZ5DirectSound(); // ReleaseAll
    TZ5DirectSound(const TZ5DirectSound&) = delete;
    TZ5DirectSound& operator=(const TZ5DirectSound&) = delete;

    // The channel the effect plays on, or -1.
    std::int32_t PlayEffect(const TZ5SoundData* source, bool newChannel, double pan, double volume,
                            double frequency);
    bool PlayStream(TZ5SoundStream* source, bool loop, double pan, double volume, double frequency);
    void StopStream();
    void UpdateStream();
    // Frees every channel and the output; the device plays nothing after.
    void ReleaseAll();
    // Silences the whole output, effects and music, or gives it back; the
    // channels play on unheard. Nothing on a failed device.
    void SetMuted(bool muted) {
        if (Mixer_)
            Mixer_->SetMuted(muted);
    }

    bool Enabled() const { return Enabled_; }
    bool Failed() const { return Failed_; }
    std::int32_t LastChannel() const { return LastChannel_; }
    double EffectMasterVolume() const { return EffectMasterVolume_; }
    double StreamMasterVolume() const { return StreamMasterVolume_; }
    // Null while the device is failed.
    TSoundMixer* Mixer() const { return Mixer_.get(); }
    TZ5DirectSoundBuffer* EffectChannel(std::int32_t index) const { return EffectChannels[index].get(); }
    TZ5StreamDirectSoundBuffer* StreamChannel() const { return StreamChannel_.get(); }

private:
    std::int32_t FindChannel(const TZ5SoundData* source, bool newChannel);
    std::int32_t AllocateChannel();

    std::unique_ptr<TSoundMixer> Mixer_;
    std::unique_ptr<platform::AudioOutput> Output; // renders Mixer_; goes before it
    double EffectMasterVolume_ = 1.0;
    double StreamMasterVolume_ = 1.0;
    std::int32_t LastChannel_ = 0;
    bool Enabled_ = true;
    bool Failed_ = true;
    std::array<std::unique_ptr<TZ5DirectSoundBuffer>, EffectChannelCount> EffectChannels;
    std::unique_ptr<TZ5StreamDirectSoundBuffer> StreamChannel_;
};
