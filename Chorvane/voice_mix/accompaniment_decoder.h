#pragma once
// The accompaniment decoded as the player decodes it (uridecodebin, audioconvert,
// audioresample), to float stereo at 44100 Hz, handed out block by block, as fast as the
// machine goes. The decoder's delay at the start is the player's, so frame n here is the
// frame the player's position n stands for.

#include <QString>

#include <functional>

namespace voice_mix {

// `block` gets interleaved stereo floats and its frame count; false from it stops the
// decoding. `balance` is the player's balance (only -10000 and 10000 change what
// each side holds; see mediagraph::MixFor). Empty, or the user's text.
[[nodiscard]] QString DecodeAccompaniment(const QString& path, long balance,
                                          const std::function<bool(const float* frames, size_t count)>& block);

}  // namespace voice_mix
