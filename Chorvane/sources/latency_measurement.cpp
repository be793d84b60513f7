#include "latency_measurement.h"

#include "latency_calibration.h"
#include "profile.h"
#include "program_messages.h"

using program_messages::Id;
using program_messages::Text;
using voice_mix::CalibrationResult;

LatencyMeasurement::LatencyMeasurement(std::string configPath, QObject* parent)
    : QObject(parent), configPath_(std::move(configPath))
{
}

LatencyMeasurement::~LatencyMeasurement()
{
    delete calibration_.data();
}

QString LatencyMeasurement::Start(const std::string& source)
{
    if (calibration_) return {};
    auto* calibration = new voice_mix::LatencyCalibration(this);
    connect(calibration, &voice_mix::LatencyCalibration::finished, this, &LatencyMeasurement::Finished);
    if (QString problem = calibration->Start(source); !problem.isEmpty()) {
        delete calibration;
        return problem;
    }
    calibration_ = calibration;
    return {};
}

void LatencyMeasurement::Cancel()
{
    delete calibration_.data();
    calibration_ = nullptr;
}

void LatencyMeasurement::Finished(const CalibrationResult& result)
{
    // Called from inside the calibration: it goes once its signal has returned.
    if (calibration_) calibration_->deleteLater();
    calibration_ = nullptr;
    bool stored = false;
    QString text;
    try {
        stored = voice_mix::LatencyCalibration::Store(configPath_, result);
        text = TextFor(result, stored);
    } catch (const profile::WriteError& e) {
        text = QString::fromStdString(e.what());
    }
    emit finished(stored, text);
}

QString LatencyMeasurement::TextFor(const CalibrationResult& result, bool stored)
{
    if (stored) return Text(Id::LatencyMeasured).arg(result.residualMs, 0, 'f', 1);
    switch (result.failure) {
    case CalibrationResult::Failure::Spread:
        return Text(Id::LatencySpread).arg(result.spreadMs, 0, 'f', 1);
    case CalibrationResult::Failure::None:  // a good result that was not stored
    case CalibrationResult::Failure::NotClear:
        return Text(Id::LatencyNotClear);
    case CalibrationResult::Failure::Other:
        break;
    }
    return result.message.isEmpty() ? Text(Id::LatencyNotClear) : result.message;
}
