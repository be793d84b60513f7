#include "message_window.h"

#include "window_handles.h"
#include "window_message.h"

#include <QTimerEvent>

MessageWindow::MessageWindow() : handle_(window_handles::HandleFor(this)) {}

MessageWindow::~MessageWindow()
{
    for (const auto& [id, qtId] : timers_) QObject::killTimer(qtId);
}

bool MessageWindow::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    return window_handles::PostMessage(handle_, message, wParam, lParam);
}

void MessageWindow::setTimer(UINT id, int intervalMs)
{
    killTimer(id);
    const int qtId = startTimer(intervalMs < 0 ? 0 : intervalMs, Qt::PreciseTimer);
    if (qtId != 0) timers_[id] = qtId;
}

bool MessageWindow::killTimer(UINT id)
{
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    QObject::killTimer(it->second);
    timers_.erase(it);
    return true;
}

bool MessageWindow::event(QEvent* e)
{
    if (e->type() == WindowMessageEvent::eventType()) {
        auto* m = static_cast<WindowMessageEvent*>(e);
        if (onMessage_) onMessage_(m->message(), m->wParam(), m->lParam());
        return true;
    }
    return QObject::event(e);
}

void MessageWindow::timerEvent(QTimerEvent* e)
{
    for (const auto& [id, qtId] : timers_) {
        if (qtId == e->timerId()) {
            const UINT tick = id;
            if (onTimer_) onTimer_(tick);  // may kill or reset timers
            return;
        }
    }
}
