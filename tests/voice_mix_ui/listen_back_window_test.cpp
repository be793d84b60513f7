// The listen-back window on generated takes: it plays the take from the mix's stream
// while the file is still being made, and waits for the stream rather than ending at its gaps; a nudge renders
// the take's file again, and a Keep pressed meanwhile removes the voice track only once
// that render has finished; closing keeps the voice track, and so does a Keep after a
// render that failed.
#include "UnitListenBack.h"
#include "event_loop.h"
#include "media_tools.h"
#include "message_box.h"
#include "mix_render.h"
#include "voice_track.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

namespace {

using test_support::SpinUntil;

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ListenBackWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        settings_.accompaniment = dir_.filePath("Song.mp3");
        ASSERT_TRUE(media_tools::MakeToneMp3(settings_.accompaniment, 3, 440, 440));
        ASSERT_TRUE(media_tools::Run(
            QStringLiteral("sox -n -r 44100 -b 16 -c 2 '%1' synth 3 sine 660 vol 0.4").arg(voice_)));
        voice_mix::VoiceTrack track;
        ASSERT_TRUE(voice_mix::ReadVoiceTrack(voice_, &track).isEmpty());
        ASSERT_TRUE(voice_mix::RenderMix(track, settings_, output_).isEmpty());
        ListenBackSession& s = window_.session();
        QObject::connect(&s, &ListenBackSession::rendered, [this](const QString& e) { events_ << "rendered:" + e; });
        QObject::connect(&s, &ListenBackSession::kept, [this](const QString& e) { events_ << "kept:" + e; });
    }
    void TearDown() override { message_box::SetSink(nullptr); }

    QTemporaryDir dir_;
    QString output_ = dir_.filePath("[2026-03-07][21-05-09]Song.mp3");
    QString voice_ = dir_.filePath("[2026-03-07][21-05-09]Song (voice).wav");
    voice_mix::MixSettings settings_;
    TfrmListenBack window_;
    QStringList events_, messages_;
};

}  // namespace

TEST_F(ListenBackWindow, TheMixIsHeardFromItsStreamWhileMadeAndAfterARenderFromTheFile)
{
    voice_mix::VoiceTrack track;
    ASSERT_TRUE(voice_mix::ReadVoiceTrack(voice_, &track).isEmpty());
    auto stream = std::make_shared<voice_mix::MixStream>();
    const size_t half = track.frames() / 6;  // half a second
    stream->Append(track.samples.data(), half);
    window_.ShowMixing(output_, stream);
    ASSERT_TRUE(window_.session().playing()) << window_.LabelStatus->text().toStdString();
    EXPECT_TRUE(window_.ButtonStop->isEnabled());
    // Well past the half second it holds: a stream still being made is waited for.
    test_support::SpinFor(1500);
    EXPECT_TRUE(window_.session().playing());
    stream->Append(track.samples.data() + 2 * half, track.frames() - half);
    stream->Finish();
    window_.ListenTo(output_, voice_, settings_);
    EXPECT_TRUE(window_.session().playing()) << "the same take goes on from its stream";
    EXPECT_TRUE(window_.session().hasStream());
    ASSERT_TRUE(SpinUntil([&] { return !window_.session().playing(); }, 30000)) << "heard to its end";

    ASSERT_TRUE(window_.session().Play().isEmpty());
    window_.SpinBoxNudge->setValue(20);
    ASSERT_TRUE(SpinUntil([&] { return !events_.isEmpty(); }, 60000));
    EXPECT_EQ(events_.last(), "rendered:");
    EXPECT_FALSE(window_.session().hasStream()) << "the file holds another mix now";
    EXPECT_TRUE(window_.session().playing()) << "and plays on from the file";
}

TEST_F(ListenBackWindow, ANudgeRendersAgainAndKeepRemovesTheVoiceTrackOnlyOnceThatRenderHasFinished)
{
    const QByteArray before = Bytes(output_);
    window_.ListenTo(output_, voice_, settings_);
    EXPECT_TRUE(window_.session().playing()) << "the take plays at once";
    EXPECT_FALSE(window_.ButtonPlay->isEnabled());

    window_.SpinBoxNudge->setValue(20);
    EXPECT_TRUE(window_.session().rendering());
    EXPECT_TRUE(window_.ProgressBarRender->isVisibleTo(&window_));
    window_.ButtonKeep->click();
    EXPECT_TRUE(window_.session().keepPending());
    EXPECT_TRUE(QFile::exists(voice_)) << "kept before the file holds the change";

    ASSERT_TRUE(SpinUntil([&] { return !events_.isEmpty() && events_.last().startsWith("kept"); }, 60000));
    EXPECT_EQ(events_, (QStringList{"rendered:", "kept:"}));
    EXPECT_FALSE(QFile::exists(voice_));
    EXPECT_EQ(window_.session().nudgeMs(), 20);
    const QByteArray after = Bytes(output_);
    EXPECT_GT(after.size(), 10000);
    EXPECT_NE(after, before) << "the take's file was rendered again";
    EXPECT_FALSE(window_.isVisible());
    EXPECT_FALSE(window_.session().playing());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(ListenBackWindow, ClosingKeepsTheVoiceTrackAndSoDoesKeepAfterARenderThatFailed)
{
    window_.ListenTo(output_, voice_, settings_);
    window_.SpinBoxNudge->setValue(-17);
    EXPECT_EQ(window_.SpinBoxNudge->value(), -15) << "the 5 ms step";
    window_.ButtonClose->click();
    EXPECT_FALSE(window_.isVisible());
    EXPECT_FALSE(window_.session().playing());
    ASSERT_TRUE(SpinUntil([&] { return !window_.session().rendering(); }, 60000));
    test_support::SpinFor(50);
    EXPECT_EQ(events_, QStringList{"rendered:"});
    EXPECT_TRUE(QFile::exists(voice_));

    // The accompaniment has gone: the render leaves the voice alone in the file and says so.
    window_.ListenTo(output_, voice_, settings_);
    ASSERT_TRUE(QFile::remove(settings_.accompaniment));
    events_.clear();
    window_.SliderBalance->setValue(80);
    ASSERT_TRUE(SpinUntil([&] { return !events_.isEmpty(); }, 60000));
    ASSERT_TRUE(events_[0].size() > int(strlen("rendered:"))) << "the failure is reported";
    window_.ButtonKeep->click();
    ASSERT_EQ(events_.size(), 2);
    EXPECT_TRUE(events_[1].startsWith("kept:The mix could not be made")) << events_[1].toStdString();
    EXPECT_TRUE(QFile::exists(voice_));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(window_.ButtonKeep->isEnabled());
}
