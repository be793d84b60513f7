// The main window's layout and the file fields' rules, with fake mixers.
#include "LedDisplay.h"
#include "UnitDisplay.h"
#include "UnitHistory.h"
#include "UnitMain.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "Unit_common.h"
#include "program_windows.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QToolButton>

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                    folder_.path().toStdString());
        main().show();
        test_support::SpinFor(50);
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    TfrmMain& main() { return windows_->frmMain(); }
    QString Touch(const QString& name)
    {
        QFile f(QDir(folder_.path()).filePath(name));
        f.open(QIODevice::WriteOnly);
        return f.fileName();
    }

    QTemporaryDir folder_;
    // Recordings without a configured folder go under $HOME.
    ScopedEnv home_{"HOME", folder_.path().toLocal8Bit()};
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace

TEST_F(MainWindowTest, LayoutHasTheFixedClientAreaToolbarAndPlacedMeter)
{
    // The menu bar lies above the client area: the window is that much taller.
    EXPECT_EQ(main().size(), QSize(530, 453 + main().menuBar()->height()));
    EXPECT_EQ(main().findChildren<QToolButton*>(QRegularExpression("^ToolButton[1-8]$")).size(), 8);
    for (auto* b : main().findChildren<QToolButton*>(QRegularExpression("^ToolButton")))
        EXPECT_EQ(b->size(), QSize(55, 52)) << b->objectName().toStdString();
    EXPECT_EQ(main().RzLEDDisplay->caption(), "00:00:00  00:00:00");
    EXPECT_TRUE(main().CheckBoxLeftChannel->isChecked());
    EXPECT_FALSE(main().CheckBoxRightChannel->isChecked());
    // The meter control sits in the display group at 331 x 74.
    QWidget* meter = nullptr;
    for (QWidget* w : main().GroupBoxKaraokeDisplay->findChildren<QWidget*>())
        if (w != main().RzLEDDisplay && w->size() == QSize(331, 74)) meter = w;
    ASSERT_NE(meter, nullptr);
    EXPECT_TRUE(meter->isVisible());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    // First show: lyric fields hidden, display picture black.
    EXPECT_FALSE(main().EditLRCFile->isVisible());
    EXPECT_EQ(main().GroupBoxKaraokeFile->height(), 52);
    EXPECT_EQ(windows_->frmDisplay().ImageDisplay()->picture().pixel(100, 100), qRgb(0, 0, 0));
}

TEST_F(MainWindowTest, TheMeterDrawsItsStoredGridOfThirtyColumnsAndThreeZones)
{
    QWidget* meter = nullptr;
    for (QWidget* w : main().GroupBoxKaraokeDisplay->findChildren<QWidget*>())
        if (w != main().RzLEDDisplay && w->size() == QSize(331, 74)) meter = w;
    ASSERT_NE(meter, nullptr);
    const QImage image = meter->grab().toImage();
    // Ticks 10 x 1 pixels, one apart: 30 columns. A tick row's colour follows the height
    // of its bottom edge: green below 30 pixels, yellow up to 60, red above.
    int columns = 0;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, 72) != qRgb(0, 0, 0) && (x == 0 || image.pixel(x - 1, 72) == qRgb(0, 0, 0))) ++columns;
    EXPECT_EQ(columns, 30);
    for (int row = 0; row < 37; ++row) {
        const int y = 72 - 2 * row;
        const int edge = 1 + 2 * row;
        const QRgb expected = edge > 60 ? qRgb(128, 0, 0) : edge >= 30 ? qRgb(128, 128, 0) : qRgb(0, 128, 128);
        for (int column : {0, 14, 29}) EXPECT_EQ(image.pixel(1 + 11 * column + 5, y), expected) << "row " << row;
    }
}

TEST_F(MainWindowTest, ChoosingAccompanimentsSetsLyricFieldsAndChannels)
{
    const QString song = Touch("Song.mp3");
    const QString twin = Touch("Song.lrc");
    main().AccompanimentChosen(song);
    EXPECT_TRUE(main().EditLRCFile->isVisibleTo(&main()));
    EXPECT_EQ(main().GroupBoxKaraokeFile->height(), 80);
    EXPECT_EQ(main().EditLRCFile->text(), twin);
    EXPECT_TRUE(main().CheckBoxLeftChannel->isChecked());
    EXPECT_TRUE(main().CheckBoxRightChannel->isChecked());

    // An audio file without a twin keeps the lyric path; a file without extension is audio.
    main().AccompanimentChosen(Touch("Other"));
    EXPECT_EQ(main().EditLRCFile->text(), twin);
    EXPECT_TRUE(main().EditLRCFile->isVisibleTo(&main()));

    main().AccompanimentChosen(Touch("Clip.AVI"));
    EXPECT_FALSE(main().EditLRCFile->isVisibleTo(&main()));
    EXPECT_EQ(main().GroupBoxKaraokeFile->height(), 52);
    EXPECT_TRUE(main().CheckBoxLeftChannel->isChecked());
    EXPECT_FALSE(main().CheckBoxRightChannel->isChecked());

    // A path typed or pasted into the field does the same, and the twin is found
    // whatever the letter case of its extension.
    const QString loud = Touch("Loud.wav");
    const QString loudTwin = Touch("Loud.LRC");
    main().EditKaraokeFile->setText(loud);
    EXPECT_TRUE(main().EditLRCFile->isVisibleTo(&main()));
    EXPECT_EQ(main().EditLRCFile->text(), loudTwin);
    main().EditKaraokeFile->setText(QDir(folder_.path()).filePath("Clip.avi"));
    EXPECT_FALSE(main().EditLRCFile->isVisibleTo(&main()));
}

TEST_F(MainWindowTest, AnAccompanimentThatCannotBePlayedStartsNoTake)
{
    const QString bogus = QDir(folder_.path()).filePath("not really.mp3");
    QFile f(bogus);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is text, not sound\n");
    f.close();
    const QString startCaption = main().ButtonRecord->text();
    for (const QString& accompaniment : {bogus, QDir(folder_.path()).filePath("missing.mp3")}) {
        SCOPED_TRACE(accompaniment.toStdString());
        messages_.clear();
        main().EditKaraokeFile->setText(accompaniment);
        main().ButtonRecord->click();
        EXPECT_EQ(main().bufferSize(), 16384);  // never applied by the settings: the default
        EXPECT_EQ(main().takeState(), 0);
        EXPECT_EQ(main().ButtonRecord->text(), startCaption);
        EXPECT_TRUE(main().EditKaraokeFile->isEnabled());
        ASSERT_EQ(messages_.size(), 1);
        EXPECT_TRUE(messages_[0].contains(accompaniment)) << messages_[0].toStdString();
        EXPECT_TRUE(QDir(folder_.path() + "/Music/Chorvane").entryList({"*.mp3"}).isEmpty());
        EXPECT_EQ(main().History->RowCount(), 0);
        EXPECT_FALSE(windows_->frmDisplay().isVisible());
    }
}

TEST_F(MainWindowTest, ToolbarOpensTheRecordingsFolderAndTheWebPages)
{
    std::vector<std::string> opened;
    windows_->frmCommon().SetOpener([&](const std::string& address) { opened.push_back(address); });
    for (const char* name : {"ToolButton1", "ToolButton5", "ToolButton6", "ToolButton7"})
        main().findChild<QToolButton*>(name)->click();
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[0], folder_.path().toStdString() + "/Music/Chorvane");
    EXPECT_EQ(opened[1], windows_->frmCommon().SupportAddress());
    EXPECT_EQ(opened[2], windows_->frmCommon().HomePageAddress());
    EXPECT_EQ(opened[3], windows_->frmCommon().HomePageAddress());
}
