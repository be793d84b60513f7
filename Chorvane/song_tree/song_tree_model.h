#pragma once
// The song tree's nodes as an item model: one top node, children in document order,
// captions as the display text and each node's action under ActionRole. Holds the
// nodes of one song list at a time; no widgets, so that it is fuzzed on its own.

#include "song_list_reader.h"

#include <QAbstractItemModel>

#include <cstdint>
#include <vector>

class SongTreeModel : public QAbstractItemModel {
public:
    static constexpr int ActionRole = Qt::UserRole + 1;

    explicit SongTreeModel(QObject* parent = nullptr);

    // Replaces every node by the list's nodes (which must be in document order).
    void SetNodes(std::vector<song_list::Node> nodes);
    // Removes every node.
    void Clear() { SetNodes({}); }

    [[nodiscard]] int NodeCount() const { return static_cast<int>(nodes_.size()); }
    // The node behind an index of this model; -1 for an invalid index.
    [[nodiscard]] int NodeOf(const QModelIndex& index) const;
    [[nodiscard]] const song_list::Node& Node(int node) const { return nodes_[static_cast<size_t>(node)]; }
    [[nodiscard]] QModelIndex IndexOfNode(int node) const;
    [[nodiscard]] int ChildCount(int node) const;
    [[nodiscard]] int Child(int node, int row) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<song_list::Node> nodes_;
    // The children of node i are children_[firstChild_[i] .. firstChild_[i + 1]), in
    // order; the top nodes lie at the end, after firstChild_[n].
    std::vector<int32_t> firstChild_;
    std::vector<int32_t> children_;
    std::vector<int32_t> row_;  // each node's row under its parent
    int32_t topCount_ = 0;
};
