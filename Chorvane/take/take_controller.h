#pragma once
// The take: from the sing button to the end of playback or the second press. Starts
// the recording before the accompaniment is heard, so nothing of it is lost; a start
// that fails part-way is rolled back to idle; the end of playback, the second press,
// a recording source that goes away and a playback that aborts all end the take the
// same way, with the file finished and listed. No widgets: the main window shows what
// the signals say.

#include "INimAudioFile.h"
#include "INimAudioRecorder.h"
#include "INimDXVideoPlayerObject.h"
#include "INimVisualization.h"
#include "mix_render.h"
#include "take_timer.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class TfrmLyric;
namespace voice_mix {
class VoiceTake;
}

// The four components a take drives (not owned); any may be missing when it could
// not be loaded, and a take then fails to start with `missingComponents`.
struct TakeComponents {
    INimDXVideoPlayerObject* player = nullptr;
    INimAudioRecorder* recorder = nullptr;
    INimAudioFile* file = nullptr;
    INimVisualization* meter = nullptr;
    QString missingComponents;
};

// What one press of the sing button asks for.
struct TakeRequest {
    QString accompaniment;
    QString lyricPath;
    QString outputFolder;
    int32_t mp3BitRate = 128;
    int32_t bufferSize = 16384;
    int32_t balance = 0;
    HWND videoWindow = 0;
    // The recording source, as the capture control's Source takes it ("" the default).
    std::string source;
    QDateTime start = QDateTime::currentDateTime();
    // The recording source "Voice and accompaniment": the microphone (`voiceSource`, ""
    // the default one) on a track of its own, mixed with the accompaniment as heard into
    // the output after the take; the file control then writes nothing.
    bool voiceMix = false;
    std::string voiceSource;
    bool hearVoice = false;
    std::string configPath;  // where the latency calibration is kept
};

class TakeController : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Running };
    static constexpr int kMonitorIntervalMs = 200;
    static constexpr int kLyricIntervalMs = 100;
    static constexpr LONG kMeterBytes = 16384;

    // `lyrics` holds the lines of the take's lyric file (not owned). Without timers the
    // take uses the event loop's.
    TakeController(TakeComponents components, TfrmLyric* lyrics, std::unique_ptr<TakeTimer> monitor = nullptr,
                   std::unique_ptr<TakeTimer> lyricTimer = nullptr);
    ~TakeController() override;

    void SetLyrics(TfrmLyric* lyrics) { lyrics_ = lyrics; }
    // The text a take shows when a component is missing, once the language is known.
    void SetMissingComponents(const QString& text) { c_.missingComponents = text; }

    // The sing button: starts a take, or ends the running one.
    void StartTake(const TakeRequest& request);
    void StopTake();
    // The channel boxes: applied at once, and held by the player for the next take.
    void ApplyBalance(int32_t balance);

    // The recorder's events and the player's graph events.
    void RecorderData();
    void RecorderTimer();
    void RecorderError();
    void GraphEvent(LONG code);
    // The timers' ticks.
    void MonitorTick();
    void LyricTick();

    [[nodiscard]] State state() const { return state_; }
    [[nodiscard]] bool running() const { return state_ == State::Running; }
    [[nodiscard]] const QString& output() const { return output_; }
    [[nodiscard]] const QString& accompaniment() const { return accompaniment_; }
    [[nodiscard]] bool lyricsShown() const { return lyricsLoaded_; }
    // The lyric file holds legacy (GBK) text rather than UTF-8: decided once per file.
    [[nodiscard]] bool lyricsGbk() const { return lyricsGbk_; }
    [[nodiscard]] int32_t bufferSize() const { return bufferSize_; }
    [[nodiscard]] TakeTimer& monitorTimer() { return *monitor_; }
    [[nodiscard]] TakeTimer& lyricTimer() { return *lyricTimer_; }

signals:
    void stateChanged(bool running);
    // The time display: position and duration in whole seconds.
    void positionChanged(LONG position, LONG duration);
    // The display window is wanted (video, or lyrics to show) or no longer.
    void displayWanted(bool show);
    // The lyric lines at this position (milliseconds) are to be drawn: at the start and
    // each time the current line changes.
    void lyricsAt(int32_t positionMs);
    // A recording was finished and holds sound: it goes into the history.
    void recordingFinished(const QString& path);
    // A take with the source "Voice and accompaniment" has its mix in `output`, made with
    // `settings` from the voice track `voicePath`, which is still beside it.
    void voiceTakeMixed(const QString& output, const QString& voicePath, const voice_mix::MixSettings& settings);
    // Such a take has ended and its mix is being made (`voiceMixProgress` 0 .. 1), into
    // `stream` too, which can be heard at once; either voiceTakeMixed or voiceTakeNotMixed follows.
    void voiceTakeMixing(const QString& output, std::shared_ptr<const voice_mix::MixStream> stream);
    void voiceMixProgress(double fraction);
    void voiceTakeNotMixed(const QString& output);
    // Something the user must read.
    void message(const QString& text);

private:
    enum class EndReason { Normal, SourceLost, PlaybackAborted };

    // Each step raises a ProgramError with the user's text; StartTake rolls back.
    void StartSteps(const TakeRequest& request);
    void StartRecording(const QString& outputPath, const TakeRequest& request);
    void StartPlayback(const TakeRequest& request);
    void RollBack();
    // Ends the take: every step runs even when one fails. The first failure's text.
    [[nodiscard]] QString Finish();
    void End(EndReason reason);
    // What the user reads when the file control refused the file.
    [[nodiscard]] QString FileProblem(HRESULT hr, const QString& doing) const;
    [[nodiscard]] QString PlayerError() const;

    TakeComponents c_;
    TfrmLyric* lyrics_;
    std::unique_ptr<TakeTimer> monitor_;
    std::unique_ptr<TakeTimer> lyricTimer_;

    State state_ = State::Idle;
    QString accompaniment_;
    QString output_;
    int32_t bufferSize_ = 0;
    uint64_t bytesWritten_ = 0;
    bool meterStarted_ = false;
    bool fileOpen_ = false;
    bool recording_ = false;
    bool playing_ = false;
    bool lyricsLoaded_ = false;
    bool lyricsGbk_ = false;
    bool writeErrorShown_ = false;
    bool endOfStream_ = false;
    bool sourceLost_ = false;
    bool playbackAborted_ = false;
    int abortTicks_ = 0;
    int tailTicks_ = 0;
    int32_t drawnLine_ = -1;  // the current line of the last lyric picture
    QString playbackError_;
    // The voice take of the running take, when its source is "Voice and accompaniment".
    void StartVoice(const QString& outputPath, const TakeRequest& request);
    void VoiceMixed(const QString& output, const QString& voicePath, const QString& error);
    std::unique_ptr<voice_mix::VoiceTake> voice_;
    bool voiceMix_ = false;
};
