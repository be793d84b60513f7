#include "window_handles.h"

#include "window_message.h"

#include <QCoreApplication>
#include <QObject>
#include <QWidget>

#include <mutex>
#include <unordered_map>

QEvent::Type WindowMessageEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace window_handles {
namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<HWND, QObject*> objects;
    std::unordered_map<QObject*, HWND> handles;
    HWND next = 0x10000;
};

Table& table()
{
    static Table* t = new Table;  // outlives every object that may still be destroyed
    return *t;
}

}  // namespace

HWND HandleFor(QObject* object)
{
    if (!object) return 0;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (auto it = t.handles.find(object); it != t.handles.end()) return it->second;
    const HWND handle = t.next;
    t.next += 4;
    t.objects[handle] = object;
    t.handles[object] = handle;
    QObject::connect(object, &QObject::destroyed, [object, handle] {
        Table& tt = table();
        std::lock_guard l(tt.mutex);
        tt.objects.erase(handle);
        tt.handles.erase(object);
    });
    return handle;
}

QObject* Resolve(HWND handle)
{
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(handle);
    return it == t.objects.end() ? nullptr : it->second;
}

QWidget* ResolveWidget(HWND handle)
{
    QObject* object = Resolve(handle);
    return object && object->isWidgetType() ? static_cast<QWidget*>(object) : nullptr;
}

bool PostMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Table& t = table();
    // The lock is held while posting: a destruction on the UI thread removes the
    // entry under the same lock before the object's posted events are discarded.
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(handle);
    if (it == t.objects.end()) return false;
    QCoreApplication::postEvent(it->second, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

}  // namespace window_handles
