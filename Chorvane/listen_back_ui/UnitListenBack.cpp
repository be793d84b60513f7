#include "UnitListenBack.h"

#include "message_box.h"
#include "program_messages.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

using program_messages::Id;
using program_messages::Text;

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name, QRect where)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(where);
    return widget;
}

}  // namespace

TfrmListenBack::TfrmListenBack(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmListenBack"));
    setWindowTitle(QStringLiteral("Listen back"));
    setModal(false);
    resize(kClientWidth, kClientHeight);
    buildControls();
    connect(&session_, &ListenBackSession::playingChanged, this, &TfrmListenBack::ShowPlaying);
    connect(&session_, &ListenBackSession::renderingChanged, this, &TfrmListenBack::ShowRendering);
    connect(&session_, &ListenBackSession::progress, this,
            [this](double f) { ProgressBarRender->setValue(int(f * 100 + 0.5)); });
    connect(&session_, &ListenBackSession::rendered, this, &TfrmListenBack::Rendered);
    connect(&session_, &ListenBackSession::kept, this, &TfrmListenBack::Kept);
}

void TfrmListenBack::buildControls()
{
    LabelTake = Named(new QLabel(this), "LabelTake", {8, 8, 404, 20});
    ButtonPlay = Named(new QPushButton(QStringLiteral("&Play"), this), "ButtonPlay", {8, 34, 75, 25});
    ButtonStop = Named(new QPushButton(QStringLiteral("&Stop"), this), "ButtonStop", {88, 34, 75, 25});
    LabelMusic = Named(new QLabel(QStringLiteral("Music"), this), "LabelMusic", {172, 38, 60, 17});
    LabelMusic->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SliderBalance = Named(new QSlider(Qt::Horizontal, this), "SliderBalance", {236, 38, 110, 17});
    SliderBalance->setRange(0, 100);
    SliderBalance->setValue(50);
    SliderBalance->setPageStep(10);
    SliderBalance->setTickPosition(QSlider::TicksBelow);
    SliderBalance->setTickInterval(50);
    LabelVoice = Named(new QLabel(QStringLiteral("Voice"), this), "LabelVoice", {350, 38, 62, 17});
    LabelNudge = Named(new QLabel(QStringLiteral("Voice earlier or later:"), this), "LabelNudge", {8, 70, 220, 22});
    SpinBoxNudge = Named(new QSpinBox(this), "SpinBoxNudge", {236, 70, 110, 22});
    SpinBoxNudge->setRange(-voice_mix::ListenBack::kMaxNudgeMs, voice_mix::ListenBack::kMaxNudgeMs);
    SpinBoxNudge->setSingleStep(voice_mix::ListenBack::kNudgeStepMs);
    SpinBoxNudge->setSuffix(QStringLiteral(" ms"));
    SpinBoxNudge->setKeyboardTracking(false);  // typed digits render once, when complete
    ProgressBarRender = Named(new QProgressBar(this), "ProgressBarRender", {8, 100, 160, 16});
    ProgressBarRender->setRange(0, 100);
    ProgressBarRender->hide();
    LabelStatus = Named(new QLabel(this), "LabelStatus", {174, 98, 238, 20});
    ButtonKeep = Named(new QPushButton(QStringLiteral("&Keep this mix"), this), "ButtonKeep", {212, 120, 120, 25});
    ButtonClose = Named(new QPushButton(QStringLiteral("&Close"), this), "ButtonClose", {337, 120, 75, 25});
    ButtonKeep->setAutoDefault(false);
    ButtonClose->setAutoDefault(false);
    ButtonStop->setEnabled(false);

    connect(ButtonPlay, &QPushButton::clicked, this, [this] { ButtonPlayClick(); });
    connect(ButtonStop, &QPushButton::clicked, this, [this] { ButtonStopClick(); });
    connect(ButtonKeep, &QPushButton::clicked, this, [this] { ButtonKeepClick(); });
    connect(ButtonClose, &QPushButton::clicked, this, [this] { ButtonCloseClick(); });
    // The slider renders where it is let go, not at every step of a drag.
    connect(SliderBalance, &QSlider::valueChanged, this, [this](int value) {
        if (!SliderBalance->isSliderDown()) session_.SetBalance(value);
    });
    connect(SliderBalance, &QSlider::sliderReleased, this, [this] { session_.SetBalance(SliderBalance->value()); });
    connect(SpinBoxNudge, &QSpinBox::valueChanged, this, [this](int ms) {
        session_.SetNudgeMs(ms);
        // A typed value between the steps shows the step it was rounded to.
        const QSignalBlocker quiet(SpinBoxNudge);
        SpinBoxNudge->setValue(session_.nudgeMs());
    });
}

void TfrmListenBack::ShowMixing(const QString& output, std::shared_ptr<const voice_mix::MixStream> stream)
{
    session_.Stop();
    const QString name = QFileInfo(output).fileName();
    LabelTake->setText(LabelTake->fontMetrics().elidedText(name, Qt::ElideMiddle, LabelTake->width()));
    LabelTake->setToolTip(name);
    setWindowTitle(Text(Id::ListenBackCaption));
    EnableControls(false);
    ProgressBarRender->setValue(0);
    ProgressBarRender->show();
    LabelStatus->setText(Text(Id::ListenBackMixing));
    show();
    raise();
    if (!stream) return;
    // Heard while the file is being made; Play and Stop work from now on.
    if (const QString problem = session_.PlayStream(output, std::move(stream)); !problem.isEmpty())
        LabelStatus->setText(problem);
    ShowPlaying(session_.playing());
}

void TfrmListenBack::MixProgress(double fraction)
{
    ProgressBarRender->setValue(int(fraction * 100 + 0.5));
}

void TfrmListenBack::MixFailed()
{
    session_.Stop();
    EnableControls(true);
    ShowRendering(false);
    hide();
}

void TfrmListenBack::EnableControls(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ButtonPlay, ButtonStop, SliderBalance, SpinBoxNudge, ButtonKeep})
        w->setEnabled(enabled);
    if (enabled) ShowPlaying(session_.playing());
}

void TfrmListenBack::ListenTo(const QString& output, const QString& voicePath, const voice_mix::MixSettings& settings)
{
    if (const QString problem = session_.Open(output, voicePath, settings); !problem.isEmpty()) {
        MixFailed();
        message_box::Show(parentWidget(), problem);
        return;
    }
    {
        const QSignalBlocker a(SliderBalance), b(SpinBoxNudge);
        SliderBalance->setValue(session_.balance());
        SpinBoxNudge->setValue(session_.nudgeMs());
    }
    const QString name = QFileInfo(output).fileName();
    LabelTake->setText(LabelTake->fontMetrics().elidedText(name, Qt::ElideMiddle, LabelTake->width()));
    LabelTake->setToolTip(name);
    setWindowTitle(Text(Id::ListenBackCaption));
    LabelStatus->clear();
    EnableControls(true);
    ShowRendering(false);
    show();
    raise();
    // A take heard from its stream goes on (or stays stopped, if the user stopped it).
    if (!session_.hasStream()) ButtonPlayClick();
}

void TfrmListenBack::StopPlaying()
{
    session_.Stop();
}

void TfrmListenBack::ButtonPlayClick()
{
    if (const QString problem = session_.Play(); !problem.isEmpty()) LabelStatus->setText(problem);
}

void TfrmListenBack::ButtonStopClick()
{
    session_.Stop();
}

void TfrmListenBack::ButtonKeepClick()
{
    session_.Keep();
    if (session_.keepPending()) {
        ButtonKeep->setEnabled(false);
        LabelStatus->setText(Text(Id::ListenBackKeepWaits));
    }
}

void TfrmListenBack::ButtonCloseClick()
{
    close();
}

void TfrmListenBack::closeEvent(QCloseEvent* event)
{
    // The voice track stays beside the take; a render under way still finishes its file.
    session_.Stop();
    QDialog::closeEvent(event);
}

void TfrmListenBack::ShowPlaying(bool playing)
{
    ButtonPlay->setEnabled(!playing);
    ButtonStop->setEnabled(playing);
}

void TfrmListenBack::ShowRendering(bool rendering)
{
    ProgressBarRender->setValue(0);
    ProgressBarRender->setVisible(rendering);
    if (rendering) LabelStatus->setText(Text(Id::ListenBackRendering));
}

void TfrmListenBack::Rendered(const QString& error)
{
    LabelStatus->setText(error);
    LabelStatus->setToolTip(error);
}

void TfrmListenBack::Kept(const QString& error)
{
    if (!error.isEmpty()) {
        ButtonKeep->setEnabled(true);
        LabelStatus->clear();
        message_box::Show(this, error);
        return;
    }
    // Nothing is left to adjust: the voice track has gone.
    session_.Stop();
    ButtonKeep->setEnabled(false);
    hide();
}
