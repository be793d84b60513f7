#pragma once
// The stream of the history list: "history.dat" holds the list view itself in the
// component stream format (a "TPF0" signature, the object header, the list view's
// properties, and its rows as the binary property "Items.Data"). This unit reads and
// writes that stream as bytes; it knows nothing of widgets or files.

#include "shared_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace list_view_stream {

// A short string holds at most this many bytes; row captions are cut to it.
constexpr size_t kMaxShortString = 255;
// The error for every stream that is not a well-formed list view stream.
inline constexpr std::string_view kInvalidStreamFormat = "Invalid stream format";

struct Column {
    std::string caption;
    int32_t width = 50;
    bool operator==(const Column&) const = default;
};

// One row of the list: a caption (a recording's path) and the list view's per-row
// fields, kept as stored so that a row read from a file is written back unchanged.
// The texts of the rows read from one stream share that stream's bytes.
struct Row {
    SharedText caption;
    int32_t imageIndex = 0;
    int32_t stateIndex = -1;
    int32_t overlayIndex = -1;
    int32_t data = 0;
    std::vector<SharedText> subItems;
    std::vector<int16_t> subItemImages;  // one per sub-item
    bool operator==(const Row&) const = default;
};

// What a write needs of the list at that moment.
struct ListView {
    int32_t width = 175;
    int32_t height = 314;
    std::vector<Column> columns;
    std::vector<Row> rows;
};

// What a read found, also when it stopped at an error: `columns` and `rows` are set
// from the moment their property starts (each replaces what the list held) and hold
// every item read completely before the error.
struct ReadResult {
    std::optional<std::vector<Column>> columns;
    std::optional<std::vector<Row>> rows;
    std::string error;  // empty when the whole stream was read
    [[nodiscard]] bool ok() const { return error.empty(); }
};

// The rows' texts lie in `bytes`, which they keep alive; bytes given as a view are
// copied once into a buffer of their own.
[[nodiscard]] ReadResult Read(const SharedText& bytes);
[[nodiscard]] std::string Write(const ListView& list);
// The same with rows held elsewhere, which are written without a copy; `list.rows` is
// not used.
[[nodiscard]] std::string Write(const ListView& list, const std::vector<Row>& rows);

// The first 255 bytes of the text, never splitting a UTF-8 character.
[[nodiscard]] std::string_view CutToShortString(std::string_view text);
// True for a caption that a write may have cut: within a character's length of the
// limit. Such a path may name another file than the recording it stood for.
[[nodiscard]] bool MayHaveBeenCut(std::string_view caption);

}  // namespace list_view_stream
