#pragma once
// The take's file made from its two tracks: the accompaniment decoded as it was heard,
// plus the voice placed where the timing says, encoded through the MP3 writer into a
// temporary file that replaces the output only when it is whole.

#include "mix_stream.h"
#include "voice_timing.h"
#include "voice_track.h"

#include <QString>

#include <atomic>
#include <functional>

namespace voice_mix {

struct MixSettings {
    QString accompaniment;
    long balance = 0;          // the take's channel choice (the player's balance)
    VoiceTiming timing;
    double residualMs = 0;     // what the calibration found beyond the server's figures
    double nudgeMs = 0;        // later (+) or earlier (-) than the timing puts the voice
    float musicGain = 1.0f;
    float voiceGain = 1.0f;
    int bitRate = 128;
};

// Mixes `voice` with the accompaniment into `output` (MP3). The file lasts as long as the
// voice, so a take stopped early is not filled with music nobody sang to; an accompaniment
// that cannot be decoded leaves the voice alone in the file, and the text says why.
// `progress` gets 0 .. 1; `cancel` stops the render and leaves `output` as it was.
// `stream`, when given, gets every block as it is encoded and is finished at the end,
// whatever the end is. Empty, or the user's text.
[[nodiscard]] QString RenderMix(const VoiceTrack& voice, const MixSettings& settings, const QString& output,
                                const std::function<void(double)>& progress = {},
                                const std::atomic<bool>* cancel = nullptr, MixStream* stream = nullptr);

}  // namespace voice_mix
