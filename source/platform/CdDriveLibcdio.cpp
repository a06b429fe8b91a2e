// Drives and disc images through libcdio. Audio plays through the drive's own
// audio play command (the drive decodes and outputs the sound); a drive or an
// image without one refuses the play.

#include "platform/CdDrive.h"

#include <cdio/cdio.h>
// after cdio.h, which declares what it needs
#include <cdio/audio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>

namespace platform {

namespace {

struct CdioCloser {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};

// libcdio reports every probe it makes (a missing /dev/cdrom among them) on
// standard error; our callers turn failures into error numbers instead.
void QuietCdioLog(cdio_log_level_t, const char[]) {}

msf_t ToMsf(std::uint32_t sector) {
    msf_t msf{};
    cdio_lsn_to_msf(static_cast<lsn_t>(sector), &msf);
    return msf;
}

class LibcdioDrive final : public CdDrive {
public:
    explicit LibcdioDrive(CdIo_t* cdio) : Cdio(cdio) {}

    std::optional<CdTableOfContents> ReadTableOfContents() override {
        const track_t first = cdio_get_first_track_num(Cdio.get());
        const track_t count = cdio_get_num_tracks(Cdio.get());
        const lsn_t leadOut = cdio_get_track_lsn(Cdio.get(), CDIO_CDROM_LEADOUT_TRACK);
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 ||
            leadOut == CDIO_INVALID_LSN)
            return std::nullopt;
        CdTableOfContents toc;
        toc.LeadOut = static_cast<std::uint32_t>(leadOut);
        for (int number = first; number < first + count; ++number) {
            const auto track = static_cast<track_t>(number);
            const lsn_t start = cdio_get_track_lsn(Cdio.get(), track);
            if (start == CDIO_INVALID_LSN)
                return std::nullopt;
            toc.Tracks.push_back({number, cdio_get_track_format(Cdio.get(), track) == TRACK_FORMAT_AUDIO,
                                  static_cast<std::uint32_t>(start)});
        }
        return toc;
    }

    bool PlayAudio(std::uint32_t from, std::uint32_t to) override {
        msf_t start = ToMsf(from);
        msf_t end = ToMsf(to);
        return cdio_audio_play_msf(Cdio.get(), &start, &end) == DRIVER_OP_SUCCESS;
    }

    void StopAudio() override { cdio_audio_stop(Cdio.get()); }

    CdAudioStatus AudioStatus() override {
        cdio_subchannel_t subchannel{};
        if (cdio_audio_read_subchannel(Cdio.get(), &subchannel) != DRIVER_OP_SUCCESS)
            return CdAudioStatus::Failed;
        switch (subchannel.audio_status) {
        case CDIO_MMC_READ_SUB_ST_PLAY: return CdAudioStatus::Playing;
        case CDIO_MMC_READ_SUB_ST_PAUSED: return CdAudioStatus::Paused;
        case CDIO_MMC_READ_SUB_ST_COMPLETED: return CdAudioStatus::Completed;
        case CDIO_MMC_READ_SUB_ST_ERROR: return CdAudioStatus::Failed;
        default: return CdAudioStatus::Idle; // drives report "completed" once, then no status
        }
    }

private:
    std::unique_ptr<CdIo_t, CdioCloser> Cdio;
};

} // namespace

std::unique_ptr<CdDrive> OpenCdDrive(const std::string& source) {
    cdio_log_set_handler(&QuietCdioLog);
    CdIo_t* cdio =
        source.empty() ? cdio_open(nullptr, DRIVER_DEVICE) : cdio_open(source.c_str(), DRIVER_UNKNOWN);
    if (!cdio)
        return nullptr;
    return std::make_unique<LibcdioDrive>(cdio);
}

} // namespace platform
