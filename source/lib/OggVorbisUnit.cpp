#include "lib/OggVorbisUnit.h"

#include "platform/SharedLibrary.h"

#include <memory>

namespace {

struct TOggVorbisBinding {
    // Each loaded library; declared before the entry points into them.
    std::array<std::unique_ptr<platform::SharedLibrary>, 3> Libraries;
    TOggVorbisEntryPoints EntryPoints;
};

// Lives until program end, when every library goes and the entry points with them.
TOggVorbisBinding& Binding() {
    static TOggVorbisBinding binding;
    return binding;
}

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder + '/';
}

// The library from the folder, else from the search path; null when neither has it.
std::unique_ptr<platform::SharedLibrary> LoadLibrary(const std::string& folder, const std::string& name) {
    for (const std::string& path : {folder + name, name}) {
        auto library = std::make_unique<platform::SharedLibrary>(path);
        if (library->IsOpen())
            return library;
    }
    return nullptr;
}

TOggVorbisEntryPoints BindVorbisFile(const platform::SharedLibrary& library) {
    TOggVorbisEntryPoints e;
    platform::EntryPointBinder b(library);
    b.Bind(e.ov_open_callbacks, "ov_open_callbacks");
    b.Bind(e.ov_clear, "ov_clear");
    b.Bind(e.ov_info, "ov_info");
    b.Bind(e.ov_pcm_total, "ov_pcm_total");
    b.Bind(e.ov_pcm_tell, "ov_pcm_tell");
    b.Bind(e.ov_pcm_seek, "ov_pcm_seek");
    b.Bind(e.ov_read, "ov_read");
    return e;
}

} // namespace

bool TOggVorbisEntryPoints::Complete() const {
    return ov_open_callbacks && ov_clear && ov_info && ov_pcm_total && ov_pcm_tell && ov_pcm_seek && ov_read;
}

bool LoadOggVorbisLibraries(const std::string& folder, const TOggVorbisLibraryNames& names) {
    const std::string from = WithTrailingSlash(folder);
    // The new set is loaded before the old one goes, so a library loaded
    // twice stays mapped throughout.
    TOggVorbisBinding loaded;
    loaded.Libraries = {LoadLibrary(from, names.Ogg), LoadLibrary(from, names.Vorbis),
                        LoadLibrary(from, names.VorbisFile)};
    if (loaded.Libraries[2])
        loaded.EntryPoints = BindVorbisFile(*loaded.Libraries[2]);
    Binding() = std::move(loaded);
    for (const auto& library : Binding().Libraries)
        if (!library)
            return false;
    return true;
}

const TOggVorbisEntryPoints& OggVorbis() {
    return Binding().EntryPoints;
}
