#pragma once
// Listening back to a voice take: the voice/music balance and a nudge of the voice of
// up to 200 ms either way, in 5 ms steps. Each change renders the take's file again from
// the kept voice track on a worker; a newer change cancels the render under way. Keeping
// the mix removes the voice track; until then it stays beside the take.

#include "mix_render.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

namespace voice_mix {

class ListenBack : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxNudgeMs = 200;
    static constexpr int kNudgeStepMs = 5;

    explicit ListenBack(QObject* parent = nullptr);
    // A render under way is finished first, so the take's file is whole.
    ~ListenBack() override;

    // The take as the voice take left it. Empty, or the user's text.
    [[nodiscard]] QString Open(const QString& output, const QString& voicePath, const MixSettings& settings);
    // 0 (music only) .. 100 (voice only); 50 is the take as recorded.
    void SetBalance(int voicePercent);
    // Rounded to the 5 ms step and held within 200 ms.
    void SetNudgeMs(int ms);
    // The user keeps this mix: the voice track goes. False when a render is still running.
    bool Keep();

    [[nodiscard]] int nudgeMs() const { return nudgeMs_; }
    [[nodiscard]] int balance() const { return balance_; }
    [[nodiscard]] bool rendering() const { return running_ != nullptr && !running_->done; }

signals:
    void progress(double fraction);
    // The take's file holds the last change (or `error` says why it does not).
    void rendered(const QString& error);

private:
    struct Job {
        std::atomic<bool> cancel{false};
        std::atomic<bool> done{false};
        std::thread thread;
    };
    void Render();
    void StopJob();

    QString output_;
    QString voicePath_;
    std::shared_ptr<const VoiceTrack> voice_;
    MixSettings base_;
    int balance_ = 50;
    int nudgeMs_ = 0;
    std::unique_ptr<Job> running_;
};

}  // namespace voice_mix
