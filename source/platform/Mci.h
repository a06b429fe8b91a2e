#pragma once
// Multimedia command strings: our own interpreter of the commands the music
// player sends to the audio-CD device ("open cdaudio", "set cdaudio time
// format tmsf", "status cdaudio number of tracks", "play cdaudio from 3 to 4
// notify", "stop cdaudio", "close cdaudio"). Failures are answered with MCI
// error numbers. A play sent with "notify" posts MM_MCINOTIFY to the given
// window when it ends (MCI_NOTIFY_SUCCESSFUL), or when a later command cuts
// it short (MCI_NOTIFY_SUPERSEDED by a new play, MCI_NOTIFY_ABORTED by stop
// or close).
//
// Commands come from the main thread; a play with a notification pending is
// watched from a thread of the device's own.

#include "platform/CdDrive.h"
#include "platform/WindowSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

using MciError = std::uint32_t;

// wParam of MM_MCINOTIFY
inline constexpr std::uintptr_t MCI_NOTIFY_SUCCESSFUL = 1;
inline constexpr std::uintptr_t MCI_NOTIFY_SUPERSEDED = 2;
inline constexpr std::uintptr_t MCI_NOTIFY_ABORTED = 4;
inline constexpr std::uintptr_t MCI_NOTIFY_FAILURE = 8;

// lParam of MM_MCINOTIFY: the audio-CD device's identifier.
inline constexpr std::intptr_t CdAudioDeviceId = 1;

// Error numbers
inline constexpr MciError MCIERR_UNRECOGNIZED_KEYWORD = 259;
inline constexpr MciError MCIERR_UNRECOGNIZED_COMMAND = 261;
inline constexpr MciError MCIERR_HARDWARE = 262; // the drive refused (a data track, no audio play command)
inline constexpr MciError MCIERR_INVALID_DEVICE_NAME = 263; // unknown device, or not open
inline constexpr MciError MCIERR_DEVICE_OPEN = 265;
inline constexpr MciError MCIERR_MISSING_COMMAND_STRING = 267;
inline constexpr MciError MCIERR_BAD_INTEGER = 270;
inline constexpr MciError MCIERR_MISSING_PARAMETER = 273;
inline constexpr MciError MCIERR_UNSUPPORTED_FUNCTION = 274;
inline constexpr MciError MCIERR_DEVICE_NOT_READY = 276; // no disc
inline constexpr MciError MCIERR_OUTOFRANGE = 282;
inline constexpr MciError MCIERR_MISSING_DEVICE_NAME = 292;
inline constexpr MciError MCIERR_BAD_TIME_FORMAT = 293;
inline constexpr MciError MCIERR_DEVICE_NOT_INSTALLED = 306; // no drive

// Runs one command; 0 on success. `reply` (may be null) receives the answer
// of a status command.
MciError MciSendString(std::string_view command, std::string* reply, WindowHandle notifyWindow);

// Where "open cdaudio" finds its drive: OpenCdDrive() unless replaced (tests
// hand in a drive of their own). An empty function restores the default.
using CdDriveOpener = std::function<std::unique_ptr<CdDrive>()>;
void SetCdDriveOpener(CdDriveOpener opener);

} // namespace platform
