// The audio editor in the program: the history's Edit command shows the window over
// the main window and opens the recording in it.
#include "UnitAudioEditor.h"
#include "UnitHistory.h"
#include "UnitMain.h"
#include "audio_editor_control.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "program_windows.h"
#include "sound_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

TEST(AudioEditorInProgram, TheHistorysEditCommandShowsTheEditorWithTheRecording)
{
    QTemporaryDir folder;
    QStringList messages;
    message_box::SetSink([&](const QString& text) { messages << text; });
    const QString take = QDir(folder.path()).filePath("take.wav");
    ASSERT_TRUE(editor_test::WriteWav(take.toStdString(), editor_test::Ramp(44100, 2), 44100, 2));
    {
        ProgramWindows windows(std::make_unique<mixer::FakeMixerLibraries>(true), folder.path().toStdString());
        windows.frmMain().show();
        test_support::SpinFor(50);
        TfrmAudioEditor& editor = windows.frmAudioEditor();
        EXPECT_FALSE(editor.isVisible());
        THistory& history = *windows.frmMain().History;
        history.AddHistoryEntry(take);
        history.SelectRow(history.RowCount() - 1);
        history.popMenuHistoryEditClick();
        EXPECT_TRUE(editor.isVisible());
        ASSERT_TRUE(test_support::SpinUntil([&] { return editor.NCTAudioEditor->HasSound(); }, 20000));
        EXPECT_EQ(editor.NCTAudioEditor->CurrentSound().Frames(), 44100);
        // A recording that is gone opens nothing.
        history.AddHistoryEntry(QDir(folder.path()).filePath("gone.wav"));
        history.SelectRow(history.RowCount() - 1);
        editor.hide();
        history.popMenuHistoryEditClick();
        EXPECT_FALSE(editor.isVisible());
    }
    message_box::SetSink(nullptr);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}
