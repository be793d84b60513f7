#pragma once
// TfrmListenBack: the small window that comes up when a take with the recording source
// "Voice and accompaniment" has its mix. It plays the take at once; the balance between
// voice and music and a nudge of the voice (up to 200 ms either way, in 5 ms steps) each
// render the take's file again in the background, with a progress bar. "Keep" keeps the
// mix and removes the voice track; closing keeps the voice track beside the take.

#include "listen_back_session.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;

class TfrmListenBack : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 420;
    static constexpr int kClientHeight = 150;

    explicit TfrmListenBack(QWidget* parent = nullptr);

    // A take has ended: the window shows its mix being made, `MixProgress` 0 .. 1, and
    // plays it from `stream` as it is made.
    void ShowMixing(const QString& output, std::shared_ptr<const voice_mix::MixStream> stream = {});
    void MixProgress(double fraction);
    // A take's mix is ready: the window shows it and plays it.
    void ListenTo(const QString& output, const QString& voicePath, const voice_mix::MixSettings& settings);
    // The mix could not be made (the take's message says why): nothing to listen to.
    void MixFailed();
    // Playback ends (a take is starting); the window stays.
    void StopPlaying();

    void ButtonPlayClick();
    void ButtonStopClick();
    void ButtonKeepClick();
    void ButtonCloseClick();

    [[nodiscard]] ListenBackSession& session() { return session_; }

    QLabel* LabelTake = nullptr;
    QPushButton* ButtonPlay = nullptr;
    QPushButton* ButtonStop = nullptr;
    QLabel* LabelMusic = nullptr;
    QSlider* SliderBalance = nullptr;
    QLabel* LabelVoice = nullptr;
    QLabel* LabelNudge = nullptr;
    QSpinBox* SpinBoxNudge = nullptr;
    QProgressBar* ProgressBarRender = nullptr;
    QLabel* LabelStatus = nullptr;
    QPushButton* ButtonKeep = nullptr;
    QPushButton* ButtonClose = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void ShowPlaying(bool playing);
    void ShowRendering(bool rendering);
    void Rendered(const QString& error);
    void Kept(const QString& error);
    void EnableControls(bool enabled);

    ListenBackSession session_;
};
