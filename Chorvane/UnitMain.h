#pragma once
// The main window: the file fields, the sing button, the channel boxes, the level
// meter and time display, the song tree and history tabs; it owns the four
// components and runs the take.

#include "INimAudioFile.h"
#include "INimAudioRecorder.h"
#include "INimDXVideoPlayerObject.h"
#include "INimVisualization.h"
#include "event_sink.h"
#include "recorder_settings.h"

#include <QMainWindow>
#include <QTimer>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TRzLEDDisplay;
class TfrmCommon;
class TfrmDisplay;
class TfrmLyric;
namespace mixer {
class IMixerLibraries;
}

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 530;
    static constexpr int kClientHeight = 453;
    static constexpr int kMeterBytes = 16384;

    // FormCreate: builds the window and creates the four components.
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The other objects of the program, created after the main window (not owned).
    void SetPartners(TfrmDisplay* display, TfrmLyric* lyric, TfrmCommon* common, mixer::IMixerLibraries* mixers);

    // ---- The take ----------------------------------------------------------------
    void ButtonRecordClick();
    void ToolButton3Click() { ButtonRecordClick(); }
    void BitBtnKaraokeFileClick();
    void BitBtnLRCFileClick();
    // Puts a chosen accompaniment into the field, as the chooser does after OK.
    void AccompanimentChosen(const QString& path);
    void ApplyChannelChoice();
    void StartTake();
    void StopTake();
    void StartAudioPlayback(const QString& accompaniment, const QString& lyricPath);
    void StartVideoPlayback(const QString& accompaniment);
    void StopAudioPlayback();
    void StopVideoPlayback();
    void StartRecording(const QString& outputPath, int32_t fileFormat);
    void StopRecording();
    void ShowLyricFileFields(bool visible);
    void EnableFileFields(bool enabled);
    void NimAudioRecorderData();
    void NimAudioRecorderTimer();
    void TimerMonitorIsStopTimer();
    void TimerLyricTimer();
    // The output folder for the next take: key `folder`, or the default folder.
    [[nodiscard]] QString OutputFolder() const;

    // ---- Start-up and close ----------------------------------------------------------
    void FormShow();
    void FillDriverLists();
    void PrepareMicrophone();
    void SelectStereoMix();
    [[nodiscard]] int32_t FindSelectedLine(int32_t mixer);
    void RestoreMicrophone();
    void RestoreRecordingLine();

    // ---- State read by the other windows and by tests ---------------------------------
    [[nodiscard]] uint8_t takeState() const { return takeState_; }
    [[nodiscard]] const QString& takeOutput() const { return takeOutput_; }
    [[nodiscard]] int32_t lyricTickCount() const { return lyricTickCount_; }
    [[nodiscard]] int32_t bufferSize() const { return bufferSize_; }
    [[nodiscard]] int32_t mixerIndex() const { return values_.mixerIndex; }
    [[nodiscard]] bool newerMixer() const { return newerMixer_; }
    void SetWorkingValues(const recorder_settings::WorkingValues& values) { values_ = values; }
    void SetBufferSize(int32_t bytes) { bufferSize_ = bytes; }
    [[nodiscard]] INimDXVideoPlayerObject* player() const { return player_.get(); }
    [[nodiscard]] QStringList driverList() const { return driverList_; }

    QLineEdit* EditKaraokeFile = nullptr;
    QLineEdit* EditLRCFile = nullptr;
    QLabel* LabelLRCFile = nullptr;
    QPushButton* BitBtnKaraokeFile = nullptr;
    QPushButton* BitBtnLRCFile = nullptr;
    QPushButton* ButtonRecord = nullptr;
    QCheckBox* CheckBoxLeftChannel = nullptr;
    QCheckBox* CheckBoxRightChannel = nullptr;
    TRzLEDDisplay* RzLEDDisplay = nullptr;
    QGroupBox* GroupBoxKaraokeFile = nullptr;
    QGroupBox* GroupBoxKaraokeDisplay = nullptr;
    QListWidget* ListHistory = nullptr;
    QTreeWidget* TreeSongs = nullptr;
    QTabWidget* PageControl = nullptr;
    QLineEdit* EditSearch = nullptr;
    QPushButton* ButtonSearch = nullptr;
    QTimer TimerMonitorIsStop;
    QTimer TimerLyric;

signals:
    // A take has ended and its recording was added to the history.
    void takeFinished(const QString& outputPath);
    // The recording source dialog should be shown (it comes with its own window).
    void recordingSourceDialogRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    QWidget* buildLeftPanel();
    QWidget* buildRightPanel();
    void createComponents();
    void placeMeter();
    [[nodiscard]] QString configPath() const;
    // program folder + "my_songs"
    [[nodiscard]] QString DefaultOutputFolder() const;
    // The folder of the demo accompaniment shipped with the program.
    [[nodiscard]] QString DemoFolder() const;
    // Raises a ProgramError with the text when a component call failed.
    void check(HRESULT hr, const QString& what) const;

    ComPtr<INimDXVideoPlayerObject> player_;
    ComPtr<INimAudioRecorder> recorder_;
    ComPtr<INimAudioFile> file_;
    ComPtr<INimVisualization> meter_;
    component_shell::EventConnection recorderEvents_;
    QString componentError_;
    HWND meterWindow_ = 0;

    TfrmDisplay* display_ = nullptr;
    TfrmLyric* lyric_ = nullptr;
    TfrmCommon* common_ = nullptr;
    mixer::IMixerLibraries* mixers_ = nullptr;

    uint8_t takeState_ = 0;
    QString takeAccompaniment_;
    QString takeOutput_;
    int32_t lyricTickCount_ = 0;
    int32_t bufferSize_ = 0;
    recorder_settings::WorkingValues values_;
    QString startCaption_;
    QString stopCaption_;
    QString noAccompanimentMessage_;
    QString stereoMixerMessage_;
    QString lastAccompanimentFolder_;
    QStringList driverList_;
    bool fileOpen_ = false;
    bool writeErrorShown_ = false;
    bool firstPaint_ = true;
    bool firstShowDone_ = false;
    uint8_t savedMicrophoneMute_ = 0;
    int32_t savedRecordingLine_ = -1;
    bool newerMixer_ = true;  // IsVistaOrLater, asked once at the first show
};
