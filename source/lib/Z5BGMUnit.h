#pragma once
// The background-music player: one piece at a time from a list of pieces,
// played by the player's play type:
// - MIDI: the piece's MIDI file through the MIDI player, which loops it by
//   its own flag;
// - CD audio: a track of the disc in the drive through the audio-CD device's
//   command strings; the device reports the end of the track to the player's
//   own message window, and a looping piece's track is played again then;
// - Ogg: the piece's file streamed through the sound device's streaming
//   channel, which loops it by itself.
// Failures of the audio-CD commands are only logged; the music goes on without.

#include "lib/Z5ArrayListUnit.h"
#include "lib/Z5MIDIUnit.h"
#include "lib/Z5OggVorbisSoundStreamUnit.h"
#include "lib/Z5StreamUnit.h"
#include "lib/Z5WindowProcedureUnit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TZ5DirectSound;

enum TBGMPlayType : std::uint8_t { ptMIDI = 0, ptCDAudio = 1, ptOgg = 2 };

// One piece of music.
class TZ5BGMData {
public:
    std::string FileName;                // the Ogg file
    std::string MIDIName;                // a MIDI piece plays only when this is set
    std::unique_ptr<TZ5Stream> MIDIData; // the MIDI file's bytes
    std::int32_t Track = 0;              // CD track number
    bool Loop = true;
    double Volume = 1.0; // this piece's volume factor
};

class TZ5BGM {
public:
    static constexpr std::int32_t NoPiece = -1;
    using TMIDIMaker = std::function<std::unique_ptr<TZ5MIDI>()>;

    // Loads the Ogg Vorbis libraries from `libraryFolder` first (a failure
    // shows only when a piece is opened).
    explicit TZ5BGM(const std::string& libraryFolder);
    virtual ~TZ5BGM();
    TZ5BGM(const TZ5BGM&) = delete;
    TZ5BGM& operator=(const TZ5BGM&) = delete;

    // Starts piece `index` from its beginning (any piece playing stops
    // first). An Ogg file that cannot be opened raises its open message;
    // the piece stays current and nothing plays.
    virtual void Play(std::int32_t index);
    // StopPlayback, and no piece is current.
    virtual void Stop();
    // Once per frame: services the playing piece.
    virtual void Update();
    void StopPlayback();
    // Enabling plays the current piece again; disabling stops it.
    void SetEnabled(bool enabled);
    void SetVolume(double volume);
    // Playback rate factor, 1.0 = the piece's own.
    void SetSpeed(double speed);
    // Volume × master volume × the current piece's volume.
    double CurrentVolume() const;
    // The current piece stops first: a piece is always stopped by the type
    // that started it.
    void SetPlayType(TBGMPlayType playType);
    // Appends a piece; answers its index.
    std::int32_t AddPiece(std::unique_ptr<TZ5BGMData> piece);

    // Makes the MIDI player when the MIDI type first plays: the system's
    // synthesizer on the periodic timer, unless replaced.
    TMIDIMaker MakeMIDI = [] { return std::make_unique<TZ5MIDI>(); };

    std::int32_t CurrentIndex() const { return CurrentIndex_; }
    bool Enabled() const { return Enabled_; }
    bool IsPlaying() const { return IsPlaying_; }
    TBGMPlayType PlayType() const { return PlayType_; }
    double Volume() const { return Volume_; }
    double Speed() const { return Speed_; }
    std::int32_t PieceCount() const { return Pieces.Count(); }
    TZ5BGMData* Piece(std::int32_t index) const;
    TZ5OggVorbisSoundStream* Stream() const { return Stream_.get(); }
    TZ5MIDI* MIDI() const { return MIDI_.get(); }
    // The window the audio-CD device reports to.
    platform::WindowHandle WindowHandle() const { return MessageWindow->Handle(); }

protected:
    // The message window's handler: the end of a CD track plays it again
    // (a looping piece) or stops the piece.
    virtual void HandleMessage(TMessageRecord& message);
    void PlayOgg(const TZ5BGMData& piece);
    void PlayMIDI(const TZ5BGMData& piece);
    void OpenCDAudio();
    void PlayCDTrack(const TZ5BGMData& piece);
    // Runs an audio-CD command; a failure is logged ("Error <n>: in mciSendString").
    std::string SendMci(const std::string& command, platform::WindowHandle notifyWindow = nullptr);

    TZ5ArrayList Pieces; // of TZ5BGMData, owned; index = piece number
    TZ5DirectSound* Device = nullptr;
    TBGMPlayType PlayType_ = ptCDAudio;

private:
    std::unique_ptr<TZ5MIDI> MIDI_; // only while the play type is MIDI
    std::unique_ptr<TZ5WindowProcedure> MessageWindow;
    std::int32_t CurrentIndex_ = NoPiece;
    std::unique_ptr<TZ5OggVorbisSoundStream> Stream_;
    bool Enabled_ = false;
    bool IsPlaying_ = false;
    double Speed_ = 1.0;
    double Volume_ = 1.0;
    double MasterVolume = 1.0;
};
