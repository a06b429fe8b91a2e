#include "platform/AudioOutput.h"

#include <SDL.h>
#include <string>

namespace platform {

namespace {

class SdlAudioOutput final : public AudioOutput {
public:
    explicit SdlAudioOutput(AudioRenderer& renderer) : Renderer(renderer) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            throw AudioError(std::string("No audio: ") + SDL_GetError());
        SDL_AudioSpec wanted{};
        wanted.freq = AudioSampleRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = AudioChannels;
        wanted.samples = AudioBufferFrames;
        wanted.callback = &SdlAudioOutput::Callback;
        wanted.userdata = this;
        // No changes allowed: SDL converts to whatever the hardware takes, so
        // the mixer always renders the one format.
        Device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (Device == 0) {
            const std::string reason = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            throw AudioError("No audio device: " + reason);
        }
        SDL_PauseAudioDevice(Device, 0);
    }

    ~SdlAudioOutput() override {
        SDL_CloseAudioDevice(Device); // waits for a running callback
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

private:
    static void SDLCALL Callback(void* self, Uint8* stream, int bytes) {
        constexpr int frameBytes = AudioChannels * static_cast<int>(sizeof(std::int16_t));
        static_cast<SdlAudioOutput*>(self)->Renderer.Render(reinterpret_cast<std::int16_t*>(stream),
                                                            static_cast<std::size_t>(bytes / frameBytes));
    }

    AudioRenderer& Renderer;
    SDL_AudioDeviceID Device = 0;
};

} // namespace

std::unique_ptr<AudioOutput> OpenAudioOutput(AudioRenderer& renderer) {
    return std::make_unique<SdlAudioOutput>(renderer);
}

} // namespace platform
