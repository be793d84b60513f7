#include "ListViewHistory.h"

#include <QHeaderView>
#include <QKeyEvent>

TListViewHistory::TListViewHistory(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("ListViewHistory"));
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // The file name is at the end of a path: keep it in view when the path is long.
    setTextElideMode(Qt::ElideLeft);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    // A stored column width comes back as it was, however narrow.
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
}

int TListViewHistory::SelectedRow() const
{
    if (!selectionModel()) return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TListViewHistory::SelectRow(int row)
{
    if (!selectionModel()) return;
    if (row < 0)
        clearSelection();
    else
        selectRow(row);
}

void TListViewHistory::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit enterPressed();
        return;
    case Qt::Key_Delete:
        emit deletePressed();
        return;
    default:
        QTableView::keyPressEvent(event);
    }
}

void TListViewHistory::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}
