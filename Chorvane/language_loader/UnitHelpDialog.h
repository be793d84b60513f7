#pragma once
// TfrmHelpDialog: the welcome dialog. Shown modeless at the main window's first paint
// while `displayHelpDialog` of section `setting` is 1; Yes opens the help page (or, when
// the address set has none, the quick-start page shipped beside the program), No hides
// it, and the check box switches it off for later starts at once.

#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class TfrmCommon;

class TfrmHelpDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 363;
    static constexpr int kClientHeight = 206;

    // `common` gives the config path, the addresses and the data folder (not owned).
    TfrmHelpDialog(TfrmCommon& common, QWidget* mainWindow);

    // The first paint: shows the dialog, centred on the main window, when config.ini
    // asks for it. True when it was shown.
    bool ShowAtStart();
    // The quick-start page of the running language, beside the program.
    [[nodiscard]] std::string QuickStartPage() const;

    void ButtonYesClick();
    void ButtonNoClick();
    // Writes `displayHelpDialog` at once: 0 when checked, 1 when unchecked. When
    // config.ini cannot be written the user is told and the box goes back.
    void CheckBoxDontDisplayClick();

    QLabel* LabelWelcom = nullptr;
    QLabel* LabelIntroduction = nullptr;
    QPushButton* ButtonYes = nullptr;
    QPushButton* ButtonNo = nullptr;
    QCheckBox* CheckBoxDontDisplay = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TfrmCommon& common_;
};
