#pragma once
// The skin engine: one per application. It gives every window the style sheet of the
// current skin file and redraws it: the windows there are when the skin is set, and
// each window created later (message boxes, standard dialogs, menus) before it is
// first shown. A window whose `tag` property is 9999 is never skinned, nor is
// anything inside it, even when it is the child of a skinned window.

#include <QHash>
#include <QObject>
#include <QString>

class QWidget;

class SkinEngine : public QObject {
    Q_OBJECT
public:
    static constexpr int kUnskinnedTag = 9999;
    static constexpr const char* kTagProperty = "tag";

    explicit SkinEngine(QObject* parent = nullptr);
    ~SkinEngine() override;
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    // Reads the skin file and applies it. A missing, unreadable or unparsable file
    // changes nothing and gives false, with the reason in `error` when asked for.
    [[nodiscard]] bool SetSkinFile(const QString& path, QString* error = nullptr);
    // The file of the look shown now; empty before the first skin.
    [[nodiscard]] const QString& SkinFile() const { return skinFile_; }
    [[nodiscard]] const QString& StyleSheet() const { return styleSheet_; }

    // True for a widget tagged 9999.
    [[nodiscard]] static bool IsUnskinned(const QObject* object);
    // True for a widget that shows the skin (it carries the sheet, or lies inside one that does).
    [[nodiscard]] bool IsSkinned(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyEverywhere();
    // Gives `widget` the sheet; where an unskinned window lies inside it, its other
    // children are skinned one by one instead.
    void skinTree(QWidget* widget);
    void giveSheet(QWidget* widget);
    void takeSheet(QWidget* widget);
    [[nodiscard]] bool carriesSheet(const QObject* object) const;

    bool reading_ = false;
    QString skinFile_;
    QString styleSheet_;
    // The widgets this engine gave the sheet, each until it is destroyed.
    QHash<const QObject*, QMetaObject::Connection> carriers_;  // keyed by the widget
};
