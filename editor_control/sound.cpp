#include "sound.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <unordered_set>

namespace editor_control {

void ChannelSummary::Add(const ChannelSummary& other)
{
    if (other.count == 0) return;
    if (count == 0) {
        *this = other;
        return;
    }
    min = std::min(min, other.min);
    max = std::max(max, other.max);
    sumSquares += other.sumSquares;
    count += other.count;
}

double ChannelSummary::Rms() const
{
    return count > 0 ? std::sqrt(sumSquares / double(count)) : 0.0;
}

// ---- Block ---------------------------------------------------------------------------

Block::Block(int channels, std::vector<int16_t> samples)
    : channels_(channels), frames_(int64_t(samples.size()) / channels), samples_(std::move(samples))
{
    if (channels_ <= 0) throw std::invalid_argument("a block needs at least one channel");
    samples_.resize(size_t(frames_) * channels_);
    samples_.shrink_to_fit();
    // Level 0 from the samples, all channels in one pass.
    const int64_t size0 = int64_t{1} << kLevelShift[0];
    const int64_t cells0 = (frames_ + size0 - 1) / size0;
    levels_[0].resize(size_t(cells0 * channels_));
    std::vector<int16_t> lo(static_cast<size_t>(channels_)), hi(static_cast<size_t>(channels_));
    std::vector<int64_t> sum(static_cast<size_t>(channels_));
    for (int64_t i = 0; i < cells0; ++i) {
        const int64_t b = i * size0, e = std::min(frames_, b + size0);
        std::fill(lo.begin(), lo.end(), int16_t(32767));
        std::fill(hi.begin(), hi.end(), int16_t(-32768));
        std::fill(sum.begin(), sum.end(), 0);
        const int16_t* p = samples_.data() + b * channels_;
        if (channels_ == 2) {
            int16_t lo0 = 32767, hi0 = -32768, lo1 = 32767, hi1 = -32768;
            int64_t sum0 = 0, sum1 = 0;
            for (int64_t f = b; f < e; ++f, p += 2) {
                const int32_t l = p[0], r = p[1];
                lo0 = std::min<int16_t>(lo0, int16_t(l));
                hi0 = std::max<int16_t>(hi0, int16_t(l));
                lo1 = std::min<int16_t>(lo1, int16_t(r));
                hi1 = std::max<int16_t>(hi1, int16_t(r));
                sum0 += l * l;
                sum1 += r * r;
            }
            lo = {lo0, lo1};
            hi = {hi0, hi1};
            sum = {sum0, sum1};
        } else {
            for (int64_t f = b; f < e; ++f)
                for (int c = 0; c < channels_; ++c, ++p) {
                    const int32_t v = *p;
                    lo[size_t(c)] = std::min<int16_t>(lo[size_t(c)], int16_t(v));
                    hi[size_t(c)] = std::max<int16_t>(hi[size_t(c)], int16_t(v));
                    sum[size_t(c)] += v * v;
                }
        }
        for (int c = 0; c < channels_; ++c)
            levels_[0][size_t(i * channels_ + c)] = {lo[size_t(c)], hi[size_t(c)], float(sum[size_t(c)])};
    }
    // Each further level from the one below it.
    for (int level = 1; level < kSummaryLevels; ++level) {
        const int64_t size = int64_t{1} << kLevelShift[level];
        const int64_t ratio = int64_t{1} << (kLevelShift[level] - kLevelShift[level - 1]);
        const int64_t cells = (frames_ + size - 1) / size;
        const int64_t below = int64_t(levels_[level - 1].size()) / channels_;
        levels_[level].resize(size_t(cells * channels_));
        for (int64_t i = 0; i < cells; ++i) {
            for (int c = 0; c < channels_; ++c) {
                Cell out{32767, -32768, 0.f};
                double sum = 0;
                for (int64_t j = i * ratio; j < std::min(below, (i + 1) * ratio); ++j) {
                    const Cell& in = levels_[level - 1][size_t(j * channels_ + c)];
                    out.min = std::min(out.min, in.min);
                    out.max = std::max(out.max, in.max);
                    sum += in.sumSquares;
                }
                out.sumSquares = float(sum);
                levels_[level][size_t(i * channels_ + c)] = out;
            }
        }
    }
}

size_t Block::Bytes() const
{
    size_t bytes = samples_.capacity() * sizeof(int16_t);
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(Cell);
    return bytes;
}

void Block::Summarize(int64_t begin, int64_t end, ChannelSummary* out) const
{
    begin = std::max<int64_t>(begin, 0);
    end = std::min(end, frames_);
    if (begin >= end) return;
    SummarizeLevel(kSummaryLevels - 1, begin, end, out);
}

void Block::SummarizeLevel(int level, int64_t begin, int64_t end, ChannelSummary* out) const
{
    if (begin >= end) return;
    if (level < 0) {
        SummarizeSamples(begin, end, out);
        return;
    }
    const int shift = kLevelShift[level];
    const int64_t size = int64_t{1} << shift;
    const int64_t first = (begin + size - 1) >> shift;  // the first cell starting inside
    int64_t last = first;                                // one past the last cell ending inside
    while ((last << shift) < end && std::min(frames_, (last + 1) << shift) <= end) ++last;
    if (last == first) {
        SummarizeLevel(level - 1, begin, end, out);
        return;
    }
    SummarizeLevel(level - 1, begin, first << shift, out);
    for (int64_t i = first; i < last; ++i) {
        const int64_t count = std::min(frames_, (i + 1) << shift) - (i << shift);
        for (int c = 0; c < channels_; ++c) {
            const Cell& cell = levels_[level][size_t(i * channels_ + c)];
            out[c].Add({cell.min, cell.max, double(cell.sumSquares), count});
        }
    }
    SummarizeLevel(level - 1, std::min(frames_, last << shift), end, out);
}

void Block::SummarizeSamples(int64_t begin, int64_t end, ChannelSummary* out) const
{
    for (int c = 0; c < channels_; ++c) {
        int16_t lo = 32767, hi = -32768;
        double sum = 0;
        const int16_t* p = samples_.data() + begin * channels_ + c;
        for (int64_t f = begin; f < end; ++f, p += channels_) {
            lo = std::min(lo, *p);
            hi = std::max(hi, *p);
            sum += double(*p) * *p;
        }
        out[c].Add({lo, hi, sum, end - begin});
    }
}

// ---- Sound ---------------------------------------------------------------------------

Sound::Sound(int rate, int channels, std::vector<Piece> pieces) : rate_(rate), channels_(channels)
{
    std::vector<Piece> kept;
    kept.reserve(pieces.size());
    for (Piece& p : pieces)
        if (p.length > 0) kept.push_back(std::move(p));
    auto starts = std::make_shared<std::vector<int64_t>>();
    starts->reserve(kept.size());
    for (const Piece& p : kept) {
        starts->push_back(frames_);
        frames_ += p.length;
    }
    pieces_ = std::make_shared<const std::vector<Piece>>(std::move(kept));
    starts_ = std::move(starts);
}

size_t Sound::PieceIndexAt(int64_t frame) const
{
    const auto& s = *starts_;
    auto it = std::upper_bound(s.begin(), s.end(), frame);
    return it == s.begin() ? 0 : size_t(it - s.begin()) - 1;
}

namespace {

// Appends the pieces of `sound` covering [begin, end) to `out`.
void AppendRange(const Sound& sound, int64_t begin, int64_t end, std::vector<Piece>* out)
{
    begin = std::max<int64_t>(begin, 0);
    end = std::min(end, sound.Frames());
    if (begin >= end) return;
    for (size_t i = sound.PieceIndexAt(begin); i < sound.PieceCount() && sound.PieceStart(i) < end; ++i) {
        const Piece& p = sound.PieceAt(i);
        const int64_t start = sound.PieceStart(i);
        const int64_t s = std::max(begin, start), e = std::min(end, start + p.length);
        out->push_back({p.block, p.offset + (s - start), e - s});
    }
}

}  // namespace

Sound Sound::Slice(int64_t begin, int64_t end) const
{
    std::vector<Piece> pieces;
    if (pieces_) AppendRange(*this, begin, end, &pieces);
    return Sound(rate_, channels_, std::move(pieces));
}

Sound Sound::Remove(int64_t begin, int64_t end) const
{
    return Replace(begin, end, Sound(rate_, channels_, {}));
}

Sound Sound::Insert(int64_t at, const Sound& clip) const
{
    return Replace(at, at, clip);
}

Sound Sound::Replace(int64_t begin, int64_t end, const Sound& clip) const
{
    if (!clip.Empty() && (clip.Rate() != rate_ || clip.Channels() != channels_))
        throw std::invalid_argument("the clip's rate or channels differ from the sound's");
    begin = std::clamp<int64_t>(begin, 0, frames_);
    end = std::clamp<int64_t>(end, begin, frames_);
    std::vector<Piece> pieces;
    pieces.reserve(PieceCount() + clip.PieceCount() + 2);
    if (pieces_) AppendRange(*this, 0, begin, &pieces);
    if (!clip.Empty()) AppendRange(clip, 0, clip.Frames(), &pieces);
    if (pieces_) AppendRange(*this, end, frames_, &pieces);
    return Sound(rate_, channels_, std::move(pieces));
}

void Sound::Summarize(int64_t begin, int64_t end, ChannelSummary* out) const
{
    begin = std::max<int64_t>(begin, 0);
    end = std::min(end, frames_);
    if (begin >= end) return;
    for (size_t i = PieceIndexAt(begin); i < pieces_->size() && PieceStart(i) < end; ++i) {
        const Piece& p = (*pieces_)[i];
        const int64_t start = PieceStart(i);
        const int64_t s = std::max(begin, start), e = std::min(end, start + p.length);
        p.block->Summarize(p.offset + (s - start), p.offset + (e - start), out);
    }
}

void Sound::CopyFrames(int64_t begin, int64_t end, int16_t* out) const
{
    ForEachStretch(begin, end, [&](const int16_t* frames, int64_t count) {
        std::memcpy(out, frames, size_t(count) * channels_ * sizeof(int16_t));
        out += count * channels_;
    });
}

std::vector<int16_t> Sound::Samples(int64_t begin, int64_t end) const
{
    begin = std::max<int64_t>(begin, 0);
    end = std::min(end, frames_);
    std::vector<int16_t> out(size_t(std::max<int64_t>(0, end - begin)) * channels_);
    CopyFrames(begin, end, out.data());
    return out;
}

size_t Sound::BlockBytes() const
{
    if (!pieces_) return 0;
    std::unordered_set<const Block*> seen;
    size_t bytes = 0;
    for (const Piece& p : *pieces_)
        if (seen.insert(p.block.get()).second) bytes += p.block->Bytes();
    return bytes;
}

// ---- SoundBuilder ----------------------------------------------------------------------

SoundBuilder::SoundBuilder(int rate, int channels, int64_t blockFrames)
    : rate_(rate), channels_(channels), blockFrames_(blockFrames)
{
    current_.reserve(size_t(blockFrames_ * channels_));
}

void SoundBuilder::Append(const int16_t* samples, size_t count)
{
    const size_t blockSamples = size_t(blockFrames_ * channels_);
    while (count > 0) {
        const size_t n = std::min(count, blockSamples - current_.size());
        current_.insert(current_.end(), samples, samples + n);
        samples += n;
        count -= n;
        if (current_.size() == blockSamples) Seal();
    }
}

void SoundBuilder::Seal()
{
    const int64_t frames = int64_t(current_.size()) / channels_;
    if (frames == 0) return;
    auto block = std::make_shared<const Block>(channels_, std::move(current_));
    pieces_.push_back({block, 0, block->Frames()});
    frames_ += block->Frames();
    current_ = {};
    current_.reserve(size_t(blockFrames_ * channels_));
}

Sound SoundBuilder::Finish()
{
    Seal();
    current_ = {};
    return Sound(rate_, channels_, std::move(pieces_));
}

}  // namespace editor_control
