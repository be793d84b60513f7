#pragma once
// The song list document read into the nodes of the song tree: every element of the
// document element `root`, in document order, with its `topic` (the caption) and its
// `action`. Bytes in, nodes out: no files, no widgets, so that it is fuzzed on its own.

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace song_list {

struct Node {
    QString caption;  // the element's `topic`
    QString action;   // the element's `action`
    int32_t parent;   // index of the parent node; -1 for the top node
};

// What went wrong, when something did.
enum class ErrorKind {
    None,
    // The document is not well formed (or nests too deep): no nodes at all.
    Parser,
    // An element lacks `topic` or `action` or has it empty: the nodes before it stay.
    Conversion,
};

struct SongList {
    // In document order (a parent before its children); nodes[0] is the top node.
    std::vector<Node> nodes;
    ErrorKind errorKind = ErrorKind::None;
    QString error;  // the user's message; empty without an error
    [[nodiscard]] bool ok() const { return errorKind == ErrorKind::None; }
};

// Elements nested deeper than this (the document element being 1) are refused with a
// parser error, so that no list can make the tree deep enough to exhaust the stack.
inline constexpr int kMaxDepth = 256;

// The text of the conversion error of a missing or empty `topic` or `action`.
inline constexpr char kConversionError[] = "Could not convert variant of type (Null) into type (String)";

// Reads the song list. A document element not named `root` gives no nodes and no error.
// Children other than elements (text, comments, processing instructions) are ignored.
[[nodiscard]] SongList Read(QByteArrayView bytes);

}  // namespace song_list
