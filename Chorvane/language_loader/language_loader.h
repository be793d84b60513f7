#pragma once
// ApplyLanguage: reads a language file and sets every text it names. A section names a
// window by its object name, a key a control of that window by its object name, both in
// any letter case; so a window only has to carry the right names to receive its texts.
// There is no fall-back for the listed keys: a missing key or file gives the empty text.

#include "language_keys.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>

class TLanguageLoader {
public:
    // Windows are found among the registered ones and the windows they own (not owned here).
    explicit TLanguageLoader(QWidget* root = nullptr);

    // A window that no registered window owns; it is searched like the main window.
    void AddWindow(QWidget* window);

    // Reads the keys in their order and sets each target at once; then the captions
    // added later and the program's messages. Windows and controls that do not exist
    // are passed over without error.
    void ApplyLanguage(const std::string& path);

    // Sets the texts read by the last ApplyLanguage in a window made after it; nothing
    // before the first ApplyLanguage.
    void ApplyTo(const QWidget* window);

    // The value read for a key (empty before ApplyLanguage, or when missing).
    [[nodiscard]] QString Text(const QString& section, const QString& key) const;

    // The window named `name` (any letter case), or nullptr.
    [[nodiscard]] QWidget* FindWindow(const QString& name) const;
    // The control of `window` named `name` (any letter case), not looking into the
    // other windows it owns (its menus excepted), or nullptr.
    [[nodiscard]] static QObject* FindControl(QWidget* window, const QString& name);
    // Sets the caption of a window, a control, a menu, a menu item or a tab page; "&"
    // marks the accelerator as everywhere in the platform.
    static void SetCaption(QObject* target, const QString& text);

private:
    void Apply(const language_keys::Key& key, const QString& value);
    void ApplyAdded(const language_keys::AddedKey& added, const QString& value);

    QList<QPointer<QWidget>> roots_;
    QHash<QString, QString> texts_;  // "section/key" in lower case -> value
    bool applied_ = false;
};
