#pragma once
// Plays a MixStream through the desktop's audio output while the render still fills it:
// an appsrc whose feeding thread waits for the next block, then audioconvert,
// audioresample and the desktop's audio sink.

#include "mix_stream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace voice_mix {

class MixStreamPlayer {
public:
    MixStreamPlayer();
    ~MixStreamPlayer();
    MixStreamPlayer(const MixStreamPlayer&) = delete;
    MixStreamPlayer& operator=(const MixStreamPlayer&) = delete;

    // Plays `stream` from `frame` on; what was playing stops first. False with GStreamer's
    // reason in `why` when no playback could start.
    [[nodiscard]] bool Start(std::shared_ptr<const MixStream> stream, int64_t frame, std::string* why);
    void Stop();
    [[nodiscard]] bool playing() const { return state_ != nullptr; }
    // The frame being heard now (the first one asked for, before it is heard).
    [[nodiscard]] int64_t PositionFrame() const;

    enum class Status { Idle, Playing, Ended, Failed };
    // Ended once the whole finished stream was heard; Failed with the reason in `why`.
    // Both stop the player.
    [[nodiscard]] Status Poll(std::string* why);

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace voice_mix
