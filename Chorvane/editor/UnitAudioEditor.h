#pragma once
// The audio editor window TfrmAudioEditor: the waveform editor control
// NCTAudioEditor, two progress bars, the notice and advert labels, and the popup menu
// with play, stop, cut, copy, paste, paste from file, delete and the two saves. It keeps
// a modified flag and the menu states; the sound and its editing are the control's.

#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QProgressBar;
namespace editor_control {
class AudioEditorControl;
}

class TfrmAudioEditor : public QWidget {
    Q_OBJECT
    // The two questions, as the language file sets them (keys msgSaveNotice, msgOverwriteNotice).
    Q_PROPERTY(QString saveQuestion READ SaveQuestion WRITE SetSaveQuestion)
    Q_PROPERTY(QString overwriteQuestion READ OverwriteQuestion WRITE SetOverwriteQuestion)
public:
    static constexpr int kClientWidth = 636;
    static constexpr int kClientHeight = 388;

    // A window of its own (its own taskbar entry), centred on `centreOn` when shown.
    explicit TfrmAudioEditor(QWidget* centreOn = nullptr);
    ~TfrmAudioEditor() override;

    // ---- What the program gives the window ------------------------------------------
    void SetCentreOn(QWidget* window) { centreOn_ = window; }
    // Opens the home page (the advert label).
    void SetHomePageOpener(std::function<void()> open) { openHomePage_ = std::move(open); }
    // The MP3 bit rate of the recorder settings (kbit/s), read at each save.
    void SetBitRateSource(std::function<int()> bitRate) { bitRate_ = std::move(bitRate); }
    void SetSaveQuestion(const QString& text) { saveQuestion_ = text; }
    void SetOverwriteQuestion(const QString& text) { overwriteQuestion_ = text; }
    [[nodiscard]] const QString& SaveQuestion() const { return saveQuestion_; }
    [[nodiscard]] const QString& OverwriteQuestion() const { return overwriteQuestion_; }

    // Tests replace the dialogs: the question (true for Yes), the open and save choosers
    // (the chosen path, or empty for Cancel). nullptr restores the real dialogs.
    void SetQuestionAsker(std::function<bool(const QString&)> ask) { ask_ = std::move(ask); }
    void SetOpenChooser(std::function<QString()> choose) { chooseOpen_ = std::move(choose); }
    void SetSaveChooser(std::function<QString()> choose) { chooseSave_ = std::move(choose); }

    // ---- The window's operations --------------------------------------------------
    // The history's Edit command, after showing the window: ReleaseFile, OpenFile.
    void OpenInEditor(const QString& path);
    void FormShow();
    void popMenuPlayClick();
    void popMenuStopClick();
    void popMenuCutClick();
    void popMenuCopyClick();
    void popMenuPasteClick();
    void popMenuPasteFromFileClick();
    void popMenuDeleteClick();
    void popMenuSaveSelectedClick();
    void popMenuSaveClick();
    void NCTAudioEditorBlockOperation(qint16 percent);
    void NCTAudioEditorEndOperation();
    void NCTAudioEditorEndPlay();
    // Save dialog, overwrite question, SaveFile (range -1: the selection, 0: all).
    void SaveWithQuestion(int range);
    // ReleaseFile, then the save question when the sound was changed.
    void FormClose();
    void LabelQuorraClick();

    [[nodiscard]] bool modified() const { return modified_; }

    editor_control::AudioEditorControl* NCTAudioEditor = nullptr;
    QProgressBar* ProgressBarLeft = nullptr;
    QProgressBar* ProgressBarRight = nullptr;
    QLabel* LabelNotice = nullptr;
    QLabel* LabelQuorra = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* popMenuPlay = nullptr;
    QAction* popMenuStop = nullptr;
    QAction* popMenuSpliter1 = nullptr;
    QAction* popMenuCut = nullptr;
    QAction* popMenuCopy = nullptr;
    QAction* popMenuPaste = nullptr;
    QAction* popMenuPasteFromFile = nullptr;
    QAction* popMenuDelete = nullptr;
    QAction* popMenuSpliter2 = nullptr;
    QAction* popMenuSaveSelected = nullptr;
    QAction* popMenuSave = nullptr;
    QFileDialog* OpenDialog = nullptr;  // made at the first open or save
    QFileDialog* SaveDialog = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    [[nodiscard]] bool Ask(const QString& question);
    [[nodiscard]] QString ChooseOpenPath();
    [[nodiscard]] QString ChooseSavePath();
    // Runs a handler; an error it raises is shown to the user.
    void Run(const std::function<void()>& handler);
    // Raises the control's error when a call failed.
    void Check(bool ok);

    bool modified_ = false;
    QString saveQuestion_;
    QString overwriteQuestion_;
    QWidget* centreOn_ = nullptr;
    std::function<void()> openHomePage_;
    std::function<int()> bitRate_;
    std::function<bool(const QString&)> ask_;
    std::function<QString()> chooseOpen_;
    std::function<QString()> chooseSave_;
};
