// The waveform editor control: opening off the user-interface thread with progress,
// the edits and their undo, saving WAV exactly and MP3 within the codec's delay, saving
// onto the open file, a failing save, pasting a file, drawing, mouse and keys.
#include "audio_editor_control.h"
#include "event_loop.h"
#include "sound_decoder.h"
#include "sound_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

using editor_control::AudioEditorControl;

namespace {

class ControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        control_.resize(636, 323);
        QObject::connect(&control_, &AudioEditorControl::OnBlockOperation, [this](qint16 p) {
            events_.push_back("progress " + std::to_string(p));
            EXPECT_EQ(QThread::currentThread(), control_.thread());
        });
        QObject::connect(&control_, &AudioEditorControl::OnEndOperation, [this] { events_.push_back("end"); });
        QObject::connect(&control_, &AudioEditorControl::OnOperationFailed,
                         [this](const QString& m) { events_.push_back("failed " + m.toStdString()); });
        QObject::connect(&control_, &AudioEditorControl::OnSoundEdited, [this] { ++edits_; });
    }
    std::string Path(const char* name) const { return QDir(folder_.path()).filePath(name).toStdString(); }
    // Writes the ramp as a WAV file and opens it.
    std::vector<int16_t> OpenRamp(int64_t frames, int channels = 2, int rate = 44100, const char* name = "ramp.wav")
    {
        auto pcm = editor_test::Ramp(frames, channels);
        EXPECT_TRUE(editor_test::WriteWav(Path(name), pcm, rate, channels));
        Open(Path(name));
        return pcm;
    }
    void Open(const std::string& path)
    {
        ASSERT_TRUE(control_.OpenFile(QString::fromStdString(path))) << control_.LastError().toStdString();
        Wait();
        ASSERT_TRUE(control_.HasSound()) << Events();
    }
    void Wait()
    {
        ASSERT_TRUE(test_support::SpinUntil([this] { return !control_.IsBusy(); }, 60000));
        test_support::SpinFor(20);
    }
    std::vector<int16_t> All() const { return control_.CurrentSound().Samples(0, control_.CurrentSound().Frames()); }
    std::string Events() const
    {
        std::string s;
        for (const auto& e : events_) s += e + "; ";
        return s;
    }
    void ExpectProgressInOrderThenEnd() const
    {
        ASSERT_FALSE(events_.empty());
        EXPECT_EQ(events_.back(), "end") << Events();
        int last = -1;
        for (size_t i = 0; i + 1 < events_.size(); ++i) {
            ASSERT_EQ(events_[i].rfind("progress ", 0), 0u) << Events();
            const int p = std::stoi(events_[i].substr(9));
            EXPECT_GT(p, last) << Events();
            last = p;
        }
        EXPECT_EQ(last, 100) << Events();
    }

    QTemporaryDir folder_;
    AudioEditorControl control_;
    std::vector<std::string> events_;
    int edits_ = 0;
};

std::vector<int16_t> Without(const std::vector<int16_t>& pcm, int channels, int64_t b, int64_t e)
{
    std::vector<int16_t> out(pcm.begin(), pcm.begin() + b * channels);
    out.insert(out.end(), pcm.begin() + e * channels, pcm.end());
    return out;
}

}  // namespace

TEST_F(ControlTest, OpeningAWavGivesItsSamplesRateAndChannelsExactlyWithProgressThenTheEnd)
{
    const auto pcm = OpenRamp(100000, 1, 22050);
    EXPECT_EQ(control_.CurrentSound().Rate(), 22050);
    EXPECT_EQ(control_.CurrentSound().Channels(), 1);
    EXPECT_EQ(All(), pcm);
    ExpectProgressInOrderThenEnd();
    EXPECT_FALSE(control_.HasSelection());
}

TEST_F(ControlTest, OpeningReturnsAtOnceAndTheDecodingRunsOffTheUserInterfaceThread)
{
    auto pcm = editor_test::ToneSequence(20, 44100, 2);
    ASSERT_TRUE(editor_test::WriteMp3(Path("long.mp3"), pcm, 44100, 2));
    ASSERT_TRUE(control_.OpenFile(QString::fromStdString(Path("long.mp3"))));
    EXPECT_TRUE(control_.IsBusy());
    EXPECT_FALSE(control_.HasSound());
    Wait();
    ASSERT_TRUE(control_.HasSound());
    EXPECT_NEAR(double(control_.CurrentSound().Frames()), 20.0 * 44100, 4000);
    ExpectProgressInOrderThenEnd();
}

TEST_F(ControlTest, AFileThatIsNoSoundFailsWithAMessageAndTheEnd)
{
    std::ofstream(Path("text.mp3")) << "this is no sound at all, just some words in a file\n";
    ASSERT_TRUE(control_.OpenFile(QString::fromStdString(Path("text.mp3"))));
    Wait();
    EXPECT_FALSE(control_.HasSound());
    ASSERT_GE(events_.size(), 2u) << Events();
    EXPECT_EQ(events_.back(), "end");
    EXPECT_EQ(events_[events_.size() - 2].rfind("failed Cannot read", 0), 0u) << Events();
    EXPECT_FALSE(control_.OpenFile(QString::fromStdString(Path("missing.wav"))));
    EXPECT_TRUE(control_.LastError().contains("does not exist"));
}

TEST_F(ControlTest, CutRemovesExactlyTheSelectionAndUndoAndRedoGiveTheSoundsBack)
{
    const auto pcm = OpenRamp(300000);
    control_.SetSelection(123456, 234567);
    ASSERT_TRUE(control_.CutSelection());
    EXPECT_EQ(All(), Without(pcm, 2, 123456, 234567));
    EXPECT_EQ(control_.Clipboard().Frames(), 234567 - 123456);
    EXPECT_EQ(control_.CursorFrame(), 123456);
    EXPECT_FALSE(control_.HasSelection());
    ASSERT_TRUE(control_.Undo());
    EXPECT_EQ(All(), pcm);
    EXPECT_EQ(control_.SelectionStart(), 123456);
    EXPECT_EQ(control_.SelectionEnd(), 234567);
    ASSERT_TRUE(control_.Redo());
    EXPECT_EQ(All(), Without(pcm, 2, 123456, 234567));
    EXPECT_FALSE(control_.Redo());
    EXPECT_EQ(edits_, 3);
}

TEST_F(ControlTest, CopyPastesAtTheCursorAndPasteReplacesASelection)
{
    const auto pcm = OpenRamp(50000);
    control_.SetSelection(1000, 2000);
    ASSERT_TRUE(control_.CopySelection());
    EXPECT_EQ(All(), pcm);  // copying changes nothing
    EXPECT_EQ(edits_, 0);
    control_.SetCursor(0);
    ASSERT_TRUE(control_.PasteClip());
    ASSERT_EQ(control_.CurrentSound().Frames(), 51000);
    EXPECT_EQ(control_.CurrentSound().Samples(0, 1000), std::vector<int16_t>(pcm.begin() + 2000, pcm.begin() + 4000));
    EXPECT_EQ(control_.CursorFrame(), 1000);
    control_.SetSelection(10000, 30000);
    ASSERT_TRUE(control_.PasteClip());
    EXPECT_EQ(control_.CurrentSound().Frames(), 51000 - 20000 + 1000);
    ASSERT_TRUE(control_.DeleteSelection());  // nothing selected after a paste: nothing happens
    EXPECT_EQ(control_.CurrentSound().Frames(), 32000);
    control_.SetSelection(0, 32000);
    ASSERT_TRUE(control_.DeleteSelection());
    EXPECT_EQ(control_.CurrentSound().Frames(), 0);
    while (control_.Undo()) {
    }
    EXPECT_EQ(All(), pcm);
}

TEST_F(ControlTest, ACutSavedAsWavHoldsExactlyTheEditedSamples)
{
    const auto pcm = OpenRamp(200000);
    control_.SetSelection(50000, 90000);
    ASSERT_TRUE(control_.CutSelection());
    events_.clear();
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("cut.wav")), 0));
    Wait();
    ExpectProgressInOrderThenEnd();
    const auto saved = editor_test::ReadWav(Path("cut.wav"));
    EXPECT_EQ(saved.rate, 44100);
    EXPECT_EQ(saved.channels, 2);
    EXPECT_EQ(saved.samples, Without(pcm, 2, 50000, 90000));
}

TEST_F(ControlTest, SavingTheSelectionWritesOnlyTheSelection)
{
    const auto pcm = OpenRamp(100000);
    control_.SetSelection(2000, 7000);
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("part.wav")), -1));
    Wait();
    EXPECT_EQ(editor_test::ReadWav(Path("part.wav")).samples,
              std::vector<int16_t>(pcm.begin() + 2000 * 2, pcm.begin() + 7000 * 2));
    control_.SetCursor(10);
    EXPECT_FALSE(control_.SaveFile(QString::fromStdString(Path("none.wav")), -1));
    EXPECT_FALSE(std::filesystem::exists(Path("none.wav")));
}

TEST_F(ControlTest, ACutSavedAsMp3RemovesTheCutToneWithinTheCodecsDelayAndPadding)
{
    const int rate = 44100;
    const auto pcm = editor_test::ToneSequence(6, rate, 2);
    ASSERT_TRUE(editor_test::WriteWav(Path("tones.wav"), pcm, rate, 2));
    Open(Path("tones.wav"));
    // Cut seconds 2 and 3 (the tones at 660 and 880 Hz).
    control_.SetSelection(2 * rate, 4 * rate);
    ASSERT_TRUE(control_.CutSelection());
    control_.SetMp3BitRate(192);
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("cut.mp3")), 0));
    Wait();
    const auto decoded = editor_control::DecodeFile(Path("cut.mp3"), {}, nullptr, nullptr);
    ASSERT_TRUE(decoded.Ok()) << decoded.error;
    const auto& sound = decoded.sound;
    EXPECT_EQ(sound.Rate(), rate);
    EXPECT_EQ(sound.Channels(), 2);
    // LAME adds its delay at the start and pads the last frame: at most about two frames.
    EXPECT_GE(sound.Frames(), 4 * rate);
    EXPECT_LE(sound.Frames(), 4 * rate + 3 * 1152);
    const auto samples = sound.Samples(0, sound.Frames());
    // Second 2 of the saved sound is the tone of second 4 (1100 Hz), not 660 Hz.
    EXPECT_NEAR(editor_test::CrossingRate(samples, 2, rate, 2 * rate + 4000, 3 * rate - 4000), 1100.0, 15.0);
    EXPECT_NEAR(editor_test::CrossingRate(samples, 2, rate, 1 * rate + 4000, 2 * rate - 4000), 440.0, 15.0);
    // 192 kbit/s: about 24000 bytes a second.
    EXPECT_NEAR(double(std::filesystem::file_size(Path("cut.mp3"))), 4 * 24000.0, 4000.0);
}

TEST_F(ControlTest, SavingOntoTheOpenFileReplacesItWhole)
{
    const auto pcm = OpenRamp(100000, 2, 44100, "take.wav");
    control_.SetSelection(0, 40000);
    ASSERT_TRUE(control_.CutSelection());
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("take.wav")), 0));
    Wait();
    EXPECT_EQ(editor_test::ReadWav(Path("take.wav")).samples, Without(pcm, 2, 0, 40000));
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"take.wav"});
}

TEST_F(ControlTest, TheNextFileOpensWhileTheLastSaveIsStillWriting)
{
    const auto pcm = OpenRamp(400000, 2, 44100, "first.wav");
    const auto other = editor_test::Ramp(1000, 1);
    ASSERT_TRUE(editor_test::WriteWav(Path("second.wav"), other, 8000, 1));
    control_.SetSelection(0, 100000);
    ASSERT_TRUE(control_.CutSelection());
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("first.wav")), 0));
    control_.ReleaseFile();
    ASSERT_TRUE(control_.OpenFile(QString::fromStdString(Path("second.wav"))));
    Wait();
    EXPECT_EQ(All(), other);
    EXPECT_EQ(editor_test::ReadWav(Path("first.wav")).samples, Without(pcm, 2, 0, 100000));
}

TEST_F(ControlTest, ASaveOntoTheOpenFileThatFailsLeavesTheOriginalIntact)
{
    const auto pcm = OpenRamp(400000, 2, 44100, "take.wav");  // 1.6 MB
    const auto before = editor_test::ReadBytes(Path("take.wav"));
    control_.SetSelection(0, 1000);
    ASSERT_TRUE(control_.CutSelection());
    // A disk that is full after 64 KiB: writes past that fail (EFBIG) instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    events_.clear();
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("take.wav")), 0));
    Wait();
    setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_GE(events_.size(), 2u);
    EXPECT_EQ(events_.back(), "end");
    EXPECT_EQ(events_[events_.size() - 2].rfind("failed Cannot save", 0), 0u) << Events();
    EXPECT_EQ(editor_test::ReadBytes(Path("take.wav")), before);
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"take.wav"});
    // The edit is still there to save elsewhere.
    EXPECT_EQ(control_.CurrentSound().Frames(), 399000);
}

TEST_F(ControlTest, PastingAFileConvertsItToTheOpenSoundsRateAndChannels)
{
    OpenRamp(44100);
    ASSERT_TRUE(editor_test::WriteWav(Path("mono.wav"), editor_test::ToneSequence(1, 22050, 1), 22050, 1));
    control_.SetCursor(22050);
    events_.clear();
    ASSERT_TRUE(control_.PasteFile(QString::fromStdString(Path("mono.wav"))));
    Wait();
    ExpectProgressInOrderThenEnd();
    const auto& sound = control_.CurrentSound();
    EXPECT_EQ(sound.Channels(), 2);
    EXPECT_EQ(sound.Rate(), 44100);
    EXPECT_NEAR(double(sound.Frames()), 2 * 44100.0, 64);
    const auto pasted = sound.Samples(22050, 22050 + 44100);
    EXPECT_NEAR(editor_test::CrossingRate(pasted, 2, 44100, 2000, 42000), 220.0, 5.0);
    EXPECT_EQ(edits_, 1);
    ASSERT_TRUE(control_.Undo());
    EXPECT_EQ(control_.CurrentSound().Frames(), 44100);
}

TEST_F(ControlTest, AfterReleaseFileTheEditedSoundCanStillBeSaved)
{
    const auto pcm = OpenRamp(30000);
    control_.SetSelection(0, 10000);
    ASSERT_TRUE(control_.CutSelection());
    control_.ReleaseFile();
    EXPECT_FALSE(control_.HasSound());
    ASSERT_TRUE(control_.SaveFile(QString::fromStdString(Path("kept.wav")), 0));
    Wait();
    EXPECT_EQ(editor_test::ReadWav(Path("kept.wav")).samples, Without(pcm, 2, 0, 10000));
    control_.DropReleasedSound();
    EXPECT_FALSE(control_.SaveFile(QString::fromStdString(Path("gone.wav")), 0));
}

TEST_F(ControlTest, FitAllShowsTheWholeSoundAndDrawsBothChannels)
{
    OpenRamp(441000);
    control_.ScaleX()->SetSetting(2);
    EXPECT_NEAR(control_.FramesPerPixel() * 636, 441000, 1);
    QImage image(636, 323, QImage::Format_RGB32);
    QPainter painter(&image);
    control_.SetSelection(100000, 200000);
    control_.PaintFrame(painter, image.size());
    painter.end();
    // Every column of both lanes carries the wave's colour.
    auto litColumns = [&](int top, int bottom) {
        int n = 0;
        for (int x = 0; x < 636; ++x) {
            bool lit = false;
            for (int y = top; y < bottom && !lit; ++y) lit = qBlue(image.pixel(x, y)) > 150;
            n += lit;
        }
        return n;
    };
    EXPECT_GE(litColumns(18, 18 + 146), 630);
    EXPECT_GE(litColumns(18 + 147, 18 + 293), 630);
    // Zooming in around a point keeps that point under the mouse.
    const int64_t before = control_.FrameAtX(300);
    control_.ZoomAround(8.0, 300);
    EXPECT_NEAR(double(control_.FrameAtX(300)), double(before), control_.FramesPerPixel() + 1);
    EXPECT_EQ(control_.ScaleX()->Setting(), 0);
}

TEST_F(ControlTest, TheMouseSelectsAndTheKeysEdit)
{
    const auto pcm = OpenRamp(63600);  // 100 frames a pixel at fit-all
    control_.show();
    QTest::mousePress(&control_, Qt::LeftButton, {}, QPoint(100, 150));
    QTest::mouseMove(&control_, QPoint(200, 150));
    QTest::mouseRelease(&control_, Qt::LeftButton, {}, QPoint(200, 150));
    EXPECT_EQ(control_.SelectionStart(), 10000);
    EXPECT_EQ(control_.SelectionEnd(), 20000);
    // Shift-click extends the selection.
    QTest::mouseClick(&control_, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 150));
    EXPECT_EQ(control_.SelectionStart(), 10000);
    EXPECT_EQ(control_.SelectionEnd(), 30000);
    QTest::keyClick(&control_, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(control_.CurrentSound().Frames(), 63600 - 20000);
    QTest::keyClick(&control_, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(All(), pcm);
    QTest::keyClick(&control_, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(control_.CurrentSound().Frames(), 63600 - 20000);
    QTest::keyClick(&control_, Qt::Key_End);
    EXPECT_EQ(control_.CursorFrame(), 63600 - 20000);
    QTest::keyClick(&control_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(control_.CurrentSound().Frames(), 63600);
    QTest::keyClick(&control_, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(control_.SelectionStart(), 0);
    EXPECT_EQ(control_.SelectionEnd(), 63600);
    QTest::keyClick(&control_, Qt::Key_Delete);
    EXPECT_EQ(control_.CurrentSound().Frames(), 0);
    QTest::keyClick(&control_, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseDClick(&control_, Qt::LeftButton, {}, QPoint(50, 150));
    EXPECT_EQ(control_.SelectionEnd() - control_.SelectionStart(), 63600);
    // Ctrl+wheel zooms in around the mouse.
    QWheelEvent wheel(QPointF(318, 150), control_.mapToGlobal(QPointF(318, 150)), {}, QPoint(0, 120 * 4),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&control_, &wheel);
    EXPECT_NEAR(control_.FramesPerPixel(), 100.0 / std::pow(1.25, 4), 0.01);
}
