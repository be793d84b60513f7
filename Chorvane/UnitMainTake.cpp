// The main window's side of the take: its fields and handlers. The take itself is
// run by the take controller.
#include "UnitMain.h"

#include "LedDisplay.h"
#include "UnitDisplay.h"
#include "UnitHistory.h"
#include "UnitLyric.h"
#include "lyric_drawing.h"
#include "message_box.h"
#include "profile.h"
#include "program_messages.h"
#include "take_rules.h"
#include "voice_mix_settings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

const char* const kAccompanimentFilter =
    "Support files (*.wav *.mp3 *.wma *.rmvb *.rm *.avi *.wmv *.mov *.mpg *.dat);;"
    "Audio Files(*.wav;*.mp3;*.wma) (*.wav *.mp3 *.wma);;"
    "Video Files(*.rmvb;*.rm;*.avi;*.wmv;*.mov;*.mpg) (*.rmvb *.rm *.avi *.wmv *.mov *.mpg *.dat)";
const char* const kLyricFilter = "LRC Files (*.lrc)";
// How long the status bar names the file a take was saved to.
constexpr int kSavedMessageMs = 8000;

// An open-file dialog that also lists hidden files.
QString ChooseFile(QWidget* parent, const QString& caption, const QString& folder, const char* filter)
{
    QFileDialog dialog(parent, caption, folder, QString::fromUtf8(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

void TfrmMain::connectTake()
{
    connect(take_.get(), &TakeController::stateChanged, this, [this](bool running) {
        ButtonRecord->setText(running ? stopCaption_ : startCaption_);
        EnableFileFields(!running);
        if (!running) RzLEDDisplay->setCaption(QString::fromLatin1(take_rules::kIdleLedCaption));
    });
    connect(take_.get(), &TakeController::positionChanged, this,
            [this](LONG position, LONG duration) { RzLEDDisplay->setCaption(take_rules::LedCaption(position, duration)); });
    connect(take_.get(), &TakeController::displayWanted, this, [this](bool show) {
        if (!display_) return;
        if (show)
            display_->ShowDisplay();
        else if (display_->isVisible())
            display_->hide();
    });
    connect(take_.get(), &TakeController::lyricsAt, this, &TfrmMain::DrawLyricsAt);
    connect(take_.get(), &TakeController::recordingFinished, this, [this](const QString& path) {
        History->TakeFinished(path);
        statusBar()->showMessage(program_messages::Text(program_messages::Id::SavedTo).arg(QDir::toNativeSeparators(path)), kSavedMessageMs);
        emit takeFinished(path);
    });
    connect(take_.get(), &TakeController::message, this, [this](const QString& text) { message_box::Show(this, text); });
}

void TfrmMain::ButtonRecordClick()
{
    RunHandler(this, [this] {
        if (!take_->running())
            StartTake();
        else
            StopTake();
    });
}

void TfrmMain::BitBtnKaraokeFileClick()
{
    QString start = lastAccompanimentFolder_;
    if (start.isEmpty()) start = DemoFolder();
    const QString path = ChooseFile(this, program_messages::Text(program_messages::Id::ChooseAccompaniment), start, kAccompanimentFilter);
    if (path.isEmpty()) return;
    lastAccompanimentFolder_ = QFileInfo(path).absolutePath();
    AccompanimentChosen(path);
}

void TfrmMain::AccompanimentChosen(const QString& path)
{
    EditKaraokeFile->setText(path);
    EditKaraokeFileChange();
    const bool audio = take_rules::IsAudioAccompaniment(take_rules::ExtensionOf(path));
    CheckBoxLeftChannel->setChecked(true);
    CheckBoxRightChannel->setChecked(audio);
}

void TfrmMain::EditKaraokeFileChange()
{
    const QString path = EditKaraokeFile->text().trimmed();
    const bool audio = !path.isEmpty() && take_rules::IsAudioAccompaniment(take_rules::ExtensionOf(path));
    ShowLyricFileFields(audio);
    if (!audio) return;
    // A new song brings its own lyrics; without a twin the field keeps its text.
    const QString twin = take_rules::LyricTwinOf(path);
    if (!twin.isEmpty()) EditLRCFile->setText(twin);
}

void TfrmMain::BitBtnLRCFileClick()
{
    const QString start = QFileInfo(EditKaraokeFile->text()).absolutePath();
    const QString path = ChooseFile(this, program_messages::Text(program_messages::Id::ChooseLyricFile), start, kLyricFilter);
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
    take_->ApplyBalance(take_rules::BalanceFor(CheckBoxLeftChannel->isChecked(), CheckBoxRightChannel->isChecked()));
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
    // Without an accompaniment there is no take: the language file's message says so.
    if (EditKaraokeFile->text().isEmpty()) {
        message_box::Show(this, noAccompanimentMessage_);
        return;
    }
    if (bufferSize_ == 0) bufferSize_ = 16384;
    TakeRequest request;
    request.accompaniment = EditKaraokeFile->text();
    request.lyricPath = EditLRCFile->text();
    request.outputFolder = OutputFolder();
    request.mp3BitRate = values_.mp3BitRate;
    request.bufferSize = bufferSize_;
    request.balance = take_rules::BalanceFor(CheckBoxLeftChannel->isChecked(), CheckBoxRightChannel->isChecked());
    request.videoWindow = display_ ? display_->handle() : 0;
    const voice_mix::VoiceChoice voice = voice_mix::ReadVoiceChoice(configPath().toStdString());
    request.voiceMix = voice.enabled;
    request.voiceSource = voice.source;
    request.hearVoice = voice.hearVoice;
    request.configPath = configPath().toStdString();
    if (recordingSource_) request.source = recordingSource_();
    take_->StartTake(request);
}

void TfrmMain::StopTake()
{
    take_->StopTake();
}

void TfrmMain::NimAudioRecorderData()
{
    take_->RecorderData();
}

void TfrmMain::NimAudioRecorderTimer()
{
    take_->RecorderTimer();
}

void TfrmMain::NimAudioRecorderError()
{
    take_->RecorderError();
}

void TfrmMain::DrawLyricsAt(int32_t positionMs)
{
    if (!lyric_ || !display_) return;
    lyric_drawing::DrawLyrics(display_->ImageDisplay()->picture(), *lyric_, positionMs, display_->OuterHeight(),
                              lyric_drawing::LyricFont(), take_->lyricsGbk());
    display_->ImageDisplay()->refresh();
}
