#include "UnitSongTree.h"

#include "TreeViewList.h"
#include "Unit_common.h"
#include "action_address.h"
#include "message_box.h"
#include "song_list_download.h"
#include "song_list_reader.h"
#include "song_tree_model.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QUrl>
#include <QVBoxLayout>

TSongTree::TSongTree(QWidget* parent) : QObject(parent)
{
    TabSheetSongList = new QWidget(parent);
    TabSheetSongList->setObjectName(QStringLiteral("TabSheetSongList"));
    // The tab's caption until the language file gives another.
    TabSheetSongList->setWindowTitle(QString::fromUtf8("点歌台"));
    auto* layout = new QVBoxLayout(TabSheetSongList);
    layout->setContentsMargins(0, 0, 0, 0);
    TreeViewList = new TTreeViewList(TabSheetSongList);
    TreeViewList->setObjectName(QStringLiteral("TreeViewList"));
    model_ = new SongTreeModel(this);
    TreeViewList->setModel(model_);
    layout->addWidget(TreeViewList);

    EditSearch = new QLineEdit(parent);
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    ButtonSearch = new QPushButton(QString::fromUtf8("搜伴奏"), parent);
    ButtonSearch->setObjectName(QStringLiteral("ButtonSearch"));
    // The window's default button: Enter in the search box presses it.
    ButtonSearch->setDefault(true);
    connect(EditSearch, &QLineEdit::returnPressed, ButtonSearch, &QPushButton::click);
    connect(ButtonSearch, &QPushButton::clicked, this, [this] { ButtonSearchClick(); });
    connect(TreeViewList, &TTreeViewList::mouseReleased, this, &TSongTree::TreeViewListMouseUp);

    download_ = new SongListDownload(this);
    connect(download_, &SongListDownload::Done, this, &TSongTree::HTTPGetSongListDoneString);
    connect(download_, &SongListDownload::Finished, this, &TSongTree::songListDownloadFinished);
}

TSongTree::~TSongTree()
{
    StopSongListDownload();
}

QString TSongTree::SongListAddress() const
{
    if (!address_.isEmpty()) return address_;
    if (qEnvironmentVariableIsSet("CHORVANE_SONG_LIST_ADDRESS"))
        return qEnvironmentVariable("CHORVANE_SONG_LIST_ADDRESS");
    return common_ ? QString::fromStdString(common_->SongListAddress()) : QString();
}

QString TSongTree::SongListPath() const
{
    return common_ ? QString::fromStdString(common_->SongListPath()) : QString();
}

void TSongTree::StartSongListDownload()
{
    const QString address = SongListAddress();
    if (address.isEmpty() || SongListPath().isEmpty()) return;
    // An address without a scheme names a host and a path on the web.
    QUrl url(address);
    if (url.scheme().isEmpty()) url = QUrl(QStringLiteral("http://") + address);
    (void)download_->Start(url);
}

void TSongTree::StopSongListDownload()
{
    download_->Stop();
}

void TSongTree::HTTPGetSongListDoneString(const QByteArray& text)
{
    const QString path = SongListPath();
    try {
        SaveSongList(path, text);
    } catch (const ProgramError& e) {
        emit message(e.text());
        return;
    }
    try {
        FillSongTree(path);
    } catch (const ProgramError& e) {
        emit message(e.text());
    }
}

void TSongTree::SaveSongList(const QString& path, const QByteArray& text)
{
    // A crash or a full disk while writing leaves the previous list whole.
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
    if (!ok) throw ProgramError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

void TSongTree::FillSongTree(const QString& path)
{
    model_->Clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ProgramError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    song_list::SongList list = song_list::Read(bytes);
    model_->SetNodes(std::move(list.nodes));
    if (!list.ok()) throw ProgramError(list.error);
    TreeViewList->expandAll();
}

void TSongTree::TreeViewListMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&)
{
    const QModelIndexList selected = TreeViewList->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    OpenAction(selected.first().data(SongTreeModel::ActionRole).toString());
}

void TSongTree::ButtonSearchClick()
{
    if (!common_) return;
    common_->OpenSearchPage(TfrmCommon::EncodeSearchText(EditSearch->text().toStdString()));
}

void TSongTree::OpenAction(const QString& action)
{
    if (!common_ || !song_list::IsOpenableAction(action)) return;
    common_->OpenAddress(action.toStdString());
}
