#include "UnitHistory.h"

#include "ListViewHistory.h"
#include "history_model.h"
#include "list_view_stream.h"
#include "message_box.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Far above any real history (a row takes at most 276 bytes), and a bound on what a
// damaged or foreign file can make the program read into memory.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

// The file's bytes in one buffer, which the rows read from them share.
list_view_stream::SharedText ReadHistoryFile(const QString& path)
{
    QFile file(path);
    auto fail = [&] { return ProgramError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString())); };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) throw fail();
    const qint64 size = file.size();
    if (size > kMaxFileBytes) throw ProgramError(QString::fromUtf8(list_view_stream::kInvalidStreamFormat));
    std::shared_ptr<char[]> bytes = std::make_shared_for_overwrite<char[]>(static_cast<size_t>(size));
    const qint64 got = file.read(bytes.get(), size);
    if (got < 0) throw fail();
    return {std::move(bytes), static_cast<size_t>(got)};
}

// A new file beside the old one, renamed over it when complete: a crash or a full
// disk while saving leaves the previous history whole.
void ReplaceHistoryFile(const QString& path, const std::string& bytes)
{
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
                    file.commit();
    if (!ok) throw ProgramError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

// Into the desktop's trash where there is one; deleted where there is none. Failures
// (a missing or locked file) are not reported.
void RemoveRecording(const QString& path)
{
    if (!QFileInfo(path).isFile()) return;
    // The trash lies in the user's data folder, which a fresh account may not have yet.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (!QFile::moveToTrash(path)) QFile::remove(path);
}

}  // namespace

THistory::THistory(QWidget* parent) : QObject(parent)
{
    ListViewHistory = new TListViewHistory(parent);
    model_ = new HistoryModel(this);
    ListViewHistory->setModel(model_);
    ListViewHistory->horizontalHeader()->resizeSection(0, TListViewHistory::kColumnWidth);
    BuildMenu();
    connect(ListViewHistory, &TListViewHistory::doubleClickedAnywhere, this,
            [this] { Run(&THistory::ListViewHistoryDblClick); });
    connect(ListViewHistory, &TListViewHistory::enterPressed, this, [this] { Run(&THistory::popMenuHistoryPlayClick); });
    connect(ListViewHistory, &TListViewHistory::deletePressed, this,
            [this] { Run(&THistory::popMenuHistoryRemoveClick); });
    connect(ListViewHistory, &QWidget::customContextMenuRequested, this, &THistory::ShowMenu);
}

void THistory::BuildMenu()
{
    popMenuHistory = new QMenu(ListViewHistory);
    popMenuHistory->setObjectName(QStringLiteral("popMenuHistory"));
    auto add = [this](const char* name, const QString& caption, void (THistory::*command)()) {
        QAction* action = popMenuHistory->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, command] { Run(command); });
        return action;
    };
    popMenuHistoryPlay = add("popMenuHistoryPlay", QStringLiteral("Play"), &THistory::popMenuHistoryPlayClick);
    popMenuHistoryEdit = add("popMenuHistoryEdit", QStringLiteral("Edit"), &THistory::popMenuHistoryEditClick);
    popMenuHistoryRemove = add("popMenuHistoryRemove", QStringLiteral("Remove"), &THistory::popMenuHistoryRemoveClick);
    popMenuHistoryRemoveLocalFile = add("popMenuHistoryRemoveLocalFile", QStringLiteral("Remove Local File"),
                                        &THistory::popMenuHistoryRemoveLocalFileClick);
    popMenuHistoryClearAll =
        add("popMenuHistoryClearAll", QStringLiteral("Clear All"), &THistory::popMenuHistoryClearAllClick);
}

void THistory::ShowMenu(const QPoint& position)
{
    // The commands on a row are greyed out when no row is selected.
    const bool selected = SelectedRow() >= 0;
    for (QAction* action : {popMenuHistoryPlay, popMenuHistoryEdit, popMenuHistoryRemove, popMenuHistoryRemoveLocalFile})
        action->setEnabled(selected);
    popMenuHistory->popup(ListViewHistory->viewport()->mapToGlobal(position));
}

void THistory::Run(void (THistory::*command)())
{
    try {
        (this->*command)();
    } catch (const std::exception& e) {
        emit message(QString::fromUtf8(e.what()));
    }
}

void THistory::AddHistoryEntry(const QString& path)
{
    model_->Append(path);
}

void THistory::TakeFinished(const QString& path)
{
    AddHistoryEntry(path);
    Run(&THistory::SaveToFile);
}

void THistory::LoadHistory(const QString& path)
{
    if (!QFileInfo::exists(path)) return;
    list_view_stream::ReadResult read = list_view_stream::Read(ReadHistoryFile(path));
    if (read.columns) {
        // The captions saved last replace the ones of the language file.
        QStringList captions;
        for (const list_view_stream::Column& c : *read.columns) captions << QString::fromStdString(c.caption);
        if (captions.isEmpty()) captions << QString();
        model_->ReplaceColumns(captions);
        QHeaderView* header = ListViewHistory->horizontalHeader();
        for (size_t i = 0; i < read.columns->size(); ++i) {
            const int width = (*read.columns)[i].width;
            if (width >= 0)
                header->resizeSection(static_cast<int>(i), width);
            else
                ListViewHistory->resizeColumnToContents(static_cast<int>(i));
        }
    }
    if (read.rows) model_->ReplaceRows(std::move(*read.rows));
    if (!read.ok()) throw ProgramError(QString::fromStdString(read.error));
}

void THistory::SaveHistory(const QString& path)
{
    list_view_stream::ListView list;
    list.width = ListViewHistory->width();
    list.height = ListViewHistory->height();
    const QHeaderView* header = ListViewHistory->horizontalHeader();
    for (int i = 0; i < model_->captions().size(); ++i)
        list.columns.push_back({model_->captions()[i].toStdString(), header->sectionSize(i)});
    ReplaceHistoryFile(path, list_view_stream::Write(list, model_->rows()));
}

void THistory::SaveToFile()
{
    if (!filePath_.isEmpty()) SaveHistory(filePath_);
}

void THistory::popMenuHistoryPlayClick()
{
    const int row = SelectedRow();
    if (row >= 0) emit playRequested(RowPath(row));
}

void THistory::popMenuHistoryEditClick()
{
    const int row = SelectedRow();
    if (row < 0 || RowMayBeCut(row) || !QFileInfo(RowPath(row)).isFile()) return;
    emit editRequested(RowPath(row));
}

void THistory::popMenuHistoryRemoveClick()
{
    const int row = SelectedRow();
    if (row < 0) return;
    model_->RemoveAt(row);
    SaveToFile();
}

void THistory::popMenuHistoryRemoveLocalFileClick()
{
    const int row = SelectedRow();
    if (row < 0) return;
    const QString path = RowPath(row);
    const bool cut = RowMayBeCut(row);
    model_->RemoveAt(row);
    // A path the file may have cut can name another file: only the row goes.
    if (!cut) RemoveRecording(path);
    SaveToFile();
}

void THistory::popMenuHistoryClearAllClick()
{
    model_->Clear();
    SaveToFile();
}

int THistory::RowCount() const
{
    return model_->rowCount();
}

QString THistory::RowPath(int row) const
{
    if (row < 0 || row >= RowCount()) return {};
    return model_->Caption(row);
}

bool THistory::RowMayBeCut(int row) const
{
    return row >= 0 && row < RowCount() && model_->MayBeCut(row);
}

QString THistory::ColumnCaption(int column) const
{
    return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void THistory::SetColumnCaption(const QString& caption, int column)
{
    model_->setHeaderData(column, Qt::Horizontal, caption, Qt::DisplayRole);
}

int THistory::SelectedRow() const
{
    return ListViewHistory->SelectedRow();
}

void THistory::SelectRow(int row)
{
    ListViewHistory->SelectRow(row);
}
