#include "lib/sound/Z5DirectSoundUnit.h"

#include "lib/Assertion.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* UnitName = "lib/sound/Z5DirectSoundUnit";
constexpr double DecibelFloor = 1e-12; // amplitudes this small count as silence

// A factor 0..1 in hundredths of a decibel, rounded with the engine's one rounding.
std::int32_t HundredthsOfDecibel(double factor) {
    return static_cast<std::int32_t>(RoundToInt(ToDecibel(factor) * 100));
}

} // namespace

double ToDecibel(double x) {
    if (std::abs(x) <= DecibelFloor || x <= 0)
        return 0.0;
    return 20.0 * std::log10(x);
}

std::int32_t VolumeToAttenuation(double volume) {
    const double v = std::clamp(volume, 0.0, 1.0);
    if (v <= 0)
        return SoundVolumeMin;
    if (v >= 1)
        return SoundVolumeMax;
    return HundredthsOfDecibel(v);
}

std::int32_t PanToAttenuation(double pan) {
    const double p = std::clamp(pan, -1.0, 1.0);
    if (p <= -1)
        return SoundPanLeft;
    if (p >= 1)
        return SoundPanRight;
    const std::int32_t a = -HundredthsOfDecibel(1 - std::abs(p));
    return p < 0 ? -a : a;
}

std::uint32_t RatioToFrequency(std::uint32_t samplesPerSec, double ratio) {
    const std::int64_t hz = RoundToInt(samplesPerSec * std::clamp(ratio, 0.0, 2.0));
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(hz, SoundFrequencyMin, SoundFrequencyMax));
}

// ---- TZ5DirectSoundBuffer: an effect channel

TZ5DirectSoundBuffer::~TZ5DirectSoundBuffer() {
    TZ5DirectSoundBuffer::Release();
}

bool TZ5DirectSoundBuffer::Load(const TZ5SoundData* source) {
    if (Owner.Mixer() == nullptr || source == nullptr || !source->Stream)
        return false;
    Release();
    TZ5Stream& pcm = *source->Stream;
    pcm.SetPosition(0);
    const auto bytes = static_cast<std::uint32_t>(pcm.GetSize());
    Format = source->Format;
    if (!CopyIntoNewBuffer(pcm, bytes)) {
        Release();
        SoundId_ = NoSound; // so a replay never finds a sound this channel does not hold
        return false;
    }
    SoundId_ = source->SoundId;
    return true;
}

bool TZ5DirectSoundBuffer::CopyIntoNewBuffer(TZ5Stream& pcm, std::uint32_t bytes) {
    if (Owner.Mixer()->CreateBuffer(Format, bytes, Buffer_) != SoundOk)
        return false;
    TLockedRegions regions;
    if (Buffer_->Lock(0, bytes, regions) != SoundOk)
        return false;
    pcm.Read(regions.First, static_cast<std::int32_t>(regions.FirstBytes));
    if (regions.SecondBytes != 0)
        pcm.Read(regions.Second, static_cast<std::int32_t>(regions.SecondBytes));
    return Buffer_->Unlock(regions) == SoundOk;
}

void TZ5DirectSoundBuffer::Play(double pan, double volume, double frequency) {
    if (!Buffer_)
        return;
    if (IsPlaying()) {
        Buffer_->Stop();
        Buffer_->SetCurrentPosition(0);
    }
    SetPan(pan);
    SetVolume(volume);
    SetFrequency(frequency);
    Buffer_->Play(false);
}

void TZ5DirectSoundBuffer::Release() {
    if (Buffer_) {
        Buffer_->Stop();
        Buffer_.reset();
    }
}

void TZ5DirectSoundBuffer::SetVolume(double volume) {
    Volume_ = std::clamp(volume, 0.0, 1.0);
    if (Buffer_)
        Buffer_->SetVolume(VolumeToAttenuation(GetMasterVolume() * volume));
}

void TZ5DirectSoundBuffer::SetPan(double pan) {
    Pan_ = std::clamp(pan, -1.0, 1.0);
    if (Buffer_)
        Buffer_->SetPan(PanToAttenuation(pan));
}

void TZ5DirectSoundBuffer::SetFrequency(double frequency) {
    Frequency_ = std::clamp(frequency, 0.0, 2.0);
    if (Buffer_)
        Buffer_->SetFrequency(RatioToFrequency(Format.SamplesPerSec, frequency));
}

double TZ5DirectSoundBuffer::GetMasterVolume() const {
    return Owner.EffectMasterVolume();
}

bool TZ5DirectSoundBuffer::IsPlaying() const {
    return Buffer_ && (Buffer_->Status() & SoundStatusPlaying) != 0;
}

// ---- TZ5StreamDirectSoundBuffer: the streaming channel

TZ5StreamDirectSoundBuffer::TZ5StreamDirectSoundBuffer(TZ5DirectSound& owner, TRefillMode mode)
    : TZ5DirectSoundBuffer(owner), Mode(mode) {
    Timer.OnTimer = [this](TZ5Timer&) { Refill(); };
}

TZ5StreamDirectSoundBuffer::~TZ5StreamDirectSoundBuffer() {
    TZ5StreamDirectSoundBuffer::Release();
}

bool TZ5StreamDirectSoundBuffer::Play(TZ5SoundStream* source, bool loop, double pan, double volume,
                                      double frequency) {
    if (source == nullptr || Owner.Mixer() == nullptr)
        return false;
    // The timer stops before the source is touched: Refill may still read it.
    Release();
    Source_ = source;
    Source_->Rewind();
    Finished_.store(false, std::memory_order_relaxed);
    SourceFailed.store(false, std::memory_order_relaxed);

    Format = Source_->GetFormat();
    std::uint32_t bufferBytes = Format.AvgBytesPerSec * RingMilliseconds / 1000;
    if (Format.BlockAlign != 0)
        bufferBytes -= bufferBytes % Format.BlockAlign; // whole frames only
    Ring_ = TStreamRing(bufferBytes);
    if (Owner.Mixer()->CreateBuffer(Format, bufferBytes, Buffer_) < 0)
        return false;
    SetPan(pan);
    SetVolume(volume);
    SetFrequency(frequency);
    Loop_ = loop;
    State_ = stPlaying;
    try {
        FillInitial();
    } catch (const std::exception& e) {
        SourceFailedWith(e); // the ring stays silent; the next Update stops the channel
        return true;
    }

    Buffer_->SetCurrentPosition(0);
    Buffer_->Play(true);
    if (Mode == TRefillMode::Timer) {
        Timer.SetInterval(RefillIntervalMs);
        Timer.Start();
    }
    if (OnPlay)
        OnPlay();
    return true;
}

void TZ5StreamDirectSoundBuffer::Stop() {
    Release();
    State_ = stStopped;
    if (OnStop)
        OnStop();
}

void TZ5StreamDirectSoundBuffer::Update() {
    if (State_ != stPlaying)
        return;
    if (SourceFailed.load(std::memory_order_acquire)) {
        WriteError(SourceError);
        Stop();
        return;
    }
    if (Finished())
        Stop();
}

void TZ5StreamDirectSoundBuffer::Release() {
    if (Buffer_)
        Buffer_->Stop();
    Timer.Stop(); // waits for a running Refill
    TZ5DirectSoundBuffer::Release();
}

double TZ5StreamDirectSoundBuffer::GetMasterVolume() const {
    return Owner.StreamMasterVolume();
}

void TZ5StreamDirectSoundBuffer::FillInitial() {
    const TRingSpan span = Ring_.InitialSpan();
    TLockedRegions regions;
    if (Buffer_->Lock(span.Offset, span.Bytes, regions) != SoundOk)
        return; // the ring starts silent and the refills go on from its start
    if (regions.SecondBytes != 0)
        RaiseAssertion("Assertion failure", UnitName, __LINE__);
    WriteSpan(span, regions);
}

void TZ5StreamDirectSoundBuffer::Refill() {
    // A failed source is not read again: its error is written once, before
    // the main thread reads it, and the next Update stops the channel.
    if (!Buffer_ || SourceFailed.load(std::memory_order_relaxed))
        return;
    try {
        FillPlayedSpan();
    } catch (const std::exception& e) {
        SourceFailedWith(e);
    }
}

void TZ5StreamDirectSoundBuffer::SourceFailedWith(const std::exception& error) {
    SourceError = error.what();
    SourceFailed.store(true, std::memory_order_release);
    Buffer_->Stop();
}

void TZ5StreamDirectSoundBuffer::FillPlayedSpan() {
    const TRingSpan span = Ring_.Plan(Buffer_->PlayCursor());
    if (span.Kind == rsFinished)
        Finished_.store(true, std::memory_order_release);
    if (span.Kind != rsSource && span.Kind != rsSilence)
        return;
    TLockedRegions regions;
    if (Buffer_->Lock(span.Offset, span.Bytes, regions) != SoundOk)
        return; // this span stays as it is until the next tick
    WriteSpan(span, regions);
}

void TZ5StreamDirectSoundBuffer::WriteSpan(const TRingSpan& span, const TLockedRegions& regions) {
    std::uint32_t sourceBytes = 0;
    if (span.Kind == rsSource) {
        sourceBytes = ReadSource(regions.First, regions.FirstBytes);
        if (sourceBytes == regions.FirstBytes)
            sourceBytes += ReadSource(regions.Second, regions.SecondBytes);
    }
    SilenceFrom(regions, sourceBytes);
    Buffer_->Unlock(regions);
    Ring_.Written(span, sourceBytes);
}

// Silence from `offset` bytes into the locked span to its end.
void TZ5StreamDirectSoundBuffer::SilenceFrom(const TLockedRegions& regions, std::uint32_t offset) const {
    const int silence = Format.BitsPerSample == 8 ? 128 : 0;
    if (offset < regions.FirstBytes)
        std::memset(regions.First + offset, silence, regions.FirstBytes - offset);
    const std::uint32_t intoSecond = offset > regions.FirstBytes ? offset - regions.FirstBytes : 0;
    if (intoSecond < regions.SecondBytes)
        std::memset(regions.Second + intoSecond, silence, regions.SecondBytes - intoSecond);
}

std::uint32_t TZ5StreamDirectSoundBuffer::ReadSource(std::uint8_t* region, std::uint32_t bytes) {
    std::uint32_t got = 0;
    bool justRewound = false;
    while (got < bytes) {
        const std::int32_t read = Source_->Read(static_cast<std::int32_t>(bytes - got), region + got);
        if (read > 0) {
            got += static_cast<std::uint32_t>(read);
            justRewound = false;
        } else if (Loop_ && !justRewound) {
            Source_->Rewind();
            justRewound = true;
        } else {
            break;
        }
    }
    return got;
}

// ---- TZ5DirectSound

TZ5DirectSound::TZ5DirectSound(TSoundOutputOpener openOutput, TRefillMode refill) {
    try {
        Mixer_ = std::make_unique<TSoundMixer>();
        Output = openOutput(*Mixer_);
    } catch (const platform::AudioError& e) {
        Log().WriteLine(std::string("No sound: ") + e.what());
        ReleaseAll();
        return;
    }
    for (auto& channel : EffectChannels)
        channel = std::make_unique<TZ5DirectSoundBuffer>(*this);
    StreamChannel_ = std::make_unique<TZ5StreamDirectSoundBuffer>(*this, refill);
    Failed_ = false;
}

TZ5DirectSound::~TZ5DirectSound() {
    ReleaseAll();
}

std::int32_t TZ5DirectSound::PlayEffect(const TZ5SoundData* source, bool newChannel, double pan,
                                        double volume, double frequency) {
    if (!Enabled_ || Failed_)
        return NoChannel;
    const std::int32_t channel = FindChannel(source, newChannel);
    if (channel == NoChannel)
        return NoChannel;
    LastChannel_ = channel;
    EffectChannels[channel]->Play(pan, volume, frequency);
    return channel;
}

bool TZ5DirectSound::PlayStream(TZ5SoundStream* source, bool loop, double pan, double volume,
                                double frequency) {
    return StreamChannel_ && StreamChannel_->Play(source, loop, pan, volume, frequency);
}

void TZ5DirectSound::StopStream() {
    if (StreamChannel_)
        StreamChannel_->Stop();
}

void TZ5DirectSound::UpdateStream() {
    if (StreamChannel_)
        StreamChannel_->Update();
}

void TZ5DirectSound::ReleaseAll() {
    StreamChannel_.reset();
    for (auto& channel : EffectChannels)
        channel.reset();
    Output.reset();
    Mixer_.reset();
    Failed_ = true;
    Enabled_ = false;
}

std::int32_t TZ5DirectSound::FindChannel(const TZ5SoundData* source, bool newChannel) {
    if (!newChannel && source != nullptr)
        for (std::int32_t i = 0; i < EffectChannelCount; ++i)
            if (EffectChannels[i]->SoundId() == source->SoundId)
                return i; // replayed as it is, without loading
    const std::int32_t channel = AllocateChannel();
    return EffectChannels[channel]->Load(source) ? channel : NoChannel;
}

std::int32_t TZ5DirectSound::AllocateChannel() {
    std::int32_t channel = LastChannel_;
    do {
        if (!EffectChannels[channel]->IsPlaying())
            return channel;
        channel = (channel + 1) % EffectChannelCount;
    } while (channel != LastChannel_);
    // Every channel is busy: the one used last gives way.
    EffectChannels[channel]->Release();
    return channel;
}
