#pragma once
// The song tree's view: no border, indent 19, one column without a header, one node
// selected at a time. Tells when a mouse button, any of them, is released over it.

#include <QTreeView>

class TTreeViewList : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kIndent = 19;

    explicit TTreeViewList(QWidget* parent = nullptr);

signals:
    // After the view has handled the release (and so the selection it makes).
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& position);

protected:
    // A press beside the nodes keeps the node selected before.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
