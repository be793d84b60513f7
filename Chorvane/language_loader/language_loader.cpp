#include "language_loader.h"

#include "profile.h"
#include "program_messages.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

QString Slot(const QString& section, const QString& key)
{
    return section.toLower() + QLatin1Char('/') + key.toLower();
}

bool SameName(const QObject* object, const QString& name)
{
    return object->objectName().compare(name, Qt::CaseInsensitive) == 0;
}

// Another window inside the one searched: its controls are its own. Menus belong to
// the window that owns them.
bool IsOtherWindow(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget);
}

QObject* FindIn(const QObject* parent, const QString& name)
{
    for (QObject* child : parent->children())
        if (!IsOtherWindow(child) && SameName(child, name)) return child;
    for (QObject* child : parent->children())
        if (!IsOtherWindow(child))
            if (QObject* found = FindIn(child, name)) return found;
    return nullptr;
}

// The tab widget whose page this is, or nullptr.
QTabWidget* TabWidgetOf(QWidget* page)
{
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

}  // namespace

TLanguageLoader::TLanguageLoader(QWidget* root)
{
    if (root) roots_ << root;
}

void TLanguageLoader::AddWindow(QWidget* window)
{
    if (window && !roots_.contains(window)) roots_ << window;
}

QWidget* TLanguageLoader::FindWindow(const QString& name) const
{
    for (const QPointer<QWidget>& root : roots_)
        if (root && SameName(root, name)) return root;
    for (const QPointer<QWidget>& root : roots_) {
        if (!root) continue;
        for (QWidget* widget : root->findChildren<QWidget*>())
            if (widget->isWindow() && SameName(widget, name)) return widget;
    }
    return nullptr;
}

QObject* TLanguageLoader::FindControl(QWidget* window, const QString& name)
{
    return window ? FindIn(window, name) : nullptr;
}

void TLanguageLoader::SetCaption(QObject* target, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(target)) {
        menu->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
        group->setTitle(text);
    } else if (auto* widget = qobject_cast<QWidget*>(target)) {
        if (QTabWidget* tabs = TabWidgetOf(widget))
            tabs->setTabText(tabs->indexOf(widget), text);
        else if (widget->isWindow())
            widget->setWindowTitle(text);
    }
}

void TLanguageLoader::ApplyLanguage(const std::string& path)
{
    // Read once: the keys are hundreds, the file is one.
    const profile::Snapshot file(path);
    for (const language_keys::Key& key : language_keys::Keys()) {
        const QString value = QString::fromStdString(file.ReadString(key.section, key.key, ""));
        texts_.insert(Slot(QLatin1String(key.section), QLatin1String(key.key)), value);
        Apply(key, value);
    }
    for (const language_keys::AddedKey& added : language_keys::AddedKeys()) {
        const QString value = QString::fromStdString(file.ReadString(added.section, added.key, added.english));
        texts_.insert(Slot(QLatin1String(added.section), QLatin1String(added.key)), value);
        ApplyAdded(added, value);
    }
    program_messages::Load(file);
    applied_ = true;
}

void TLanguageLoader::ApplyTo(const QWidget* window)
{
    if (!applied_ || !window) return;
    for (const language_keys::Key& key : language_keys::Keys())
        if (SameName(window, QLatin1String(key.section)))
            Apply(key, texts_.value(Slot(QLatin1String(key.section), QLatin1String(key.key))));
    for (const language_keys::AddedKey& added : language_keys::AddedKeys())
        if (SameName(window, QLatin1String(added.section)))
            ApplyAdded(added, texts_.value(Slot(QLatin1String(added.section), QLatin1String(added.key))));
}

void TLanguageLoader::ApplyAdded(const language_keys::AddedKey& added, const QString& value)
{
    QWidget* window = FindWindow(QLatin1String(added.section));
    if (!added.hintOf)
        SetCaption(FindControl(window, QLatin1String(added.key)), value);
    else if (auto* control = qobject_cast<QWidget*>(FindControl(window, QLatin1String(added.hintOf))))
        control->setToolTip(value);
}

void TLanguageLoader::Apply(const language_keys::Key& key, const QString& value)
{
    using language_keys::Target;
    if (key.target == Target::ApplicationTitle) {
        QGuiApplication::setApplicationDisplayName(value);
        return;
    }
    QWidget* window = FindWindow(QLatin1String(key.section));
    if (!window) return;
    const QString name = QLatin1String(key.key);
    switch (key.target) {
    case Target::Caption:
        SetCaption(FindControl(window, name), value);
        break;
    case Target::WindowCaption:
        window->setWindowTitle(value);
        break;
    case Target::StoredText:
        window->setProperty(key.control ? key.control : key.key, value);
        break;
    case Target::StoredAndCaption:
        window->setProperty(key.key, value);
        SetCaption(FindControl(window, QLatin1String(key.control)), value);
        break;
    case Target::Separator:
        if (auto* item = qobject_cast<QAction*>(FindControl(window, name))) {
            const bool line = value == QLatin1String("-");
            item->setSeparator(line);
            item->setText(line ? QString() : value);
        }
        break;
    case Target::ColumnTitle:
        if (auto* view = qobject_cast<QAbstractItemView*>(FindControl(window, QLatin1String(key.control))))
            if (view->model()) view->model()->setHeaderData(0, Qt::Horizontal, value, Qt::DisplayRole);
        break;
    case Target::ApplicationTitle:
        break;
    }
}

QString TLanguageLoader::Text(const QString& section, const QString& key) const
{
    return texts_.value(Slot(section, key));
}
