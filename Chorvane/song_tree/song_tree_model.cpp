#include "song_tree_model.h"

SongTreeModel::SongTreeModel(QObject* parent) : QAbstractItemModel(parent)
{
    firstChild_.assign(2, 0);
}

void SongTreeModel::SetNodes(std::vector<song_list::Node> nodes)
{
    beginResetModel();
    nodes_ = std::move(nodes);
    const size_t n = nodes_.size();
    // The children of each node in one array (counted, then placed in document order);
    // the top nodes, whose parent is -1, are kept in slot n.
    std::vector<int32_t> count(n + 1, 0);
    for (const song_list::Node& node : nodes_) ++count[node.parent < 0 ? n : static_cast<size_t>(node.parent)];
    firstChild_.assign(n + 2, 0);
    for (size_t i = 0; i <= n; ++i) firstChild_[i + 1] = firstChild_[i] + count[i];
    children_.assign(n, 0);
    row_.assign(n, 0);
    std::vector<int32_t> next(firstChild_.begin(), firstChild_.end() - 1);
    for (size_t i = 0; i < n; ++i) {
        const size_t parent = nodes_[i].parent < 0 ? n : static_cast<size_t>(nodes_[i].parent);
        row_[i] = next[parent] - firstChild_[parent];
        children_[static_cast<size_t>(next[parent]++)] = static_cast<int32_t>(i);
    }
    topCount_ = count[n];
    endResetModel();
}

int SongTreeModel::NodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this) return -1;
    return static_cast<int>(index.internalId());
}

QModelIndex SongTreeModel::IndexOfNode(int node) const
{
    if (node < 0 || node >= NodeCount()) return {};
    return createIndex(row_[static_cast<size_t>(node)], 0, static_cast<quintptr>(node));
}

int SongTreeModel::ChildCount(int node) const
{
    const size_t slot = node < 0 ? nodes_.size() : static_cast<size_t>(node);
    return firstChild_[slot + 1] - firstChild_[slot];
}

int SongTreeModel::Child(int node, int row) const
{
    const size_t slot = node < 0 ? nodes_.size() : static_cast<size_t>(node);
    return children_[static_cast<size_t>(firstChild_[slot] + row)];
}

QModelIndex SongTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0) return {};
    const int node = parent.isValid() ? NodeOf(parent) : -1;
    if (parent.isValid() && node < 0) return {};
    if (row >= ChildCount(node)) return {};
    const int child = Child(node, row);
    return createIndex(row, 0, static_cast<quintptr>(child));
}

QModelIndex SongTreeModel::parent(const QModelIndex& child) const
{
    const int node = NodeOf(child);
    if (node < 0) return {};
    return IndexOfNode(nodes_[static_cast<size_t>(node)].parent);
}

int SongTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid()) return topCount_;
    if (parent.column() != 0) return 0;
    const int node = NodeOf(parent);
    return node < 0 ? 0 : ChildCount(node);
}

int SongTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool SongTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant SongTreeModel::data(const QModelIndex& index, int role) const
{
    const int node = NodeOf(index);
    if (node < 0) return {};
    if (role == Qt::DisplayRole) return Node(node).caption;
    if (role == ActionRole) return Node(node).action;
    return {};
}

Qt::ItemFlags SongTreeModel::flags(const QModelIndex& index) const
{
    if (NodeOf(index) < 0) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
