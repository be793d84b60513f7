// Whole takes, headless, against the private sound server: the program plays a
// generated accompaniment, records the monitor of the sink it plays into, and
// leaves an MP3 in the output folder.
#include "LedDisplay.h"
#include "UnitDisplay.h"
#include "UnitHistory.h"
#include "UnitMain.h"
#include "Unit_common.h"
#include "event_loop.h"
#include "list_view_stream.h"
#include "media_tools.h"
#include "message_box.h"
#include "program_windows.h"
#include "second_server.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

using test_support::SpinFor;
using test_support::SpinUntil;

namespace {

class TakeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        programFolder_ = QDir(home_.path()).filePath("program");
        outputFolder_ = QDir(home_.path()).filePath("takes");
        QDir().mkpath(programFolder_ + "/language");
        QFile config(programFolder_ + "/config.ini");
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("[recorder_setting]\nfolder=%1\n[mp3]\nbitrate=8\n").arg(outputFolder_).toUtf8());
        config.close();
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        windows_ = std::make_unique<ProgramWindows>(nullptr, programFolder_.toStdString());
        windows_->frmMain().show();
        SpinFor(200);
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }

    QString MediaPath(const QString& name) const { return QDir(home_.path()).filePath(name); }
    QStringList Takes() const { return QDir(outputFolder_).entryList({"*.mp3"}, QDir::Files); }

    QTemporaryDir home_;
    QString programFolder_;
    QString outputFolder_;
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

bool HasColour(const QImage& image, bool (*match)(QRgb))
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixel(x, y))) return true;
    return false;
}

// The meter control inside the main window's display group.
QWidget* MeterWidget(TfrmMain& main)
{
    for (QWidget* w : main.GroupBoxKaraokeDisplay->findChildren<QWidget*>())
        if (w != main.RzLEDDisplay && w->size() == QSize(331, 74)) return w;
    return nullptr;
}

}  // namespace

TEST_F(TakeTest, AudioTakeRecordsAllOfTheLeftChannelOnBothSidesAndTheVoice)
{
    // Ten seconds: 440 Hz left, 660 Hz right, and a 2 kHz marker on the left that ends
    // 50 ms before the end.
    const QString accompaniment = MediaPath("Duet Song.mp3");
    const QString lyrics = MediaPath("Duet Song.lrc");
    const QString speech = MediaPath("voice.wav");
    ASSERT_TRUE(media_tools::MakeMarkedToneMp3(accompaniment, 10.0, 440, 660, 2000, 9.75, 9.95));
    ASSERT_TRUE(media_tools::MakeSpeech(speech, "one two three, singing into the microphone"));
    QFile lrc(lyrics);
    ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
    lrc.write("[00:00.50]First line\n[00:01.50]Second line\n[00:03.00]Third line\n");
    lrc.close();

    TfrmMain& main = windows_->frmMain();
    TfrmDisplay& display = windows_->frmDisplay();
    main.EditKaraokeFile->setText(accompaniment);
    main.EditLRCFile->setText(lyrics);
    ASSERT_TRUE(main.CheckBoxLeftChannel->isChecked());
    ASSERT_FALSE(main.CheckBoxRightChannel->isChecked());
    const QString startCaption = main.ButtonRecord->text();

    main.ButtonRecord->click();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_EQ(main.takeState(), 1);
    EXPECT_NE(main.ButtonRecord->text(), startCaption);
    EXPECT_FALSE(main.EditKaraokeFile->isEnabled());
    EXPECT_TRUE(display.isVisible());

    // The singer's voice joins after a second.
    SpinFor(1200);
    media_tools::Start(QStringLiteral("paplay '%1'").arg(speech));
    bool sawLyrics = false;
    bool sawLitGreen = false;
    bool sawLitYellow = false;
    QWidget* meter = MeterWidget(main);
    ASSERT_NE(meter, nullptr);
    ASSERT_TRUE(SpinUntil([&] {
        if (display.isVisible()) {
            const QImage& picture = display.ImageDisplay()->picture();
            sawLyrics = sawLyrics || HasColour(picture, [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60; });
        }
        // The loud tone lights the meter's ticks up into its yellow zone.
        if (!(sawLitGreen && sawLitYellow) && main.takeState() == 1) {
            const QImage shot = meter->grab().toImage();
            sawLitGreen = sawLitGreen || HasColour(shot, [](QRgb p) { return p == qRgb(0, 255, 0); });
            sawLitYellow = sawLitYellow || HasColour(shot, [](QRgb p) { return p == qRgb(255, 255, 0); });
        }
        return main.takeState() == 0;
    }, 30000));
    EXPECT_TRUE(sawLyrics);
    EXPECT_TRUE(sawLitGreen);
    EXPECT_TRUE(sawLitYellow);
    EXPECT_FALSE(display.isVisible());
    EXPECT_EQ(main.RzLEDDisplay->caption(), "00:00:00  00:00:00");
    EXPECT_EQ(main.ButtonRecord->text(), startCaption);
    EXPECT_TRUE(main.EditKaraokeFile->isEnabled());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();

    const QStringList takes = Takes();
    ASSERT_EQ(takes.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^\[\d{4}-\d\d-\d\d\]\[\d\d-\d\d-\d\d\]Duet Song\.mp3$)").match(takes[0]).hasMatch())
        << takes[0].toStdString();
    const QString path = QDir(outputFolder_).filePath(takes[0]);
    ASSERT_EQ(main.History->RowCount(), 1);
    EXPECT_EQ(main.History->RowPath(0), path);
    // The row is in history.dat at once, not only when the program closes.
    QFile history(QString::fromStdString(windows_->frmCommon().HistoryPath()));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    const QByteArray saved = history.readAll();
    const auto read = list_view_stream::Read(std::string_view(saved.constData(), saved.size()));
    ASSERT_TRUE(read.ok() && read.rows && read.rows->size() == 1) << read.error;
    EXPECT_EQ(read.rows->at(0).caption, path.toStdString());

    // The whole accompaniment, its last notes included, and not much more. How long the
    // file is depends on how the loaded machine played the song; what it holds does not:
    // the end marker is there, and the take stops soon after it.
    const media_tools::Stereo take = media_tools::Decode(path);
    EXPECT_GE(take.seconds(), 9.5);
    const double end = take.seconds();
    const double l440 = media_tools::ToneLevel(take.left, take.rate, 440, 1.0, end - 1.0);
    EXPECT_GT(l440, 0.05);
    double markerEnd = -1;
    for (double at = std::max(0.0, end - 3.0); at + 0.05 <= end; at += 0.05)  // after the voice
        if (media_tools::ToneLevel(take.left, take.rate, 2000, at, at + 0.05) > l440 / 10) markerEnd = at + 0.05;
    ASSERT_GT(markerEnd, 0) << "the marker is lost";
    EXPECT_LE(end - markerEnd, 1.5) << "the take ran on after the accompaniment";
    // The left channel is heard in both ears, so the take holds it on both sides...
    EXPECT_GT(media_tools::ToneLevel(take.right, take.rate, 440, 1.0, end - 1.0), l440 / 2);
    // ...and nothing of the right channel, from the very first frame.
    for (const auto* side : {&take.left, &take.right}) {
        EXPECT_LT(media_tools::ToneLevel(*side, take.rate, 660, 0.0, 1.0), l440 / 30);
        EXPECT_LT(media_tools::ToneLevel(*side, take.rate, 660, 1.0, end), l440 / 30);
    }
    // The voice is there too, on top of the tone.
    const media_tools::Stereo voice = media_tools::Decode(speech);
    const double voiceRms = media_tools::Rms(take.right, take.rate, 1.5, 4.5);
    EXPECT_GT(voiceRms, 0.2 * media_tools::Rms(voice.left, voice.rate, 0, voice.seconds()));
}

TEST_F(TakeTest, TheSoundServerDyingEndsTheTakeAndKeepsWhatWasSung)
{
    const QString accompaniment = MediaPath("Long Song.mp3");
    ASSERT_TRUE(media_tools::MakeToneMp3(accompaniment, 30.0, 440, 660));
    test_support::SecondServer server;  // the program plays and records on this one
    ASSERT_TRUE(server.started());
    TfrmMain& main = windows_->frmMain();
    main.EditKaraokeFile->setText(accompaniment);
    main.ButtonRecord->click();
    ASSERT_EQ(main.takeState(), 1) << messages_.join("\n").toStdString();
    // The monitor delivers once the accompaniment plays: from the first sound in the
    // file, the server lives three seconds more.
    ASSERT_TRUE(SpinUntil([&] { return QFileInfo(main.takeOutput()).size() > 0; }, 10000));
    QElapsedTimer lived;
    lived.start();
    SpinFor(3000);
    ASSERT_EQ(main.takeState(), 1);
    const double livedSeconds = lived.elapsed() / 1000.0;
    ASSERT_EQ(kill(server.pid(), SIGKILL), 0);
    ASSERT_TRUE(SpinUntil([&] { return main.takeState() == 0; }, 5000));
    ASSERT_EQ(messages_.size(), 1) << messages_.join("\n").toStdString();
    EXPECT_TRUE(messages_[0].contains("stopped delivering sound")) << messages_[0].toStdString();
    ASSERT_EQ(Takes().size(), 1);
    const QString path = QDir(outputFolder_).filePath(Takes()[0]);
    EXPECT_TRUE(messages_[0].contains(path)) << messages_[0].toStdString();
    ASSERT_EQ(main.History->RowCount(), 1);
    const media_tools::Stereo take = media_tools::Decode(path);
    // Everything captured until the server died.
    EXPECT_GE(take.seconds(), livedSeconds - 0.5);

    // With the server gone, a new press starts nothing and leaves no file.
    messages_.clear();
    main.ButtonRecord->click();
    EXPECT_EQ(main.takeState(), 0);
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(Takes().size(), 1);
    EXPECT_EQ(main.History->RowCount(), 1);
}

TEST_F(TakeTest, StopFromTheDisplayMenuEndsTheTakeWithinAMonitorTick)
{
    const QString accompaniment = MediaPath("Long Song.mp3");
    ASSERT_TRUE(media_tools::MakeToneMp3(accompaniment, 30.0, 440, 660));
    TfrmMain& main = windows_->frmMain();
    main.EditKaraokeFile->setText(accompaniment);
    main.ButtonRecord->click();
    ASSERT_EQ(main.takeState(), 1);
    SpinFor(2500);
    ASSERT_EQ(main.takeState(), 1);
    windows_->frmDisplay().PopupMenuStopClick();
    // The next monitor tick ends it.
    ASSERT_TRUE(SpinUntil([&] { return main.takeState() == 0; }, 2000));
    ASSERT_EQ(Takes().size(), 1);
    const media_tools::Stereo take = media_tools::Decode(QDir(outputFolder_).filePath(Takes()[0]));
    EXPECT_GT(take.seconds(), 1.0);
    EXPECT_EQ(main.History->RowCount(), 1);
}

TEST_F(TakeTest, VideoTakePlaysInTheDisplayWindowUntilItsEnd)
{
    const QString video = MediaPath("Clip.avi");
    ASSERT_TRUE(media_tools::MakeVideo(video, 3.0));
    TfrmMain& main = windows_->frmMain();
    TfrmDisplay& display = windows_->frmDisplay();
    main.EditKaraokeFile->setText(video);
    main.ButtonRecord->click();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_TRUE(display.isVisible());
    // The test pattern's colour bars reach the window.
    bool sawVideo = false;
    ASSERT_TRUE(SpinUntil([&] {
        if (!sawVideo && display.isVisible()) {
            const QImage shot = display.grab().toImage();
            sawVideo = HasColour(shot, [](QRgb p) { return qBlue(p) > 150 && qRed(p) < 80 && qGreen(p) < 80; }) &&
                       HasColour(shot, [](QRgb p) { return qGreen(p) > 150 && qRed(p) < 80 && qBlue(p) < 80; });
        }
        return main.takeState() == 0 && !main.take().monitorTimer().IsActive();
    }, 20000));
    EXPECT_TRUE(sawVideo);
    EXPECT_EQ(Takes().size(), 1);
    EXPECT_FALSE(display.isVisible());
}

TEST_F(TakeTest, EmptyAccompanimentAndUnwritableFolderAreToldAndNothingStarts)
{
    TfrmMain& main = windows_->frmMain();
    main.ButtonRecord->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(main.takeState(), 0);

    // An output folder that cannot be created: the file's error, and nothing plays.
    QFile config(programFolder_ + "/config.ini");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[recorder_setting]\nfolder=/proc/chorvane-cannot-be-here\n");
    config.close();
    const QString accompaniment = MediaPath("Short.mp3");
    ASSERT_TRUE(media_tools::MakeToneMp3(accompaniment, 2.0, 440, 660));
    main.EditKaraokeFile->setText(accompaniment);
    messages_.clear();
    main.ButtonRecord->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains("could not be created")) << messages_[0].toStdString();
    EXPECT_EQ(main.takeState(), 0);
    EXPECT_FALSE(main.take().monitorTimer().IsActive());
    EXPECT_EQ(main.History->RowCount(), 0);
    EXPECT_FALSE(windows_->frmDisplay().isVisible());
}
