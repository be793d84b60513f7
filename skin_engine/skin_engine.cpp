#include "skin_engine.h"

#include "skin_file.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace {

// The object whose style sheet a widget inherits: its parent, or for a tooltip the widget it explains.
const QObject* StyleParent(const QObject* object)
{
    const QVariant owner = object->property("_q_stylesheet_parent");
    if (owner.isValid())
        if (const QObject* o = owner.value<QObject*>()) return o;
    return object->parent();
}

bool InsideUnskinned(const QObject* object)
{
    for (const QObject* o = object; o; o = StyleParent(o))
        if (SkinEngine::IsUnskinned(o)) return true;
    return false;
}

bool HoldsUnskinned(const QWidget* widget)
{
    const auto inside = widget->findChildren<QWidget*>();
    return std::any_of(inside.begin(), inside.end(), [](const QWidget* w) { return SkinEngine::IsUnskinned(w); });
}

}  // namespace

SkinEngine::SkinEngine(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

SkinEngine::~SkinEngine()
{
    // The windows keep the look they have.
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
    for (const QMetaObject::Connection& c : std::as_const(carriers_)) disconnect(c);
}

bool SkinEngine::SetSkinFile(const QString& path, QString* error)
{
    // Reading polishes a probe widget, which is not a window to skin.
    reading_ = true;
    const skin_engine::SkinFile file = skin_engine::ReadSkinFile(path);
    reading_ = false;
    if (!file.ok()) {
        if (error) *error = file.error;
        return false;
    }
    skinFile_ = path;
    styleSheet_ = file.styleSheet;
    applyEverywhere();
    return true;
}

bool SkinEngine::IsUnskinned(const QObject* object)
{
    bool isNumber = false;
    return object && object->isWidgetType() &&
           object->property(kTagProperty).toInt(&isNumber) == kUnskinnedTag && isNumber;
}

bool SkinEngine::carriesSheet(const QObject* object) const
{
    return carriers_.contains(object);
}

bool SkinEngine::IsSkinned(const QWidget* widget) const
{
    for (const QObject* o = widget; o; o = StyleParent(o)) {
        if (IsUnskinned(o)) return false;
        if (carriesSheet(o)) return true;
    }
    return false;
}

void SkinEngine::giveSheet(QWidget* widget)
{
    if (widget->styleSheet() != styleSheet_) widget->setStyleSheet(styleSheet_);
    if (!carriers_.contains(widget))
        carriers_.insert(widget, connect(widget, &QObject::destroyed, this, [this, widget] { carriers_.remove(widget); }));
}

void SkinEngine::takeSheet(QWidget* widget)
{
    const auto it = carriers_.find(widget);
    if (it == carriers_.end()) return;
    disconnect(it.value());
    carriers_.erase(it);
    widget->setStyleSheet(QString());
}

void SkinEngine::skinTree(QWidget* widget)
{
    if (IsUnskinned(widget)) return;
    if (!HoldsUnskinned(widget)) {
        giveSheet(widget);
        return;
    }
    // The sheet would reach the unskinned window through this one: its other children take it one by one.
    takeSheet(widget);
    for (QObject* child : widget->children())
        if (child->isWidgetType()) skinTree(static_cast<QWidget*>(child));
}

void SkinEngine::applyEverywhere()
{
    // The sheet comes back from every widget first: the windows may have changed shape
    // since the last skin (an unskinned window added inside a skinned one).
    QList<QPointer<QWidget>> previous;
    for (auto it = carriers_.cbegin(); it != carriers_.cend(); ++it) {
        previous.append(const_cast<QWidget*>(static_cast<const QWidget*>(it.key())));
        disconnect(it.value());
    }
    carriers_.clear();
    if (!styleSheet_.isEmpty()) {
        QList<QWidget*> windows = QApplication::topLevelWidgets();
        // Parentless windows first, so that the dialogs they hold inherit rather than carry a copy.
        std::stable_partition(windows.begin(), windows.end(), [](const QWidget* w) { return !w->parent(); });
        for (QWidget* window : windows)
            if (!IsSkinned(window) && !InsideUnskinned(window)) skinTree(window);
    }
    for (const QPointer<QWidget>& widget : previous)
        if (widget && !carriers_.contains(widget.data())) widget->setStyleSheet(QString());
    for (QWidget* window : QApplication::topLevelWidgets()) window->update();
}

bool SkinEngine::eventFilter(QObject* watched, QEvent* event)
{
    // Polish comes once per widget, before it is first shown: the look is settled before the first paint.
    if (event->type() != QEvent::Polish || reading_ || styleSheet_.isEmpty() || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (InsideUnskinned(widget)) {
        // An unskinned window has turned up inside a skinned one: the sheet moves out of its way.
        for (const QObject* o = widget; o; o = StyleParent(o))
            if (carriesSheet(o)) {
                applyEverywhere();
                break;
            }
        return false;
    }
    if (!IsSkinned(widget)) skinTree(widget);
    return false;
}
