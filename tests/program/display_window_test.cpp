// The display window's commands reach the player as they should.
#include "INimDXVideoPlayerObject.h"
#include "UnitDisplay.h"
#include "com_object.h"
#include "recording_player.h"
#include "event_loop.h"
#include "window_handles.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <vector>

namespace {

using RecordingPlayerObject = component_shell::ComObject<RecordingPlayer>;
using Calls = std::vector<std::string>;

}  // namespace

TEST(DisplayWindow, PauseAlternatesWithContinueAndStopStopsThePlayer)
{
    QWidget main;
    TfrmDisplay display(&main);
    RecordingPlayerObject player;
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
    RecordingPlayerObject player;
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
    RecordingPlayerObject player;
    player.eventsQueued = 2;
    display.setPlayer(&player);
    std::vector<LONG> told;
    QObject::connect(&display, &TfrmDisplay::graphEvent, [&](LONG code) { told.push_back(code); });
    ASSERT_EQ(window_handles::ResolveWidget(display.handle()), &display);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(window_handles::PostMessage(display.handle(), 0x8001, 0, 0));
    window_handles::PostMessage(display.handle(), 0x8002, 0, 0);  // another message: not an event
    test_support::SpinUntil([&] { return player.calls.size() >= 3; }, 2000);
    test_support::SpinFor(50);
    EXPECT_EQ(player.calls, (Calls{"GetHandleEvent", "GetHandleEvent", "GetHandleEvent"}));
    EXPECT_EQ(player.eventsQueued, 0);
    EXPECT_EQ(told, (std::vector<LONG>{1, 1, -100}));  // the take hears each one
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

TEST(DisplayWindow, GoesBesideTheMainWindowOnItsScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize own(331, 280);
    // Room on the right: there, level with the main window.
    QPoint at = TfrmDisplay::PlaceBeside(QRect(100, 200, 538, 480), own, screen);
    EXPECT_GE(at.x(), 100 + 538);
    EXPECT_EQ(at.y(), 200);
    // No room on the right: on the left.
    at = TfrmDisplay::PlaceBeside(QRect(1500, 100, 400, 480), own, screen);
    EXPECT_LE(at.x() + own.width(), 1500);
    // Room on neither side: on the screen, on the roomier side; never below its bottom.
    at = TfrmDisplay::PlaceBeside(QRect(100, 900, 1700, 480), own, screen);
    EXPECT_TRUE(screen.contains(QRect(at, own))) << at.x() << "," << at.y();
}

TEST(DisplayWindow, ShowingItLeavesTheSingButtonUncoveredAndTheFocusWhereItWas)
{
    QWidget main;
    // Small enough that both fit side by side on the offscreen screen.
    main.setGeometry(20, 20, 300, 300);
    auto* sing = new QPushButton("Stop", &main);
    sing->setGeometry(150, 200, 120, 36);
    main.show();
    main.activateWindow();
    sing->setFocus();
    ASSERT_TRUE(test_support::SpinUntil([&] { return sing->hasFocus(); }, 2000));
    TfrmDisplay display(&main);
    display.ShowDisplay();
    test_support::SpinFor(50);
    EXPECT_FALSE(display.frameGeometry().intersects(main.frameGeometry()));
    EXPECT_TRUE(sing->hasFocus());
    EXPECT_EQ(QApplication::activeWindow(), &main);

    // Moved away by the user, it comes back where the user put it.
    display.hide();
    display.move(600, 500);
    display.ShowDisplay();
    EXPECT_EQ(display.pos(), QPoint(600, 500));
}
