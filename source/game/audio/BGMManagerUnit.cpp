#include "game/audio/BGMManagerUnit.h"

#include "lib/Z5UtilsUnit.h"

TBGMManager::TBGMManager(TSoundManager& soundManager)
    : TZ5BGM(LibraryFolder), NameIndex(std::make_unique<TZ5HashList>(NameBuckets)) {
    NameIndex->RaiseOnUnknown = false;
    Device = &soundManager.Device();
    PlayType_ = ptOgg;
    SetEnabled(true); // no piece is current yet: nothing plays
}

TBGMManager::~TBGMManager() = default;

void TBGMManager::LoadBGMList() {
    Pieces.FreeObjects<TZ5BGMData>();
    NameIndex->Clear();
    for (const char* name : BGMIDNames)
        AddBGM(name);
    for (std::int32_t id = 0; id < BGMCount; ++id) {
        TZ5BGMData& piece = *Piece(id);
        piece.FileName = ChangeFileExt(std::string(BGMFolder) + BGMNames[id], ".ogg");
        piece.Loop = true;
    }
}

std::int32_t TBGMManager::AddBGM(const std::string& name) {
    const std::int32_t found = NameIndex->GetInt(name, NoPiece);
    if (found != NoPiece)
        return found;
    const std::int32_t index = Pieces.Add(new TZ5BGMData);
    NameIndex->SetInt(name, index);
    return index;
}

void TBGMManager::PlayBGM(TBGMID id) {
    if (id == bidNone)
        return;
    ResetSpeed();
    ResetVolume();
    Play(id);
}

void TBGMManager::FadeVolume(std::int32_t frames, double target) {
    FadeTargetVolume = target;
    if (frames <= 0) {
        VolumeFading_ = false;
        SetVolume(target);
        return;
    }
    VolumeFading_ = true;
    VolumeStep = 0;
    VolumeStepCount = frames;
    FadeStartVolume = Volume();
}

void TBGMManager::FadeOutVolume() {
    FadeVolume(FadeOutFrames, 0.0);
}

void TBGMManager::Update() {
    TZ5BGM::Update();
    if (VolumeFading_)
        StepVolumeFade();
}

void TBGMManager::ResetSpeed() {
    SetSpeed(1.0);
}

void TBGMManager::ResetVolume() {
    VolumeFading_ = false;
    SetVolume(1.0);
}

void TBGMManager::StepVolumeFade() {
    if (VolumeStep < VolumeStepCount) {
        SetVolume((FadeTargetVolume - FadeStartVolume) * VolumeStep / VolumeStepCount + FadeStartVolume);
        ++VolumeStep;
        return;
    }
    SetVolume(FadeTargetVolume);
    VolumeFading_ = false;
}
