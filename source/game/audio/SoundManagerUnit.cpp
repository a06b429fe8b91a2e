#include "game/audio/SoundManagerUnit.h"

#include "platform/WaveDecoder.h"

#include <algorithm>

bool TSoundEffectItem::CanPlay() {
    if (Cooldown > 0)
        return false;
    ++PlaysThisFrame;
    MaxPlaysPerFrame = std::max(MaxPlaysPerFrame, PlaysThisFrame);
    Cooldown = CooldownFrames;
    return true;
}

TSoundRequest TSoundEffectItem::AverageRequest() const {
    TSoundRequest sum;
    for (std::int32_t i = 0; i < RequestCount; ++i) {
        sum.Pan += Requests[i].Pan;
        sum.Volume += Requests[i].Volume;
        sum.Frequency += Requests[i].Frequency;
    }
    return {sum.Pan / RequestCount, sum.Volume / RequestCount, sum.Frequency / RequestCount};
}

TSoundManager::TSoundManager(TSoundOutputOpener openOutput, TRefillMode refill)
    : SoundDataList_(std::make_unique<TZ5HashList>(SoundDataBuckets)),
      Device_(std::make_unique<TZ5DirectSound>(std::move(openOutput), refill)) {
    for (auto& item : Items)
        item = std::make_unique<TSoundEffectItem>();
}

TSoundManager::~TSoundManager() {
    for (auto& item : Items)
        item.reset();
    Device_.reset();
    for (SoundDataList_->First(); SoundDataList_->Next();)
        delete static_cast<TZ5SoundData*>(SoundDataList_->CursorItem()->ToPointer());
    SoundDataList_.reset();
}

void TSoundManager::Update() {
    Device_->UpdateStream();
    if (!Muted)
        for (auto& item : Items)
            if (item->RequestCount > 0)
                PlayRequested(*item);
    for (auto& item : Items)
        item->Cooldown = std::max(item->Cooldown - 1, 0);
    for (auto& item : Items)
        item->PlaysThisFrame = 0;
}

// Requests that come during a cooldown are dropped with the rest.
void TSoundManager::PlayRequested(TSoundEffectItem& item) {
    if (item.CanPlay()) {
        const TSoundRequest average = item.AverageRequest();
        Device_->PlayEffect(item.Source, true, average.Pan, average.Volume * item.Volume,
                            average.Frequency * item.Frequency);
    }
    item.RequestCount = 0;
}

void TSoundManager::LoadEffect(TSoundEffectID id, const std::string& fileName, std::int32_t cooldownFrames) {
    const platform::WaveSound wave = platform::LoadWave(fileName);
    auto data = std::make_unique<TZ5SoundData>();
    data->SoundId = id;
    data->Format = MakePcmFormat(wave.Channels, wave.SamplesPerSec, wave.BitsPerSample);
    data->Stream = std::make_unique<TZ5MemoryStream>(static_cast<std::int32_t>(wave.Pcm.size()), fileName);
    data->Stream->Write(wave.Pcm.data(), static_cast<std::int32_t>(wave.Pcm.size()));
    const std::string name = SoundEffectNames[static_cast<std::size_t>(id)];
    delete static_cast<TZ5SoundData*>(SoundDataList_->GetPointer(name)); // loaded before
    TSoundEffectItem& item = Item(id);
    item.Source = data.get();
    SoundDataList_->SetPointer(name, data.release());
    item.Volume = 1.0;
    item.Frequency = 1.0;
    item.CooldownFrames = cooldownFrames;
}

void TSoundManager::Request(TSoundEffectID id, double pan, double volume, double frequency) {
    TSoundEffectItem& item = Item(id);
    if (item.RequestCount < TSoundEffectItem::MaxRequests)
        item.Requests[static_cast<std::size_t>(item.RequestCount++)] = {pan, volume, frequency};
}
