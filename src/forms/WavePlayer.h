#pragma once

#include <QString>

#include <memory>

namespace forms {

// An invisible wave-file player. Giving it a file starts that file at once from its
// beginning and cuts off whatever this player was playing; an empty name stops it.
// Nothing ever waits for a sound, and a file that cannot be played plays nothing.
class WavePlayer {
public:
    virtual ~WavePlayer() = default;
    virtual void play(const QString& path) = 0;
    // 0 repeats the current file until the player is given another name; n > 0 plays n times.
    virtual void setPlayCount(int count) = 0;
    // Decodes a file ahead of its first use, so that playing it later starts within a frame.
    virtual void preload(const QString& path) = 0;
};

class WavePlayerFactory {
public:
    virtual ~WavePlayerFactory() = default;
    virtual std::unique_ptr<WavePlayer> create() = 0;
};

} // namespace forms
