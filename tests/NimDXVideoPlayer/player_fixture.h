#pragma once
// A player control created as the host creates it, with a window that counts the graph
// event messages it receives.

#include "INimDXVideoPlayerObject.h"
#include "NimDXVideoPlayerObject.h"
#include "com_object.h"
#include "event_loop.h"
#include "message_window.h"
#include "mediagraph.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace player_test {

inline ComPtr<INimDXVideoPlayerObject> NewPlayer()
{
    ComPtr<INimDXVideoPlayerObject> player;
    EXPECT_EQ(component_shell::ComObject<CNimDXVideoPlayerObject>::CreateInstance(IID_INimDXVideoPlayerObject,
                                                                                   player.putVoid()),
              S_OK);
    return player;
}

inline LONG Duration(INimDXVideoPlayerObject* player)
{
    LONG value = -1;
    player->GetDuration(&value);
    return value;
}

inline LONG Position(INimDXVideoPlayerObject* player)
{
    LONG value = -1;
    player->GetCurrentPosition(&value);
    return value;
}

class GraphEventCounter {
public:
    GraphEventCounter()
    {
        window_.setMessageHandler([this](UINT message, WPARAM, LPARAM) {
            if (message == mediagraph::WM_GRAPHNOTIFY) ++count_;
        });
    }
    [[nodiscard]] HWND handle() const { return window_.handle(); }
    [[nodiscard]] int count() const { return count_; }
    bool waitFor(int n, int timeoutMs)
    {
        return test_support::SpinUntil([&] { return count_ >= n; }, timeoutMs);
    }

private:
    MessageWindow window_;
    int count_ = 0;
};

}  // namespace player_test
