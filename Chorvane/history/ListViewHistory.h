#pragma once
// The history list's view: a report-style list with grid lines, read-only, whole-row
// single selection. It tells its owner about the keys and double clicks that run
// commands; the commands themselves live in THistory.

#include <QTableView>

class TListViewHistory : public QTableView {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 170;

    explicit TListViewHistory(QWidget* parent = nullptr);

    // The selected row, or -1.
    [[nodiscard]] int SelectedRow() const;
    // Selects the row (-1 clears the selection).
    void SelectRow(int row);

signals:
    void enterPressed();
    void deletePressed();
    // A double click anywhere on the list, on a row or not.
    void doubleClickedAnywhere();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
