#pragma once
// "Measure latency": five noise bursts played through the output as the accompaniment is
// played, recorded through the microphone as the voice is, each found in the recording by
// cross-correlation. What is left beyond the server's own figures is the pair's residual;
// it is kept only when the five agree within 2 ms and every burst was found clearly.

#include "voice_capture.h"
#include "voice_timing.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mediagraph {
class GraphBuilder;
class MediaSeeking;
}  // namespace mediagraph

namespace voice_mix {

struct CalibrationResult {
    // Why a measurement is not kept, for a caller that words it itself.
    enum class Failure { None, NotClear, Spread, Other };
    bool ok = false;
    Failure failure = Failure::None;
    double residualMs = 0;
    double spreadMs = 0;
    std::vector<double> burstsMs;  // each burst's residual, in order
    std::string sink;
    std::string source;
    QString message;  // what went wrong, in the user's words
};

class LatencyCalibration : public QObject {
    Q_OBJECT
public:
    static constexpr int kBursts = 5;
    static constexpr double kMaxSpreadMs = 2.0;

    explicit LatencyCalibration(QObject* parent = nullptr);
    ~LatencyCalibration() override;

    // Plays the bursts on the default output and records `source` (empty: the default
    // microphone). Empty, or the user's text; `finished` follows a successful start.
    [[nodiscard]] QString Start(const std::string& source, int fragmentMs = 20);
    // Stores a good result in config.ini for its pair; false for one that is not good.
    static bool Store(const std::string& configPath, const CalibrationResult& result);

    // The bursts as played: mono, 44100 Hz; the frame each starts at.
    [[nodiscard]] static std::vector<float> Signal(std::vector<int64_t>* burstStarts);
    // Finds each burst in the voice track placed by `timing`.
    [[nodiscard]] static CalibrationResult Analyse(const std::vector<float>& signal, const std::vector<int64_t>& starts,
                                                   const std::vector<float>& voice, const VoiceTiming& timing);

signals:
    void finished(const voice_mix::CalibrationResult& result);

private:
    void Tick();
    void Finish(const QString& failure);

    QTemporaryDir folder_;
    QTimer timer_;
    std::shared_ptr<mediagraph::GraphBuilder> graph_;
    std::shared_ptr<mediagraph::MediaSeeking> seeking_;
    std::unique_ptr<VoiceCapture> capture_;
    std::string sink_;
    int64_t lastMusic_ = -1;
    int ticks_ = 0;
};

}  // namespace voice_mix
