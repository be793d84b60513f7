#pragma once
// One voice take listened back: the mix plays at once from its stream while the take's
// file is still being made, then from the file, again from the same place after each render; the balance and the nudge go to ListenBack, which renders on
// its worker; Keep removes the voice track only once the file holds the last change, so
// a Keep pressed during a render waits for it, and a render that failed keeps the voice.
// No widgets.

#include "listen_back.h"
#include "mediagraph.h"
#include "mix_stream_player.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ListenBackSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 200;

    explicit ListenBackSession(QObject* parent = nullptr);
    ~ListenBackSession() override;

    // A new take: the last one's playback stops and its render is dropped (its file keeps
    // the mix it had). Empty, or the user's text.
    // The same take's stream, when it plays, goes on playing.
    [[nodiscard]] QString Open(const QString& output, const QString& voicePath, const voice_mix::MixSettings& settings);
    // The take `output` has ended and its mix is being made into `stream`: it plays from
    // there at once. Empty, or the user's text.
    [[nodiscard]] QString PlayStream(const QString& output, std::shared_ptr<const voice_mix::MixStream> stream);
    void SetBalance(int voicePercent);
    void SetNudgeMs(int ms);
    // The user keeps the mix: at once, or when the render under way has ended; `kept` says how.
    void Keep();

    // Plays the take's file from where it stopped (from the start after its end). Empty, or the user's text.
    [[nodiscard]] QString Play();
    void Stop();

    [[nodiscard]] bool playing() const { return control_ != nullptr || streamPlayer_.playing(); }
    // Playback comes from the mix as it was made, not from the file.
    [[nodiscard]] bool hasStream() const { return stream_ != nullptr; }
    // From a change until the news that the file holds it.
    [[nodiscard]] bool rendering() const { return awaitingRender_; }
    [[nodiscard]] bool keepPending() const { return keepPending_; }
    [[nodiscard]] const QString& output() const { return output_; }
    [[nodiscard]] const QString& voicePath() const { return voicePath_; }
    [[nodiscard]] int balance() const { return listenBack_.balance(); }
    [[nodiscard]] int nudgeMs() const { return listenBack_.nudgeMs(); }

signals:
    void progress(double fraction);
    // A render began (true) or ended (false).
    void renderingChanged(bool rendering);
    // The take's file holds the last change, or `error` says why not.
    void rendered(const QString& error);
    // Keep was carried out: the voice track is gone (`error` empty) or it stays and why.
    void kept(const QString& error);
    void playingChanged(bool playing);

private:
    void Rendered(const QString& error);
    void Changed(bool renderStarted);
    void KeepNow();
    void Poll();
    void DropPlayer();
    [[nodiscard]] mediagraph::REFERENCE_TIME Position() const;

    voice_mix::ListenBack listenBack_;
    QString output_;
    QString voicePath_;
    QString lastError_;
    bool keepPending_ = false;
    bool awaitingRender_ = false;
    QTimer poll_;
    std::shared_ptr<mediagraph::GraphBuilder> graph_;
    std::shared_ptr<mediagraph::MediaControl> control_;
    std::shared_ptr<mediagraph::MediaSeeking> seeking_;
    std::shared_ptr<mediagraph::MediaEventEx> events_;
    mediagraph::REFERENCE_TIME resumeAt_ = 0;
    // Until a render replaces the file, the first mix is heard from here.
    std::shared_ptr<const voice_mix::MixStream> stream_;
    QString streamOutput_;
    voice_mix::MixStreamPlayer streamPlayer_;
};
