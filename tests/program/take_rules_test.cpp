#include "take_rules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace take_rules;

TEST(TakeRules, AccompanimentKindByExtension)
{
    for (const char* audio : {".mp3", ".WAV", ".Wma", ""}) EXPECT_TRUE(IsAudioAccompaniment(audio)) << audio;
    for (const char* video : {".avi", ".rmvb", ".dat", ".mp4", ".mp", ".p3"}) EXPECT_FALSE(IsAudioAccompaniment(video)) << video;
    EXPECT_EQ(ExtensionOf("/music/Song.v2.WMA"), ".WMA");
    EXPECT_EQ(ExtensionOf("/music.d/Song"), "");
    EXPECT_TRUE(IsAudioAccompaniment(ExtensionOf("/music.d/Song")));
}

TEST(TakeRules, ChannelTable)
{
    EXPECT_EQ(BalanceFor(true, true), 0);
    EXPECT_EQ(BalanceFor(true, false), -10000);
    EXPECT_EQ(BalanceFor(false, true), 10000);
    EXPECT_EQ(BalanceFor(false, false), 0);
}

TEST(TakeRules, PlayTimeAndLedCaption)
{
    EXPECT_EQ(FormatPlayTime(0), "00:00:00");
    EXPECT_EQ(FormatPlayTime(3599), "00:59:59");
    EXPECT_EQ(FormatPlayTime(360000), "100:00:00");
    EXPECT_EQ(FormatPlayTime(3661), "01:01:01");
    EXPECT_EQ(LedCaption(65, 200), "00:01:05  00:03:20");
    EXPECT_EQ(LedCaption(0, 0), kIdleLedCaption);
}

TEST(TakeRules, OutputPathFromFolderTimeAndName)
{
    const QDateTime start(QDate(2009, 3, 7), QTime(21, 5, 9));
    EXPECT_EQ(OutputPath("/rec", start, "/music/Song.wma"), "/rec/[2009-03-07][21-05-09]Song.mp3");
    EXPECT_EQ(OutputPath("/rec///", start, "/music/Song"), "/rec/[2009-03-07][21-05-09]Song.mp3");
    EXPECT_EQ(OutputPath("/rec", start, "/m/Song.v2.mp3"), "/rec/[2009-03-07][21-05-09]Song.v2.mp3");
    const QDateTime morning(QDate(2026, 12, 31), QTime(0, 0, 0));
    EXPECT_EQ(OutputPath("/", morning, "a.avi"), "/[2026-12-31][00-00-00]a.mp3");
    EXPECT_EQ(TrimTrailingSeparators("/rec\\\\"), "/rec");
    EXPECT_EQ(TrimTrailingSeparators("/"), "/");
    EXPECT_EQ(TrimTrailingSeparators(""), "");
}

TEST(TakeRules, OutputFoldersThatCannotHoldATakeAreNamed)
{
    EXPECT_EQ(OutputFolderProblem("/home/me/Music/Chorvane"), "");
    EXPECT_TRUE(OutputFolderProblem("my_songs").contains("\"my_songs\""));
    const QString control = OutputFolderProblem("/rec\nfolder");
    EXPECT_TRUE(control.contains("\"/rec?folder\"")) << control.toStdString();
}
