// Feeds arbitrary bytes to the song list reader and the song tree's model: the nodes
// must form one tree in document order within the depth limit, and the model must
// show exactly that tree.

#include "song_list_reader.h"
#include "song_tree_model.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace song_list;
    SongList list = Read(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    switch (list.errorKind) {
    case ErrorKind::None: Check(list.error.isEmpty()); break;
    case ErrorKind::Parser: Check(list.nodes.empty() && !list.error.isEmpty()); break;
    case ErrorKind::Conversion: Check(list.error == QLatin1String(kConversionError)); break;
    }
    std::vector<int> depth(list.nodes.size(), 1);
    for (size_t i = 0; i < list.nodes.size(); ++i) {
        const Node& node = list.nodes[i];
        Check(!node.caption.isEmpty() && !node.action.isEmpty());
        Check(i == 0 ? node.parent == -1 : (node.parent >= 0 && static_cast<size_t>(node.parent) < i));
        if (i > 0) depth[i] = depth[static_cast<size_t>(node.parent)] + 1;
        Check(depth[i] <= kMaxDepth);
    }

    const std::vector<Node> nodes = list.nodes;
    SongTreeModel model;
    model.SetNodes(std::move(list.nodes));
    Check(model.NodeCount() == static_cast<int>(nodes.size()));
    Check(model.rowCount() == (nodes.empty() ? 0 : 1));
    int children = 0;
    for (int i = 0; i < model.NodeCount(); ++i) {
        const QModelIndex index = model.IndexOfNode(i);
        Check(model.NodeOf(index) == i);
        Check(model.index(index.row(), 0, model.parent(index)) == index);
        Check(model.NodeOf(model.parent(index)) == nodes[static_cast<size_t>(i)].parent);
        Check(index.data().toString() == nodes[static_cast<size_t>(i)].caption);
        Check(index.data(SongTreeModel::ActionRole).toString() == nodes[static_cast<size_t>(i)].action);
        children += model.rowCount(index);
        // Children in document order.
        for (int row = 1; row < model.rowCount(index); ++row)
            Check(model.NodeOf(model.index(row - 1, 0, index)) < model.NodeOf(model.index(row, 0, index)));
    }
    Check(children == (nodes.empty() ? 0 : model.NodeCount() - 1));
    Check(!model.index(model.rowCount(), 0).isValid());
    return 0;
}
