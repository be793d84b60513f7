#include "voice_source_panel.h"

#include "message_box.h"
#include "program_messages.h"
#include "voice_mix_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>

using program_messages::Id;
using program_messages::Text;

namespace {

constexpr int kIndent = 20;
constexpr int kLabelWidth = 95;
constexpr int kMeasureWidth = 140;
constexpr int kProgressWidth = 90;

template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

TVoiceSourcePanel::TVoiceSourcePanel(std::string configPath, QWidget* parent)
    : QWidget(parent), configPath_(configPath), measurement_(std::move(configPath))
{
    setObjectName(QStringLiteral("PanelVoiceSource"));
    LabelVoiceSource = Named(new QLabel(QStringLiteral("Microphone:"), this), "LabelVoiceSource");
    ComboBoxVoiceSource = Named(new QComboBox(this), "ComboBoxVoiceSource");
    CheckBoxHearVoice = Named(new QCheckBox(QStringLiteral("Hear my voice while singing"), this), "CheckBoxHearVoice");
    ButtonMeasureLatency = Named(new QPushButton(QStringLiteral("Measure latency"), this), "ButtonMeasureLatency");
    ButtonMeasureLatency->setAutoDefault(false);
    ProgressBarLatency = Named(new QProgressBar(this), "ProgressBarLatency");
    ProgressBarLatency->setRange(0, 0);  // busy: the measurement reports no steps
    ProgressBarLatency->setTextVisible(false);
    ProgressBarLatency->hide();
    LabelLatency = Named(new QLabel(this), "LabelLatency");
    LabelLatency->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CheckBoxHearVoice->setChecked(voice_mix::ReadVoiceChoice(configPath_).hearVoice);
    resize(400, kHeight);
    Place();

    connect(ComboBoxVoiceSource, &QComboBox::activated, this, &TVoiceSourcePanel::MicrophonePicked);
    connect(CheckBoxHearVoice, &QCheckBox::clicked, this, &TVoiceSourcePanel::HearVoiceClick);
    connect(ButtonMeasureLatency, &QPushButton::clicked, this, [this] { ButtonMeasureLatencyClick(); });
    connect(&measurement_, &LatencyMeasurement::finished, this, &TVoiceSourcePanel::MeasurementFinished);
    EnableControls();
}

bool TVoiceSourcePanel::IsMonitor(const std::string& id)
{
    static const std::string suffix = ".monitor";
    return id.size() >= suffix.size() && id.compare(id.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void TVoiceSourcePanel::SetMicrophones(const std::vector<Microphone>& sources)
{
    const std::string stored = voice_mix::ReadVoiceChoice(configPath_).source;
    const QSignalBlocker quiet(ComboBoxVoiceSource);
    ComboBoxVoiceSource->clear();
    ComboBoxVoiceSource->addItem(Text(Id::DefaultMicrophone), QString());
    for (const Microphone& m : sources)
        if (!IsMonitor(m.id)) ComboBoxVoiceSource->addItem(m.name, QString::fromStdString(m.id));
    int at = ComboBoxVoiceSource->findData(QString::fromStdString(stored));
    if (at < 0) {
        // Not plugged in now: it stays the choice until the user picks another.
        ComboBoxVoiceSource->addItem(QString::fromStdString(stored), QString::fromStdString(stored));
        at = ComboBoxVoiceSource->count() - 1;
    }
    ComboBoxVoiceSource->setCurrentIndex(at);
    CheckBoxHearVoice->setChecked(voice_mix::ReadVoiceChoice(configPath_).hearVoice);
}

void TVoiceSourcePanel::SetVoiceChosen(bool chosen)
{
    chosen_ = chosen;
    EnableControls();
}

void TVoiceSourcePanel::SetTakeRunning(bool running)
{
    takeRunning_ = running;
    if (running && measuring()) {
        measurement_.Cancel();
        ProgressBarLatency->hide();
        LabelLatency->clear();
        Place();
    }
    EnableControls();
}

void TVoiceSourcePanel::EnableControls()
{
    LabelVoiceSource->setEnabled(chosen_);
    ComboBoxVoiceSource->setEnabled(chosen_ && !measuring());
    CheckBoxHearVoice->setEnabled(chosen_);
    ButtonMeasureLatency->setEnabled(chosen_ && !measuring() && !takeRunning_);
}

void TVoiceSourcePanel::MicrophonePicked(int index)
{
    RunHandler(this, [this, index] {
        voice_mix::VoiceChoice choice = voice_mix::ReadVoiceChoice(configPath_);
        choice.source = ComboBoxVoiceSource->itemData(index).toString().toStdString();
        voice_mix::WriteVoiceChoice(configPath_, choice);
    });
}

void TVoiceSourcePanel::HearVoiceClick(bool checked)
{
    RunHandler(this, [this, checked] {
        voice_mix::VoiceChoice choice = voice_mix::ReadVoiceChoice(configPath_);
        choice.hearVoice = checked;
        voice_mix::WriteVoiceChoice(configPath_, choice);
    });
}

void TVoiceSourcePanel::ButtonMeasureLatencyClick()
{
    if (measuring() || takeRunning_) return;
    const QString problem = measurement_.Start(voice_mix::ReadVoiceChoice(configPath_).source);
    if (!problem.isEmpty()) {
        message_box::Show(this, problem);
        return;
    }
    LabelLatency->setText(Text(Id::LatencyMeasuring));
    LabelLatency->setToolTip({});
    ProgressBarLatency->show();
    Place();
    EnableControls();
}

void TVoiceSourcePanel::MeasurementFinished(bool stored, const QString& text)
{
    ProgressBarLatency->hide();
    Place();
    EnableControls();
    // A good result stays in view; one that was not kept is a message to read.
    LabelLatency->setText(stored ? text : QString());
    LabelLatency->setToolTip(stored ? text : QString());
    emit measured(stored, text);
    if (!stored) message_box::Show(this, text);
}

void TVoiceSourcePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Place();
}

void TVoiceSourcePanel::Place()
{
    const int w = width();
    LabelVoiceSource->setGeometry(kIndent, 2, kLabelWidth, 22);
    ComboBoxVoiceSource->setGeometry(kIndent + kLabelWidth, 2, std::max(80, w - kIndent - kLabelWidth - 4), 22);
    ButtonMeasureLatency->setGeometry(w - 4 - kMeasureWidth, 27, kMeasureWidth, 23);
    CheckBoxHearVoice->setGeometry(kIndent, 27, std::max(80, w - kIndent - kMeasureWidth - 12), 23);
    const int labelLeft = ProgressBarLatency->isVisible() || ProgressBarLatency->isVisibleTo(this)
                              ? kIndent + kProgressWidth + 6
                              : kIndent;
    ProgressBarLatency->setGeometry(kIndent, 56, kProgressWidth, 14);
    LabelLatency->setGeometry(labelLeft, 52, std::max(40, w - labelLeft - 4), 22);
}
