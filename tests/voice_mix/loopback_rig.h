#pragma once
// A sound server standing in for a speaker and a microphone: the output `spk` (the default
// sink), a bus `micbus` whose monitor is the source `mic`, and a loopback from the
// speaker's monitor to the bus that takes `latencyMs`: the way sound goes from the
// speaker to the microphone. `mic` is the server's only source that is not a monitor.

#include "media_tools.h"
#include "second_server.h"

namespace voice_mix_test {

class LoopbackRig {
public:
    explicit LoopbackRig(int latencyMs)
    {
        if (!server_.started()) return;
        ready_ = media_tools::Run(QStringLiteral(
            "pactl load-module module-null-sink sink_name=spk >/dev/null && "
            "pactl load-module module-null-sink sink_name=micbus >/dev/null && "
            "pactl load-module module-remap-source source_name=mic master=micbus.monitor >/dev/null && "
            "pactl load-module module-loopback source=spk.monitor sink=micbus latency_msec=%1 "
            "source_dont_move=true sink_dont_move=true >/dev/null && "
            "pactl set-default-sink spk").arg(latencyMs));
        // A fresh null sink renders in long blocks until a client asks for a short
        // latency, so its monitor may deliver nothing for a second or two: wait until
        // the microphone delivers a tenth of a second at a take's latency.
        ready_ = ready_ && media_tools::Run(QStringLiteral(
            "timeout 10 parec --device=mic --latency-msec=20 --raw | head -c 17640 >/dev/null"));
    }
    [[nodiscard]] bool ready() const { return ready_; }
    [[nodiscard]] test_support::SecondServer& server() { return server_; }

private:
    test_support::SecondServer server_;
    bool ready_ = false;
};

}  // namespace voice_mix_test
