#pragma once
// The main window: the file fields, the sing button, the channel boxes, the level
// meter and time display, the song tree and history tabs; it owns the four
// components and runs the take.

#include "INimAudioFile.h"
#include "INimAudioRecorder.h"
#include "INimDXVideoPlayerObject.h"
#include "INimVisualization.h"
#include "event_sink.h"
#include "language_loader.h"
#include "program_messages.h"
#include "recorder_values.h"
#include "take_controller.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolBar;
class QToolButton;
class TAdvertPanel;
class THistory;
class TSongTree;
class TRzLEDDisplay;
class TfrmCommon;
class TfrmDisplay;
class TfrmLyric;
namespace mixer {
class IMixerLibraries;
}

class TfrmMain : public QMainWindow {
    Q_OBJECT
    // Texts the window keeps, set by name from the language file.
    Q_PROPERTY(QString msgMessage1 READ noAccompanimentMessage WRITE SetNoAccompanimentMessage)
    Q_PROPERTY(QString msgStereoMixerSetting READ stereoMixerMessage WRITE SetStereoMixerMessage)
    Q_PROPERTY(QString buttonRecord READ startCaption WRITE SetStartCaption)
    Q_PROPERTY(QString buttonStop READ stopCaption WRITE SetStopCaption)
public:
    static constexpr int kClientWidth = 530;
    static constexpr int kClientHeight = 453;
    static constexpr int kMeterBytes = 16384;

    // FormCreate: builds the window and creates the four components.
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The other objects of the program, created after the main window (not owned).
    void SetPartners(TfrmDisplay* display, TfrmLyric* lyric, TfrmCommon* common, mixer::IMixerLibraries* mixers);
    // Where each take's recording source comes from (the recording source dialog).
    void SetRecordingSource(std::function<std::string()> source) { recordingSource_ = std::move(source); }

    // ---- The take (the controller runs it; these are the window's handlers) ----------
    void ButtonRecordClick();
    void ToolButton3Click() { ButtonRecordClick(); }
    void BitBtnKaraokeFileClick();
    void BitBtnLRCFileClick();
    // Puts a chosen accompaniment into the field, as the chooser does after OK.
    void AccompanimentChosen(const QString& path);
    // The accompaniment field changed, typed, pasted or chosen: the lyric fields follow.
    void EditKaraokeFileChange();
    void ApplyChannelChoice();
    void StartTake();
    void StopTake();
    void ShowLyricFileFields(bool visible);
    void EnableFileFields(bool enabled);
    void NimAudioRecorderData();
    void NimAudioRecorderTimer();
    void NimAudioRecorderError();
    // The output folder for the next take: key `folder`, or the default folder.
    [[nodiscard]] QString OutputFolder() const;
    [[nodiscard]] TakeController& take() { return *take_; }

    // ---- Start-up and close ----------------------------------------------------------
    void FormShow();
    // The first show's steps that query the sound server's sources, read the history and
    // start the downloads: right after the first paint, so they never hold the window up.
    void FormShowAfterPaint();
    // True once the steps after the first paint have run (or stopped at an error).
    [[nodiscard]] bool firstShowFinished() const { return afterPaintDone_; }
    // True once the window has been painted (firstPainted was emitted).
    [[nodiscard]] bool firstPaintDone() const { return !firstPaint_; }
    void FillDriverLists();
    void PrepareMicrophone();
    void SelectStereoMix();
    [[nodiscard]] int32_t FindSelectedLine(int32_t mixer);
    void RestoreMicrophone();
    void RestoreRecordingLine();

    // The language loader; the first show applies the language file with it. Windows
    // that this window does not own are added to it by the wiring.
    [[nodiscard]] TLanguageLoader& Language() { return language_; }
    [[nodiscard]] const QString& noAccompanimentMessage() const { return noAccompanimentMessage_; }
    [[nodiscard]] const QString& stereoMixerMessage() const { return stereoMixerMessage_; }
    [[nodiscard]] const QString& startCaption() const { return startCaption_; }
    [[nodiscard]] const QString& stopCaption() const { return stopCaption_; }
    void SetNoAccompanimentMessage(const QString& text) { noAccompanimentMessage_ = text; }
    void SetStereoMixerMessage(const QString& text) { stereoMixerMessage_ = text; }
    void SetStartCaption(const QString& text);
    void SetStopCaption(const QString& text);

    // ---- State read by the other windows and by tests ---------------------------------
    [[nodiscard]] uint8_t takeState() const { return take_->running() ? 1 : 0; }
    [[nodiscard]] const QString& takeOutput() const { return take_->output(); }
    [[nodiscard]] int32_t bufferSize() const { return bufferSize_; }
    [[nodiscard]] int32_t mixerIndex() const { return values_.mixerIndex; }
    [[nodiscard]] const recorder_settings::WorkingValues& workingValues() const { return values_; }
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
    THistory* History = nullptr;  // the history tab's list and its commands
    TSongTree* SongTree = nullptr;  // the song list tab, its download and the search row
    TAdvertPanel* WebBrowser = nullptr;  // the advert panel
    QTabWidget* PageControl = nullptr;
    QLineEdit* EditSearch = nullptr;     // the song tree's search box
    QPushButton* ButtonSearch = nullptr;  // and its button

signals:
    // The driver lists were filled (first show): the settings dialog shows the same list.
    void driverListsFilled(const QStringList& drivers);
    // A take has ended and its recording was added to the history.
    void takeFinished(const QString& outputPath);
    // The recording source dialog should be shown (it comes with its own window).
    void recordingSourceDialogRequested();
    // The recording source dialog should build its list (first show) or release it (close).
    void sourceListWanted();
    void sourceListReleased();
    // The window was painted for the first time: the welcome dialog may follow.
    void firstPainted();

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
    void connectTake();
    // Draws the lyric lines at the position into the display window.
    void DrawLyricsAt(int32_t positionMs);
    [[nodiscard]] QString configPath() const;
    // Where recordings go when the settings name no folder (the shared services decide).
    [[nodiscard]] QString DefaultOutputFolder() const;
    // The folder of the demo accompaniment shipped with the program.
    [[nodiscard]] QString DemoFolder() const;

    ComPtr<INimDXVideoPlayerObject> player_;
    ComPtr<INimAudioRecorder> recorder_;
    ComPtr<INimAudioFile> file_;
    ComPtr<INimVisualization> meter_;
    component_shell::EventConnection recorderEvents_;
    // What failed while the components were created, shown in the language's words.
    [[nodiscard]] QString ComponentErrorText() const;
    std::optional<program_messages::Id> componentError_;
    QString componentErrorDetail_;
    TLanguageLoader language_{this};
    HWND meterWindow_ = 0;

    TfrmDisplay* display_ = nullptr;
    TfrmLyric* lyric_ = nullptr;
    TfrmCommon* common_ = nullptr;
    mixer::IMixerLibraries* mixers_ = nullptr;
    std::function<std::string()> recordingSource_;

    std::unique_ptr<TakeController> take_;
    int32_t bufferSize_ = 0;
    recorder_settings::WorkingValues values_;
    QString startCaption_;
    QString stopCaption_;
    QString noAccompanimentMessage_;
    QString stereoMixerMessage_;
    QString lastAccompanimentFolder_;
    QStringList driverList_;
    bool firstPaint_ = true;
    bool firstShowDone_ = false;
    bool afterPaintDone_ = false;
    uint8_t savedMicrophoneMute_ = 0;
    int32_t savedRecordingLine_ = -1;
    bool newerMixer_ = true;  // IsVistaOrLater, asked once at the first show
};
