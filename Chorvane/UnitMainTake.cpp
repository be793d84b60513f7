// The take: from the sing button to the end of playback or the second press.
#include "UnitMain.h"

#include "LedDisplay.h"
#include "UnitDisplay.h"
#include "UnitLyric.h"
#include "lyric_drawing.h"
#include "message_box.h"
#include "profile.h"
#include "take_rules.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QGroupBox>

namespace {

const char* const kAccompanimentFilter =
    "Support files (*.wav *.mp3 *.wma *.rmvb *.rm *.avi *.wmv *.mov *.mpg *.dat);;"
    "Audio Files(*.wav;*.mp3;*.wma) (*.wav *.mp3 *.wma);;"
    "Video Files(*.rmvb;*.rm;*.avi;*.wmv;*.mov;*.mpg) (*.rmvb *.rm *.avi *.wmv *.mov *.mpg *.dat)";
const char* const kLyricFilter = "LRC Files (*.lrc)";

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

}  // namespace

void TfrmMain::ButtonRecordClick()
{
    RunHandler(this, [this] {
        if (takeState_ == 0)
            StartTake();
        else
            StopTake();
    });
}

void TfrmMain::BitBtnKaraokeFileClick()
{
    QString start = lastAccompanimentFolder_;
    if (start.isEmpty()) start = DemoFolder();
    const QString path = QFileDialog::getOpenFileName(this, tr("Choose an accompaniment"), start,
                                                      QString::fromUtf8(kAccompanimentFilter));
    if (path.isEmpty()) return;
    lastAccompanimentFolder_ = QFileInfo(path).absolutePath();
    AccompanimentChosen(path);
}

void TfrmMain::AccompanimentChosen(const QString& path)
{
    EditKaraokeFile->setText(path);
    if (take_rules::IsAudioAccompaniment(take_rules::ExtensionOf(path))) {
        ShowLyricFileFields(true);
        const QFileInfo info(path);
        const QString name = info.fileName();
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        const QString twin = info.dir().filePath((dot < 0 ? name : name.left(dot)) + QStringLiteral(".lrc"));
        if (QFileInfo::exists(twin)) EditLRCFile->setText(twin);
        CheckBoxLeftChannel->setChecked(true);
        CheckBoxRightChannel->setChecked(true);
    } else {
        ShowLyricFileFields(false);
        CheckBoxLeftChannel->setChecked(true);
        CheckBoxRightChannel->setChecked(false);
    }
}

void TfrmMain::BitBtnLRCFileClick()
{
    const QString start = QFileInfo(EditKaraokeFile->text()).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, tr("Choose a lyric file"), start, QString::fromUtf8(kLyricFilter));
    if (!path.isEmpty()) EditLRCFile->setText(path);
}

void TfrmMain::ShowLyricFileFields(bool visible)
{
    GroupBoxKaraokeFile->setFixedHeight(visible ? 80 : 52);
    LabelLRCFile->setVisible(visible);
    EditLRCFile->setVisible(visible);
    BitBtnLRCFile->setVisible(visible);
}

void TfrmMain::EnableFileFields(bool enabled)
{
    EditKaraokeFile->setEnabled(enabled);
    EditLRCFile->setEnabled(enabled);
    BitBtnKaraokeFile->setEnabled(enabled);
    BitBtnLRCFile->setEnabled(enabled);
}

void TfrmMain::ApplyChannelChoice()
{
    if (!player_) return;
    check(player_->SetAudioBalance(take_rules::BalanceFor(CheckBoxLeftChannel->isChecked(),
                                                          CheckBoxRightChannel->isChecked())),
          tr("The channel choice could not be applied"));
}

QString TfrmMain::OutputFolder() const
{
    QString folder = QString::fromStdString(profile::ReadString(configPath().toStdString(), "recorder_setting", "folder", ""));
    folder = take_rules::TrimTrailingSeparators(folder);
    if (folder.isEmpty()) folder = DefaultOutputFolder();
    return folder;
}

void TfrmMain::StartTake()
{
    const QString folder = OutputFolder();
    QDir().mkpath(take_rules::TrimTrailingSeparators(folder));  // a failure shows at CreateAudioFile
    const QString accompaniment = EditKaraokeFile->text();
    const QString lyricPath = EditLRCFile->text();
    takeAccompaniment_ = accompaniment;
    if (accompaniment.isEmpty()) {
        message_box::Show(this, noAccompanimentMessage_);
        return;
    }
    if (take_rules::IsAudioAccompaniment(take_rules::ExtensionOf(accompaniment)))
        StartAudioPlayback(accompaniment, lyricPath);
    else
        StartVideoPlayback(accompaniment);

    const QString output = take_rules::OutputPath(folder, QDateTime::currentDateTime(), accompaniment);
    if (QFileInfo::exists(output)) QFile::remove(output);
    takeOutput_ = output;
    writeErrorShown_ = false;
    StartRecording(output, 1);
    takeState_ = 1;
    ButtonRecord->setText(stopCaption_);
    EnableFileFields(false);
}

void TfrmMain::StartAudioPlayback(const QString& accompaniment, const QString& lyricPath)
{
    takeState_ = 1;
    if (!lyricPath.isEmpty() && QFileInfo::exists(lyricPath) && lyric_) {
        try {
            lyric_->LoadLyricFile(lyricPath.toStdString());
        } catch (const std::exception& e) {
            throw ProgramError(tr("The lyric file \"%1\" could not be read: %2").arg(lyricPath, QString::fromStdString(e.what())));
        }
        lyricTickCount_ = 0;
        TimerLyric.start();
        if (display_) display_->ShowDisplay();
    }
    if (player_) {
        player_->SetFileName(accompaniment.toStdString());
        player_->SetVideoWindow(static_cast<LONG>(display_ ? display_->handle() : 0));
        player_->Play();
    }
    ApplyChannelChoice();
    TimerMonitorIsStop.start();
}

void TfrmMain::StartVideoPlayback(const QString& accompaniment)
{
    if (player_) {
        player_->SetFileName(accompaniment.toStdString());
        player_->SetVideoWindow(static_cast<LONG>(display_ ? display_->handle() : 0));
        player_->Play();
    }
    ApplyChannelChoice();
    if (display_) display_->ShowDisplay();
    TimerMonitorIsStop.start();
}

void TfrmMain::StartRecording(const QString& outputPath, int32_t fileFormat)
{
    if (!file_ || !recorder_ || !meter_) throw ProgramError(componentError_);
    check(meter_->Start(), tr("The level meter could not be started"));
    check(file_->SetFormat(fileFormat), tr("The recording format could not be set"));
    check(file_->SetAudioFormat(2, 44100, 16), tr("The recording format could not be set"));
    check(file_->SetMP3BitRate(values_.mp3BitRate), tr("The MP3 bit rate could not be set"));
    check(file_->CreateAudioFile(outputPath.toStdString()),
          tr("The recording file \"%1\" could not be created").arg(outputPath));
    fileOpen_ = true;
    check(recorder_->SetAudioFormat(2, 44100, 16), tr("The recording format could not be set"));
    if (bufferSize_ == 0) bufferSize_ = 16384;
    check(recorder_->put_buffersize(bufferSize_), tr("The capture buffer size could not be set"));
    check(recorder_->StartRecord(), tr("Recording could not be started from the sound system's recording source"));
}

void TfrmMain::NimAudioRecorderData()
{
    if (!recorder_ || !file_) return;
    SampleArray array;
    check(recorder_->ReceiveArray(array.slot()), tr("The captured sound could not be collected"));
    LONG lower = 0, upper = -1;
    if (array.get()) {
        SafeArrayGetLBound(array.get(), 1, &lower);
        SafeArrayGetUBound(array.get(), 1, &upper);
    }
    const LONG count = upper - lower + 1;
    if (count < 1 || !fileOpen_) return;
    const HRESULT hr = file_->Write(array.slot(), count);
    // A failing write (a full disk) is told once per take; capture goes on, and
    // the file keeps everything written before.
    if (FAILED(hr) && !writeErrorShown_) {
        writeErrorShown_ = true;
        check(hr, tr("The recording could not be written to \"%1\"").arg(takeOutput_));
    }
}

void TfrmMain::NimAudioRecorderTimer()
{
    if (!recorder_ || !meter_) return;
    SampleArray array(SafeArrayCreateVector(VT_I1, 0, kMeterBytes));
    if (!array.get()) {
        message_box::Show(this, QStringLiteral("saftarray do not get memory!"));
        return;
    }
    check(recorder_->ReceiveCurrentArray(array.slot(), kMeterBytes), tr("The captured sound could not be collected"));
    check(meter_->SendData(array.slot(), kMeterBytes), tr("The level meter could not be updated"));
}

void TfrmMain::TimerMonitorIsStopTimer()
{
    LONG position = 0;
    LONG duration = 0;
    if (player_) {
        player_->GetCurrentPosition(&position);
        player_->GetDuration(&duration);
    }
    RzLEDDisplay->setCaption(take_rules::LedCaption(position, duration));
    if (position >= duration) {
        TimerMonitorIsStop.stop();
        StopTake();
    }
}

void TfrmMain::TimerLyricTimer()
{
    ++lyricTickCount_;
    if (!lyric_ || !display_) return;
    const int32_t position = lyricTickCount_ * 500;
    lyric_drawing::DrawLyrics(display_->ImageDisplay()->picture(), *lyric_, position, display_->OuterHeight(),
                              lyric_drawing::LyricFont());
    display_->ImageDisplay()->refresh();
}

void TfrmMain::StopAudioPlayback()
{
    takeState_ = 0;
    if (player_) player_->Stop();
    TimerMonitorIsStop.stop();
    TimerLyric.stop();
    lyricTickCount_ = 0;
}

void TfrmMain::StopVideoPlayback()
{
    if (player_) player_->Stop();
    TimerMonitorIsStop.stop();
}

void TfrmMain::StopRecording()
{
    // Every step runs even when one fails, so that the file is always finished; the
    // first failure is reported afterwards.
    QString firstError;
    auto step = [&](HRESULT hr, const QString& what) {
        if (FAILED(hr) && firstError.isEmpty()) firstError = what + QStringLiteral(": ") + QString::fromStdString(HResultText(hr));
    };
    if (recorder_) step(recorder_->StopRecord(), tr("Recording could not be stopped cleanly"));
    if (file_ && fileOpen_) {
        fileOpen_ = false;
        step(file_->CloseAudioFile(), tr("The recording file \"%1\" could not be finished").arg(takeOutput_));
    }
    if (meter_) step(meter_->Stop(), tr("The level meter could not be stopped"));
    if (!firstError.isEmpty()) throw ProgramError(firstError);
}

void TfrmMain::StopTake()
{
    if (take_rules::IsAudioAccompaniment(take_rules::ExtensionOf(takeAccompaniment_)))
        StopAudioPlayback();
    else
        StopVideoPlayback();
    QString error;
    try {
        StopRecording();
    } catch (const ProgramError& e) {
        error = e.text();
    }
    // Only a recording that exists goes into the history.
    if (!takeOutput_.isEmpty() && QFileInfo::exists(takeOutput_)) {
        ListHistory->addItem(takeOutput_);
        emit takeFinished(takeOutput_);
    }
    if (display_ && display_->isVisible()) display_->hide();
    if (TimerLyric.isActive()) TimerLyric.stop();
    lyricTickCount_ = 0;
    EnableFileFields(true);
    takeState_ = 0;
    RzLEDDisplay->setCaption(QString::fromLatin1(take_rules::kIdleLedCaption));
    ButtonRecord->setText(startCaption_);
    if (!error.isEmpty()) throw ProgramError(error);
}
