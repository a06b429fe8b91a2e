#include "platform/Mci.h"

#include "platform/PeriodicTimer.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace platform {

namespace {

// How often a play with a pending notification looks at the drive.
constexpr std::uint32_t WatchIntervalMs = 200;

using Words = std::span<const std::string>;

std::vector<std::string> SplitLowerCase(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : command) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// A position in the tmsf time format: "track[:minutes[:seconds[:frames]]]".
struct TmsfPosition {
    int Track = 0;
    std::int64_t Frames = 0; // offset into the track; wide enough for any four fields
};

std::optional<TmsfPosition> ParseTmsf(std::string_view text) {
    int fields[4] = {0, 0, 0, 0};
    std::size_t count = 0;
    while (count < 4) {
        const std::size_t colon = text.find(':');
        const std::optional<int> value = ParseNumber(text.substr(0, colon));
        if (!value)
            return std::nullopt;
        fields[count++] = *value;
        if (colon == std::string_view::npos)
            return TmsfPosition{fields[0],
                                (std::int64_t{fields[1]} * 60 + fields[2]) * CdFramesPerSecond + fields[3]};
        text.remove_prefix(colon + 1);
    }
    return std::nullopt; // more than four fields
}

const CdTrackInfo* FindTrack(const CdTableOfContents& toc, int number) {
    const auto found = std::find_if(toc.Tracks.begin(), toc.Tracks.end(),
                                    [number](const CdTrackInfo& track) { return track.Number == number; });
    return found == toc.Tracks.end() ? nullptr : &*found;
}

// Where a play that starts in `track` ends without a "to": the next data
// track, else the end of the disc.
std::uint32_t EndOfAudioAfter(const CdTableOfContents& toc, const CdTrackInfo& track) {
    for (const CdTrackInfo& later : toc.Tracks)
        if (later.Start > track.Start && !later.Audio)
            return later.Start;
    return toc.LeadOut;
}

class CdAudioDevice {
public:
    ~CdAudioDevice() { Watcher.reset(); }

    void SetOpener(CdDriveOpener opener) {
        std::lock_guard lock(Mutex);
        Opener = std::move(opener);
    }

    MciError Run(const std::string& verb, Words arguments, std::string& reply, WindowHandle notifyWindow,
                 bool notify) {
        std::lock_guard lock(Mutex);
        if (verb == "open")
            return Open(arguments);
        if (!Drive)
            return MCIERR_INVALID_DEVICE_NAME; // not open
        if (verb == "set")
            return Set(arguments);
        if (verb == "status")
            return Status(arguments, reply);
        if (verb == "play")
            return Play(arguments, notify ? notifyWindow : nullptr);
        if (verb == "stop")
            return Stop(arguments);
        return Close(arguments);
    }

private:
    MciError Open(Words arguments) {
        if (!arguments.empty())
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (Drive)
            return MCIERR_DEVICE_OPEN;
        Drive = Opener ? Opener() : OpenCdDrive();
        if (!Drive)
            return MCIERR_DEVICE_NOT_INSTALLED;
        TimeFormatTmsf = false;
        return 0;
    }

    MciError Set(Words arguments) {
        if (arguments.size() < 2 || arguments[0] != "time" || arguments[1] != "format")
            return arguments.empty() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
        if (arguments.size() != 3)
            return arguments.size() < 3 ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
        const std::string& format = arguments[2];
        if (format == "tmsf") {
            TimeFormatTmsf = true;
            return 0;
        }
        if (format == "msf" || format == "milliseconds" || format == "ms")
            return MCIERR_UNSUPPORTED_FUNCTION;
        return MCIERR_BAD_TIME_FORMAT;
    }

    MciError Status(Words arguments, std::string& reply) {
        if (arguments.size() != 3 || arguments[0] != "number" || arguments[1] != "of" ||
            arguments[2] != "tracks")
            return arguments.empty() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
        const std::optional<CdTableOfContents> toc = Drive->ReadTableOfContents();
        if (!toc)
            return MCIERR_DEVICE_NOT_READY;
        reply = std::to_string(toc->Tracks.size());
        return 0;
    }

    MciError Play(Words arguments, WindowHandle notifyWindow) {
        std::optional<std::string_view> from;
        std::optional<std::string_view> to;
        for (std::size_t i = 0; i < arguments.size(); i += 2) {
            if (arguments[i] != "from" && arguments[i] != "to")
                return MCIERR_UNRECOGNIZED_KEYWORD;
            if (i + 1 == arguments.size())
                return MCIERR_MISSING_PARAMETER;
            (arguments[i] == "from" ? from : to) = arguments[i + 1];
        }
        if (!from)
            return MCIERR_MISSING_PARAMETER;
        if (!TimeFormatTmsf)
            return MCIERR_UNSUPPORTED_FUNCTION;
        const std::optional<CdTableOfContents> toc = Drive->ReadTableOfContents();
        if (!toc)
            return MCIERR_DEVICE_NOT_READY;

        std::uint32_t start = 0;
        const CdTrackInfo* first = nullptr;
        if (const MciError error = Locate(*toc, *from, start, first))
            return error;
        if (!first->Audio)
            return MCIERR_HARDWARE;
        std::uint32_t end = EndOfAudioAfter(*toc, *first);
        const CdTrackInfo* last = nullptr;
        if (to)
            if (const MciError error = Locate(*toc, *to, end, last))
                return error;
        if (start >= end || end > toc->LeadOut)
            return MCIERR_OUTOFRANGE;

        EndWatch(MCI_NOTIFY_SUPERSEDED);
        if (!Drive->PlayAudio(start, end))
            return MCIERR_HARDWARE;
        if (notifyWindow) {
            PendingNotify = notifyWindow;
            Watcher = std::make_unique<PeriodicEvent>(WatchIntervalMs, [this] { return Watch(); });
        }
        return 0;
    }

    static MciError Locate(const CdTableOfContents& toc, std::string_view text, std::uint32_t& sector,
                           const CdTrackInfo*& track) {
        const std::optional<TmsfPosition> position = ParseTmsf(text);
        if (!position)
            return MCIERR_BAD_INTEGER;
        track = FindTrack(toc, position->Track);
        if (!track)
            return MCIERR_OUTOFRANGE;
        // A position past the disc's end is refused, not wrapped round to its start.
        const std::int64_t found = std::int64_t{track->Start} + position->Frames;
        if (found > std::int64_t{toc.LeadOut})
            return MCIERR_OUTOFRANGE;
        sector = static_cast<std::uint32_t>(found);
        return 0;
    }

    MciError Stop(Words arguments) {
        if (!arguments.empty())
            return MCIERR_UNRECOGNIZED_KEYWORD;
        EndWatch(MCI_NOTIFY_ABORTED);
        Drive->StopAudio();
        return 0;
    }

    MciError Close(Words arguments) {
        if (!arguments.empty())
            return MCIERR_UNRECOGNIZED_KEYWORD;
        EndWatch(MCI_NOTIFY_ABORTED);
        Drive.reset();
        return 0;
    }

    // Ends the watch of the last play; a window still waiting for its
    // notification gets `code`. Runs under the lock: the watcher never waits
    // for it, so stopping the watcher here cannot deadlock.
    void EndWatch(std::uintptr_t code) {
        Watcher.reset();
        NotifyPending(code);
    }

    void NotifyPending(std::uintptr_t code) {
        if (PendingNotify)
            PostMessage(PendingNotify, MM_MCINOTIFY, code, CdAudioDeviceId);
        PendingNotify = nullptr;
    }

    // On the watcher's thread; answers false once the watch is over. A command
    // that holds the lock is about to end the watch (or has just started a
    // new one): this look is skipped.
    bool Watch() {
        std::unique_lock lock(Mutex, std::try_to_lock);
        if (!lock)
            return true;
        if (!PendingNotify)
            return false;
        switch (Drive->AudioStatus()) {
        case CdAudioStatus::Completed:
        case CdAudioStatus::Idle: NotifyPending(MCI_NOTIFY_SUCCESSFUL); return false;
        case CdAudioStatus::Failed: NotifyPending(MCI_NOTIFY_FAILURE); return false;
        case CdAudioStatus::Playing:
        case CdAudioStatus::Paused: return true;
        }
        return true;
    }

    std::mutex Mutex; // commands against the watcher
    CdDriveOpener Opener;
    std::unique_ptr<CdDrive> Drive; // open while set
    bool TimeFormatTmsf = false;
    WindowHandle PendingNotify = nullptr;
    std::unique_ptr<PeriodicEvent> Watcher; // main thread only
};

CdAudioDevice& CdAudio() {
    static CdAudioDevice device;
    return device;
}

bool IsKnownVerb(const std::string& verb) {
    static constexpr std::string_view Verbs[] = {"open", "set", "status", "play", "stop", "close"};
    return std::find(std::begin(Verbs), std::end(Verbs), verb) != std::end(Verbs);
}

} // namespace

MciError MciSendString(std::string_view command, std::string* reply, WindowHandle notifyWindow) {
    std::vector<std::string> words = SplitLowerCase(command);
    if (words.empty())
        return MCIERR_MISSING_COMMAND_STRING;
    if (!IsKnownVerb(words[0]))
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (words.size() < 2)
        return MCIERR_MISSING_DEVICE_NAME;
    if (words[1] != "cdaudio")
        return MCIERR_INVALID_DEVICE_NAME;
    const auto notifyWord = std::find(words.begin() + 2, words.end(), "notify");
    const bool notify = notifyWord != words.end();
    if (notify)
        words.erase(notifyWord);

    std::string answer;
    const MciError error = CdAudio().Run(words[0], Words(words).subspan(2), answer, notifyWindow, notify);
    if (reply)
        *reply = error == 0 ? answer : std::string();
    // Every other command is done at once, and so is its notification.
    if (error == 0 && notify && notifyWindow && words[0] != "play")
        PostMessage(notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, CdAudioDeviceId);
    return error;
}

void SetCdDriveOpener(CdDriveOpener opener) {
    CdAudio().SetOpener(std::move(opener));
}

} // namespace platform
