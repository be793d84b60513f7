#pragma once
// The recording history: the list of finished takes on the history tab, its popup
// menu and commands, and the file "history.dat" it is kept in between runs.
// It owns its list view and menu; the main window places the view on its tab and
// connects the two requests below (Play to the shell, Edit to the audio editor).

#include <QObject>
#include <QString>

class HistoryModel;
class QAction;
class QMenu;
class QWidget;
class TListViewHistory;

class THistory : public QObject {
    Q_OBJECT
public:
    // The list view is created as a child of `parent` (the history tab's page).
    explicit THistory(QWidget* parent);

    // The file the removing commands and finished takes save to.
    void SetFilePath(const QString& path) { filePath_ = path; }
    [[nodiscard]] const QString& FilePath() const { return filePath_; }

    // Appends a row for the recording; the file is not written.
    void AddHistoryEntry(const QString& path);
    // A take has ended: its row is added and the history saved at once, so that the
    // take stays listed even when the program does not close normally. A failed save
    // is reported by `message`; the row stays.
    void TakeFinished(const QString& path);
    // Reads the file into the list; a missing file leaves the list as it is. Raises
    // ProgramError with the user's message when the file cannot be read; the rows and
    // columns read before the error stay.
    void LoadHistory(const QString& path);
    // Writes the list into the file, replacing it atomically. Raises ProgramError
    // ("Cannot create file ...") when it cannot.
    void SaveHistory(const QString& path);

    // Commands. They act on the selected row and do nothing without one (Clear All
    // needs none). Errors are raised as ProgramError; the menu, keys and double
    // clicks report them by `message` instead.
    void popMenuHistoryPlayClick();
    void ListViewHistoryDblClick() { popMenuHistoryPlayClick(); }
    void popMenuHistoryEditClick();
    void popMenuHistoryRemoveClick();
    void popMenuHistoryRemoveLocalFileClick();
    void popMenuHistoryClearAllClick();

    // The list as the user sees it.
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] QString RowPath(int row) const;
    // True for a row read from a file whose path the file may have cut; Remove Local
    // File and Edit never go through such a path.
    [[nodiscard]] bool RowMayBeCut(int row) const;
    [[nodiscard]] QString ColumnCaption(int column = 0) const;
    void SetColumnCaption(const QString& caption, int column = 0);
    [[nodiscard]] int SelectedRow() const;
    void SelectRow(int row);

    TListViewHistory* ListViewHistory = nullptr;
    QMenu* popMenuHistory = nullptr;
    QAction* popMenuHistoryPlay = nullptr;
    QAction* popMenuHistoryEdit = nullptr;
    QAction* popMenuHistoryRemove = nullptr;
    QAction* popMenuHistoryRemoveLocalFile = nullptr;
    QAction* popMenuHistoryClearAll = nullptr;

signals:
    // Play: the recording should be opened with the desktop's default player.
    void playRequested(const QString& path);
    // Edit: the audio editor window should be shown with the recording opened in it.
    void editRequested(const QString& path);
    // An error of a command run from the list, in the user's words.
    void message(const QString& text);

private:
    void BuildMenu();
    void ShowMenu(const QPoint& position);
    // Runs a command from the menu, a key or a click, reporting its error.
    void Run(void (THistory::*command)());
    // Saves to the history file when there is one.
    void SaveToFile();

    HistoryModel* model_ = nullptr;
    QString filePath_;
};
