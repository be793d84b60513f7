#pragma once
// One take with the recording source "Voice and accompaniment": the voice recorded to its
// own track beside the take ("… (voice).wav") with timing anchors every 100 ms, the
// microphone heard while singing when asked, and after the take the mix rendered into the
// take's file on a worker thread. The voice track stays on disk whatever the mix does.

#include "mix_render.h"
#include "monitor_loopback.h"
#include "voice_capture.h"
#include "voice_mix_settings.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace voice_mix {

struct VoiceTakeRequest {
    QString output;         // the take's MP3
    QString accompaniment;
    long balance = 0;
    int bitRate = 128;
    VoiceChoice choice;
    std::string configPath;  // where the calibration is kept; empty: none is used
    int fragmentMs = 20;
    // The accompaniment position being heard, in ns; below 0 while unknown.
    std::function<int64_t()> musicNs;
};

class VoiceTake : public QObject {
    Q_OBJECT
public:
    static constexpr int kAnchorIntervalMs = 100;

    explicit VoiceTake(QObject* parent = nullptr);
    // A render still running is finished first: the take's file is whole.
    ~VoiceTake() override;

    // "Song.mp3" keeps its voice as "Song (voice).wav".
    [[nodiscard]] static QString VoicePath(const QString& output);

    // Starts the voice track (and the monitoring). Empty, or the user's text; nothing runs then.
    [[nodiscard]] QString Begin(const VoiceTakeRequest& request);
    // One anchor now (the timer calls it too).
    void Anchor();
    // Ends the voice track and starts the mix; mixFinished follows.
    void End();
    // A take that never started: the voice track is removed.
    void Abandon();

    [[nodiscard]] bool running() const { return capture_ != nullptr; }
    [[nodiscard]] bool rendering() const { return worker_.joinable() && !done_; }
    [[nodiscard]] const VoiceTiming& timing() const { return settings_.timing; }
    [[nodiscard]] const MixSettings& settings() const { return settings_; }
    // The last take's mix as it is made, from End() on, for listening before the file is done.
    [[nodiscard]] std::shared_ptr<const MixStream> stream() const { return stream_; }

signals:
    void mixProgress(double fraction);
    // The take's file is ready (or not: `error` says why). `voicePath` is kept.
    void mixFinished(const QString& output, const QString& voicePath, const QString& error);

private:
    void Join();

    QTimer anchorTimer_;
    std::unique_ptr<VoiceCapture> capture_;
    MonitorLoopback loopback_;
    VoiceTakeRequest request_;
    MixSettings settings_;
    std::shared_ptr<MixStream> stream_;
    std::thread worker_;
    std::atomic<bool> done_{false};
    int64_t lastMusic_ = -1;
};

}  // namespace voice_mix
