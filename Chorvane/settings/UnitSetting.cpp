#include "UnitSetting.h"

#include "Unit_common_directory.h"
#include "autorun.h"
#include "language_choice.h"
#include "message_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>

namespace {

constexpr int kRowHeight = 22;

template <size_t N>
QComboBox* ListOf(QWidget* parent, const char* name, const std::array<const char*, N>& texts, QRect where)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const char* text : texts) box->addItem(QString::fromUtf8(text));  // fixed texts, never translated
    box->setGeometry(where);
    return box;
}

QLabel* LabelOf(QWidget* parent, const char* name, const QString& caption, QRect where)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    return label;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name, QRect where)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(where);
    return widget;
}

// The language list: each language in its own words, never translated.
constexpr std::array<const char*, 2> kLanguageTexts = {"English", "\u4E2D\u6587"};
int32_t LanguageOfIndex(int index)
{
    return index == 1 ? language_choice::kChinese : language_choice::kEnglish;
}
int IndexOfLanguage(int32_t number)
{
    return number == language_choice::kChinese ? 1 : 0;
}
// Every number but 1 is English.
int32_t Normalised(int32_t number)
{
    return LanguageOfIndex(IndexOfLanguage(number));
}

// Selects the entry, or none when the index lies outside the list.
void SelectOrNone(QComboBox* box, int32_t index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

}  // namespace

TfrmSetting::TfrmSetting(std::string configPath, Handover handover, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      configPath_(std::move(configPath)),
      handover_(std::move(handover))
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(tr("Setting"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
    buildControls();
    runningLanguage_ = Normalised(language_choice::ReadLanguageNumber(configPath_));
    LoadSettings();
}

void TfrmSetting::buildControls()
{
    LabelDriver = LabelOf(this, "LabelDriver", tr("Driver"), {8, 10, 88, kRowHeight});
    ComboBoxDriver = Named(new QComboBox(this), "ComboBoxDriver", {98, 10, 139, kRowHeight});

    GroupBoxWav = Named(new QGroupBox(tr("WAV"), this), "GroupBoxWav", {6, 38, 233, 98});
    LabelWAVFrequency = LabelOf(GroupBoxWav, "LabelWAVFrequency", tr("Frequency"), {6, 18, 86, kRowHeight});
    ComboBoxWAVFrequency = ListOf(GroupBoxWav, "ComboBoxWAVFrequency", recorder_settings::kSampleRateTexts,
                                  {92, 18, 135, kRowHeight});
    LabelWavChannels = LabelOf(GroupBoxWav, "LabelWavChannels", tr("Channels"), {6, 44, 86, kRowHeight});
    ComboBoxWAVChannels = ListOf(GroupBoxWav, "ComboBoxWAVChannels", recorder_settings::kChannelTexts,
                                 {92, 44, 135, kRowHeight});
    LabelWAVBitsPerSample = LabelOf(GroupBoxWav, "LabelWAVBitsPerSample", tr("BitsPerSample"), {6, 70, 86, kRowHeight});
    ComboBoxWAVBitsPerSample = ListOf(GroupBoxWav, "ComboBoxWAVBitsPerSample", recorder_settings::kBitsPerSampleTexts,
                                      {92, 70, 135, kRowHeight});

    GroupBoxMP3 = Named(new QGroupBox(tr("MP3"), this), "GroupBoxMP3", {6, 140, 233, 48});
    LabelMP3BitRate = LabelOf(GroupBoxMP3, "LabelMP3BitRate", tr("BitRate"), {6, 18, 86, kRowHeight});
    ComboBoxMP3BitRate = ListOf(GroupBoxMP3, "ComboBoxMP3BitRate", recorder_settings::kMp3BitRateTexts,
                                {92, 18, 135, kRowHeight});

    LabelBufferSize = LabelOf(this, "LabelBufferSize", tr("Buffer Size"), {8, 194, 88, kRowHeight});
    EditBufferSize = Named(new QLineEdit(QStringLiteral("16384"), this), "EditBufferSize", {98, 194, 139, kRowHeight});
    LabelOutputFolder = LabelOf(this, "LabelOutputFolder", tr("Output Folder"), {8, 220, 88, kRowHeight});
    EditOutputFolder = Named(new QLineEdit(this), "EditOutputFolder", {98, 220, 94, kRowHeight});
    ButtonOutputFolder = Named(new QPushButton(tr("Set..."), this), "ButtonOutputFolder", {195, 220, 42, kRowHeight});

    CheckBoxAutoConfig = Named(new QCheckBox(tr("Auto Config"), this), "CheckBoxAutoConfig", {8, 244, 110, 18});
    CheckBoxAutoRun = Named(new QCheckBox(tr("Auto Run"), this), "CheckBoxAutoRun", {127, 244, 110, 18});

    LabelLanguage = LabelOf(this, "LabelLanguage", tr("Language"), {8, 266, 88, kRowHeight});
    ComboBoxLanguage = ListOf(this, "ComboBoxLanguage", kLanguageTexts, {98, 266, 139, kRowHeight});
    LabelLanguageNotice = LabelOf(this, "LabelLanguageNotice", tr("Applies at the next start"), {8, 288, 229, 18});
    LabelLanguageNotice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelLanguageNotice->setVisible(false);
    connect(ComboBoxLanguage, &QComboBox::currentIndexChanged, this, &TfrmSetting::UpdateLanguageNotice);

    ButtonOK = Named(new QPushButton(tr("OK"), this), "ButtonOK", {8, 310, 73, 23});
    ButtonCancel = Named(new QPushButton(tr("Cancel"), this), "ButtonCancel", {86, 310, 73, 23});
    ButtonDefault = Named(new QPushButton(tr("Default"), this), "ButtonDefault", {164, 310, 73, 23});
    ButtonOK->setAutoDefault(false);
    ButtonCancel->setAutoDefault(false);
    ButtonDefault->setAutoDefault(false);

    connect(ButtonOK, &QPushButton::clicked, this, &TfrmSetting::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TfrmSetting::ButtonCancelClick);
    connect(ButtonDefault, &QPushButton::clicked, this, &TfrmSetting::ButtonDefaultClick);
    connect(ButtonOutputFolder, &QPushButton::clicked, this, &TfrmSetting::ButtonOutputFolderClick);
}

void TfrmSetting::SetDriverList(const QStringList& drivers)
{
    ComboBoxDriver->clear();
    ComboBoxDriver->addItems(drivers);
}

void TfrmSetting::LoadSettings()
{
    const recorder_settings::StoredSettings s = recorder_settings::Read(configPath_);
    if (s.driver < ComboBoxDriver->count()) SelectOrNone(ComboBoxDriver, s.driver);
    SelectOrNone(ComboBoxWAVFrequency, s.frequency);
    SelectOrNone(ComboBoxWAVChannels, s.channels);
    SelectOrNone(ComboBoxWAVBitsPerSample, s.bitsPerSample);
    SelectOrNone(ComboBoxMP3BitRate, s.bitrate);
    EditBufferSize->setText(QString::number(s.bufferSize));
    EditOutputFolder->setText(s.folder);
    if (defaultFolder_) EditOutputFolder->setPlaceholderText(defaultFolder_());
    CheckBoxAutoRun->setChecked(s.autoRun);
    CheckBoxAutoConfig->setChecked(s.autoConfig);
    storedLanguage_ = Normalised(language_choice::ReadLanguageNumber(configPath_));
    ComboBoxLanguage->setCurrentIndex(IndexOfLanguage(storedLanguage_));
    UpdateLanguageNotice();
    if (handover_.values) handover_.values(recorder_settings::ToWorkingValues(s));
}

recorder_settings::StoredSettings TfrmSetting::fromControls() const
{
    recorder_settings::StoredSettings s;
    s.driver = ComboBoxDriver->currentIndex();
    s.frequency = ComboBoxWAVFrequency->currentIndex();
    s.channels = ComboBoxWAVChannels->currentIndex();
    s.bitsPerSample = ComboBoxWAVBitsPerSample->currentIndex();
    s.bitrate = ComboBoxMP3BitRate->currentIndex();
    s.folder = EditOutputFolder->text();
    s.bufferSize = recorder_settings::ParseBufferSize(EditBufferSize->text());
    s.autoRun = CheckBoxAutoRun->isChecked();
    s.autoConfig = CheckBoxAutoConfig->isChecked();
    return s;
}

void TfrmSetting::SaveSettings()
{
    const recorder_settings::StoredSettings s = fromControls();
    recorder_settings::Write(configPath_, s);
    const int32_t language = LanguageOfIndex(ComboBoxLanguage->currentIndex());
    if (language != storedLanguage_) {
        language_choice::WriteLanguageNumber(configPath_, language);
        storedLanguage_ = language;
    }
    SetAutoRun(s.autoRun);
    if (handover_.values) handover_.values(recorder_settings::ToWorkingValues(s));
    if (handover_.bufferSize) handover_.bufferSize(s.bufferSize);
}

void TfrmSetting::UpdateLanguageNotice()
{
    LabelLanguageNotice->setVisible(LanguageOfIndex(ComboBoxLanguage->currentIndex()) != runningLanguage_);
}

void TfrmSetting::ResetSettings()
{
    const recorder_settings::StoredSettings d;
    SelectOrNone(ComboBoxDriver, 0);
    SelectOrNone(ComboBoxWAVFrequency, d.frequency);
    SelectOrNone(ComboBoxWAVChannels, d.channels);
    SelectOrNone(ComboBoxWAVBitsPerSample, d.bitsPerSample);
    SelectOrNone(ComboBoxMP3BitRate, d.bitrate);
    EditOutputFolder->clear();
    EditBufferSize->setText(QString::number(d.bufferSize));
    CheckBoxAutoRun->setChecked(d.autoRun);
    CheckBoxAutoConfig->setChecked(d.autoConfig);
}

void TfrmSetting::SetAutoRun(bool on)
{
    autorun::SetAutoRun(on, QCoreApplication::applicationFilePath(), autorun::AutostartFolder());
}

void TfrmSetting::ButtonOKClick()
{
    RunHandler(this, [this] {
        SaveSettings();
        emit recordingSourcesOutdated(ComboBoxDriver->currentIndex());
        hide();
    });
}

void TfrmSetting::ButtonCancelClick()
{
    hide();
}

void TfrmSetting::ButtonDefaultClick()
{
    ResetSettings();
}

void TfrmSetting::ButtonOutputFolderClick()
{
    if (!chooser_) return;
    if (!EditOutputFolder->text().isEmpty()) (void)chooser_->SelectFolder(EditOutputFolder->text());
    if (chooser_->exec() == QDialog::Accepted) EditOutputFolder->setText(chooser_->chosenFolder());
}

void TfrmSetting::FormShow()
{
    LoadSettings();
    if (!EditBufferSize->validator())
        EditBufferSize->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), EditBufferSize));
}

void TfrmSetting::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}
