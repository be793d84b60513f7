#include "latency_calibration.h"

#include "mediagraph.h"
#include "voice_mix_settings.h"
#include "voice_track.h"
#include "wave_file_writer.h"
#include "correlation.h"
#include "program_messages.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace voice_mix {

namespace {

constexpr int kLeadFrames = kRate / 2;
constexpr int kBurstFrames = kRate / 5;
constexpr int kGapFrames = kRate * 4 / 5;
constexpr int kSearchFrames = kRate * 3 / 10;  // a residual of up to 300 ms either way
constexpr double kClearPeak = 0.6;             // the next peak stands at most this high
constexpr int kTicksAllowed = 200;             // 20 s for a 6 s signal: the player has stalled

QString NotClear()
{
    return program_messages::Text(program_messages::Id::LatencyNotClear);
}

}  // namespace

LatencyCalibration::LatencyCalibration(QObject* parent) : QObject(parent)
{
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &LatencyCalibration::Tick);
}

LatencyCalibration::~LatencyCalibration() = default;

std::vector<float> LatencyCalibration::Signal(std::vector<int64_t>* burstStarts)
{
    std::vector<float> signal(static_cast<size_t>(kLeadFrames + kBursts * (kBurstFrames + kGapFrames)), 0.0f);
    uint32_t seed = 0x2545F491u;
    burstStarts->clear();
    for (int b = 0; b < kBursts; ++b) {
        const int64_t start = kLeadFrames + int64_t(b) * (kBurstFrames + kGapFrames);
        burstStarts->push_back(start);
        for (int i = 0; i < kBurstFrames; ++i) {
            seed = seed * 1664525u + 1013904223u;
            signal[static_cast<size_t>(start + i)] = ((seed >> 8) / float(1 << 24) - 0.5f) * 0.8f;
        }
    }
    return signal;
}

CalibrationResult LatencyCalibration::Analyse(const std::vector<float>& signal, const std::vector<int64_t>& starts,
                                              const std::vector<float>& voice, const VoiceTiming& timing)
{
    CalibrationResult result;
    for (const int64_t start : starts) {
        const std::vector<float> burst(signal.begin() + start, signal.begin() + start + kBurstFrames);
        // The voice around where the server's figures put the burst.
        const auto expected = static_cast<int64_t>(std::llround(timing.VoiceFrameFor(double(start))));
        const int64_t from = expected - kSearchFrames;
        std::vector<float> window(static_cast<size_t>(kBurstFrames + 2 * kSearchFrames), 0.0f);
        for (size_t i = 0; i < window.size(); ++i) {
            const int64_t at = from + static_cast<int64_t>(i);
            if (at >= 0 && at < static_cast<int64_t>(voice.size())) window[i] = voice[static_cast<size_t>(at)];
        }
        const Lag lag = FindLag(burst, window, int(window.size()), kRate / 200);
        if (lag.peak <= 0 || lag.secondRatio > kClearPeak) {
            result.failure = CalibrationResult::Failure::NotClear;
            result.message = NotClear();
            return result;
        }
        result.burstsMs.push_back((lag.frames - kSearchFrames) * 1000.0 / kRate);
    }
    const auto [low, high] = std::minmax_element(result.burstsMs.begin(), result.burstsMs.end());
    result.spreadMs = *high - *low;
    std::vector<double> sorted = result.burstsMs;
    std::sort(sorted.begin(), sorted.end());
    result.residualMs = sorted[sorted.size() / 2];
    if (result.spreadMs > kMaxSpreadMs) {
        result.failure = CalibrationResult::Failure::Spread;
        result.message = program_messages::Text(program_messages::Id::LatencySpread)
                             .arg(result.spreadMs, 0, 'f', 1);
        return result;
    }
    result.ok = true;
    return result;
}

bool LatencyCalibration::Store(const std::string& configPath, const CalibrationResult& result)
{
    if (!result.ok) return false;
    WriteResidualMs(configPath, result.sink, result.source, result.residualMs);
    return true;
}

QString LatencyCalibration::Start(const std::string& source, int fragmentMs)
{
    if (!folder_.isValid()) return program_messages::Text(program_messages::Id::LatencyNoTempFolder);
    std::vector<int64_t> starts;
    const std::vector<float> signal = Signal(&starts);
    std::vector<int16_t> pcm;
    pcm.reserve(signal.size() * 2);
    for (const float s : signal) {
        const auto v = static_cast<int16_t>(std::lround(s * 32767.0f));
        pcm.push_back(v);
        pcm.push_back(v);
    }
    const QString signalPath = folder_.filePath(QStringLiteral("bursts.wav"));
    nim_audio_file::CWaveFileWriter wav;
    wav.SetAudioFormat(2, kRate, 16);
    if (wav.Create(QFile::encodeName(signalPath).toStdString()) != 0 || wav.Write(pcm.data(), pcm.size() * 2) != 0 ||
        wav.Close() != 0)
        return program_messages::Text(program_messages::Id::LatencyTempFolderReadOnly);

    capture_ = std::make_unique<VoiceCapture>();
    if (QString problem = capture_->Start(source, QFile::encodeName(folder_.filePath(QStringLiteral("heard.wav"))).toStdString(),
                                          fragmentMs);
        !problem.isEmpty()) {
        capture_.reset();
        return problem;
    }
    {
        PulseSession names;
        if (names.Connect("Chorvane calibration").isEmpty()) {
            PulseSession::Lock lock(names);
            sink_ = names.DefaultSink();
        }
    }
    std::shared_ptr<mediagraph::MediaControl> control;
    if (FAILED(mediagraph::CreateFilterGraph(&graph_)) ||
        FAILED(graph_->RenderFile(QFile::encodeName(signalPath).toStdString())) ||
        FAILED(graph_->QueryMediaControl(&control)) || FAILED(graph_->QueryMediaSeeking(&seeking_)) ||
        FAILED(control->Run())) {
        (void)capture_->Stop();
        capture_.reset();
        graph_.reset();
        return program_messages::Text(program_messages::Id::LatencyOutputSilent);
    }
    lastMusic_ = -1;
    ticks_ = 0;
    timer_.start();
    return {};
}

void LatencyCalibration::Tick()
{
    mediagraph::REFERENCE_TIME position = 0, duration = 0;
    const bool known = SUCCEEDED(seeking_->GetCurrentPosition(&position)) && SUCCEEDED(seeking_->GetDuration(&duration));
    capture_->SampleAnchor([&]() -> int64_t {
        if (!known || position == lastMusic_) return -1;
        lastMusic_ = position;
        return int64_t(position) * 100;
    });
    if (capture_->lost())
        Finish(program_messages::Text(program_messages::Id::LatencyMicrophoneStopped));
    else if ((known && duration > 0 && position >= duration) || ++ticks_ > kTicksAllowed)
        Finish({});
}

void LatencyCalibration::Finish(const QString& failure)
{
    timer_.stop();
    std::shared_ptr<mediagraph::MediaControl> control;
    if (SUCCEEDED(graph_->QueryMediaControl(&control))) (void)control->Stop();
    // The last burst's echo still reaches the microphone after the output's end.
    (void)capture_->Stop();
    CalibrationResult result;
    if (failure.isEmpty()) {
        VoiceTrack track;
        const auto timing = FitTiming(capture_->anchors());
        if (!timing || !ReadVoiceTrack(folder_.filePath(QStringLiteral("heard.wav")), &track).isEmpty()) {
            result.failure = CalibrationResult::Failure::NotClear;
            result.message = NotClear();
        } else {
            std::vector<float> voice(track.frames());
            for (size_t i = 0; i < voice.size(); ++i)
                voice[i] = (float(track.samples[2 * i]) + float(track.samples[2 * i + 1])) / 65536.0f;
            std::vector<int64_t> starts;
            result = Analyse(Signal(&starts), starts, voice, *timing);
        }
    } else {
        result.failure = CalibrationResult::Failure::Other;
        result.message = failure;
    }
    result.sink = sink_;
    result.source = capture_->source();
    capture_.reset();
    graph_.reset();
    seeking_.reset();
    emit finished(result);
}

}  // namespace voice_mix
