#include "listen_back_session.h"

#include "program_messages.h"

#include <QFile>
#include <QFileInfo>

using program_messages::Id;
using program_messages::Text;

ListenBackSession::ListenBackSession(QObject* parent) : QObject(parent)
{
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &ListenBackSession::Poll);
    connect(&listenBack_, &voice_mix::ListenBack::progress, this, &ListenBackSession::progress);
    connect(&listenBack_, &voice_mix::ListenBack::rendered, this, &ListenBackSession::Rendered);
}

ListenBackSession::~ListenBackSession()
{
    DropPlayer();
}

namespace {

constexpr mediagraph::REFERENCE_TIME kUnitsPerSecond = 10'000'000;

int64_t FrameAt(mediagraph::REFERENCE_TIME at)
{
    return int64_t(double(at) * voice_mix::kRate / kUnitsPerSecond);
}

}  // namespace

QString ListenBackSession::PlayStream(const QString& output, std::shared_ptr<const voice_mix::MixStream> stream)
{
    Stop();
    resumeAt_ = 0;
    stream_ = std::move(stream);
    streamOutput_ = output;
    return Play();
}

QString ListenBackSession::Open(const QString& output, const QString& voicePath, const voice_mix::MixSettings& settings)
{
    if (!stream_ || output != streamOutput_) {
        Stop();
        resumeAt_ = 0;
        stream_.reset();
        streamOutput_.clear();
    }
    keepPending_ = false;
    lastError_.clear();
    // The last take's render, if any, is dropped: its news never comes.
    const QString problem = listenBack_.Open(output, voicePath, settings);
    if (awaitingRender_) {
        awaitingRender_ = false;
        emit renderingChanged(false);
    }
    if (!problem.isEmpty()) {
        Stop();
        stream_.reset();
        output_.clear();
        voicePath_.clear();
        return problem;
    }
    output_ = output;
    voicePath_ = voicePath;
    return {};
}

void ListenBackSession::SetBalance(int voicePercent)
{
    const int before = listenBack_.balance();
    listenBack_.SetBalance(voicePercent);
    Changed(listenBack_.balance() != before);
}

void ListenBackSession::SetNudgeMs(int ms)
{
    const int before = listenBack_.nudgeMs();
    listenBack_.SetNudgeMs(ms);
    Changed(listenBack_.nudgeMs() != before);
}

void ListenBackSession::Changed(bool renderStarted)
{
    if (!renderStarted || awaitingRender_) return;
    awaitingRender_ = true;
    emit renderingChanged(true);
}

void ListenBackSession::Rendered(const QString& error)
{
    lastError_ = error;
    // A newer change may have started another render before this one's news arrived.
    if (listenBack_.rendering() || !awaitingRender_) return;
    awaitingRender_ = false;
    emit renderingChanged(false);
    emit rendered(error);
    if (error.isEmpty() && playing()) {
        // The file was replaced under the player (or holds another mix than the stream):
        // it is opened again where it was.
        resumeAt_ = Position();
        DropPlayer();
        stream_.reset();
        if (const QString problem = Play(); !problem.isEmpty()) emit playingChanged(false);
    }
    if (error.isEmpty()) stream_.reset();
    if (keepPending_) KeepNow();
}

void ListenBackSession::Keep()
{
    if (voicePath_.isEmpty()) return;
    if (rendering()) {
        keepPending_ = true;
        return;
    }
    KeepNow();
}

void ListenBackSession::KeepNow()
{
    keepPending_ = false;
    if (!lastError_.isEmpty()) {
        emit kept(Text(Id::ListenBackNotKept).arg(lastError_));
        return;
    }
    if (!listenBack_.Keep()) {
        emit kept(Text(Id::ListenBackKeepFailed).arg(QFileInfo(voicePath_).fileName()));
        return;
    }
    emit kept({});
}

QString ListenBackSession::Play()
{
    if (playing()) return {};
    if (stream_) {
        std::string why;
        if (!streamPlayer_.Start(stream_, FrameAt(resumeAt_), &why))
            return Text(Id::ListenBackNotPlayable).arg(QFileInfo(streamOutput_).fileName(), QString::fromStdString(why));
        poll_.start();
        emit playingChanged(true);
        return {};
    }
    if (output_.isEmpty()) return {};
    std::shared_ptr<mediagraph::GraphBuilder> graph;
    HRESULT hr = mediagraph::CreateFilterGraph(&graph);
    if (SUCCEEDED(hr)) hr = graph->RenderFile(QFile::encodeName(output_).toStdString());
    std::shared_ptr<mediagraph::MediaControl> control;
    std::shared_ptr<mediagraph::MediaSeeking> seeking;
    std::shared_ptr<mediagraph::MediaEventEx> events;
    if (SUCCEEDED(hr)) hr = graph->QueryMediaControl(&control);
    if (SUCCEEDED(hr)) hr = graph->QueryMediaSeeking(&seeking);
    if (SUCCEEDED(hr)) hr = graph->QueryMediaEvent(&events);
    if (SUCCEEDED(hr) && resumeAt_ > 0) {
        mediagraph::REFERENCE_TIME at = resumeAt_;
        (void)seeking->SetPositions(&at, mediagraph::AM_SEEKING_AbsolutePositioning, nullptr,
                                    mediagraph::AM_SEEKING_NoPositioning);
    }
    if (SUCCEEDED(hr)) hr = control->Run();
    if (FAILED(hr)) {
        const std::string why = graph ? graph->ErrorText() : std::string();
        return Text(Id::ListenBackNotPlayable)
            .arg(QFileInfo(output_).fileName(),
                 why.empty() ? QStringLiteral("0x%1").arg(quint32(hr), 8, 16, QLatin1Char('0')) : QString::fromStdString(why));
    }
    graph_ = std::move(graph);
    control_ = std::move(control);
    seeking_ = std::move(seeking);
    events_ = std::move(events);
    poll_.start();
    emit playingChanged(true);
    return {};
}

void ListenBackSession::Stop()
{
    if (!playing()) return;
    resumeAt_ = Position();
    DropPlayer();
    emit playingChanged(false);
}

mediagraph::REFERENCE_TIME ListenBackSession::Position() const
{
    if (streamPlayer_.playing()) return streamPlayer_.PositionFrame() * kUnitsPerSecond / voice_mix::kRate;
    mediagraph::REFERENCE_TIME at = 0;
    if (seeking_ && SUCCEEDED(seeking_->GetCurrentPosition(&at))) return at;
    return resumeAt_;
}

void ListenBackSession::DropPlayer()
{
    poll_.stop();
    streamPlayer_.Stop();
    if (control_) (void)control_->Stop();
    events_.reset();
    seeking_.reset();
    control_.reset();
    graph_.reset();
}

void ListenBackSession::Poll()
{
    if (streamPlayer_.playing()) {
        std::string why;
        if (streamPlayer_.Poll(&why) == voice_mix::MixStreamPlayer::Status::Playing) return;
        // Heard to its end, or the output went away: the next Play starts from the beginning.
        DropPlayer();
        resumeAt_ = 0;
        emit playingChanged(false);
        return;
    }
    if (!events_) return;
    LONG code = 0;
    mediagraph::LONG_PTR a = 0, b = 0;
    while (SUCCEEDED(events_->GetEvent(&code, &a, &b, 0))) {
        (void)events_->FreeEventParams(code, a, b);
        if (code == mediagraph::EC_COMPLETE || code == mediagraph::EC_ERRORABORT) {
            // The next Play starts from the beginning.
            DropPlayer();
            resumeAt_ = 0;
            emit playingChanged(false);
            return;
        }
    }
}
