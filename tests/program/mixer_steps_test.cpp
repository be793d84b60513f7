// The main window's mixer steps at first show and at close, against fake mixers.
#include "UnitMain.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "program_windows.h"
#include "UnitStereoMixer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

using mixer::FakeCard;
using mixer::FakeMixerLibraries;

namespace {

struct StartedProgram {
    QTemporaryDir folder;
    FakeMixerLibraries* mixers = nullptr;
    std::unique_ptr<ProgramWindows> windows;
    QStringList messages;
    QStringList sourceDialogs;

    explicit StartedProgram(std::unique_ptr<FakeMixerLibraries> fake)
    {
        mixers = fake.get();
        message_box::SetSink([this](const QString& text) { messages << "message:" + text; });
        windows = std::make_unique<ProgramWindows>(std::move(fake), folder.path().toStdString());
        QObject::connect(&windows->frmMain(), &TfrmMain::recordingSourceDialogRequested,
                         [this] { messages << QStringLiteral("source dialog"); });
        windows->frmMain().show();
        test_support::SpinFor(50);
    }
    ~StartedProgram()
    {
        windows.reset();
        message_box::SetSink(nullptr);
    }
};

std::unique_ptr<FakeMixerLibraries> OlderMixer(int32_t micVolume, bool micMuted, int32_t stereoLine)
{
    auto fake = std::make_unique<FakeMixerLibraries>(false);
    FakeCard card;
    card.name = "HDA Intel PCH";
    card.lines = {{"Mic", true, true, 20000}, {"Line", true, false, 20000}, {"Stereo Mix", true, false, 5000}};
    card.stereoLine = stereoLine;
    card.playbackVolumes = {40000, micVolume};
    card.micPlaybackLine = 1;
    card.micMuted = micMuted;
    fake->state.cards = {card, FakeCard{"USB Audio", {}, -1, {}, -1, false}};
    return fake;
}

}  // namespace

TEST(MixerSteps, OlderMixerRaisesAQuietMicrophoneUnmutesItAndSelectsStereoMix)
{
    StartedProgram run(OlderMixer(9999, true, 2));
    EXPECT_EQ(run.windows->frmMain().driverList(), (QStringList{"HDA Intel PCH", "USB Audio"}));
    EXPECT_EQ(run.mixers->state.calls, (std::vector<std::string>{"SetWaveOutLineVolume(0,1,30000)", "SetMicrophoneMute(0,0)",
                                                                  "SetLineSelected(0,2)", "SetLineVolume(0,2,30000)"}));
    EXPECT_TRUE(run.messages.isEmpty());

    // Closing restores the microphone's mute and the line selected before.
    run.mixers->state.calls.clear();
    run.windows->frmMain().close();
    EXPECT_EQ(run.mixers->state.calls, (std::vector<std::string>{"SetMicrophoneMute(0,1)", "SetLineSelected(0,0)"}));
}

TEST(MixerSteps, MicrophoneAtTenThousandIsLeftAloneAndUnmutedStaysUnmuted)
{
    StartedProgram run(OlderMixer(10000, false, 2));
    EXPECT_EQ(run.mixers->state.calls, (std::vector<std::string>{"SetLineSelected(0,2)", "SetLineVolume(0,2,30000)"}));
    run.mixers->state.calls.clear();
    run.windows->frmMain().close();
    EXPECT_EQ(run.mixers->state.calls, (std::vector<std::string>{"SetLineSelected(0,0)"}));
}

TEST(MixerSteps, NoStereoLineShowsTheMessageThenTheSourceDialog)
{
    StartedProgram run(OlderMixer(20000, false, -1));
    ASSERT_EQ(run.messages.size(), 2);
    EXPECT_TRUE(run.messages[0].startsWith("message:"));
    EXPECT_EQ(run.messages[1], "source dialog");
    EXPECT_TRUE(run.mixers->state.calls.empty());
}

TEST(MixerSteps, NewerMixerListsDefaultAndOnlyShowsTheSourceDialog)
{
    StartedProgram run(std::make_unique<FakeMixerLibraries>(true));
    EXPECT_EQ(run.windows->frmMain().driverList(), QStringList{"Default"});
    EXPECT_EQ(run.messages, QStringList{"source dialog"});
    run.windows->frmMain().close();
    EXPECT_TRUE(run.mixers->state.calls.empty());
}

TEST(MixerSteps, TheSourceDialogOpensAtStartOnceTheMainWindowIsPainted)
{
    QTemporaryDir folder;
    message_box::SetSink([](const QString&) {});
    ProgramWindows windows(std::make_unique<FakeMixerLibraries>(true), folder.path().toStdString());
    QList<bool> dialogShownAtPaint;
    QObject::connect(&windows.frmMain(), &TfrmMain::firstPainted,
                     [&] { dialogShownAtPaint << windows.frmStereoMixer().isVisible(); });
    windows.frmMain().show();
    EXPECT_FALSE(windows.frmStereoMixer().isVisible());
    EXPECT_TRUE(test_support::SpinUntil([&] { return windows.frmMain().firstShowFinished(); }, 5000));
    EXPECT_EQ(dialogShownAtPaint, QList<bool>{false});
    EXPECT_TRUE(windows.frmStereoMixer().isVisible());
    EXPECT_TRUE(test_support::SpinUntil([&] { return QApplication::activeWindow() == &windows.frmMain(); }, 2000))
        << "the keyboard stays with the main window";

    // Asked for later (Options -> Recording Source), it opens at once.
    windows.frmStereoMixer().hide();
    emit windows.frmMain().recordingSourceDialogRequested();
    EXPECT_TRUE(windows.frmStereoMixer().isVisible());
    message_box::SetSink(nullptr);
}
