#include "message_window.h"
#include "window_handles.h"
#include "window_message.h"

#include "event_loop.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <thread>
#include <vector>

using test_support::SpinFor;
using test_support::SpinUntil;

TEST(WindowHandles, IssuesStableHandlesAndForgetsDestroyedWidgets)
{
    auto* a = new QWidget;
    QWidget b;
    const HWND ha = window_handles::HandleFor(a);
    const HWND hb = window_handles::HandleFor(&b);
    EXPECT_NE(ha, 0u);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(window_handles::HandleFor(a), ha);
    EXPECT_EQ(window_handles::ResolveWidget(ha), a);
    EXPECT_EQ(window_handles::HandleFor(nullptr), 0u);
    EXPECT_EQ(window_handles::Resolve(0), nullptr);
    delete a;
    EXPECT_EQ(window_handles::Resolve(ha), nullptr);
    EXPECT_FALSE(window_handles::PostMessage(ha, WM_APP + 1, 0, 0));
    EXPECT_EQ(window_handles::ResolveWidget(hb), &b);
}

TEST(MessageWindow, ReceivesMessagesPostedFromOtherThreadsInOrder)
{
    MessageWindow window;
    std::vector<std::pair<UINT, WPARAM>> received;
    window.setMessageHandler([&](UINT m, WPARAM w, LPARAM l) {
        EXPECT_EQ(l, -5);
        received.emplace_back(m, w);
    });
    std::thread poster([&] {
        for (WPARAM i = 0; i < 50; ++i) EXPECT_TRUE(window_handles::PostMessage(window.handle(), 0x3C0, i, -5));
    });
    poster.join();
    ASSERT_TRUE(SpinUntil([&] { return received.size() == 50; }, 2000));
    for (WPARAM i = 0; i < 50; ++i) EXPECT_EQ(received[i], std::make_pair(UINT{0x3C0}, i));
}

TEST(MessageWindow, TimersTickByIdAndCanBeResetAndKilled)
{
    MessageWindow window;
    std::vector<UINT> ticks;
    window.setTimerHandler([&](UINT id) { ticks.push_back(id); });
    window.setTimer(1, 20);
    window.setTimer(1, 20);  // same id: still one timer
    window.setTimer(7, 25);
    ASSERT_TRUE(SpinUntil([&] { return ticks.size() >= 8; }, 3000));
    EXPECT_NE(std::count(ticks.begin(), ticks.end(), 1u), 0);
    EXPECT_NE(std::count(ticks.begin(), ticks.end(), 7u), 0);
    EXPECT_TRUE(window.killTimer(1));
    EXPECT_FALSE(window.killTimer(1));
    EXPECT_TRUE(window.killTimer(7));
    ticks.clear();
    SpinFor(100);
    EXPECT_TRUE(ticks.empty());
}
