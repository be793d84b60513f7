#include "audio_editor_control.h"

#include "sound_decoder.h"
#include "sound_saver.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>

namespace editor_control {

namespace {

constexpr int kRulerHeight = 18;
constexpr int kScrollBarHeight = 12;
constexpr double kMinFramesPerPixel = 1.0 / 32.0;
constexpr size_t kUndoLimit = 500;
constexpr int kPlayTickMs = 30;

const QColor kBackground(0x1b, 0x1e, 0x24);
const QColor kRulerBackground(0x2a, 0x2e, 0x36);
const QColor kRulerText(0xb8, 0xbf, 0xcc);
const QColor kCentreLine(0x3a, 0x40, 0x4a);
const QColor kPeak(0x3d, 0x8e, 0xd0);
const QColor kRms(0x9c, 0xd4, 0xff);
const QColor kSelection(0xff, 0xff, 0xff, 46);
const QColor kSelectionEdge(0xff, 0xff, 0xff, 140);
const QColor kCursor(0xff, 0xc8, 0x3c);
const QColor kPlayCursor(0xff, 0x55, 0x55);

QString TimeText(double seconds, double step)
{
    const int64_t whole = int64_t(std::floor(seconds + 1e-9));
    QString text = QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (step < 1.0) {
        const int digits = step < 0.1 ? 2 : 1;
        const double fraction = seconds - double(whole);
        const int part = int(std::lround(fraction * std::pow(10.0, digits)));
        text += QStringLiteral(".%1").arg(part, digits, 10, QLatin1Char('0'));
    }
    return text;
}

}  // namespace

void AudioEditorScale::SetSetting(int setting)
{
    setting_ = setting;
    control_->ApplyScale();
}

bool AudioEditorSelection::IsSelected() const
{
    return control_->HasSelection();
}

AudioEditorControl::AudioEditorControl(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 60);
    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setObjectName(QStringLiteral("ScrollBar"));
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (updatingScrollBar_) return;
        viewStart_ = double(value) * framesPerPixel_;
        scale_.setting_ = 0;
        ClampView();
        update();
    });
    playTimer_ = new QTimer(this);
    playTimer_->setInterval(kPlayTickMs);
    connect(playTimer_, &QTimer::timeout, this, &AudioEditorControl::PlayTick);
    UpdateScrollBar();
}

AudioEditorControl::~AudioEditorControl()
{
    // A file being read is abandoned; a save runs to its end, so that no answered save is lost.
    decoder_.cancel = true;
    if (decoder_.thread.joinable()) decoder_.thread.join();
    if (saver_.thread.joinable()) saver_.thread.join();
    player_.Stop();
}

bool AudioEditorControl::Fail(const QString& message)
{
    lastError_ = message;
    return false;
}

// ---- Long operations ---------------------------------------------------------------------

void AudioEditorControl::Post(std::function<void()> f)
{
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void AudioEditorControl::PostProgress(const Worker& worker, int percent)
{
    const uint64_t generation = worker.generation;
    Post([this, &worker, generation, percent] {
        if (generation == worker.generation) emit OnBlockOperation(qint16(percent));
    });
}

void AudioEditorControl::StartJob(Worker& worker, Job kind, std::function<void()> work)
{
    worker.cancel = false;
    worker.kind = kind;
    worker.thread = std::thread(std::move(work));
}

void AudioEditorControl::FinishJob(Worker& worker)
{
    if (worker.thread.joinable()) worker.thread.join();
    worker.kind = Job::None;
}

void AudioEditorControl::CancelDecoding()
{
    if (!decoder_.thread.joinable()) return;
    decoder_.cancel = true;
    decoder_.thread.join();  // the decoder looks at the flag at least every 50 ms
    decoder_.cancel = false;
    ++decoder_.generation;
    decoder_.kind = Job::None;
    emit OnEndOperation();
}

void AudioEditorControl::WaitForOperation()
{
    if (decoder_.thread.joinable()) decoder_.thread.join();
    if (saver_.thread.joinable()) saver_.thread.join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

// ---- Opening and releasing ---------------------------------------------------------------

bool AudioEditorControl::OpenFile(const QString& path, int)
{
    CancelDecoding();
    StopSound();
    released_ = {};
    sound_ = {};
    undo_.clear();
    redo_.clear();
    selStart_ = selEnd_ = cursor_ = anchor_ = 0;
    path_ = path;
    ResetView();
    update();
    const std::string file = path.toStdString();
    if (!QFileInfo(path).isFile()) return Fail(QStringLiteral("The file %1 does not exist.").arg(path));
    const uint64_t generation = decoder_.generation;
    StartJob(decoder_, Job::Open, [this, file, generation] {
        auto outcome = std::make_shared<DecodeOutcome>(
            DecodeFile(file, {}, [this](int percent) { PostProgress(decoder_, percent); }, &decoder_.cancel));
        Post([this, outcome, generation] {
            if (generation != decoder_.generation) return;
            FinishJob(decoder_);
            if (outcome->Ok()) {
                sound_ = outcome->sound;
                ResetView();
                update();
                emit OnSoundOpened();
            } else if (!outcome->cancelled) {
                lastError_ = QString::fromStdString(outcome->error);
                emit OnOperationFailed(lastError_);
            }
            emit OnEndOperation();
        });
    });
    return true;
}

void AudioEditorControl::ReleaseFile()
{
    CancelDecoding();
    StopSound();
    if (sound_.Valid()) released_ = sound_;
    sound_ = {};
    undo_.clear();
    redo_.clear();
    selStart_ = selEnd_ = cursor_ = anchor_ = 0;
    dragging_ = false;
    ResetView();
    update();
}

void AudioEditorControl::DropReleasedSound()
{
    released_ = {};
}

// ---- Editing -------------------------------------------------------------------------------

AudioEditorControl::EditState AudioEditorControl::CurrentState() const
{
    return {sound_, selStart_, selEnd_, cursor_};
}

void AudioEditorControl::RestoreState(const EditState& state)
{
    StopSound();
    sound_ = state.sound;
    selStart_ = state.selStart;
    selEnd_ = state.selEnd;
    cursor_ = state.cursor;
    anchor_ = cursor_;
    ApplyScale();
    update();
    emit OnSoundEdited();
}

void AudioEditorControl::ApplyEdit(const Sound& sound, int64_t selStart, int64_t selEnd, int64_t cursor)
{
    undo_.push_back(CurrentState());
    if (undo_.size() > kUndoLimit) undo_.erase(undo_.begin());
    redo_.clear();
    RestoreState({sound, selStart, selEnd, cursor});
}

bool AudioEditorControl::CutSelection()
{
    if (!HasSound()) return Fail(QStringLiteral("No sound is open."));
    if (!HasSelection()) return true;
    clipboard_ = sound_.Slice(selStart_, selEnd_);
    ApplyEdit(sound_.Remove(selStart_, selEnd_), selStart_, selStart_, selStart_);
    emit OnClipboardFilled();
    return true;
}

bool AudioEditorControl::CopySelection()
{
    if (!HasSound()) return Fail(QStringLiteral("No sound is open."));
    if (!HasSelection()) return true;
    clipboard_ = sound_.Slice(selStart_, selEnd_);
    emit OnClipboardFilled();
    return true;
}

bool AudioEditorControl::PasteClip()
{
    if (!HasSound()) return Fail(QStringLiteral("No sound is open."));
    if (clipboard_.Empty()) return true;
    if (clipboard_.Rate() != sound_.Rate() || clipboard_.Channels() != sound_.Channels())
        return Fail(QStringLiteral("The copied sound has %1 Hz and %2 channels, the open one %3 Hz and %4 channels.")
                        .arg(clipboard_.Rate())
                        .arg(clipboard_.Channels())
                        .arg(sound_.Rate())
                        .arg(sound_.Channels()));
    const int64_t begin = HasSelection() ? selStart_ : cursor_;
    const int64_t end = HasSelection() ? selEnd_ : cursor_;
    const int64_t after = begin + clipboard_.Frames();
    ApplyEdit(sound_.Replace(begin, end, clipboard_), after, after, after);
    return true;
}

bool AudioEditorControl::DeleteSelection()
{
    if (!HasSound()) return Fail(QStringLiteral("No sound is open."));
    if (!HasSelection()) return true;
    ApplyEdit(sound_.Remove(selStart_, selEnd_), selStart_, selStart_, selStart_);
    return true;
}

bool AudioEditorControl::Undo()
{
    if (undo_.empty()) return false;
    redo_.push_back(CurrentState());
    EditState state = std::move(undo_.back());
    undo_.pop_back();
    RestoreState(state);
    return true;
}

bool AudioEditorControl::Redo()
{
    if (redo_.empty()) return false;
    undo_.push_back(CurrentState());
    EditState state = std::move(redo_.back());
    redo_.pop_back();
    RestoreState(state);
    return true;
}

bool AudioEditorControl::PasteFile(const QString& path)
{
    if (!HasSound()) return Fail(QStringLiteral("No sound is open."));
    if (decoder_.thread.joinable()) return Fail(QStringLiteral("The editor is still reading another file."));
    if (!QFileInfo(path).isFile()) return Fail(QStringLiteral("The file %1 does not exist.").arg(path));
    const std::string file = path.toStdString();
    const DecodeOptions options{sound_.Rate(), sound_.Channels()};
    const uint64_t generation = decoder_.generation;
    StartJob(decoder_, Job::PasteFile, [this, file, options, generation] {
        auto outcome = std::make_shared<DecodeOutcome>(
            DecodeFile(file, options, [this](int percent) { PostProgress(decoder_, percent); }, &decoder_.cancel));
        Post([this, outcome, generation] {
            if (generation != decoder_.generation) return;
            FinishJob(decoder_);
            if (outcome->Ok() && HasSound()) {
                const Sound& clip = outcome->sound;
                const int64_t begin = HasSelection() ? selStart_ : cursor_;
                const int64_t end = HasSelection() ? selEnd_ : cursor_;
                const int64_t after = begin + clip.Frames();
                ApplyEdit(sound_.Replace(begin, end, clip), after, after, after);
            } else if (!outcome->Ok() && !outcome->cancelled) {
                lastError_ = QString::fromStdString(outcome->error);
                emit OnOperationFailed(lastError_);
            }
            emit OnEndOperation();
        });
    });
    return true;
}

bool AudioEditorControl::SaveFile(const QString& path, int range, int)
{
    const Sound source = HasSound() ? sound_ : released_;
    if (!source.Valid()) return Fail(QStringLiteral("No sound is open."));
    if (path.isEmpty()) return Fail(QStringLiteral("No file name was given."));
    int64_t begin = 0, end = source.Frames();
    if (range == -1) {
        if (!HasSound() || !HasSelection()) return Fail(QStringLiteral("Nothing is selected."));
        begin = selStart_;
        end = selEnd_;
    } else if (range != 0) {
        return Fail(QStringLiteral("Unknown range %1.").arg(range));
    }
    if (saver_.thread.joinable()) return Fail(QStringLiteral("The last save is still running. Try again when it has ended."));
    SaveOptions options{mp3BitRate_, encoderLibrary_};
    const std::string file = path.toStdString();
    const uint64_t generation = saver_.generation;
    StartJob(saver_, Job::Save, [this, source, begin, end, file, options, generation] {
        auto outcome = std::make_shared<SaveOutcome>(SaveSound(
            source, begin, end, file, options, [this](int percent) { PostProgress(saver_, percent); }, &saver_.cancel));
        Post([this, outcome, generation] {
            if (generation != saver_.generation) return;
            FinishJob(saver_);
            if (!outcome->Ok() && !outcome->cancelled) {
                lastError_ = QString::fromStdString(outcome->error);
                emit OnOperationFailed(lastError_);
            }
            emit OnEndOperation();
        });
    });
    return true;
}

// ---- Playing -------------------------------------------------------------------------------

bool AudioEditorControl::PlaySound(int mode)
{
    if (!HasSound()) return Fail(QStringLiteral("No sound is open."));
    int64_t begin = 0, end = sound_.Frames();
    if (mode == 1) {
        if (HasSelection()) {
            begin = selStart_;
            end = selEnd_;
        }
    } else if (mode == 2) {
        begin = cursor_ < sound_.Frames() ? cursor_ : 0;
    } else {
        return Fail(QStringLiteral("Unknown play mode %1.").arg(mode));
    }
    const bool wasPlaying = player_.Playing();
    std::string error;
    if (!player_.Start(sound_, begin, end, &error)) {
        playTimer_->stop();
        playFrame_ = -1;
        if (wasPlaying) emit OnEndPlay();
        update();
        return Fail(QString::fromStdString(error));
    }
    playFrame_ = begin;
    playTimer_->start();
    update();
    emit OnStartPlay();
    return true;
}

void AudioEditorControl::StopSound()
{
    if (!player_.Playing()) return;
    player_.Stop();
    playTimer_->stop();
    playFrame_ = -1;
    update();
    emit OnEndPlay();
}

void AudioEditorControl::PlayTick()
{
    std::string error;
    const SoundPlayer::Status status = player_.Poll(&error);
    if (status == SoundPlayer::Status::Playing) {
        playFrame_ = player_.PositionFrame();
        // Keep the play cursor in view unless the whole sound is shown.
        const double x = XOfFrame(playFrame_);
        if (scale_.setting_ != 2 && (x < 0 || x > width())) {
            viewStart_ = double(playFrame_);
            ClampView();
            UpdateScrollBar();
        }
        update();
        return;
    }
    playTimer_->stop();
    playFrame_ = -1;
    update();
    if (status == SoundPlayer::Status::Failed) {
        lastError_ = QString::fromStdString(error);
        emit OnOperationFailed(lastError_);
    }
    emit OnEndPlay();
}

// ---- Selection and view --------------------------------------------------------------------

void AudioEditorControl::SelectAll()
{
    if (!HasSound()) return;
    selStart_ = 0;
    selEnd_ = sound_.Frames();
    cursor_ = anchor_ = 0;
    update();
}

void AudioEditorControl::SetSelection(int64_t begin, int64_t end)
{
    const int64_t frames = sound_.Frames();
    begin = std::clamp<int64_t>(begin, 0, frames);
    end = std::clamp<int64_t>(end, 0, frames);
    if (end < begin) std::swap(begin, end);
    selStart_ = begin;
    selEnd_ = end;
    cursor_ = anchor_ = begin;
    update();
}

void AudioEditorControl::SetCursor(int64_t frame)
{
    SetSelection(frame, frame);
}

void AudioEditorControl::ResetView()
{
    viewStart_ = 0;
    if (scale_.setting_ == 0) scale_.setting_ = 2;
    ApplyScale();
}

void AudioEditorControl::ApplyScale()
{
    const int w = std::max(1, width());
    if (scale_.setting_ == 2) {
        framesPerPixel_ = std::max(kMinFramesPerPixel, double(std::max<int64_t>(sound_.Frames(), 1)) / w);
        viewStart_ = 0;
    } else if (scale_.setting_ == 1) {
        framesPerPixel_ = 1;
    }
    ClampView();
    UpdateScrollBar();
    update();
}

void AudioEditorControl::ZoomAround(double factor, int x)
{
    if (!HasSound() || factor <= 0) return;
    const double frameAtX = viewStart_ + x * framesPerPixel_;
    const double fit = std::max(kMinFramesPerPixel, double(sound_.Frames()) / std::max(1, width()));
    framesPerPixel_ = std::clamp(framesPerPixel_ / factor, kMinFramesPerPixel, fit);
    viewStart_ = frameAtX - x * framesPerPixel_;
    scale_.setting_ = framesPerPixel_ >= fit ? 2 : 0;
    ClampView();
    UpdateScrollBar();
    update();
}

void AudioEditorControl::ClampView()
{
    const double visible = width() * framesPerPixel_;
    const double last = std::max(0.0, double(sound_.Frames()) - visible);
    viewStart_ = std::clamp(viewStart_, 0.0, last);
}

void AudioEditorControl::UpdateScrollBar()
{
    updatingScrollBar_ = true;
    const double total = double(sound_.Frames()) / framesPerPixel_;
    const int maximum = int(std::min(2.0e9, std::max(0.0, total - width())));
    scrollBar_->setRange(0, maximum);
    scrollBar_->setPageStep(std::max(1, width()));
    scrollBar_->setSingleStep(std::max(1, width() / 10));
    scrollBar_->setValue(int(std::min(2.0e9, viewStart_ / framesPerPixel_)));
    updatingScrollBar_ = false;
}

int64_t AudioEditorControl::FrameAtX(int x) const
{
    const double f = viewStart_ + double(x) * framesPerPixel_;
    return std::clamp<int64_t>(int64_t(std::llround(f)), 0, sound_.Frames());
}

double AudioEditorControl::XOfFrame(int64_t frame) const
{
    return (double(frame) - viewStart_) / framesPerPixel_;
}

int64_t AudioEditorControl::FrameAtPoint(const QPoint& point) const
{
    return FrameAtX(point.x());
}

QRect AudioEditorControl::WaveRect(const QSize& size) const
{
    return QRect(0, kRulerHeight, size.width(), std::max(1, size.height() - kRulerHeight - kScrollBarHeight));
}

// ---- Drawing ---------------------------------------------------------------------------------

void AudioEditorControl::PaintFrame(QPainter& p, const QSize& size) const
{
    const int w = size.width();
    p.fillRect(QRect(QPoint(0, 0), size), kBackground);
    const QRect wave = WaveRect(size);

    // The ruler, in minutes and seconds.
    p.fillRect(QRect(0, 0, w, kRulerHeight), kRulerBackground);
    const int rate = sound_.Valid() ? sound_.Rate() : 44100;
    const double secondsPerPixel = framesPerPixel_ / rate;
    static const double steps[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1,   2,    5,    10,   15,
                                   30,   60,   120,  300, 600, 900, 1800, 3600, 7200, 18000};
    double step = steps[std::size(steps) - 1];
    for (double s : steps)
        if (s / secondsPerPixel >= 70) {
            step = s;
            break;
        }
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    const double firstSecond = viewStart_ / rate;
    const double lastSecond = (viewStart_ + w * framesPerPixel_) / rate;
    const double minor = step / 5;
    p.setPen(kRulerText);
    for (double t = std::floor(firstSecond / minor) * minor; t <= lastSecond; t += minor) {
        const int x = int(std::lround((t * rate - viewStart_) / framesPerPixel_));
        const bool major = std::fabs(std::remainder(t, step)) < minor / 2;
        p.drawLine(x, kRulerHeight - (major ? 7 : 3), x, kRulerHeight - 1);
        if (major && sound_.Valid()) p.drawText(x + 3, 11, TimeText(t + 1e-9, step));
    }

    if (!sound_.Valid()) {
        p.setPen(kRulerText);
        const QString text = decoder_.kind == Job::Open ? QStringLiteral("Opening…") : QString();
        if (!text.isEmpty()) p.drawText(wave, Qt::AlignCenter, text);
        return;
    }

    // The selection behind the sound.
    if (HasSelection()) {
        const double x0 = std::max(-1.0, XOfFrame(selStart_));
        const double x1 = std::min(double(w) + 1, XOfFrame(selEnd_));
        if (x1 >= 0 && x0 <= w) {
            const QRectF band(x0, 0, std::max(1.0, x1 - x0), wave.bottom() + 1);
            p.fillRect(band, kSelection);
            p.setPen(kSelectionEdge);
            p.drawLine(QPointF(x0, 0), QPointF(x0, wave.bottom()));
            p.drawLine(QPointF(x1, 0), QPointF(x1, wave.bottom()));
        }
    }

    // Each channel in its lane: peaks (min … max) and RMS.
    const int channels = sound_.Channels();
    const double laneHeight = double(wave.height()) / channels;
    std::vector<ChannelSummary> summary(static_cast<size_t>(channels));
    std::vector<QLine> peaks, rms;
    peaks.reserve(size_t(w * channels));
    rms.reserve(size_t(w * channels));
    const int64_t frames = sound_.Frames();
    p.setPen(kCentreLine);
    for (int c = 0; c < channels; ++c) {
        const int mid = int(wave.top() + laneHeight * (c + 0.5));
        p.drawLine(0, mid, w, mid);
        if (c > 0) p.drawLine(0, int(wave.top() + laneHeight * c), w, int(wave.top() + laneHeight * c));
    }
    if (framesPerPixel_ >= 1.0) {
        for (int x = 0; x < w; ++x) {
            const int64_t f0 = int64_t(viewStart_ + x * framesPerPixel_);
            const int64_t f1 = std::max(f0 + 1, int64_t(viewStart_ + (x + 1) * framesPerPixel_));
            if (f0 >= frames) break;
            std::fill(summary.begin(), summary.end(), ChannelSummary{});
            sound_.Summarize(f0, f1, summary.data());
            for (int c = 0; c < channels; ++c) {
                const double mid = wave.top() + laneHeight * (c + 0.5);
                const double scale = (laneHeight / 2 - 1) / 32768.0;
                const ChannelSummary& s = summary[size_t(c)];
                const int top = int(std::lround(mid - s.max * scale));
                const int bottom = int(std::lround(mid - s.min * scale));
                peaks.emplace_back(x, top, x, bottom);
                const double r = s.Rms() * scale;
                const int rt = std::max(top, int(std::lround(mid - r)));
                const int rb = std::min(bottom, int(std::lround(mid + r)));
                if (rb >= rt) rms.emplace_back(x, rt, x, rb);
            }
        }
        p.setPen(kPeak);
        p.drawLines(peaks.data(), int(peaks.size()));
        p.setPen(kRms);
        p.drawLines(rms.data(), int(rms.size()));
    } else {
        // Closer than one frame per pixel: the samples themselves, joined.
        const int64_t first = std::max<int64_t>(0, int64_t(viewStart_));
        const int64_t last = std::min<int64_t>(frames, int64_t(viewStart_ + w * framesPerPixel_) + 2);
        const std::vector<int16_t> samples = sound_.Samples(first, last);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int c = 0; c < channels; ++c) {
            const double mid = wave.top() + laneHeight * (c + 0.5);
            const double scale = (laneHeight / 2 - 1) / 32768.0;
            QPolygonF line;
            line.reserve(int(last - first));
            for (int64_t f = first; f < last; ++f)
                line << QPointF(XOfFrame(f), mid - samples[size_t((f - first) * channels + c)] * scale);
            p.setPen(QPen(kRms, 1.2));
            p.drawPolyline(line);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    // The cursor, and the play cursor while playing.
    if (!HasSelection()) {
        const double x = XOfFrame(cursor_);
        if (x >= 0 && x <= w) {
            p.setPen(kCursor);
            p.drawLine(QPointF(x, 0), QPointF(x, wave.bottom()));
        }
    }
    if (playFrame_ >= 0) {
        const double x = XOfFrame(playFrame_);
        if (x >= 0 && x <= w) {
            p.setPen(QPen(kPlayCursor, 2));
            p.drawLine(QPointF(x, 0), QPointF(x, wave.bottom()));
        }
    }
}

void AudioEditorControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintFrame(p, QSize(width(), height()));
}

void AudioEditorControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    scrollBar_->setGeometry(0, height() - kScrollBarHeight, width(), kScrollBarHeight);
    ApplyScale();
}

// ---- Mouse and keyboard ----------------------------------------------------------------------

void AudioEditorControl::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !HasSound()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int64_t f = FrameAtPoint(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier) {
        // Extend from the end of the selection (or the cursor) away from the click.
        if (HasSelection())
            anchor_ = std::llabs(f - selStart_) < std::llabs(f - selEnd_) ? selEnd_ : selStart_;
        else
            anchor_ = cursor_;
        selStart_ = std::min(anchor_, f);
        selEnd_ = std::max(anchor_, f);
        cursor_ = selStart_;
    } else {
        anchor_ = f;
        selStart_ = selEnd_ = cursor_ = f;
    }
    dragging_ = true;
    update();
}

void AudioEditorControl::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !HasSound()) return;
    int x = int(event->position().x());
    // Past an edge the view follows the drag.
    if (x < 0 || x > width()) {
        viewStart_ += (x < 0 ? x : x - width()) * framesPerPixel_;
        scale_.setting_ = 0;
        ClampView();
        UpdateScrollBar();
        x = std::clamp(x, 0, width());
    }
    const int64_t f = FrameAtX(x);
    selStart_ = std::min(anchor_, f);
    selEnd_ = std::max(anchor_, f);
    cursor_ = selStart_;
    update();
}

void AudioEditorControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void AudioEditorControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        SelectAll();
    }
}

void AudioEditorControl::wheelEvent(QWheelEvent* event)
{
    if (!HasSound()) return;
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        ZoomAround(std::pow(1.25, delta.y() / 120.0), int(event->position().x()));
    } else {
        const int d = delta.x() != 0 ? delta.x() : delta.y();
        viewStart_ -= d / 120.0 * width() * 0.1 * framesPerPixel_;
        if (scale_.setting_ == 2 && d != 0) scale_.setting_ = 0;
        ClampView();
        UpdateScrollBar();
        update();
    }
    event->accept();
}

void AudioEditorControl::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    auto report = [this](bool ok) {
        if (!ok && !lastError_.isEmpty()) emit OnOperationFailed(lastError_);
    };
    switch (event->key()) {
    case Qt::Key_Space:
        if (player_.Playing())
            StopSound();
        else if (HasSound())
            report(PlaySound(HasSelection() ? 1 : 2));
        break;
    case Qt::Key_Z:
        if (ctrl && shift) Redo();
        else if (ctrl) Undo();
        else return QWidget::keyPressEvent(event);
        break;
    case Qt::Key_Y:
        if (ctrl) Redo();
        else return QWidget::keyPressEvent(event);
        break;
    case Qt::Key_X:
        if (ctrl && HasSound()) report(CutSelection());
        else return QWidget::keyPressEvent(event);
        break;
    case Qt::Key_C:
        if (ctrl && HasSound()) report(CopySelection());
        else return QWidget::keyPressEvent(event);
        break;
    case Qt::Key_V:
        if (ctrl && HasSound()) report(PasteClip());
        else return QWidget::keyPressEvent(event);
        break;
    case Qt::Key_A:
        if (ctrl) SelectAll();
        else return QWidget::keyPressEvent(event);
        break;
    case Qt::Key_Delete:
        if (HasSound()) report(DeleteSelection());
        break;
    case Qt::Key_Home:
    case Qt::Key_End: {
        if (!HasSound()) break;
        const int64_t f = event->key() == Qt::Key_Home ? 0 : sound_.Frames();
        if (shift) {
            if (!HasSelection()) anchor_ = cursor_;
            selStart_ = std::min(anchor_, f);
            selEnd_ = std::max(anchor_, f);
            cursor_ = selStart_;
        } else {
            selStart_ = selEnd_ = cursor_ = anchor_ = f;
        }
        const double x = XOfFrame(f);
        if (x < 0 || x > width()) {
            viewStart_ = f == 0 ? 0.0 : double(f);
            ClampView();
            UpdateScrollBar();
        }
        update();
        break;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAround(2.0, width() / 2);
        break;
    case Qt::Key_Minus:
        ZoomAround(0.5, width() / 2);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

}  // namespace editor_control
