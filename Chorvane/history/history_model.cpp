#include "history_model.h"

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

HistoryModel::HistoryModel(QObject* parent) : QAbstractTableModel(parent), captions_{QStringLiteral("Files")} {}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const list_view_stream::Row& row = rows_[static_cast<size_t>(index.row())];
    if (index.column() == 0) return ToQString(row.caption);
    const auto sub = static_cast<size_t>(index.column() - 1);
    return sub < row.subItems.size() ? QVariant(ToQString(row.subItems[sub])) : QVariant();
}

QString HistoryModel::Caption(int row) const
{
    return ToQString(rows_[static_cast<size_t>(row)].caption);
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= captions_.size())
        return {};
    return captions_[section];
}

bool HistoryModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) || section < 0 ||
        section >= captions_.size())
        return false;
    captions_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void HistoryModel::Append(const QString& path)
{
    const int at = rowCount();
    beginInsertRows({}, at, at);
    list_view_stream::Row row;
    const QByteArray utf8 = path.toUtf8();
    row.caption = std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()));
    rows_.push_back(std::move(row));
    mayBeCut_.push_back(0);
    endInsertRows();
}

void HistoryModel::RemoveAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    mayBeCut_.erase(mayBeCut_.begin() + row);
    endRemoveRows();
}

void HistoryModel::Clear()
{
    ReplaceRows({});
}

void HistoryModel::ReplaceRows(std::vector<list_view_stream::Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    mayBeCut_.resize(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) mayBeCut_[i] = list_view_stream::MayHaveBeenCut(rows_[i].caption);
    endResetModel();
}

void HistoryModel::ReplaceColumns(const QStringList& captions)
{
    beginResetModel();
    captions_ = captions;
    endResetModel();
}
