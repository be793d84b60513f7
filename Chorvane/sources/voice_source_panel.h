#pragma once
// TVoiceSourcePanel: what the recording source "Voice and accompaniment" asks of the
// user, under its entry in the recording source dialog: the microphone for the voice
// (the server's default one unless another is picked), "Hear my voice while singing",
// and "Measure latency" with its progress and result. Each choice is written to
// config.ini at once (voice_mix_settings.h); the controls are enabled while the voice
// source is the chosen one.

#include "latency_measurement.h"

#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

class TVoiceSourcePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 76;

    struct Microphone {
        QString name;
        std::string id;
    };

    TVoiceSourcePanel(std::string configPath, QWidget* parent = nullptr);

    // The sources that can be the voice's microphone, in the server's order; monitors
    // are left out. The stored choice is selected, and kept listed when it is not there.
    void SetMicrophones(const std::vector<Microphone>& sources);
    void SetVoiceChosen(bool chosen);
    // No measurement while a take runs (one under way ends): its test sound would be in
    // the take, the take's music in the measurement.
    void SetTakeRunning(bool running);
    void ButtonMeasureLatencyClick();

    // A source that records what an output plays rather than a microphone.
    [[nodiscard]] static bool IsMonitor(const std::string& id);
    [[nodiscard]] bool measuring() const { return measurement_.running(); }

    QLabel* LabelVoiceSource = nullptr;
    QComboBox* ComboBoxVoiceSource = nullptr;
    QCheckBox* CheckBoxHearVoice = nullptr;
    QPushButton* ButtonMeasureLatency = nullptr;
    QProgressBar* ProgressBarLatency = nullptr;
    QLabel* LabelLatency = nullptr;

signals:
    // A measurement ended: its residual was kept (`stored`) or not, and why, in `text`.
    void measured(bool stored, const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Place();
    void MicrophonePicked(int index);
    void HearVoiceClick(bool checked);
    void MeasurementFinished(bool stored, const QString& text);
    void EnableControls();

    std::string configPath_;
    LatencyMeasurement measurement_;
    bool chosen_ = false;
    bool takeRunning_ = false;
};
