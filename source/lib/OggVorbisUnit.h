#pragma once
// The run-time binding of the Ogg Vorbis libraries. They are not linked: the
// music player loads them once (from a folder of the program's choice first,
// then from the system's library path) and the Ogg sound stream calls the
// decoder through the entry points found by name.
//
// This header carries the libraries' own declarations for the entry points'
// types; only the binding and the Ogg stream's .cpp include it.

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <array>
#include <string>

// The file names looked for, in loading order: the container library, the
// codec, the file decoder (which needs the other two).
struct TOggVorbisLibraryNames {
    std::string Ogg = "libogg.so.0";
    std::string Vorbis = "libvorbis.so.0";
    std::string VorbisFile = "libvorbisfile.so.3";
};

// The decoder's entry points that the program calls; null when not found.
struct TOggVorbisEntryPoints {
    decltype(&::ov_open_callbacks) ov_open_callbacks = nullptr;
    decltype(&::ov_clear) ov_clear = nullptr;
    decltype(&::ov_info) ov_info = nullptr;
    decltype(&::ov_pcm_total) ov_pcm_total = nullptr;
    decltype(&::ov_pcm_tell) ov_pcm_tell = nullptr;
    decltype(&::ov_pcm_seek) ov_pcm_seek = nullptr;
    decltype(&::ov_read) ov_read = nullptr;

    // Every entry point has a target: only then may the decoder be called.
    bool Complete() const;
};

// Loads the three libraries from `folder` (one trailing '/' dropped, one
// appended), each falling back to the system's search path, each tried even
// when an earlier one failed, and binds the decoder's entry points. True only
// when all three loaded. A new load replaces the previous one; the libraries
// are released at program end. Main thread only, while no stream decodes.
bool LoadOggVorbisLibraries(const std::string& folder, const TOggVorbisLibraryNames& names = {});

// The entry points of the last load (all null before any).
const TOggVorbisEntryPoints& OggVorbis();
