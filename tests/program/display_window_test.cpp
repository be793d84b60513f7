// The display window's commands reach the player as they should.
#include "INimDXVideoPlayerObject.h"
#include "UnitDisplay.h"
#include "event_loop.h"
#include "window_handles.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>

#include <string>
#include <vector>

namespace {

// Records the calls the window makes; answers full screen and events like a player.
class RecordingPlayer final : public INimDXVideoPlayerObject {
public:
    std::vector<std::string> calls;
    VARIANT_BOOL fullScreen = VARIANT_FALSE;
    int eventsQueued = 0;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetIDsOfNames(const char*, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*) override { return E_NOTIMPL; }
    HRESULT SetFileName(const std::string&) override { return S_OK; }
    HRESULT Play() override { return S_OK; }
    HRESULT Pause() override { calls.push_back("Pause"); return S_OK; }
    HRESULT Stop() override { calls.push_back("Stop"); return S_OK; }
    HRESULT Continue() override { calls.push_back("Continue"); return S_OK; }
    HRESULT SetAudioVolume(LONG) override { return S_OK; }
    HRESULT GetAudioVolume(LONG*) override { return S_OK; }
    HRESULT SetAudioBalance(LONG) override { return S_OK; }
    HRESULT GetAudioBalance(LONG*) override { return S_OK; }
    HRESULT SetFullScreen(VARIANT_BOOL on) override
    {
        calls.push_back(on ? "SetFullScreen(true)" : "SetFullScreen(false)");
        fullScreen = on;
        return S_OK;
    }
    HRESULT SetVideoWindow(LONG) override { return S_OK; }
    HRESULT GetFullScreen(VARIANT_BOOL* on) override { *on = fullScreen; return S_OK; }
    HRESULT GetHandleEvent(LONG* result) override
    {
        calls.push_back("GetHandleEvent");
        *result = eventsQueued > 0 ? (--eventsQueued, 1) : -100;
        return S_OK;
    }
    HRESULT GetCurrentPosition(LONG*) override { return S_OK; }
    HRESULT SetCurrentPosition(LONG) override { return S_OK; }
    HRESULT GetDuration(LONG*) override { return S_OK; }
};

using Calls = std::vector<std::string>;

}  // namespace

TEST(DisplayWindow, PauseAlternatesWithContinueAndStopStopsThePlayer)
{
    QWidget main;
    TfrmDisplay display(&main);
    RecordingPlayer player;
    display.setPlayer(&player);
    display.PopupMenuPauseClick();
    display.PopupMenuPauseClick();
    display.PopupMenuPauseClick();
    display.PopupMenuStopClick();
    EXPECT_EQ(player.calls, (Calls{"Pause", "Continue", "Pause", "Stop"}));
    EXPECT_TRUE(display.paused());
    EXPECT_EQ(display.PopupMenu()->actions().size(), 3);
}

TEST(DisplayWindow, FullScreenTogglesAndEscapeOnlyLeavesIt)
{
    QWidget main;
    TfrmDisplay display(&main);
    RecordingPlayer player;
    display.setPlayer(&player);
    display.PopupMenuFullScreenClick();
    EXPECT_EQ(player.fullScreen, VARIANT_TRUE);
    display.ToggleFullScreen();
    EXPECT_EQ(player.fullScreen, VARIANT_FALSE);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&display, &escape);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(&display, &other);
    EXPECT_EQ(player.calls, (Calls{"SetFullScreen(true)", "SetFullScreen(false)", "SetFullScreen(false)"}));
}

TEST(DisplayWindow, EachGraphEventMessageTakesExactlyOneEvent)
{
    QWidget main;
    TfrmDisplay display(&main);
    RecordingPlayer player;
    player.eventsQueued = 2;
    display.setPlayer(&player);
    ASSERT_EQ(window_handles::ResolveWidget(display.handle()), &display);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(window_handles::PostMessage(display.handle(), 0x8001, 0, 0));
    window_handles::PostMessage(display.handle(), 0x8002, 0, 0);  // another message: not an event
    test_support::SpinUntil([&] { return player.calls.size() >= 3; }, 2000);
    test_support::SpinFor(50);
    EXPECT_EQ(player.calls, (Calls{"GetHandleEvent", "GetHandleEvent", "GetHandleEvent"}));
    EXPECT_EQ(player.eventsQueued, 0);
}

TEST(DisplayWindow, ShowsABlackPictureOfTheDesignedSizeAndHidesOnClose)
{
    QWidget main;
    main.resize(530, 453);
    main.show();
    TfrmDisplay display(&main);
    display.ImageDisplay()->picture().fill(Qt::white);
    display.ClearPicture();
    display.ShowDisplay();
    EXPECT_TRUE(display.isVisible());
    EXPECT_EQ(display.size(), QSize(323, 252));
    const QImage shot = display.grab().toImage();
    EXPECT_EQ(shot.pixel(160, 120) & 0xFFFFFF, 0u);
    display.close();
    EXPECT_FALSE(display.isVisible());
    EXPECT_TRUE(main.isVisible());
}
