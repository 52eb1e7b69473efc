#pragma once

#include "forms/WavePlayer.h"

#include <QHash>
#include <QString>

#include <memory>

struct Mix_Chunk;

namespace app {

// The program's sound output on SDL2_mixer. Each player owns one mixer channel, so a new
// file on a player halts only what that player was playing. Decoded files are kept by path
// for the whole run. Without an audio device the game plays silently.
class SdlAudio final : public forms::WavePlayerFactory {
public:
    SdlAudio() = default;
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // Opens the audio device; without one the game plays silently (said once on stderr).
    // Players may be made before: they stay silent until the device is open.
    void open();
    std::unique_ptr<forms::WavePlayer> create() override;

    bool isOpen() const { return open_; }
    // The decoded file, or null when it cannot be read (said once on stderr).
    Mix_Chunk* chunk(const QString& path);
    void releaseChannel(int channel);

private:
    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const;
    };
    int takeChannel();

    bool open_ = false;
    QHash<QString, std::shared_ptr<Mix_Chunk>> chunks_;
    std::vector<bool> channelsInUse_;
};

} // namespace app
