#include "UnitStereoMixer.h"

#include "message_box.h"
#include "name_buffer.h"
#include "profile.h"
#include "voice_mix_settings.h"
#include "voice_source_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

// The newer path: one row per source, the whole name, the slider, the percent.
constexpr int kNameWidth = 255;
constexpr int kRowSliderWidth = 80;
constexpr int kPercentWidth = 40;
constexpr int kGap = 6;
// How much wider than its first size the window may grow for long source names.
constexpr int kMaxWiden = 320;
// How long a burst of server events is gathered before the list follows it.
constexpr int kFollowDelayMs = 100;
// OK keeps its distance to the bottom edge when the window grows.
constexpr int kOKFromBottom = TfrmStereoMixer::kClientHeight - 242;
// What the capture control takes for an ALSA capture device.
constexpr const char* kAlsaSourcePrefix = "alsa:";

template <typename Widget>
Widget* Named(Widget* widget, const char* name, QRect where)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(where);
    return widget;
}

// The room a radio button's indicator takes before its text.
int IndicatorWidth(const QWidget* w)
{
    return w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
           w->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) + 4;
}

QString NameOf(const char16_t* buffer)
{
    return QString::fromStdString(mixer::NameFromBuffer(buffer, mixer::kLineNameBytes));
}

}  // namespace

TfrmStereoMixer::TfrmStereoMixer(std::string configPath, mixer::IMixerLibraries* mixers, Partners partners,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      configPath_(std::move(configPath)),
      mixers_(mixers),
      partners_(std::move(partners))
{
    setObjectName(QStringLiteral("frmStereoMixer"));
    setWindowTitle(QStringLiteral("Choose Setereo"));
    setModal(false);
    resize(kClientWidth, kClientHeight);
    buildControls();
    follow_ = new QTimer(this);
    follow_->setSingleShot(true);
    follow_->setInterval(kFollowDelayMs);
    connect(follow_, &QTimer::timeout, this, &TfrmStereoMixer::FollowServer);
}

TfrmStereoMixer::~TfrmStereoMixer()
{
    // No server event reaches the dialog once this returns.
    watch_.reset();
}

void TfrmStereoMixer::buildControls()
{
    LabelDriver = Named(new QLabel(QString::fromUtf8("声卡设备："), this), "LabelDriver", {8, 22, 90, 17});
    ComboBoxDriver = Named(new QComboBox(this), "ComboBoxDriver", {104, 19, 289, 22});
    groupRecordingSource =
        Named(new QGroupBox(QStringLiteral("Recording Source"), this), "groupRecordingSource", {3, 43, 399, 129});
    ButtonVistaAudioMixerChange =
        Named(new QPushButton(QStringLiteral("Change "), this), "ButtonVistaAudioMixerChange", {8, 64, 185, 23});
    ButtonVistaAudioMixerChange->setAutoDefault(false);
    ButtonVistaAudioMixerChange->hide();
    LabelNotice = Named(new QLabel(QString::fromUtf8("说明："), this), "LabelNotice", {5, 177, 395, 57});
    LabelNotice->setWordWrap(true);
    LabelNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ButtonOK = Named(new QPushButton(QStringLiteral("&OK"), this), "ButtonOK", {165, 242, 75, 25});
    RadioButtonVoiceMix = Named(new QRadioButton(QStringLiteral("Voice and accompaniment"), this), "RadioButtonVoiceMix",
                                {13, 90, kNameWidth, kRowHeight});
    RadioButtonVoiceMix->hide();
    PanelVoiceSource = new TVoiceSourcePanel(configPath_, this);
    PanelVoiceSource->hide();
    connect(RadioButtonVoiceMix, &QRadioButton::clicked, this, [this] { RadioButtonVoiceMixClick(); });

    // A driver the user picks; the lists filled by the program raise nothing.
    connect(ComboBoxDriver, &QComboBox::activated, this, [this](int index) { ComboBoxDriverChange(index); });
    connect(ButtonVistaAudioMixerChange, &QPushButton::clicked, this, [this] { ButtonVistaAudioMixerChangeClick(); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
}

bool TfrmStereoMixer::newer() const
{
    return mixers_ && mixers_->IsVistaOrLater();
}

void TfrmStereoMixer::SetDriverList(const QStringList& drivers)
{
    ComboBoxDriver->clear();
    ComboBoxDriver->addItems(drivers);
}

void TfrmStereoMixer::BuildSourceList()
{
    ReleaseSourceList();
    if (!mixers_) return;
    if (newer())
        BuildEndpointList();
    else
        BuildLineList();
}

void TfrmStereoMixer::ReleaseSourceList()
{
    const auto retire = [](QWidget* w) {
        w->hide();
        w->deleteLater();  // never inside a handler of its own
    };
    for (QRadioButton* b : buttons_) retire(b);
    for (QSlider* s : sliders_) retire(s);
    for (QLabel* l : percents_) retire(l);
    buttons_.clear();
    sliders_.clear();
    percents_.clear();
    names_.clear();
    endpoints_.clear();
    sourceCount_ = 0;
}

QRadioButton* TfrmStereoMixer::AddButton(const QString& name, QRect where)
{
    auto* button = new QRadioButton(this);
    button->setObjectName(QStringLiteral("SourceButton%1").arg(buttons_.size()));
    const int indicator = IndicatorWidth(button);
    // A name that does not fit loses its middle, and the tooltip gives it whole.
    const QString shown = button->fontMetrics().elidedText(name, Qt::ElideMiddle, where.width() - indicator);
    button->setText(QString(shown).replace('&', QStringLiteral("&&")));
    if (shown != name) button->setToolTip(name);
    button->setAccessibleName(name);
    button->setGeometry(where);
    button->show();
    buttons_.push_back(button);
    names_.push_back(name);
    return button;
}

QSlider* TfrmStereoMixer::AddSlider(int maximum, int position, QRect where)
{
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("VolumeSlider%1").arg(sliders_.size()));
    slider->setRange(0, maximum);
    slider->setSingleStep(1);
    slider->setPageStep(std::max(1, maximum / 10));
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(std::max(1, maximum / 10));
    slider->setValue(position);
    slider->setGeometry(where);
    slider->show();
    sliders_.push_back(slider);
    return slider;
}

void TfrmStereoMixer::BuildLineList()
{
    ButtonVistaAudioMixerChange->hide();
    RadioButtonVoiceMix->hide();
    PanelVoiceSource->hide();
    mixer::INimAudioMixerXP& xp = mixers_->XP();
    const int32_t mixer = partners_.mixerIndex ? partners_.mixerIndex() : 0;
    const int32_t count = xp.GetLineCount(mixer);
    sourceCount_ = count;
    if (count < 0) return;
    const QRect frame = groupRecordingSource->geometry();
    const int firstTop = frame.top() + 20;
    for (int32_t i = 0; i < count; ++i) {
        char16_t name[mixer::kLineNameBytes / 2] = {};
        xp.GetLineName(mixer, i, name);
        const bool enabled = xp.IsLineEnable(mixer, i) != 0;
        const int left = i % 2 == 0 ? frame.left() + 15 : frame.left() + frame.width() / 2;
        const int top = firstTop + (i / 2) * kRowHeight;
        QRadioButton* button = AddButton(NameOf(name), {left, top, kButtonWidth, kRowHeight});
        button->setEnabled(enabled);
        button->setChecked((xp.GetLineSelected(mixer, i) & 0xFF) != 0);
        QSlider* slider = AddSlider(kOlderSliderMax, xp.GetLineVolume(mixer, i),
                                    {left + kButtonWidth, top + 3, kSliderWidth, kSliderHeight});
        slider->setEnabled(enabled);
        // Attached after the initial values: building calls no setter of the mixer.
        connect(button, &QRadioButton::clicked, this, [this, i] { SourceButtonClick(i); });
        connect(slider, &QSlider::valueChanged, this, [this, i](int position) { SliderChange(i, position); });
    }
    GrowFrame();
}

void TfrmStereoMixer::BuildEndpointList()
{
    mixer::INimAudioMixerVista& vista = mixers_->Vista();
    const int32_t count = vista.GetEndPointCount();
    sourceCount_ = count;
    if (!watch_) {
        watch_ = mixers_->WatchSources([this](mixer::SourceEvent event) {
            // On the watch's thread: only handed on to the dialog's own.
            QMetaObject::invokeMethod(this, [this, event] { SourceEventArrived(event); }, Qt::QueuedConnection);
        });
    }
    if (count < 0) return;
    ButtonVistaAudioMixerChange->show();

    QStringList names;
    QVector<int> volumes;
    for (int32_t i = 0; i < count; ++i) {
        char16_t name[mixer::kLineNameBytes / 2] = {};
        char16_t id[mixer::kLineNameBytes / 2] = {};
        vista.GetEndPointName(i, name);
        vista.GetEndPointId(i, id);
        names << NameOf(name);
        endpoints_.push_back({mixer::NameFromBuffer(id, mixer::kLineNameBytes), vista.GetEndPointSelected(i) == 1});
        volumes << vista.GetEndPointVolume(i);
    }
    const std::string chosen = source_choice::ReadChosenSource(configPath_);
    const int recording = source_choice::RecordingIndex(endpoints_, chosen);
    if (source_choice::ChosenIsGone(endpoints_, chosen)) emit statusMessage(source_choice::GoneMessage(chosen));

    const QRect frame = groupRecordingSource->geometry();
    const QRect change = ButtonVistaAudioMixerChange->geometry();
    // "Voice and accompaniment" and its choices come first, the endpoints below them.
    const int voiceTop = change.top() + change.height() + 3;
    const int firstTop = voiceTop + kRowHeight + TVoiceSourcePanel::kHeight;
    const int left = frame.left() + 10;
    // Whole names where the room allows: the frame and the window widen (never narrow).
    int nameWidth = kNameWidth;
    for (const QString& name : names)
        nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(name) + IndicatorWidth(this) + 2);
    nameWidth = std::min(nameWidth, kNameWidth + kMaxWiden);
    const int rowRight = left + nameWidth + kGap + kRowSliderWidth + 4 + kPercentWidth + 4;
    if (const int widen = rowRight - (frame.left() + frame.width()); widen > 0) {
        groupRecordingSource->resize(frame.width() + widen, frame.height());
        LabelNotice->resize(LabelNotice->width() + widen, LabelNotice->height());
        resize(width() + widen, height());
    }
    nameWidth = std::max(nameWidth, groupRecordingSource->width() - (rowRight - nameWidth - frame.left()));
    const bool voice = voice_mix::ReadVoiceChoice(configPath_).enabled;
    RadioButtonVoiceMix->setGeometry(left, voiceTop, nameWidth, kRowHeight);
    // A checked radio button refuses to be unchecked while it is exclusive.
    RadioButtonVoiceMix->setAutoExclusive(false);
    RadioButtonVoiceMix->setChecked(voice);
    RadioButtonVoiceMix->setAutoExclusive(true);
    RadioButtonVoiceMix->show();
    std::vector<TVoiceSourcePanel::Microphone> microphones;
    for (int32_t i = 0; i < count; ++i) microphones.push_back({names[i], endpoints_[static_cast<size_t>(i)].id});
    PanelVoiceSource->SetMicrophones(microphones);
    PanelVoiceSource->SetVoiceChosen(voice);
    PanelVoiceSource->setGeometry(frame.left() + 2, voiceTop + kRowHeight, groupRecordingSource->width() - 4,
                                  TVoiceSourcePanel::kHeight);
    PanelVoiceSource->show();
    for (int32_t i = 0; i < count; ++i) {
        const int top = firstTop + i * kRowHeight;
        QRadioButton* button = AddButton(names[i], {left, top, nameWidth, kRowHeight});
        button->setChecked(!voice && i == recording);
        const int sliderLeft = left + nameWidth + kGap;
        QSlider* slider = AddSlider(kNewerSliderMax, volumes[i], {sliderLeft, top + 4, kRowSliderWidth, kSliderHeight});
        auto* percent = new QLabel(this);
        percent->setObjectName(QStringLiteral("VolumePercent%1").arg(i));
        percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        percent->setGeometry(sliderLeft + kRowSliderWidth + 4, top, kPercentWidth, kRowHeight);
        percent->show();
        percents_.push_back(percent);
        ShowPercent(i, volumes[i]);
        connect(button, &QRadioButton::clicked, this, [this, i] { SourceButtonClick(i); });
        connect(slider, &QSlider::valueChanged, this, [this, i](int position) { SliderChange(i, position); });
    }
    GrowFrame();
}

void TfrmStereoMixer::GrowFrame()
{
    if (buttons_.isEmpty() && !PanelVoiceSource->isVisibleTo(this)) return;
    const int bottom = buttons_.isEmpty() ? PanelVoiceSource->geometry().bottom() + 1 : buttons_.last()->y() + kRowHeight;
    const QRect frame = groupRecordingSource->geometry();
    const int frameBottom = frame.top() + frame.height();
    if (frameBottom >= bottom) return;  // never shrinks either
    const int grow = bottom - frameBottom + 10;
    groupRecordingSource->resize(frame.width(), frame.height() + grow);
    LabelNotice->move(LabelNotice->x(), LabelNotice->y() + grow);
    resize(width(), height() + grow);
    PlaceOK();
}

void TfrmStereoMixer::PlaceOK()
{
    ButtonOK->move(ButtonOK->x(), height() - kOKFromBottom);
}

void TfrmStereoMixer::SourceButtonClick(int index)
{
    RunHandler(this, [this, index] {
        if (!newer()) {
            mixers_->XP().SetLineSelected(partners_.mixerIndex ? partners_.mixerIndex() : 0, index);
            return;
        }
        if (index < 0 || static_cast<size_t>(index) >= endpoints_.size()) return;
        // The program's own source; the desktop's default stays as it is.
        source_choice::WriteChosenSource(configPath_, source_choice::ValueFor(endpoints_[static_cast<size_t>(index)]));
        // Leaving "Voice and accompaniment": its microphone and options stay for a return.
        if (voice_mix::VoiceChoice voice = voice_mix::ReadVoiceChoice(configPath_); voice.enabled) {
            voice.enabled = false;
            voice_mix::WriteVoiceChoice(configPath_, voice);
        }
        PanelVoiceSource->SetVoiceChosen(false);
    });
}

void TfrmStereoMixer::RadioButtonVoiceMixClick()
{
    RunHandler(this, [this] {
        PanelVoiceSource->SetVoiceChosen(true);
        voice_mix::VoiceChoice voice = voice_mix::ReadVoiceChoice(configPath_);
        voice.enabled = true;
        voice_mix::WriteVoiceChoice(configPath_, voice);
    });
}

void TfrmStereoMixer::SliderChange(int index, int position)
{
    if (newer()) {
        mixers_->Vista().SetEndPointVolume(index, position);
        ShowPercent(index, position);
    } else {
        // The slider runs past the mixer's scale; its end is the scale's end.
        mixers_->XP().SetLineVolume(partners_.mixerIndex ? partners_.mixerIndex() : 0, index,
                                    std::min(position, kOlderVolumeMax));
    }
}

void TfrmStereoMixer::ShowPercent(int index, int position)
{
    if (index >= 0 && index < percents_.size()) percents_[index]->setText(QStringLiteral("%1 %").arg(position));
}

void TfrmStereoMixer::SourceEventArrived(mixer::SourceEvent event)
{
    if (event == mixer::SourceEvent::ListChanged)
        listOutdated_ = true;
    else
        volumesOutdated_ = true;
    follow_->start();
}

void TfrmStereoMixer::FollowServer()
{
    // A slider held by the user is not pulled away from under the mouse.
    if (std::any_of(sliders_.begin(), sliders_.end(), [](const QSlider* s) { return s->isSliderDown(); })) {
        follow_->start();
        return;
    }
    const bool list = listOutdated_;
    const bool volumes = volumesOutdated_;
    listOutdated_ = volumesOutdated_ = false;
    if (!newer()) return;
    if (list) {
        BuildSourceList();
        return;
    }
    if (!volumes) return;
    mixer::INimAudioMixerVista& vista = mixers_->Vista();
    for (int i = 0; i < sliders_.size(); ++i) {
        const int volume = vista.GetEndPointVolume(i);
        const QSignalBlocker quiet(sliders_[i]);
        sliders_[i]->setValue(volume);
        ShowPercent(i, volume);
    }
}

void TfrmStereoMixer::FormShow()
{
    const int driver = profile::ReadInteger(configPath_, "recorder_setting", "driver", 0);
    if (driver < ComboBoxDriver->count()) ComboBoxDriver->setCurrentIndex(driver);
}

void TfrmStereoMixer::ComboBoxDriverChange(int index)
{
    if (index < 0) return;
    RunHandler(this, [this, index] {
        if (partners_.setMixerIndex) partners_.setMixerIndex(index);
        BuildSourceList();
        // Written at once, without OK; a failure is shown with the new list in place.
        profile::WriteString(configPath_, "recorder_setting", "driver", std::to_string(index));
    });
}

void TfrmStereoMixer::ButtonVistaAudioMixerChangeClick()
{
    if (partners_.openSoundSettings) partners_.openSoundSettings();
}

void TfrmStereoMixer::ButtonOKClick()
{
    hide();
}

std::string TfrmStereoMixer::SourceForTake()
{
    if (!mixers_) return {};
    if (!newer()) {
        const std::string device = mixers_->CaptureDevice(partners_.mixerIndex ? partners_.mixerIndex() : 0);
        return kAlsaSourcePrefix + (device.empty() ? std::string("default") : device);
    }
    const std::string chosen = source_choice::ReadChosenSource(configPath_);
    if (chosen.empty()) return {};
    // Asked anew: the source may have gone since the list was built.
    if (source_choice::ChosenIsGone(source_choice::ReadEndpoints(mixers_->Vista()), chosen)) {
        emit statusMessage(source_choice::GoneMessage(chosen));
        return {};
    }
    return chosen;
}

void TfrmStereoMixer::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FormShow();
}

void TfrmStereoMixer::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceOK();
}
