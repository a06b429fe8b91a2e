#include "platform/Mci.h"
#include "FakeCdDrive.h"
#include "MessagePump.h"
#include "lib/Z5WindowProcedureUnit.h"
#include "platform/WindowMessages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

MciError Send(const std::string& command, std::string* reply = nullptr, WindowHandle notify = nullptr) {
    return MciSendString(command, reply, notify);
}

} // namespace

TEST(Mci, PlaysPositionsInTrackTimeAndAnswersErrorNumbers) {
    FakeDisc disc;
    FakeDriveInstalled installed(&disc);
    EXPECT_EQ(Send("set cdaudio time format tmsf"), MCIERR_INVALID_DEVICE_NAME) << "not open yet";
    ASSERT_EQ(Send("open cdaudio"), 0u);
    EXPECT_EQ(Send("open cdaudio"), MCIERR_DEVICE_OPEN);
    EXPECT_EQ(Send("play cdaudio from 3"), MCIERR_UNSUPPORTED_FUNCTION) << "positions need the tmsf format";
    ASSERT_EQ(Send("SET CDAUDIO TIME FORMAT TMSF"), 0u);
    std::string reply;
    ASSERT_EQ(Send("status cdaudio number of tracks", &reply), 0u);
    EXPECT_EQ(reply, "5");

    EXPECT_EQ(Send("play cdaudio from 3 to 4"), 0u);
    EXPECT_EQ(Send("play cdaudio from 2:00:30:00 to 3"), 0u);
    EXPECT_EQ(Send("stop cdaudio"), 0u);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{
        {disc.StartOf(3), disc.StartOf(4)}, {disc.StartOf(2) + 30 * CdFramesPerSecond, disc.StartOf(3)}};
    EXPECT_EQ(disc.Plays, expected);
    EXPECT_EQ(disc.Stops, 1);

    EXPECT_EQ(Send("play cdaudio from 6"), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("play cdaudio from 4 to 3"), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("play cdaudio from 1:954437:0:796"), MCIERR_OUTOFRANGE) << "2^32 frames do not wrap to 0";
    EXPECT_EQ(Send("play cdaudio from 1 to 1:99999999"), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("play cdaudio from x"), MCIERR_BAD_INTEGER);
    EXPECT_EQ(Send("play cdaudio to 3"), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(Send("play cdaudio from 1 loudly"), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(disc.Plays.size(), 2u) << "refused plays reach no drive";
    EXPECT_EQ(Send("eject cdaudio"), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(Send("play waveaudio"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("close cdaudio"), 0u);
    EXPECT_EQ(Send("close cdaudio"), MCIERR_INVALID_DEVICE_NAME);
}

TEST(Mci, NoDriveNoDiscAndDataTracksAreErrorNumbers) {
    {
        FakeDriveInstalled noDrive(nullptr);
        EXPECT_EQ(Send("open cdaudio"), MCIERR_DEVICE_NOT_INSTALLED);
        std::string reply = "stale";
        EXPECT_EQ(Send("status cdaudio number of tracks", &reply), MCIERR_INVALID_DEVICE_NAME);
        EXPECT_EQ(reply, "");
    }
    FakeDisc disc;
    FakeDriveInstalled installed(&disc);
    ASSERT_EQ(Send("open cdaudio"), 0u);
    ASSERT_EQ(Send("set cdaudio time format tmsf"), 0u);
    disc.Toc->Tracks[0].Audio = false;
    EXPECT_EQ(Send("play cdaudio from 1"), MCIERR_HARDWARE);
    disc.Toc->Tracks[4].Audio = false;
    EXPECT_EQ(Send("play cdaudio from 4"), 0u);
    EXPECT_EQ(disc.Plays.back(), std::make_pair(disc.StartOf(4), disc.StartOf(5)))
        << "play stops before data";
    disc.Toc.reset();
    EXPECT_EQ(Send("status cdaudio number of tracks"), MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(Send("play cdaudio from 1"), MCIERR_DEVICE_NOT_READY);
}

TEST(Mci, TheEndOfAPlayIsPostedToTheNotifyWindow) {
    std::vector<std::uintptr_t> codes;
    const TZ5WindowProcedure target([&codes](TMessageRecord& message) {
        EXPECT_EQ(message.Msg, MM_MCINOTIFY);
        EXPECT_EQ(message.LParam, CdAudioDeviceId);
        codes.push_back(message.WParam);
    });
    FakeDisc disc;
    FakeDriveInstalled installed(&disc);
    ASSERT_EQ(Send("open cdaudio"), 0u);
    ASSERT_EQ(Send("set cdaudio time format tmsf notify", nullptr, target.Handle()), 0u);
    ASSERT_EQ(Send("play cdaudio from 1 to 2 notify", nullptr, target.Handle()), 0u);
    ASSERT_EQ(Send("play cdaudio from 2 to 3 notify", nullptr, target.Handle()), 0u);
    ASSERT_EQ(Send("stop cdaudio"), 0u);
    ASSERT_EQ(Send("play cdaudio from 3 to 4 notify", nullptr, target.Handle()), 0u);
    DispatchUntil([] { return false; }, std::chrono::seconds(0));
    EXPECT_EQ(codes,
              (std::vector<std::uintptr_t>{MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED}))
        << "set is done at once; a play cut short by another play or by stop";

    disc.Status = CdAudioStatus::Completed;
    EXPECT_TRUE(DispatchUntil([&codes] { return codes.size() == 4; }, std::chrono::seconds(20)));
    EXPECT_EQ(codes.back(), MCI_NOTIFY_SUCCESSFUL) << "the track played to its end";
}

TEST(Mci, ReadsTheTableOfContentsOfADiscImage) {
    const auto folder = std::filesystem::temp_directory_path() / "vaporel-mci-image";
    std::filesystem::create_directories(folder);
    constexpr int SectorBytes = 2352;
    constexpr int TrackSectors = 2 * CdFramesPerSecond;
    std::ofstream(folder / "disc.bin", std::ios::binary) << std::string(5 * TrackSectors * SectorBytes, '\0');
    std::ofstream cue(folder / "disc.cue");
    cue << "FILE \"disc.bin\" BINARY\n";
    for (int track = 1; track <= 5; ++track)
        cue << "  TRACK 0" << track << (track == 5 ? " MODE1/2352" : " AUDIO") << "\n    INDEX 01 00:0"
            << 2 * (track - 1) << ":00\n";
    cue.close();

    const std::unique_ptr<CdDrive> drive = OpenCdDrive((folder / "disc.cue").string());
    ASSERT_NE(drive, nullptr);
    const std::optional<CdTableOfContents> toc = drive->ReadTableOfContents();
    ASSERT_TRUE(toc);
    ASSERT_EQ(toc->Tracks.size(), 5u);
    EXPECT_EQ(toc->Tracks[2].Number, 3);
    EXPECT_EQ(toc->Tracks[2].Start, 2u * TrackSectors);
    EXPECT_TRUE(toc->Tracks[3].Audio);
    EXPECT_FALSE(toc->Tracks[4].Audio);
    EXPECT_EQ(toc->LeadOut, 5u * TrackSectors);
    EXPECT_EQ(OpenCdDrive((folder / "missing.cue").string()), nullptr);
    std::filesystem::remove_all(folder);
}
