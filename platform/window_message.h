#pragma once
// A posted window message, delivered as a Qt event to the object a handle names.

#include "automation.h"

#include <QEvent>

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(eventType()), message_(message), wParam_(wParam), lParam_(lParam)
    {
    }
    static QEvent::Type eventType();
    [[nodiscard]] UINT message() const { return message_; }
    [[nodiscard]] WPARAM wParam() const { return wParam_; }
    [[nodiscard]] LPARAM lParam() const { return lParam_; }

private:
    UINT message_;
    WPARAM wParam_;
    LPARAM lParam_;
};
