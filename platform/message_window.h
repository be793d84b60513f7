#pragma once
// A hidden window on the UI thread: it receives posted messages (message number and
// two parameters) and timer ticks by id, and hands both to its owner's callbacks.

#include "automation.h"

#include <QObject>

#include <functional>
#include <map>

class MessageWindow : public QObject {
    Q_OBJECT
public:
    using MessageHandler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    MessageWindow();
    ~MessageWindow() override;

    // The window's 32-bit handle (window_handles), valid while the window lives.
    [[nodiscard]] HWND handle() const { return handle_; }

    void setMessageHandler(MessageHandler handler) { onMessage_ = std::move(handler); }
    void setTimerHandler(std::function<void(UINT id)> handler) { onTimer_ = std::move(handler); }

    // Posts a message to this window from any thread.
    bool post(UINT message, WPARAM wParam, LPARAM lParam);

    // Starts timer `id` with the interval; a running timer with the same id is reset
    // to the new interval. An interval below 1 ms runs as fast as the loop allows.
    void setTimer(UINT id, int intervalMs);
    // Stops timer `id`; false when no such timer runs.
    bool killTimer(UINT id);
    [[nodiscard]] bool hasTimer(UINT id) const { return timers_.count(id) != 0; }

protected:
    bool event(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    HWND handle_;
    MessageHandler onMessage_;
    std::function<void(UINT id)> onTimer_;
    std::map<UINT, int> timers_;  // id -> Qt timer id
};
