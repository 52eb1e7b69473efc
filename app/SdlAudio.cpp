#include "app/SdlAudio.h"

#include "app/Reporter.h"
#include "forms/DataFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

namespace app {

namespace {

constexpr int Frequency = 44100;
// Small buffers keep a hit within a frame of the click (1024 frames is 23 ms).
constexpr int BufferFrames = 1024;

class SdlWavePlayer final : public forms::WavePlayer {
public:
    SdlWavePlayer(SdlAudio& audio, int channel) : audio_(audio), channel_(channel) {}
    ~SdlWavePlayer() override {
        if (audio_.isOpen())
            Mix_HaltChannel(channel_);
        audio_.releaseChannel(channel_);
    }

    void play(const QString& path) override {
        // Without an audio device the mixer was never opened and must not be called.
        if (!audio_.isOpen())
            return;
        Mix_HaltChannel(channel_);
        current_ = path.isEmpty() ? nullptr : audio_.chunk(path);
        if (current_)
            Mix_PlayChannel(channel_, current_, 0);
    }

    void setPlayCount(int count) override {
        // Set right after play(): restarting at once is inaudible and gives the new count.
        if (!current_ || !audio_.isOpen())
            return;
        Mix_PlayChannel(channel_, current_, count <= 0 ? -1 : count - 1);
    }

    void preload(const QString& path) override { audio_.chunk(path); }

private:
    SdlAudio& audio_;
    int channel_;
    Mix_Chunk* current_ = nullptr;
};

} // namespace

void SdlAudio::ChunkDeleter::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

void SdlAudio::open() {
    if (open_)
        return;
    // SIGINT and SIGTERM must end the program as usual, not be swallowed by SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        warn(QStringLiteral("no sound: %1").arg(QString::fromUtf8(SDL_GetError())));
        return;
    }
    if (Mix_OpenAudio(Frequency, AUDIO_S16SYS, 2, BufferFrames) != 0) {
        warn(QStringLiteral("no sound: %1").arg(QString::fromUtf8(Mix_GetError())));
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    open_ = true;
    // Players made before the device opened get their channels now.
    Mix_AllocateChannels(static_cast<int>(channelsInUse_.size()));
}

SdlAudio::~SdlAudio() {
    if (!open_)
        return;
    Mix_HaltChannel(-1);
    chunks_.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int SdlAudio::takeChannel() {
    auto free = std::find(channelsInUse_.begin(), channelsInUse_.end(), false);
    const int channel = static_cast<int>(free - channelsInUse_.begin());
    if (free == channelsInUse_.end()) {
        channelsInUse_.push_back(true);
        if (open_)
            Mix_AllocateChannels(static_cast<int>(channelsInUse_.size()));
    } else {
        *free = true;
    }
    return channel;
}

void SdlAudio::releaseChannel(int channel) {
    if (channel >= 0 && channel < static_cast<int>(channelsInUse_.size()))
        channelsInUse_[static_cast<std::size_t>(channel)] = false;
}

std::unique_ptr<forms::WavePlayer> SdlAudio::create() {
    return std::make_unique<SdlWavePlayer>(*this, takeChannel());
}

Mix_Chunk* SdlAudio::chunk(const QString& path) {
    if (!open_)
        return nullptr;
    if (auto found = chunks_.constFind(path); found != chunks_.constEnd())
        return found->get();
    Mix_Chunk* loaded = nullptr;
    const forms::DataFile file = forms::readDataFile(path, forms::SoundFileLimit);
    if (!file.ok()) {
        warn(QStringLiteral("cannot play %1: %2").arg(path, forms::describe(file)));
    } else {
        SDL_RWops* memory =
            SDL_RWFromConstMem(file.bytes.constData(), static_cast<int>(file.bytes.size()));
        loaded = Mix_LoadWAV_RW(memory, 1);
        if (!loaded)
            warn(QStringLiteral("cannot play %1: %2").arg(path, QString::fromUtf8(Mix_GetError())));
    }
    // A file that cannot be read is remembered too, so it is reported once, not per play.
    chunks_.insert(path, std::shared_ptr<Mix_Chunk>(loaded, ChunkDeleter()));
    return loaded;
}

} // namespace app
