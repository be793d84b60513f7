#pragma once
// The song list tab: the song tree filled from the song list downloaded at every
// start ("song_list.xml" in the program folder), its nodes opening their pages, and
// the search box with its button, which open the search page. The main window places
// the tab page and the search row, starts the download at its first show and stops
// it at close.

#include <QByteArray>
#include <QObject>
#include <QString>

class QLineEdit;
class QPoint;
class QPushButton;
class QWidget;
class SongListDownload;
class SongTreeModel;
class TTreeViewList;
class TfrmCommon;

class TSongTree : public QObject {
    Q_OBJECT
public:
    // The tab page, the search box and the button are created as children of `parent`.
    explicit TSongTree(QWidget* parent);
    ~TSongTree() override;

    // The shared services: the song list path, the song list address, the opening of
    // addresses and the search page. Nothing is downloaded or opened without them.
    void SetCommon(TfrmCommon* common) { common_ = common; }
    // Replaces the song list address of the address set (tests, mirrors). The variable
    // CHORVANE_SONG_LIST_ADDRESS, when set, does the same for a whole run; set and
    // empty, no song list is downloaded.
    void SetSongListAddress(const QString& address) { address_ = address; }
    [[nodiscard]] QString SongListAddress() const;
    [[nodiscard]] QString SongListPath() const;
    [[nodiscard]] SongListDownload& HTTPGetSongList() { return *download_; }

    // Starts the background download of the song list and returns at once; does
    // nothing while one runs. Its completion comes to HTTPGetSongListDoneString.
    void StartSongListDownload();
    // At close: a download still running is told to stop and its completion is dropped.
    void StopSongListDownload();
    // A downloaded list: saved, then shown. Errors go to `message`.
    void HTTPGetSongListDoneString(const QByteArray& text);
    // Replaces the file by the bytes, atomically (a new file renamed over the old one).
    // Raises ProgramError ("Cannot create file ...") when it cannot.
    static void SaveSongList(const QString& path, const QByteArray& text);
    // Empties the tree and fills it from the file, every node expanded. Raises
    // ProgramError with the parser's message (the tree stays empty), or with the
    // conversion error of an element without its topic or action (the nodes before it
    // stay, not expanded). A document element not named "root" leaves it empty quietly.
    void FillSongTree(const QString& path);
    // A mouse button was released over the tree: the selected node's action opens.
    void TreeViewListMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& position);
    // The search page with the encoded words of the search box.
    void ButtonSearchClick();
    // Hands the action to the desktop when it is a web or mail address; anything else
    // (a local file, a program, another scheme) does nothing.
    void OpenAction(const QString& action);

    [[nodiscard]] const SongTreeModel& Model() const { return *model_; }

    QWidget* TabSheetSongList = nullptr;  // the tab's page, holding the tree
    TTreeViewList* TreeViewList = nullptr;
    QLineEdit* EditSearch = nullptr;
    QPushButton* ButtonSearch = nullptr;

signals:
    // An error of the song list, in the user's words.
    void message(const QString& text);
    // A download that was not stopped has ended and, when it succeeded, been handled.
    void songListDownloadFinished(bool ok);

private:
    TfrmCommon* common_ = nullptr;
    SongTreeModel* model_ = nullptr;
    SongListDownload* download_ = nullptr;
    QString address_;
};
