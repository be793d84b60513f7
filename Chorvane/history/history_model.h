#pragma once
// The rows and column captions of the history list, as the list view shows them.
// Each row keeps the fields the history file stores for it, so that a loaded row is
// saved back unchanged, and a mark for a path that the file may have cut.

#include "list_view_stream.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HistoryModel(QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

    [[nodiscard]] const std::vector<list_view_stream::Row>& rows() const { return rows_; }
    // The row's caption (a recording's path); the row must exist.
    [[nodiscard]] QString Caption(int row) const;
    // True for a row read from a file whose caption may not be the whole path.
    [[nodiscard]] bool MayBeCut(int row) const { return mayBeCut_[static_cast<size_t>(row)] != 0; }
    [[nodiscard]] const QStringList& captions() const { return captions_; }

    void Append(const QString& path);
    void RemoveAt(int row);
    void Clear();
    // The rows of a file; captions that may have been cut are marked.
    void ReplaceRows(std::vector<list_view_stream::Row> rows);
    void ReplaceColumns(const QStringList& captions);

private:
    std::vector<list_view_stream::Row> rows_;
    std::vector<uint8_t> mayBeCut_;  // one per row
    QStringList captions_;
};
