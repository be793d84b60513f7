#pragma once
// "Measure latency" for the recording source "Voice and accompaniment": one calibration
// of the default output and the voice's microphone at a time, its residual kept in
// config.ini only when the measurement is good, and what happened in the user's words.
// The calibration plays and records on the sound server's and GStreamer's threads; this
// object only starts it and hears its end. No widgets.

#include "latency_calibration.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <string>

class LatencyMeasurement : public QObject {
    Q_OBJECT
public:
    explicit LatencyMeasurement(std::string configPath, QObject* parent = nullptr);
    ~LatencyMeasurement() override;

    // Measures with `source` (empty: the default microphone). Empty, or the user's text;
    // `finished` follows a successful start.
    [[nodiscard]] QString Start(const std::string& source);
    // Ends a measurement under way; nothing is stored and `finished` does not come.
    void Cancel();
    [[nodiscard]] bool running() const { return calibration_ != nullptr; }

    // The text for a calibration's end; `stored` says whether its residual was kept.
    [[nodiscard]] static QString TextFor(const voice_mix::CalibrationResult& result, bool stored);

signals:
    void finished(bool stored, const QString& text);

private:
    void Finished(const voice_mix::CalibrationResult& result);

    std::string configPath_;
    QPointer<voice_mix::LatencyCalibration> calibration_;
};
