// Writes the history list as a component stream: the properties in their fixed
// order, each integer with the smallest tag that holds it.
#include "list_view_stream.h"
#include "list_view_stream_tags.h"

namespace list_view_stream {
namespace {

class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    void Byte(uint8_t b) { out_.push_back(static_cast<char>(b)); }
    void Int16(int16_t v) { Raw(static_cast<uint16_t>(v), 2); }
    void Int32(int32_t v) { Raw(static_cast<uint32_t>(v), 4); }
    void ShortString(std::string_view s)
    {
        s = CutToShortString(s);
        Byte(static_cast<uint8_t>(s.size()));
        out_.append(s);
    }
    void Name(std::string_view name) { ShortString(name); }

    void Integer(int32_t v)
    {
        if (v >= INT8_MIN && v <= INT8_MAX) {
            Byte(kTagInt8);
            Byte(static_cast<uint8_t>(v));
        } else if (v >= INT16_MIN && v <= INT16_MAX) {
            Byte(kTagInt16);
            Int16(static_cast<int16_t>(v));
        } else {
            Byte(kTagInt32);
            Int32(v);
        }
    }
    void String(std::string_view s)
    {
        if (s.size() <= kMaxShortString) {
            Byte(kTagString);
            ShortString(s);
        } else {
            Byte(kTagLongString);
            Int32(static_cast<int32_t>(s.size()));
            out_.append(s);
        }
    }
    void Identifier(std::string_view s)
    {
        Byte(kTagIdent);
        ShortString(s);
    }
    void True() { Byte(kTagTrue); }

    void Property(std::string_view name, int32_t v) { Name(name); Integer(v); }
    void IdentProperty(std::string_view name, std::string_view v) { Name(name); Identifier(v); }
    void TrueProperty(std::string_view name) { Name(name); True(); }

private:
    void Raw(uint32_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::string& out_;
};

void WriteColumns(Writer& w, const std::vector<Column>& columns)
{
    w.Name("Columns");
    w.Byte(kTagCollection);
    for (const Column& c : columns) {
        w.Byte(kTagList);
        w.Name("Caption");
        w.String(c.caption);
        w.Property("Width", c.width);
        w.Byte(kTagEnd);
    }
    w.Byte(kTagEnd);
}

// The row block: size, count, the row records, then every sub-item's image.
std::string RowBlock(const std::vector<Row>& rows)
{
    std::string block;
    size_t estimate = 8;
    for (const Row& r : rows) estimate += 21 + r.caption.size() + 3 * r.subItems.size();
    block.reserve(estimate);
    Writer w(block);
    w.Int32(0);  // size, filled in below
    w.Int32(static_cast<int32_t>(rows.size()));
    for (const Row& r : rows) {
        w.Int32(r.imageIndex);
        w.Int32(r.stateIndex);
        w.Int32(r.overlayIndex);
        w.Int32(static_cast<int32_t>(r.subItems.size()));
        w.Int32(r.data);
        w.ShortString(r.caption);
        for (const SharedText& s : r.subItems) w.ShortString(s);
    }
    for (const Row& r : rows)
        for (size_t i = 0; i < r.subItems.size(); ++i)
            w.Int16(i < r.subItemImages.size() ? r.subItemImages[i] : int16_t{-1});
    const auto size = static_cast<uint32_t>(block.size());
    for (int i = 0; i < 4; ++i) block[static_cast<size_t>(i)] = static_cast<char>(size >> (8 * i));
    return block;
}

}  // namespace

std::string Write(const ListView& list)
{
    return Write(list, list.rows);
}

std::string Write(const ListView& list, const std::vector<Row>& rows)
{
    std::string out;
    Writer w(out);
    out.append(kSignature);
    w.ShortString(kClassName);
    w.ShortString(kObjectName);
    w.Property("Left", 0);
    w.Property("Top", 0);
    w.Property("Width", list.width);
    w.Property("Height", list.height);
    w.IdentProperty("Align", "alClient");
    w.IdentProperty("BevelInner", "bvNone");
    WriteColumns(w, list.columns);
    w.TrueProperty("GridLines");
    if (!rows.empty()) {
        const std::string block = RowBlock(rows);
        w.Name("Items.Data");
        w.Byte(kTagBinary);
        w.Int32(static_cast<int32_t>(block.size()));
        out.append(block);
    }
    w.TrueProperty("ReadOnly");
    w.TrueProperty("RowSelect");
    w.IdentProperty("PopupMenu", "frmMain.popMenuHistory");
    w.Property("TabOrder", 0);
    w.IdentProperty("ViewStyle", "vsReport");
    w.Byte(kTagEnd);  // end of the properties
    w.Byte(kTagEnd);  // end of the contained objects
    return out;
}

std::string_view CutToShortString(std::string_view text)
{
    if (text.size() <= kMaxShortString) return text;
    size_t n = kMaxShortString;
    // Back off to the first byte of the character that the limit falls into.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

bool MayHaveBeenCut(std::string_view caption)
{
    // A cut backs off at most three continuation bytes of a four-byte character.
    return caption.size() >= kMaxShortString - 3;
}

}  // namespace list_view_stream
