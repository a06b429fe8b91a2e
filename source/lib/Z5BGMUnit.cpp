#include "lib/Z5BGMUnit.h"

#include "lib/Assertion.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "lib/sound/Z5DirectSoundUnit.h"
#include "platform/Mci.h"
#include "platform/WindowMessages.h"

#include <algorithm>

namespace {

constexpr const char* UnitName = "lib/Z5BGMUnit";
constexpr double CentrePan = 0.0;

std::int32_t TempoPercentOf(double speed) {
    const double percent = std::clamp(speed * 100.0, static_cast<double>(TZ5MIDI::MinTempoPercent),
                                      static_cast<double>(TZ5MIDI::MaxTempoPercent));
    return static_cast<std::int32_t>(RoundToInt(percent));
}

} // namespace

TZ5BGM::TZ5BGM(const std::string& libraryFolder) {
    TZ5OggVorbisSoundStream::LoadLibraries(libraryFolder);
    MessageWindow =
        std::make_unique<TZ5WindowProcedure>([this](TMessageRecord& message) { HandleMessage(message); });
}

TZ5BGM::~TZ5BGM() {
    TZ5BGM::Stop();
    Pieces.FreeObjects<TZ5BGMData>();
    MIDI_.reset();
    MessageWindow.reset();
    Stream_.reset(); // closes
}

std::int32_t TZ5BGM::AddPiece(std::unique_ptr<TZ5BGMData> piece) {
    return Pieces.Add(piece.release());
}

void TZ5BGM::SetPlayType(TBGMPlayType playType) {
    if (playType == PlayType_)
        return;
    StopPlayback();
    PlayType_ = playType;
}

TZ5BGMData* TZ5BGM::Piece(std::int32_t index) const {
    return static_cast<TZ5BGMData*>(Pieces.GetItem(index));
}

void TZ5BGM::Play(std::int32_t index) {
    Stop();
    if (index < 0 || index >= Pieces.Count())
        return;
    if (PlayType_ != ptMIDI)
        MIDI_.reset();
    else if (!MIDI_)
        MIDI_ = MakeMIDI();
    CurrentIndex_ = index;
    const TZ5BGMData* piece = Piece(index);
    if (piece != nullptr && Enabled_) {
        switch (PlayType_) {
        case ptMIDI:
            if (piece->MIDIName.empty() || !piece->MIDIData)
                return;
            PlayMIDI(*piece);
            break;
        case ptCDAudio:
            OpenCDAudio();
            PlayCDTrack(*piece);
            break;
        case ptOgg:
            if (Device == nullptr || piece->FileName.empty())
                return;
            PlayOgg(*piece);
            break;
        default: RaiseAssertion("不正なBGMの再生タイプが指定されました", UnitName, __LINE__);
        }
    }
    IsPlaying_ = true;
}

void TZ5BGM::PlayMIDI(const TZ5BGMData& piece) {
    MIDI_->Loop = piece.Loop;
    MIDI_->SetTempoPercent(TempoPercentOf(Speed_));
    piece.MIDIData->SetPosition(0);
    MIDI_->Load(*piece.MIDIData);
    MIDI_->Play();
}

void TZ5BGM::OpenCDAudio() {
    SendMci("open cdaudio");
    SendMci("set cdaudio time format tmsf");
}

// Plays the piece's track to its end (the last track to the end of the disc),
// with the end reported to the message window.
void TZ5BGM::PlayCDTrack(const TZ5BGMData& piece) {
    const std::int32_t trackCount = TextToInt(SendMci("status cdaudio number of tracks")).value_or(0);
    const std::string track = std::to_string(piece.Track);
    if (piece.Track >= trackCount)
        SendMci("play cdaudio from " + track + " notify", WindowHandle());
    else
        SendMci("play cdaudio from " + track + " to " + std::to_string(piece.Track + 1) + " notify",
                WindowHandle());
}

std::string TZ5BGM::SendMci(const std::string& command, platform::WindowHandle notifyWindow) {
    std::string reply;
    if (const platform::MciError error = platform::MciSendString(command, &reply, notifyWindow))
        Log().WriteLine("Error " + std::to_string(error) + ": in mciSendString");
    return reply;
}

void TZ5BGM::HandleMessage(TMessageRecord& message) {
    if (message.Msg != platform::MM_MCINOTIFY) {
        MessageWindow->DefaultHandler(message);
        return;
    }
    const TZ5BGMData* piece = Piece(CurrentIndex_);
    if (!Enabled_ || piece == nullptr || message.WParam != platform::MCI_NOTIFY_SUCCESSFUL)
        return;
    if (!piece->Loop)
        Stop();
    else if (PlayType_ == ptCDAudio)
        PlayCDTrack(*piece);
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
    switch (PlayType_) {
    case ptMIDI:
        if (MIDI_)
            MIDI_->Stop();
        break;
    case ptCDAudio:
        SendMci("stop cdaudio");
        SendMci("close cdaudio");
        break;
    case ptOgg:
        if (Device == nullptr)
            return; // nothing to stop, and nothing stopped
        Device->StopStream();
        break;
    }
    IsPlaying_ = false;
}

void TZ5BGM::Update() {
    if (PlayType_ == ptMIDI && MIDI_)
        MIDI_->Update();
    else if (PlayType_ == ptOgg && Device != nullptr)
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
    if (PlayType_ == ptMIDI && MIDI_)
        MIDI_->SetTempoPercent(TempoPercentOf(Speed_));
    else if (PlayType_ == ptOgg && Device != nullptr && Device->StreamChannel() != nullptr)
        Device->StreamChannel()->SetFrequency(Speed_);
}

double TZ5BGM::CurrentVolume() const {
    const TZ5BGMData* piece = Piece(CurrentIndex_);
    return Volume_ * MasterVolume * (piece != nullptr ? piece->Volume : 1.0);
}
