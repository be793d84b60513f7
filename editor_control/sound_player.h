#pragma once
// Plays a stretch of a sound through GStreamer: an appsrc fed straight from the sound's
// blocks (no copy: each buffer wraps block memory and keeps its block alive), then
// audioconvert, audioresample and the desktop's audio sink.

#include "sound.h"

#include <cstdint>
#include <memory>
#include <string>

namespace editor_control {

class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Plays frames [begin, end) of `sound`; a stretch already playing stops first.
    // False with the user's message in `error` when no playback could start.
    [[nodiscard]] bool Start(const Sound& sound, int64_t begin, int64_t end, std::string* error);
    void Stop();
    [[nodiscard]] bool Playing() const { return state_ != nullptr; }
    // The frame of the sound being heard now (the stretch's first frame before it starts).
    [[nodiscard]] int64_t PositionFrame() const;

    enum class Status { Idle, Playing, Ended, Failed };
    // Reads the pipeline's messages: Ended once the whole stretch was heard, Failed on
    // an error (the message in `error`). Ended and Failed stop the player.
    [[nodiscard]] Status Poll(std::string* error);

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace editor_control
