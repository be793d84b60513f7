#pragma once
// TfrmStereoMixer: the recording source dialog. Shows, for the current mixer, one
// selection button and one volume slider per source: the recording lines of the card's
// mixer when no sound server answers (the older path), the sound server's capture
// endpoints otherwise (the newer path). On the newer path the buttons choose the
// program's own recording source (source_choice.h) and the list follows the server's
// source events. Changes act on the mixer at once. The newer path lists the recording
// source "Voice and accompaniment" first, with its own choices under it.

#include "mixer_interfaces.h"
#include "source_choice.h"

#include <QDialog>
#include <QVector>

#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class TVoiceSourcePanel;

class TfrmStereoMixer : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 413;
    static constexpr int kClientHeight = 305;
    static constexpr int kRowHeight = 25;
    // The older path: the two-column layout of short line names.
    static constexpr int kButtonWidth = 85;
    static constexpr int kSliderWidth = 73;
    static constexpr int kSliderHeight = 17;
    static constexpr int kOlderSliderMax = 65635;  // the slider's end; the mixer's scale ends at 65535
    static constexpr int kOlderVolumeMax = 65535;
    static constexpr int kNewerSliderMax = 100;

    // What the dialog needs of the main window.
    struct Partners {
        std::function<int32_t()> mixerIndex;
        std::function<void(int32_t)> setMixerIndex;
        // "Change " on the newer path: the desktop's sound settings.
        std::function<void()> openSoundSettings;
    };

    TfrmStereoMixer(std::string configPath, mixer::IMixerLibraries* mixers, Partners partners,
                    QWidget* parent = nullptr);
    ~TfrmStereoMixer() override;

    // The driver list, filled at the main window's first show.
    void SetDriverList(const QStringList& drivers);

    void BuildSourceList();
    void ReleaseSourceList();
    void BuildLineList();
    void BuildEndpointList();
    void FormShow();
    // The user picked a driver: the mixer index follows, the list is rebuilt, and
    // `driver` is written at once (a write error is raised after the rebuild).
    void ComboBoxDriverChange(int index);
    void ButtonVistaAudioMixerChangeClick();
    void ButtonOKClick();
    // "Voice and accompaniment": kept in config.ini; the endpoints' choice stays as it is.
    void RadioButtonVoiceMixClick();

    // The recording source of the next take, as the capture control takes it. Newer
    // path: the chosen source's name, or "" for the default source (also when the
    // chosen one went away, which the status line then says). Older path: "alsa:" and
    // the capture device of the mixer's card.
    [[nodiscard]] std::string SourceForTake();

    [[nodiscard]] int32_t sourceCount() const { return sourceCount_; }
    [[nodiscard]] const QVector<QRadioButton*>& sourceButtons() const { return buttons_; }
    [[nodiscard]] const QVector<QSlider*>& volumeSliders() const { return sliders_; }
    // The newer path's volume in percent beside each slider.
    [[nodiscard]] const QVector<QLabel*>& volumeLabels() const { return percents_; }
    // The full name of each source (the buttons may show it elided).
    [[nodiscard]] const QStringList& sourceNames() const { return names_; }

    QLabel* LabelDriver = nullptr;
    QComboBox* ComboBoxDriver = nullptr;
    QGroupBox* groupRecordingSource = nullptr;
    QPushButton* ButtonVistaAudioMixerChange = nullptr;
    QLabel* LabelNotice = nullptr;
    QPushButton* ButtonOK = nullptr;
    // The newer path's first entry and its choices; hidden on the older path.
    QRadioButton* RadioButtonVoiceMix = nullptr;
    TVoiceSourcePanel* PanelVoiceSource = nullptr;

signals:
    // A line for the main window's status bar.
    void statusMessage(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    // One source's button and slider, placed and filled; handlers come later.
    QRadioButton* AddButton(const QString& name, QRect where);
    QSlider* AddSlider(int maximum, int position, QRect where);
    void GrowFrame();
    void PlaceOK();
    void SourceButtonClick(int index);
    void SliderChange(int index, int position);
    void ShowPercent(int index, int position);
    void SourceEventArrived(mixer::SourceEvent event);
    void FollowServer();
    [[nodiscard]] bool newer() const;

    std::string configPath_;
    mixer::IMixerLibraries* mixers_;
    Partners partners_;
    int32_t sourceCount_ = 0;
    QVector<QRadioButton*> buttons_;
    QVector<QSlider*> sliders_;
    QVector<QLabel*> percents_;
    QStringList names_;
    std::vector<source_choice::Endpoint> endpoints_;  // newer path: the sources as built, in endpoint order
    bool centred_ = false;
    std::unique_ptr<mixer::SourceWatch> watch_;
    QTimer* follow_ = nullptr;  // gathers a burst of server events into one update
    bool listOutdated_ = false;
    bool volumesOutdated_ = false;
};
