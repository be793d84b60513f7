#include "voice_take.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

namespace voice_mix {

VoiceTake::VoiceTake(QObject* parent) : QObject(parent)
{
    anchorTimer_.setInterval(kAnchorIntervalMs);
    connect(&anchorTimer_, &QTimer::timeout, this, &VoiceTake::Anchor);
}

VoiceTake::~VoiceTake()
{
    blockSignals(true);
    if (running()) End();
    Join();
}

void VoiceTake::Join()
{
    if (worker_.joinable()) worker_.join();
}

QString VoiceTake::VoicePath(const QString& output)
{
    const QFileInfo info(output);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(" (voice).wav"));
}

QString VoiceTake::Begin(const VoiceTakeRequest& request)
{
    Join();  // the last take's render, if any, has its file first
    request_ = request;
    lastMusic_ = -1;
    auto capture = std::make_unique<VoiceCapture>();
    const QString voicePath = VoicePath(request.output);
    if (QString problem = capture->Start(request.choice.source, QFile::encodeName(voicePath).toStdString(), request.fragmentMs);
        !problem.isEmpty()) {
        (void)capture->Stop();
        QFile::remove(voicePath);
        return problem;
    }
    settings_ = MixSettings{};
    settings_.accompaniment = request.accompaniment;
    settings_.balance = request.balance;
    settings_.bitRate = request.bitRate;
    if (!request.configPath.empty()) {
        PulseSession names;
        std::string sink;
        if (names.Connect("Chorvane voice").isEmpty()) {
            PulseSession::Lock lock(names);
            sink = names.DefaultSink();
        }
        settings_.residualMs = ReadResidualMs(request.configPath, sink, capture->source()).value_or(0.0);
    }
    if (request.choice.hearVoice) {
        // Not being heard is no reason to lose the take: it records all the same.
        if (QString problem = loopback_.Load(capture->source()); !problem.isEmpty()) qWarning("%s", qPrintable(problem));
    }
    capture_ = std::move(capture);
    anchorTimer_.start();
    return {};
}

void VoiceTake::Anchor()
{
    if (!capture_ || !request_.musicNs) return;
    capture_->SampleAnchor([this]() -> int64_t {
        const int64_t music = request_.musicNs();
        // A position that stands still (starting, paused) says nothing about the clocks.
        if (music < 0 || music == lastMusic_) return -1;
        lastMusic_ = music;
        return music;
    });
}

void VoiceTake::Abandon()
{
    anchorTimer_.stop();
    loopback_.Unload();
    if (!capture_) return;
    (void)capture_->Stop();
    capture_.reset();
    QFile::remove(VoicePath(request_.output));
}

void VoiceTake::End()
{
    if (!capture_) return;
    Anchor();
    anchorTimer_.stop();
    loopback_.Unload();
    const QString voiceError = capture_->Stop();
    if (const auto fitted = FitTiming(capture_->anchors())) settings_.timing = *fitted;
    capture_.reset();

    done_ = false;
    const QString output = request_.output;
    const QString voicePath = VoicePath(output);
    const MixSettings settings = settings_;
    stream_ = std::make_shared<MixStream>();
    worker_ = std::thread([this, output, voicePath, settings, voiceError, stream = stream_] {
        VoiceTrack track;
        QString error = ReadVoiceTrack(voicePath, &track);
        if (error.isEmpty())
            error = RenderMix(
                track, settings, output,
                [this](double f) { QMetaObject::invokeMethod(this, [this, f] { emit mixProgress(f); }, Qt::QueuedConnection); },
                nullptr, stream.get());
        else
            stream->Finish();
        if (error.isEmpty()) error = voiceError;
        done_ = true;
        QMetaObject::invokeMethod(this, [this, output, voicePath, error] { emit mixFinished(output, voicePath, error); },
                                  Qt::QueuedConnection);
    });
}

}  // namespace voice_mix
