#pragma once
// 32-bit window handles for Qt objects: the handle a caller passes across component
// boundaries, resolved back to the widget (or message window) it names.

#include "automation.h"

class QObject;
class QWidget;

namespace window_handles {

// The handle of the object, issued on first request; the same handle afterwards.
// 0 for nullptr.
HWND HandleFor(QObject* object);
// The object a handle names; nullptr for 0, for an unknown handle, or once the
// object has been destroyed.
QObject* Resolve(HWND handle);
// Resolve() as a widget; nullptr when the handle names something else.
QWidget* ResolveWidget(HWND handle);

// Posts a window message to the object a handle names, from any thread. The object
// receives a WindowMessageEvent on its own thread. False when the handle names
// nothing.
bool PostMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace window_handles
