#pragma once
// The waveform editor control: shows a sound (both channels, peak and RMS, a time
// ruler, the selection and the play cursor), lets the user select with the mouse, zoom
// and scroll, and edits it: cut, copy, paste, delete, paste a file, undo and redo, play
// and save as WAV or MP3. Decoding, pasting a file and saving run on a worker thread;
// their progress arrives as OnBlockOperation and their end as OnEndOperation.
//
// The operations are those the audio editor window calls. Each returns
// true on success; on failure it returns false and LastError() holds the user's message.

#include "sound.h"
#include "sound_player.h"

#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class QScrollBar;
class QTimer;

namespace editor_control {

class AudioEditorControl;

// The control's horizontal scale. Setting 2 fits the whole sound to the width (and
// keeps it fitted as the sound or the width changes, until the user zooms or scrolls);
// 1 shows one frame per pixel; 0 leaves the zoom to the user.
class AudioEditorScale {
public:
    explicit AudioEditorScale(AudioEditorControl* control) : control_(control) {}
    void SetSetting(int setting);
    [[nodiscard]] int Setting() const { return setting_; }

private:
    friend class AudioEditorControl;
    AudioEditorControl* control_;
    int setting_ = 2;
};

// The control's selection, as the window's play choice reads it.
class AudioEditorSelection {
public:
    explicit AudioEditorSelection(const AudioEditorControl* control) : control_(control) {}
    // True when a stretch of the sound is selected.
    [[nodiscard]] bool IsSelected() const;

private:
    const AudioEditorControl* control_;
};

class AudioEditorControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int mp3BitRate READ Mp3BitRate WRITE SetMp3BitRate)
public:
    explicit AudioEditorControl(QWidget* parent = nullptr);
    ~AudioEditorControl() override;

    // ---- The operations the window uses ----------------------------------------------
    // Starts decoding the file (any earlier sound is released first). The sound appears
    // when decoding ends; OnBlockOperation reports progress, OnEndOperation the end, and
    // OnOperationFailed a file that cannot be read.
    bool OpenFile(const QString& path, int flags = 0);
    // Stops playing and closes the sound. The edited sound is kept for a SaveFile that
    // follows (the window's save question) until DropReleasedSound or the next OpenFile.
    void ReleaseFile();
    void DropReleasedSound();
    // Mode 1: the selection, or the whole sound when nothing is selected; mode 2: from
    // the cursor to the end.
    bool PlaySound(int mode);
    void StopSound();
    bool CutSelection();
    bool CopySelection();
    // At the cursor, or in place of the selection.
    bool PasteClip();
    bool DeleteSelection();
    // Decodes the file at the open sound's rate and channels and pastes it (at the cursor
    // or in place of the selection) when decoding ends.
    bool PasteFile(const QString& path);
    // Range -1: the selection; 0: the whole sound. WAV for a ".wav" name, MP3 otherwise,
    // at the MP3 bit rate. The file is replaced only when the new one is complete.
    bool SaveFile(const QString& path, int range, int flags = 0);
    AudioEditorScale* ScaleX() { return &scale_; }
    const AudioEditorSelection* Selection() const { return &selection_; }

    // ---- Beyond the vendor control ---------------------------------------------------
    bool Undo();
    bool Redo();
    [[nodiscard]] bool CanUndo() const { return !undo_.empty(); }
    [[nodiscard]] bool CanRedo() const { return !redo_.empty(); }
    void SelectAll();
    // Selects frames [begin, end) (an empty range leaves the cursor at begin, no selection).
    void SetSelection(int64_t begin, int64_t end);
    void SetCursor(int64_t frame);
    void ZoomAround(double factor, int x);

    // ---- State -----------------------------------------------------------------------
    [[nodiscard]] const QString& LastError() const { return lastError_; }
    [[nodiscard]] const Sound& CurrentSound() const { return sound_; }
    [[nodiscard]] const Sound& ReleasedSound() const { return released_; }
    [[nodiscard]] const Sound& Clipboard() const { return clipboard_; }
    [[nodiscard]] bool HasSound() const { return sound_.Valid(); }
    [[nodiscard]] bool HasSelection() const { return selEnd_ > selStart_; }
    [[nodiscard]] int64_t SelectionStart() const { return selStart_; }
    [[nodiscard]] int64_t SelectionEnd() const { return selEnd_; }
    [[nodiscard]] int64_t CursorFrame() const { return cursor_; }
    [[nodiscard]] bool IsBusy() const { return decoder_.thread.joinable() || saver_.thread.joinable(); }
    [[nodiscard]] bool IsPlaying() const { return player_.Playing(); }
    [[nodiscard]] int64_t PlayFrame() const { return playFrame_; }
    [[nodiscard]] double FramesPerPixel() const { return framesPerPixel_; }
    [[nodiscard]] double ViewStart() const { return viewStart_; }
    [[nodiscard]] int Mp3BitRate() const { return mp3BitRate_; }
    void SetMp3BitRate(int kbps) { mp3BitRate_ = kbps; }
    // Another encoder library for saving MP3 (tests); empty: the installed one.
    void SetEncoderLibrary(const std::string& name) { encoderLibrary_ = name; }
    // Waits for a running decode, paste or save to finish and delivers its events (tests).
    void WaitForOperation();

    // Draws one frame of the control into `painter` over `size` (the paint event's work).
    void PaintFrame(QPainter& painter, const QSize& size) const;
    // The frame under x and the x of a frame, at the current zoom.
    [[nodiscard]] int64_t FrameAtX(int x) const;
    [[nodiscard]] double XOfFrame(int64_t frame) const;

signals:
    void OnBlockOperation(qint16 percent);
    void OnEndOperation();
    void OnEndPlay();
    // Playing started (from the menu or the keyboard).
    void OnStartPlay();
    // A long operation failed (the user's message); OnEndOperation follows.
    void OnOperationFailed(const QString& message);
    // The sound changed by an edit, an undo or redo, or a pasted file.
    void OnSoundEdited();
    // Cut or Copy put sound on the clipboard.
    void OnClipboardFilled();
    // A file was opened and its sound is shown.
    void OnSoundOpened();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class AudioEditorScale;
    struct EditState {
        Sound sound;
        int64_t selStart = 0;
        int64_t selEnd = 0;
        int64_t cursor = 0;
    };
    enum class Job { None, Open, PasteFile, Save };

    bool Fail(const QString& message);
    void ApplyEdit(const Sound& sound, int64_t selStart, int64_t selEnd, int64_t cursor);
    void RestoreState(const EditState& state);
    [[nodiscard]] EditState CurrentState() const;
    void ResetView();
    void ApplyScale();
    void ClampView();
    void UpdateScrollBar();
    // A worker thread and what it is doing. Decoding (opening, pasting a file) and saving
    // have one each, so that a save never holds up the next file.
    struct Worker {
        std::thread thread;
        std::atomic<bool> cancel{false};
        uint64_t generation = 0;  // bumped when a job is abandoned: its late events are dropped
        Job kind = Job::None;
    };
    void StartJob(Worker& worker, Job kind, std::function<void()> work);
    void FinishJob(Worker& worker);
    void CancelDecoding();
    // Posts `f` to run on the user-interface thread.
    void Post(std::function<void()> f);
    void PostProgress(const Worker& worker, int percent);
    void PlayTick();
    [[nodiscard]] QRect WaveRect(const QSize& size) const;
    [[nodiscard]] int64_t FrameAtPoint(const QPoint& point) const;

    Sound sound_;
    Sound released_;
    Sound clipboard_;
    int64_t selStart_ = 0;
    int64_t selEnd_ = 0;
    int64_t cursor_ = 0;
    int64_t anchor_ = 0;
    bool dragging_ = false;
    std::vector<EditState> undo_;
    std::vector<EditState> redo_;

    double viewStart_ = 0;       // the frame at the left edge
    double framesPerPixel_ = 1;  // the zoom
    AudioEditorScale scale_{this};
    AudioEditorSelection selection_{this};
    QScrollBar* scrollBar_ = nullptr;
    bool updatingScrollBar_ = false;

    SoundPlayer player_;
    QTimer* playTimer_ = nullptr;
    int64_t playFrame_ = -1;  // the play cursor; -1 while not playing

    Worker decoder_;
    Worker saver_;
    int mp3BitRate_ = 128;
    std::string encoderLibrary_;
    QString lastError_;
    QString path_;
};

}  // namespace editor_control
