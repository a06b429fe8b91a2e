#include "lib/Z5BGMUnit.h"

#include "lib/Assertion.h"
#include "lib/sound/Z5DirectSoundUnit.h"

namespace {

constexpr const char* UnitName = "lib/Z5BGMUnit";
constexpr double CentrePan = 0.0;

} // namespace

TZ5BGM::TZ5BGM(const std::string& libraryFolder) {
    TZ5OggVorbisSoundStream::LoadLibraries(libraryFolder);
}

TZ5BGM::~TZ5BGM() {
    TZ5BGM::Stop();
    Pieces.FreeObjects<TZ5BGMData>();
    Stream_.reset(); // closes
}

TZ5BGMData* TZ5BGM::Piece(std::int32_t index) const {
    return static_cast<TZ5BGMData*>(Pieces.GetItem(index));
}

void TZ5BGM::Play(std::int32_t index) {
    Stop();
    if (index < 0 || index >= Pieces.Count())
        return;
    CurrentIndex_ = index;
    const TZ5BGMData* piece = Piece(index);
    if (piece != nullptr && Enabled_) {
        switch (PlayType_) {
        case ptOgg:
            if (Device == nullptr || piece->FileName.empty())
                return;
            PlayOgg(*piece);
            break;
        default: RaiseAssertion("不正なBGMの再生タイプが指定されました", UnitName);
        }
    }
    IsPlaying_ = true;
}

void TZ5BGM::PlayOgg(const TZ5BGMData& piece) {
    Device->StopStream(); // the channel never reads a stream that is going
    Stream_.reset();
    Stream_ = std::make_unique<TZ5OggVorbisSoundStream>();
    Stream_->Open(piece.FileName);
    Device->PlayStream(Stream_.get(), piece.Loop, CentrePan, CurrentVolume(), Speed_);
}

void TZ5BGM::Stop() {
    StopPlayback();
    CurrentIndex_ = NoPiece;
}

void TZ5BGM::StopPlayback() {
    if (!IsPlaying_ || Piece(CurrentIndex_) == nullptr)
        return;
    if (PlayType_ == ptOgg) {
        if (Device == nullptr)
            return; // nothing to stop, and nothing stopped
        Device->StopStream();
    }
    IsPlaying_ = false;
}

void TZ5BGM::Update() {
    if (PlayType_ == ptOgg && Device != nullptr)
        Device->UpdateStream();
}

void TZ5BGM::SetEnabled(bool enabled) {
    if (enabled == Enabled_)
        return;
    Enabled_ = enabled;
    if (enabled)
        Play(CurrentIndex_);
    else
        StopPlayback();
}

void TZ5BGM::SetVolume(double volume) {
    Volume_ = volume;
    if (PlayType_ == ptOgg && Device != nullptr && Device->StreamChannel() != nullptr)
        Device->StreamChannel()->SetVolume(CurrentVolume());
}

void TZ5BGM::SetSpeed(double speed) {
    Speed_ = speed;
    if (PlayType_ == ptOgg && Device != nullptr && Device->StreamChannel() != nullptr)
        Device->StreamChannel()->SetFrequency(Speed_);
}

double TZ5BGM::CurrentVolume() const {
    const TZ5BGMData* piece = Piece(CurrentIndex_);
    return Volume_ * MasterVolume * (piece != nullptr ? piece->Volume : 1.0);
}
