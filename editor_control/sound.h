#pragma once
// The editor's sound model: 16-bit interleaved PCM kept in immutable, shared blocks,
// and a sound as a list of pieces (a block and a stretch of its frames). Editing makes
// a new piece list and copies no samples; each block carries a peak summary in levels,
// so that the minimum, maximum and energy of any stretch are found from a handful of
// summary cells instead of every sample.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace editor_control {

// Frames per cell of each summary level: 256, 4096 and 65536 frames.
inline constexpr int kSummaryLevels = 3;
inline constexpr int kLevelShift[kSummaryLevels] = {8, 12, 16};

// What a stretch of one channel holds: its extremes and its energy.
struct ChannelSummary {
    int16_t min = 0;
    int16_t max = 0;
    double sumSquares = 0;  // the sum of the squared samples
    int64_t count = 0;      // samples summed
    void Add(const ChannelSummary& other);
    [[nodiscard]] double Rms() const;
};

class Block {
public:
    // Takes the samples (interleaved, whole frames) and computes the summary.
    Block(int channels, std::vector<int16_t> samples);
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    [[nodiscard]] int Channels() const { return channels_; }
    [[nodiscard]] int64_t Frames() const { return frames_; }
    [[nodiscard]] const int16_t* Frame(int64_t frame) const { return samples_.data() + frame * channels_; }
    // Adds the summary of frames [begin, end) of the block to `out` (one per channel).
    void Summarize(int64_t begin, int64_t end, ChannelSummary* out) const;
    // Bytes held: samples and summary.
    [[nodiscard]] size_t Bytes() const;

private:
    struct Cell {
        int16_t min;
        int16_t max;
        float sumSquares;
    };
    void SummarizeLevel(int level, int64_t begin, int64_t end, ChannelSummary* out) const;
    void SummarizeSamples(int64_t begin, int64_t end, ChannelSummary* out) const;

    int channels_;
    int64_t frames_;
    std::vector<int16_t> samples_;
    std::vector<Cell> levels_[kSummaryLevels];  // cell i of channel c at [i * channels + c]
};
using BlockPtr = std::shared_ptr<const Block>;

struct Piece {
    BlockPtr block;
    int64_t offset = 0;  // first frame in the block
    int64_t length = 0;  // frames
};

// An immutable sound. Copies share the piece list; every edit returns a new sound.
class Sound {
public:
    Sound() = default;
    Sound(int rate, int channels, std::vector<Piece> pieces);

    [[nodiscard]] int Rate() const { return rate_; }
    [[nodiscard]] int Channels() const { return channels_; }
    [[nodiscard]] int64_t Frames() const { return frames_; }
    [[nodiscard]] bool Empty() const { return frames_ == 0; }
    [[nodiscard]] bool Valid() const { return rate_ > 0 && channels_ > 0; }
    [[nodiscard]] size_t PieceCount() const { return pieces_ ? pieces_->size() : 0; }
    [[nodiscard]] const Piece& PieceAt(size_t i) const { return (*pieces_)[i]; }
    // The first frame of piece i within the sound.
    [[nodiscard]] int64_t PieceStart(size_t i) const { return (*starts_)[i]; }
    // The piece holding `frame` (0 <= frame < Frames()).
    [[nodiscard]] size_t PieceIndexAt(int64_t frame) const;

    // Frames [begin, end) as a sound of their own (clamped to the sound).
    [[nodiscard]] Sound Slice(int64_t begin, int64_t end) const;
    // This sound without frames [begin, end).
    [[nodiscard]] Sound Remove(int64_t begin, int64_t end) const;
    // `clip` inserted before frame `at`. The clip must have this sound's rate and channels.
    [[nodiscard]] Sound Insert(int64_t at, const Sound& clip) const;
    // Frames [begin, end) replaced by `clip`.
    [[nodiscard]] Sound Replace(int64_t begin, int64_t end, const Sound& clip) const;

    // The summary of frames [begin, end), one entry per channel.
    void Summarize(int64_t begin, int64_t end, ChannelSummary* out) const;
    // Copies frames [begin, end) into `out` (interleaved); for tests, playback and saving.
    void CopyFrames(int64_t begin, int64_t end, int16_t* out) const;
    [[nodiscard]] std::vector<int16_t> Samples(int64_t begin, int64_t end) const;
    // Calls f(const int16_t* frames, int64_t count) for each stretch of [begin, end) as it lies in its block.
    template <typename F>
    void ForEachStretch(int64_t begin, int64_t end, F&& f) const;

    // Bytes held by the blocks that this sound refers to (each block once).
    [[nodiscard]] size_t BlockBytes() const;

private:
    int rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
    std::shared_ptr<const std::vector<Piece>> pieces_;
    std::shared_ptr<const std::vector<int64_t>> starts_;
};

// Builds a sound from PCM arriving in pieces: fills blocks of a fixed size, so that the
// samples are copied once, from the decoder's buffers into their blocks.
class SoundBuilder {
public:
    static constexpr int64_t kBlockFrames = int64_t{1} << 17;  // about 3 s at 44100 Hz
    SoundBuilder(int rate, int channels, int64_t blockFrames = kBlockFrames);
    // Appends whole frames (a partial last frame is kept for the next call).
    void Append(const int16_t* samples, size_t count);
    [[nodiscard]] int64_t Frames() const { return frames_ + int64_t(current_.size()) / channels_; }
    [[nodiscard]] Sound Finish();

private:
    void Seal();
    int rate_;
    int channels_;
    int64_t blockFrames_;
    int64_t frames_ = 0;
    std::vector<int16_t> current_;
    std::vector<Piece> pieces_;
};

template <typename F>
void Sound::ForEachStretch(int64_t begin, int64_t end, F&& f) const
{
    if (begin < 0) begin = 0;
    if (end > frames_) end = frames_;
    if (begin >= end) return;
    for (size_t i = PieceIndexAt(begin); i < pieces_->size() && PieceStart(i) < end; ++i) {
        const Piece& p = (*pieces_)[i];
        const int64_t s = std::max(begin, PieceStart(i));
        const int64_t e = std::min(end, PieceStart(i) + p.length);
        f(p.block->Frame(p.offset + (s - PieceStart(i))), e - s);
    }
}

}  // namespace editor_control
