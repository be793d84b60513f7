// Playback through appsrc on the private sound server: the play cursor moves, the end
// of the stretch brings OnEndPlay, StopSound stops at once.
#include "audio_editor_control.h"
#include "event_loop.h"
#include "sound_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using editor_control::AudioEditorControl;

TEST(Playback, TheSelectionPlaysToItsEndWithAMovingCursor)
{
    QTemporaryDir folder;
    const std::string path = QDir(folder.path()).filePath("tones.wav").toStdString();
    ASSERT_TRUE(editor_test::WriteWav(path, editor_test::ToneSequence(3, 44100, 2), 44100, 2));
    AudioEditorControl control;
    control.resize(636, 323);
    int started = 0, ended = 0;
    QObject::connect(&control, &AudioEditorControl::OnStartPlay, [&] { ++started; });
    QObject::connect(&control, &AudioEditorControl::OnEndPlay, [&] { ++ended; });
    ASSERT_TRUE(control.OpenFile(QString::fromStdString(path)));
    ASSERT_TRUE(test_support::SpinUntil([&] { return control.HasSound(); }, 20000));
    control.SetSelection(44100, 44100 + 22050);  // half a second
    ASSERT_TRUE(control.PlaySound(1)) << control.LastError().toStdString();
    EXPECT_TRUE(control.IsPlaying());
    int64_t seen = -1;
    ASSERT_TRUE(test_support::SpinUntil(
        [&] {
            if (control.PlayFrame() > 44100) seen = control.PlayFrame();
            return ended > 0;
        },
        10000));
    EXPECT_EQ(ended, 1);
    EXPECT_GT(seen, 44100);
    EXPECT_LE(seen, 44100 + 22050);
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_EQ(control.PlayFrame(), -1);

    // Mode 2 plays from the cursor to the end; StopSound ends it at once.
    control.SetCursor(0);
    ASSERT_TRUE(control.PlaySound(2));
    test_support::SpinFor(200);
    control.StopSound();
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(started, 2);
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_FALSE(control.PlaySound(3));
}
