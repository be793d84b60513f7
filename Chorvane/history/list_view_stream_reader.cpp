// Reads the history list's component stream. Every length is checked against the
// bytes that are left before anything is allocated, and nesting is bounded, so no
// input makes the reader crash, loop or allocate more than the input's size.
#include "list_view_stream.h"
#include "list_view_stream_tags.h"

#include <algorithm>
#include <iterator>

namespace list_view_stream {
namespace {

// Nested lists and collections deeper than this are not a list view's.
constexpr int kMaxDepth = 32;
// A row record without its caption's text: five int32 fields and the length byte.
constexpr size_t kRowRecordBytes = 21;

struct StreamError {
    std::string message;
};

bool SameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The list view's published properties that a stream may carry besides the ones the
// history uses; their values are read past.
constexpr std::string_view kListViewProperties[] = {
    "Action", "Align", "AllocBy", "Anchors", "BevelEdges", "BevelInner", "BevelKind", "BevelOuter",
    "BevelWidth", "BiDiMode", "BorderStyle", "BorderWidth", "Checkboxes", "Color", "ColumnClick",
    "Columns", "Constraints.MaxHeight", "Constraints.MaxWidth", "Constraints.MinHeight",
    "Constraints.MinWidth", "Ctl3D", "Cursor", "DoubleBuffered", "DragCursor", "DragKind", "DragMode",
    "Enabled", "ExplicitHeight", "ExplicitLeft", "ExplicitTop", "ExplicitWidth", "FlatScrollBars",
    "Font.Charset", "Font.Color", "Font.Height", "Font.Name", "Font.Pitch", "Font.Style", "FullDrag",
    "GridLines", "GroupView", "Height", "HelpContext", "HelpKeyword", "HelpType", "HideSelection",
    "Hint", "HotTrack", "HotTrackStyles", "HoverTime", "IconOptions.Arrangement",
    "IconOptions.AutoArrange", "IconOptions.WrapText", "Items.Data", "LargeImages", "Left",
    "MultiSelect", "OwnerData", "OwnerDraw", "ParentBiDiMode", "ParentColor", "ParentDoubleBuffered",
    "ParentFont", "ParentShowHint", "PopupMenu", "ReadOnly", "RowSelect", "ShowColumnHeaders",
    "ShowHint", "ShowWorkAreas", "SmallImages", "SortType", "StateImages", "TabOrder", "TabStop",
    "Tag", "Top", "ViewStyle", "Visible", "Width", "OnChange", "OnChanging", "OnClick",
    "OnColumnClick", "OnCompare", "OnContextPopup", "OnCustomDraw", "OnCustomDrawItem",
    "OnCustomDrawSubItem", "OnData", "OnDblClick", "OnDeletion", "OnEdited", "OnEditing", "OnEnter",
    "OnExit", "OnInsert", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseUp",
    "OnSelectItem",
};
constexpr std::string_view kColumnProperties[] = {
    "Alignment", "AutoSize", "Caption", "ImageIndex", "MaxWidth", "MinWidth", "Tag", "Width",
};

template <size_t N>
bool Known(const std::string_view (&names)[N], std::string_view name)
{
    return std::any_of(std::begin(names), std::end(names), [&](std::string_view n) { return SameName(n, name); });
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Little-endian UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i + 1])) << 8;
    };
    const size_t n = bytes.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

class Reader {
public:
    // `in` lies within `owner`, whose buffer the texts taken from it share.
    Reader(const SharedText& owner, std::string_view in) : owner_(owner), in_(in) {}

    [[noreturn]] static void Fail() { throw StreamError{std::string(kInvalidStreamFormat)}; }

    [[nodiscard]] size_t Left() const { return in_.size() - pos_; }
    std::string_view Bytes(size_t n)
    {
        if (Left() < n) Fail();
        std::string_view s = in_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    uint8_t Byte() { return static_cast<uint8_t>(Bytes(1)[0]); }
    uint8_t Peek() const
    {
        if (Left() == 0) Fail();
        return static_cast<uint8_t>(in_[pos_]);
    }
    uint32_t UInt(size_t width)
    {
        std::string_view b = Bytes(width);
        uint32_t v = 0;
        for (size_t i = 0; i < width; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[i])) << (8 * i);
        return v;
    }
    int32_t Int32() { return static_cast<int32_t>(UInt(4)); }
    int16_t Int16() { return static_cast<int16_t>(UInt(2)); }
    std::string_view ShortString() { return Bytes(Byte()); }
    SharedText SharedShortString() { return owner_.Within(ShortString()); }
    // A 32-bit byte count and its bytes.
    std::string_view Counted() { return Bytes(UInt(4)); }

    // An integer value with its tag.
    int32_t Integer()
    {
        switch (Byte()) {
        case kTagInt8: return static_cast<int8_t>(Byte());
        case kTagInt16: return Int16();
        case kTagInt32: return Int32();
        default: Fail();
        }
    }
    // A text value with its tag, as UTF-8.
    std::string String()
    {
        switch (Byte()) {
        case kTagString: return std::string(ShortString());
        case kTagLongString:
        case kTagUtf8String: return std::string(Counted());
        case kTagWideString: {
            const uint32_t units = UInt(4);
            return Utf16ToUtf8(Bytes(static_cast<size_t>(units) * 2));
        }
        default: Fail();
        }
    }

    void SkipValue(int depth)
    {
        if (depth > kMaxDepth) Fail();
        switch (Byte()) {
        case kTagList:
            while (Peek() != kTagEnd) SkipValue(depth + 1);
            Byte();
            return;
        case kTagInt8: Bytes(1); return;
        case kTagInt16: Bytes(2); return;
        case kTagInt32:
        case kTagSingle: Bytes(4); return;
        case kTagExtended: Bytes(10); return;
        case kTagCurrency:
        case kTagDate:
        case kTagInt64: Bytes(8); return;
        case kTagString:
        case kTagIdent: ShortString(); return;
        case kTagFalse:
        case kTagTrue:
        case kTagNil: return;
        case kTagBinary:
        case kTagLongString:
        case kTagUtf8String: Counted(); return;
        case kTagWideString: Bytes(static_cast<size_t>(UInt(4)) * 2); return;
        case kTagSet:
            while (!ShortString().empty()) {
            }
            return;
        case kTagCollection:
            for (uint8_t b = Byte(); b != kTagEnd; b = Byte()) {
                if (b != kTagList) Fail();
                while (!ShortString().empty()) SkipValue(depth + 1);
            }
            return;
        default: Fail();
        }
    }

private:
    const SharedText& owner_;
    std::string_view in_;
    size_t pos_ = 0;
};

[[noreturn]] void UnknownProperty(std::string_view object, std::string_view path, std::string_view name)
{
    throw StreamError{"Error reading " + std::string(object) + "." + std::string(path) + ": Property " +
                      std::string(name) + " does not exist"};
}

class ListViewReader {
public:
    ListViewReader(const SharedText& bytes, ReadResult& result) : owner_(bytes), in_(bytes, bytes), result_(result) {}

    void ReadStream()
    {
        if (in_.Bytes(4) != kSignature) Reader::Fail();
        if (in_.Peek() >= 0xF0) {
            const uint8_t flags = in_.Byte() & 0x0F;
            if (flags & 0x02) in_.Integer();  // the child position
        }
        in_.ShortString();  // class name
        objectName_ = in_.ShortString();
        for (std::string_view name = in_.ShortString(); !name.empty(); name = in_.ShortString()) {
            if (SameName(name, "Items.Data"))
                ReadRows();
            else if (SameName(name, "Columns"))
                ReadColumns();
            else if (Known(kListViewProperties, name))
                in_.SkipValue(0);
            else
                UnknownProperty(objectName_, name, name);
        }
        // A list view contains no objects.
        if (in_.Byte() != kTagEnd) Reader::Fail();
    }

private:
    void ReadColumns()
    {
        if (in_.Byte() != kTagCollection) Reader::Fail();
        auto& columns = result_.columns.emplace();
        for (uint8_t b = in_.Byte(); b != kTagEnd; b = in_.Byte()) {
            if (b != kTagList) Reader::Fail();
            Column column;
            for (std::string_view name = in_.ShortString(); !name.empty(); name = in_.ShortString()) {
                if (SameName(name, "Caption"))
                    column.caption = in_.String();
                else if (SameName(name, "Width"))
                    column.width = in_.Integer();
                else if (Known(kColumnProperties, name))
                    in_.SkipValue(0);
                else
                    UnknownProperty(objectName_, "Columns", name);
            }
            columns.push_back(std::move(column));
        }
    }

    void ReadRows()
    {
        if (in_.Byte() != kTagBinary) Reader::Fail();
        const std::string_view block = in_.Counted();
        auto& rows = result_.rows.emplace();
        Reader b(owner_, block);
        if (static_cast<uint32_t>(b.Int32()) != block.size()) Reader::Fail();
        const int32_t count = b.Int32();
        if (count < 0 || static_cast<size_t>(count) > b.Left() / kRowRecordBytes) Reader::Fail();
        rows.reserve(std::min<size_t>(static_cast<size_t>(count), 1 << 16));
        size_t subItems = 0;
        for (int32_t i = 0; i < count; ++i) {
            Row row;
            row.imageIndex = b.Int32();
            row.stateIndex = b.Int32();
            row.overlayIndex = b.Int32();
            const int32_t subCount = b.Int32();
            row.data = b.Int32();
            row.caption = b.SharedShortString();
            // Each sub-item takes at least its length byte.
            if (subCount < 0 || static_cast<size_t>(subCount) > b.Left()) Reader::Fail();
            for (int32_t s = 0; s < subCount; ++s) row.subItems.push_back(b.SharedShortString());
            row.subItemImages.assign(row.subItems.size(), -1);
            subItems += row.subItems.size();
            rows.push_back(std::move(row));
        }
        // The sub-item images follow the rows; a block may end before them.
        if (b.Left() == 0) return;
        if (b.Left() != 2 * subItems) Reader::Fail();
        for (Row& row : rows)
            for (int16_t& image : row.subItemImages) image = b.Int16();
    }

    const SharedText& owner_;
    Reader in_;
    ReadResult& result_;
    std::string_view objectName_;
};

}  // namespace

ReadResult Read(const SharedText& bytes)
{
    ReadResult result;
    try {
        ListViewReader(bytes, result).ReadStream();
    } catch (const StreamError& e) {
        result.error = e.message;
    }
    return result;
}

}  // namespace list_view_stream
