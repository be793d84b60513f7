#include "take_controller.h"

#include "UnitLyric.h"
#include "lyric_drawing.h"
#include "message_box.h"
#include "program_messages.h"
#include "take_rules.h"
#include "voice_take.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using program_messages::Id;
using program_messages::Text;

constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_ERRORABORT = 0x03;

// Owns a sample array for the length of one handler.
class SampleArray {
public:
    explicit SampleArray(SAFEARRAY* array = nullptr) : array_(array) {}
    ~SampleArray() { SafeArrayDestroy(array_); }
    SampleArray(const SampleArray&) = delete;
    SampleArray& operator=(const SampleArray&) = delete;
    SAFEARRAY** slot() { return &array_; }
    [[nodiscard]] SAFEARRAY* get() const { return array_; }

private:
    SAFEARRAY* array_;
};

// The user's words for the system's reason behind a failed file call.
QString ReasonText(HRESULT hr)
{
    switch (hr) {
    case HRESULT_FROM_WIN32(ERROR_DISK_FULL): return Text(Id::ReasonDiskFull);
    case E_ACCESSDENIED: return Text(Id::ReasonPermissionDenied);
    case HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT): return Text(Id::ReasonReadOnly);
    case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND): return Text(Id::ReasonFolderMissing);
    case E_OUTOFMEMORY: return Text(Id::ReasonOutOfMemory);
    default: return QString::fromStdString(HResultText(hr)).toLower();
    }
}

void Check(HRESULT hr, const QString& what)
{
    if (FAILED(hr)) throw ProgramError(Text(Id::Problem).arg(what, ReasonText(hr)));
}

}  // namespace

TakeController::TakeController(TakeComponents components, TfrmLyric* lyrics, std::unique_ptr<TakeTimer> monitor,
                               std::unique_ptr<TakeTimer> lyricTimer)
    : c_(std::move(components)),
      lyrics_(lyrics),
      monitor_(monitor ? std::move(monitor) : std::make_unique<QtTakeTimer>(kMonitorIntervalMs)),
      lyricTimer_(lyricTimer ? std::move(lyricTimer) : std::make_unique<QtTakeTimer>(kLyricIntervalMs))
{
    monitor_->SetHandler([this] { MonitorTick(); });
    lyricTimer_->SetHandler([this] { LyricTick(); });
}

TakeController::~TakeController()
{
    // A take still running when the program closes is finished, so its file is whole.
    blockSignals(true);
    if (running()) (void)Finish();
}

void TakeController::ApplyBalance(int32_t balance)
{
    if (c_.player) (void)c_.player->SetAudioBalance(balance);
}

void TakeController::StartTake(const TakeRequest& request)
{
    if (running()) return;
    try {
        StartSteps(request);
    } catch (const ProgramError& e) {
        RollBack();
        emit message(e.text());
    }
}

void TakeController::StartSteps(const TakeRequest& request)
{
    if (request.accompaniment.isEmpty()) throw ProgramError(Text(Id::NoAccompaniment));
    if (!c_.missingComponents.isEmpty() || !c_.player || !c_.recorder || !c_.file || !c_.meter)
        throw ProgramError(c_.missingComponents.isEmpty() ? Text(Id::ComponentMissing) : c_.missingComponents);
    const QString folder = take_rules::TrimTrailingSeparators(request.outputFolder);
    if (const QString problem = take_rules::OutputFolderProblem(folder); !problem.isEmpty()) throw ProgramError(problem);
    QDir().mkpath(folder);  // a folder that cannot be made shows when the file is created

    accompaniment_ = request.accompaniment;
    const bool audio = take_rules::IsAudioAccompaniment(take_rules::ExtensionOf(request.accompaniment));
    lyricsLoaded_ = false;
    if (audio && lyrics_ && !request.lyricPath.isEmpty() && QFileInfo(request.lyricPath).isFile()) {
        try {
            lyrics_->LoadLyricFile(QFile::encodeName(request.lyricPath).toStdString());
        } catch (const std::exception& e) {
            throw ProgramError(Text(Id::LyricFileUnreadable).arg(request.lyricPath, QString::fromStdString(e.what())));
        }
        lyricsLoaded_ = true;
        drawnLine_ = -1;
        lyricsGbk_ = lyric_drawing::IsGbkFile(*lyrics_);
    }

    bytesWritten_ = 0;
    writeErrorShown_ = false;
    endOfStream_ = sourceLost_ = playbackAborted_ = false;
    abortTicks_ = 0;
    tailTicks_ = 0;
    playbackError_.clear();
    output_ = take_rules::UniqueOutputPath(take_rules::OutputPath(folder, request.start, request.accompaniment));
    // Capture runs before the first sample of the accompaniment is heard.
    StartRecording(output_, request);
    StartPlayback(request);

    monitor_->Start();
    if (lyricsLoaded_) lyricTimer_->Start();
    if (lyricsLoaded_ || !audio) emit displayWanted(true);
    state_ = State::Running;
    emit stateChanged(true);
}

void TakeController::StartRecording(const QString& outputPath, const TakeRequest& request)
{
    Check(c_.meter->Start(), Text(Id::MeterNotStarted));
    meterStarted_ = true;
    voiceMix_ = request.voiceMix;
    if (!voiceMix_) {
        Check(c_.file->SetFormat(1), Text(Id::FormatNotSet));
        // MP3 recordings are always stereo, 44100 samples per second, 16 bits.
        Check(c_.file->SetAudioFormat(2, 44100, 16), Text(Id::FormatNotSet));
        Check(c_.file->SetMP3BitRate(request.mp3BitRate), Text(Id::BitRateNotSet));
        const HRESULT created = c_.file->CreateAudioFile(QFile::encodeName(outputPath).toStdString());
        if (FAILED(created)) throw ProgramError(FileProblem(created, Text(Id::FileNotCreated).arg(outputPath)));
        fileOpen_ = true;
    }
    Check(c_.recorder->SetAudioFormat(2, 44100, 16), Text(Id::FormatNotSet));
    bufferSize_ = request.bufferSize > 0 ? request.bufferSize : 16384;
    Check(c_.recorder->put_buffersize(bufferSize_), Text(Id::BufferSizeNotSet));
    Check(c_.recorder->put_Source(request.source), Text(Id::SourceNotSet));
    const HRESULT started = c_.recorder->StartRecord();
    if (FAILED(started))
        throw ProgramError(Text(Id::RecordingNotStarted));
    recording_ = true;
    if (voiceMix_) StartVoice(outputPath, request);
}

void TakeController::StartVoice(const QString& outputPath, const TakeRequest& request)
{
    if (!voice_) {
        voice_ = std::make_unique<voice_mix::VoiceTake>();
        connect(voice_.get(), &voice_mix::VoiceTake::mixFinished, this, &TakeController::VoiceMixed);
        connect(voice_.get(), &voice_mix::VoiceTake::mixProgress, this, &TakeController::voiceMixProgress);
    }
    voice_mix::VoiceTakeRequest voice;
    voice.output = outputPath;
    voice.accompaniment = request.accompaniment;
    voice.balance = request.balance;
    voice.bitRate = request.mp3BitRate;
    voice.choice = {true, request.voiceSource, request.hearVoice};
    voice.configPath = request.configPath;
    // The heard position, to the middle of its millisecond.
    voice.musicNs = [player = c_.player]() -> int64_t {
        LONG ms = 0;
        return player->GetCurrentPositionMs(&ms) == S_OK ? int64_t(ms) * 1000000 + 500000 : -1;
    };
    if (const QString problem = voice_->Begin(voice); !problem.isEmpty()) throw ProgramError(problem);
}

void TakeController::VoiceMixed(const QString& output, const QString& voicePath, const QString& error)
{
    // The take's file when the mix was made, otherwise the voice alone: nothing sung is lost.
    if (QFileInfo(output).isFile())
        emit recordingFinished(output);
    else if (QFileInfo(voicePath).isFile())
        emit recordingFinished(voicePath);
    if (!error.isEmpty()) emit message(error);
    // A later take that has begun since owns the voice take's settings now.
    if (QFileInfo(output).isFile() && QFileInfo(voicePath).isFile() && voice_ && !voice_->running())
        emit voiceTakeMixed(output, voicePath, voice_->settings());
    else
        emit voiceTakeNotMixed(output);
}

void TakeController::StartPlayback(const TakeRequest& request)
{
    c_.player->SetFileName(QFile::encodeName(request.accompaniment).toStdString());
    c_.player->SetVideoWindow(static_cast<LONG>(request.videoWindow));
    // Held by the player and applied before its first sample.
    c_.player->SetAudioBalance(request.balance);
    const HRESULT played = c_.player->Play();
    if (FAILED(played)) {
        const QString why = PlayerError();
        throw ProgramError(why.isEmpty() ? Text(Id::AccompanimentNotPlayable).arg(request.accompaniment)
                                         : Text(Id::AccompanimentNotPlayableBecause).arg(request.accompaniment, why));
    }
    playing_ = true;
}

QString TakeController::PlayerError() const
{
    std::string text;
    if (!c_.player || FAILED(c_.player->GetLastErrorText(&text))) return {};
    return QString::fromStdString(text).trimmed();
}

QString TakeController::FileProblem(HRESULT hr, const QString& doing) const
{
    if (hr == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND))
        return Text(Id::EncoderMissing);
    return Text(Id::Problem).arg(doing, ReasonText(hr));
}

void TakeController::RollBack()
{
    monitor_->Stop();
    lyricTimer_->Stop();
    if (playing_) (void)c_.player->Stop();
    playing_ = false;
    // Nothing was sung yet: what the capture held back is not written, and the file
    // this start created is removed.
    const bool created = fileOpen_;
    fileOpen_ = false;
    if (recording_) (void)c_.recorder->StopRecord();
    recording_ = false;
    if (voice_) voice_->Abandon();
    voiceMix_ = false;
    if (created) {
        (void)c_.file->CloseAudioFile();
        QFile::remove(output_);
    }
    if (meterStarted_) (void)c_.meter->Stop();
    meterStarted_ = false;
    lyricsLoaded_ = false;
    state_ = State::Idle;
    emit displayWanted(false);
    emit stateChanged(false);
}

QString TakeController::Finish()
{
    QString firstError;
    auto step = [&](HRESULT hr, const QString& what) {
        if (FAILED(hr) && firstError.isEmpty()) firstError = Text(Id::Problem).arg(what, ReasonText(hr));
    };
    monitor_->Stop();
    lyricTimer_->Stop();
    if (playing_) step(c_.player->Stop(), Text(Id::AccompanimentNotStopped));
    playing_ = false;
    // The capture hands out what it still holds (through RecorderData) before the
    // file is finished.
    if (recording_) step(c_.recorder->StopRecord(), Text(Id::RecordingNotStopped));
    recording_ = false;
    // The voice track is finished now; the mix follows on a worker, then the history row.
    if (voiceMix_ && voice_) {
        voice_->End();
        if (voice_->rendering()) emit voiceTakeMixing(output_, voice_->stream());
    }
    voiceMix_ = false;
    if (fileOpen_) {
        fileOpen_ = false;
        const HRESULT closed = c_.file->CloseAudioFile();
        if (FAILED(closed) && firstError.isEmpty())
            firstError = FileProblem(closed, Text(Id::FileNotFinished).arg(output_));
        if (bytesWritten_ > 0)
            emit recordingFinished(output_);
        else
            QFile::remove(output_);  // nothing was captured: no empty recording is left
    }
    if (meterStarted_) step(c_.meter->Stop(), Text(Id::MeterNotStopped));
    meterStarted_ = false;
    lyricsLoaded_ = false;
    state_ = State::Idle;
    emit displayWanted(false);
    emit positionChanged(0, 0);
    emit stateChanged(false);
    return firstError;
}

void TakeController::StopTake()
{
    if (running()) End(EndReason::Normal);
}

void TakeController::End(EndReason reason)
{
    const QString error = Finish();
    if (reason == EndReason::SourceLost)
        emit message(Text(Id::SourceLost).arg(output_));
    else if (reason == EndReason::PlaybackAborted)
        emit message(playbackError_.isEmpty() ? Text(Id::PlaybackAborted).arg(accompaniment_, output_)
                                              : Text(Id::PlaybackAbortedBecause).arg(accompaniment_, playbackError_, output_));
    if (!error.isEmpty()) emit message(error);
}

void TakeController::RecorderData()
{
    if (!c_.recorder || !c_.file) return;
    SampleArray array;
    if (FAILED(c_.recorder->ReceiveArray(array.slot())) || !array.get()) return;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array.get(), 1, &lower);
    SafeArrayGetUBound(array.get(), 1, &upper);
    const LONG count = upper - lower + 1;
    if (count < 1 || !fileOpen_) return;
    const HRESULT hr = c_.file->Write(array.slot(), count);
    if (SUCCEEDED(hr)) {
        bytesWritten_ += static_cast<uint64_t>(count);
        return;
    }
    // Told once per take; capture goes on, and the file keeps everything written before.
    if (!writeErrorShown_) {
        writeErrorShown_ = true;
        emit message(FileProblem(hr, Text(Id::WriteFailed).arg(output_)) + QLatin1Char(' ') + Text(Id::WrittenKept));
    }
}

void TakeController::RecorderTimer()
{
    if (!c_.recorder || !c_.meter) return;
    SampleArray array(SafeArrayCreateVector(VT_I1, 0, kMeterBytes));
    if (!array.get()) {
        emit message(QStringLiteral("saftarray do not get memory!"));
        return;
    }
    if (FAILED(c_.recorder->ReceiveCurrentArray(array.slot(), kMeterBytes))) return;
    (void)c_.meter->SendData(array.slot(), kMeterBytes);
}

void TakeController::RecorderError()
{
    // Ended at the next monitor tick, outside the recorder's own event.
    if (running()) sourceLost_ = true;
}

void TakeController::GraphEvent(LONG code)
{
    if (!running()) return;
    if (code == EC_COMPLETE) endOfStream_ = true;
    if (code == EC_ERRORABORT && !playbackAborted_) {
        playbackAborted_ = true;
        playbackError_ = PlayerError();
    }
}

void TakeController::MonitorTick()
{
    if (!running()) {
        monitor_->Stop();
        return;
    }
    // Both read 0 when the player has no media (Stop in the display window released it).
    LONG position = 0;
    LONG duration = 0;
    c_.player->GetCurrentPosition(&position);
    const HRESULT known = c_.player->GetDuration(&duration);
    emit positionChanged(position, duration);
    // A sound server that dies stops both the playback and the capture; the playback's
    // error is held for one tick so that the user reads about the recording source.
    if (sourceLost_)
        End(EndReason::SourceLost);
    else if (playbackAborted_ && ++abortTicks_ > 1)
        End(EndReason::PlaybackAborted);
    else if (known == S_OK && position >= duration && duration == 0)
        End(EndReason::Normal);  // no media any more: Stop in the display window released it
    else if ((endOfStream_ || (known == S_OK && position >= duration)) && ++tailTicks_ > 1)
        End(EndReason::Normal);  // one tick later, so the last notes reach the file from the server
}

void TakeController::LyricTick()
{
    if (!running() || !lyricsLoaded_) return;
    // The lyrics follow what is heard: the player's position, which also stands still
    // while the accompaniment is paused.
    LONG positionMs = 0;
    c_.player->GetCurrentPositionMs(&positionMs);
    // The picture changes only with the current line: redrawn when that moves on.
    const int32_t line = lyrics_->LineIndexAt(positionMs);
    if (line == drawnLine_) return;
    drawnLine_ = line;
    emit lyricsAt(positionMs);
}
