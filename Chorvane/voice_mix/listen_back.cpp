#include "listen_back.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace voice_mix {

ListenBack::ListenBack(QObject* parent) : QObject(parent) {}

ListenBack::~ListenBack()
{
    blockSignals(true);
    if (running_ && running_->thread.joinable()) running_->thread.join();
}

QString ListenBack::Open(const QString& output, const QString& voicePath, const MixSettings& settings)
{
    StopJob();
    auto track = std::make_shared<VoiceTrack>();
    if (QString problem = ReadVoiceTrack(voicePath, track.get()); !problem.isEmpty()) return problem;
    voice_ = std::move(track);
    output_ = output;
    voicePath_ = voicePath;
    base_ = settings;
    balance_ = 50;
    nudgeMs_ = 0;
    return {};
}

void ListenBack::SetBalance(int voicePercent)
{
    voicePercent = std::clamp(voicePercent, 0, 100);
    if (voicePercent == balance_ || !voice_) return;
    balance_ = voicePercent;
    Render();
}

void ListenBack::SetNudgeMs(int ms)
{
    const int stepped = int(std::lround(double(ms) / kNudgeStepMs)) * kNudgeStepMs;
    const int nudge = std::clamp(stepped, -kMaxNudgeMs, kMaxNudgeMs);
    if (nudge == nudgeMs_ || !voice_) return;
    nudgeMs_ = nudge;
    Render();
}

bool ListenBack::Keep()
{
    if (rendering()) return false;
    if (running_ && running_->thread.joinable()) running_->thread.join();
    return QFile::remove(voicePath_) || !QFile::exists(voicePath_);
}

void ListenBack::StopJob()
{
    if (!running_) return;
    running_->cancel = true;
    if (running_->thread.joinable()) running_->thread.join();
    running_.reset();
}

void ListenBack::Render()
{
    StopJob();
    MixSettings settings = base_;
    // Each side keeps its full level up to the middle and fades out beyond it.
    settings.voiceGain = base_.voiceGain * std::min(1.0f, balance_ / 50.0f);
    settings.musicGain = base_.musicGain * std::min(1.0f, (100 - balance_) / 50.0f);
    settings.nudgeMs = base_.nudgeMs + nudgeMs_;
    running_ = std::make_unique<Job>();
    Job* job = running_.get();
    job->thread = std::thread([this, job, settings, voice = voice_, output = output_] {
        const QString error = RenderMix(*voice, settings, output, [this, job](double f) {
            if (!job->cancel) QMetaObject::invokeMethod(this, [this, f] { emit progress(f); }, Qt::QueuedConnection);
        }, &job->cancel);
        const bool cancelled = job->cancel;
        job->done = true;
        if (!cancelled) QMetaObject::invokeMethod(this, [this, error] { emit rendered(error); }, Qt::QueuedConnection);
    });
}

}  // namespace voice_mix
