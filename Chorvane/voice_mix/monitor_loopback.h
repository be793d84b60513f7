#pragma once
// "Hear my voice while singing": the microphone routed to the output by the sound server
// (module-loopback, 20 ms, neither end moved), loaded for one take and unloaded after it.
// Each loopback carries a mark in its stream properties naming the process that loaded it,
// so one left behind by a program that did not end cleanly is found and unloaded at the
// next start, and one that a running copy of the program uses is not.

#include "pulse_session.h"

#include <QString>

#include <cstdint>
#include <string>

namespace voice_mix {

class MonitorLoopback {
public:
    MonitorLoopback() = default;
    // Unloads the loopback if it is still loaded.
    ~MonitorLoopback();
    MonitorLoopback(const MonitorLoopback&) = delete;
    MonitorLoopback& operator=(const MonitorLoopback&) = delete;

    // Routes `source` to `sink` (empty: the default sink). Empty, or the user's text.
    [[nodiscard]] QString Load(const std::string& source, const std::string& sink = {});
    void Unload();
    [[nodiscard]] bool loaded() const { return index_ != kNone; }

    // Unloads every marked loopback whose program is gone; how many there were.
    static int UnloadLeftovers();

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    PulseSession session_;
    uint32_t index_ = kNone;
};

}  // namespace voice_mix
