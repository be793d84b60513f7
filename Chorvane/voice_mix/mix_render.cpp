#include "mix_render.h"

#include "accompaniment_decoder.h"
#include "mp3_file_writer.h"
#include "program_messages.h"

#include <QFile>
#include <QObject>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace voice_mix {

namespace {

constexpr size_t kBlockFrames = 4096;

int16_t Clip(float v)
{
    return static_cast<int16_t>(std::lrint(std::clamp(v * 32767.0f, -32768.0f, 32767.0f)));
}

// Sums blocks of music with the voice at its place and hands them to the encoder.
class Mixer {
public:
    Mixer(const VoiceTrack& voice, const MixSettings& s, nim_audio_file::CMp3FileWriter& writer, MixStream* stream)
        : voice_(voice), s_(s), writer_(writer), stream_(stream),
          shift_((s.residualMs - s.nudgeMs) * kRate / 1000.0),
          end_(EndFrame())
    {
        out_.reserve(kBlockFrames * 2);
    }

    // The music frame whose voice frame is the last one recorded.
    [[nodiscard]] double EndFrame() const
    {
        const double last = double(voice_.frames()) - 1 - s_.timing.LastOffset() - shift_;
        return std::max(0.0, last / (1.0 + s_.timing.drift));
    }
    [[nodiscard]] bool done() const { return double(next_) > end_; }
    [[nodiscard]] double progress() const { return end_ > 0 ? std::min(1.0, double(next_) / end_) : 1.0; }
    [[nodiscard]] bool failed() const { return failed_; }

    // `music` null: silence in its place. False once the voice has ended or the writer failed.
    bool Add(const float* music, size_t count)
    {
        out_.clear();
        for (size_t i = 0; i < count && !done(); ++i, ++next_) {
            if (resumed_ < s_.timing.resumptions.size() && next_ >= s_.timing.resumptions[resumed_].musicFrame) {
                Pause();
                ++resumed_;
            }
            float left = 0, right = 0;
            VoiceAt(s_.timing.VoiceFrameFor(double(next_)) + shift_, &left, &right);
            const float ml = music ? music[2 * i] : 0.0f;
            const float mr = music ? music[2 * i + 1] : 0.0f;
            out_.push_back(Clip(s_.musicGain * ml + s_.voiceGain * left));
            out_.push_back(Clip(s_.musicGain * mr + s_.voiceGain * right));
        }
        Flush();
        return !failed_ && !done();
    }

private:
    void Flush()
    {
        // The listener gets the block first: encoding it takes longer than copying it.
        if (stream_ && !out_.empty()) stream_->Append(out_.data(), out_.size() / 2);
        if (!out_.empty() && writer_.Write(out_.data(), out_.size() * sizeof(int16_t)) != 0) failed_ = true;
        out_.clear();
    }

    // While the music stood still the voice went on: what was sung then, over silence.
    void Pause()
    {
        const double last = double(next_ - 1) + s_.timing.OffsetAt(double(next_ - 1)) + s_.timing.drift * double(next_ - 1) + shift_;
        const double resumed = s_.timing.VoiceFrameFor(double(next_)) + shift_;
        for (double frame = last + 1; frame < resumed - 0.5 && !failed_; frame += 1) {
            float left = 0, right = 0;
            VoiceAt(frame, &left, &right);
            out_.push_back(Clip(s_.voiceGain * left));
            out_.push_back(Clip(s_.voiceGain * right));
            if (out_.size() >= kBlockFrames * 2) Flush();
        }
    }

    // The voice at a fractional frame, linearly between its neighbours; silence outside.
    void VoiceAt(double frame, float* left, float* right) const
    {
        if (frame < 0) return;
        const auto i = static_cast<size_t>(frame);
        if (i + 1 >= voice_.frames()) return;
        const float f = static_cast<float>(frame - double(i));
        const int16_t* p = voice_.samples.data() + 2 * i;
        *left = ((1 - f) * p[0] + f * p[2]) / 32768.0f;
        *right = ((1 - f) * p[1] + f * p[3]) / 32768.0f;
    }

    const VoiceTrack& voice_;
    const MixSettings& s_;
    nim_audio_file::CMp3FileWriter& writer_;
    MixStream* stream_;
    double shift_;
    double end_;
    int64_t next_ = 0;
    size_t resumed_ = 0;
    bool failed_ = false;
    std::vector<int16_t> out_;
};

}  // namespace

QString RenderMix(const VoiceTrack& voice, const MixSettings& settings, const QString& output,
                  const std::function<void(double)>& progress, const std::atomic<bool>* cancel, MixStream* stream)
{
    struct FinishStream {
        MixStream* stream;
        ~FinishStream()
        {
            if (stream) stream->Finish();
        }
    } finishStream{stream};
    const QString part = output + QStringLiteral(".part");
    nim_audio_file::CMp3FileWriter writer;
    if (!writer.HasEncoder())
        return program_messages::Text(program_messages::Id::MixEncoderMissing);
    writer.SetAudioFormat(2, kRate, 16);
    if (writer.SetBitRate(settings.bitRate) != 0) (void)writer.SetBitRate(128);
    if (writer.Create(QFile::encodeName(part).toStdString()) != 0)
        return program_messages::Text(program_messages::Id::MixNotWritten).arg(output);

    Mixer mixer(voice, settings, writer, stream);
    auto cancelled = [&] { return cancel && cancel->load(); };
    double reported = -1;
    auto report = [&] {
        if (progress && mixer.progress() - reported >= 0.01) progress(reported = mixer.progress());
    };
    const QString decodeProblem = DecodeAccompaniment(settings.accompaniment, settings.balance, [&](const float* f, size_t n) {
        report();
        return !cancelled() && mixer.Add(f, n);
    });
    // Past the end of the music, or without it: the voice goes on alone.
    while (!mixer.done() && !mixer.failed() && !cancelled()) {
        mixer.Add(nullptr, kBlockFrames);
        report();
    }
    const bool closed = writer.Close() == 0;
    if (cancelled()) {
        QFile::remove(part);
        return {};
    }
    if (mixer.failed() || !closed) {
        QFile::remove(part);
        return program_messages::Text(program_messages::Id::MixNotComplete).arg(output);
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(part).toStdString(), QFile::encodeName(output).toStdString(), error);
    if (error)
        return program_messages::Text(program_messages::Id::MixNotInPlace).arg(output);
    if (progress) progress(1.0);
    return decodeProblem.isEmpty() ? QString() : decodeProblem + program_messages::Text(program_messages::Id::MixVoiceAlone);
}

}  // namespace voice_mix
