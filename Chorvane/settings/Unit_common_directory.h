#pragma once
// TFrmDirectory: "Choose a directory", the folder chooser of the settings dialog. A
// tree of the file system's folders under the user's home and the root.

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class TFrmDirectory : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 401;
    static constexpr int kClientHeight = 306;

    explicit TFrmDirectory(QWidget* parent = nullptr);

    // The folder chosen by the last OK; empty after Cancel or Escape, unchanged when
    // the window's close button ended the dialog.
    [[nodiscard]] const QString& chosenFolder() const { return chosenFolder_; }
    // Selects the folder in the tree, opening its parents; false when no root holds it.
    bool SelectFolder(const QString& path);

    void ButtonOKClick();
    void ButtonCancelClick();

    QLabel* LabelDirectory = nullptr;
    QTreeWidget* ShellTreeView1 = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void addRoots();
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& path, const QString& caption);
    void fillChildren(QTreeWidgetItem* item);

    QString chosenFolder_;
};
