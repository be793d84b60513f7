// The history file's stream, byte for byte: what is written, what is read back, and
// what damaged or foreign input gives.
#include "expected_stream.h"
#include "list_view_stream.h"

#include <gtest/gtest.h>

#include <random>

using namespace expected_stream;
using list_view_stream::Column;
using list_view_stream::ListView;
using list_view_stream::Read;
using list_view_stream::Row;
using list_view_stream::Write;

namespace {

Row RowOf(const std::string& path)
{
    Row row;
    row.caption = path;
    return row;
}

ListView List(const std::vector<std::string>& paths)
{
    ListView list;
    list.columns = {{"Files", 170}};
    for (const std::string& p : paths) list.rows.push_back(RowOf(p));
    return list;
}

std::vector<std::string> Captions(const std::vector<Row>& rows)
{
    std::vector<std::string> out;
    for (const Row& r : rows) out.emplace_back(r.caption);
    return out;
}

// A file with one property spliced in before the end bytes.
std::string WithProperty(std::string file, const std::string& property)
{
    return file.insert(file.size() - 2, property);
}

}  // namespace

TEST(HistoryStream, WritesTheListByteForByte)
{
    EXPECT_EQ(Write(List({})), File({}));
    EXPECT_EQ(File({}).find("Items.Data"), std::string::npos);

    const std::string path = "/music/take_01.mp3";
    ASSERT_EQ(path.size(), 18u);
    const std::string one = Write(List({path}));
    EXPECT_EQ(one, File({path}));
    // The binary value carries 47 bytes, and the block's own size field says so too.
    const std::string block = Int32(47) + Int32(1) + Int32(0) + Int32(-1) + Int32(-1) + Int32(0) + Int32(0) + Short(path);
    EXPECT_NE(one.find(Short("Items.Data") + Bytes({10}) + Int32(47) + block + Short("ReadOnly")), std::string::npos);

    EXPECT_EQ(Write(List({"/a.mp3", "/music/b c.mp3"})), File({"/a.mp3", "/music/b c.mp3"}));
}

TEST(HistoryStream, IntegersTakeTheSmallestTagAndLongCaptionsALongString)
{
    ListView list = List({});
    list.width = 127;
    list.height = 70000;
    list.columns = {{std::string(300, 'c'), -1}};
    const std::string bytes = Write(list);
    EXPECT_NE(bytes.find(Short("Width") + Bytes({2, 127})), std::string::npos);
    EXPECT_NE(bytes.find(Short("Height") + Bytes({4}) + Int32(70000)), std::string::npos);
    EXPECT_NE(bytes.find(Short("Caption") + Bytes({12}) + Int32(300) + std::string(300, 'c') + Short("Width") +
                         Bytes({2, 0xFF})),
              std::string::npos);
    ASSERT_TRUE(Read(bytes).ok());
    EXPECT_EQ(*Read(bytes).columns, list.columns);
}

TEST(HistoryStream, RoundTripKeepsEveryRowFieldAndColumn)
{
    ListView list;
    list.columns = {{"Files", 170}, {"Größe", 40000}};
    list.rows = {{.caption = "/x/ä.mp3", .imageIndex = 3, .stateIndex = 7, .overlayIndex = -200000, .data = 42,
                  .subItems = {"12 MB", ""}, .subItemImages = {5, -1}},
                 RowOf("/x/b.mp3"), RowOf("/x/b.mp3")};
    const auto read = Read(Write(list));
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(*read.columns, list.columns);
    EXPECT_EQ(*read.rows, list.rows);
}

TEST(HistoryStream, LongPathsAreCutWithoutSplittingACharacter)
{
    // 254 ASCII bytes, then "é" (two bytes) straddling byte 255: the cut keeps 254.
    const std::string path = "/" + std::string(253, 'p') + "é" + std::string(44, 'q');
    ASSERT_EQ(path.size(), 300u);
    const auto read = Read(Write(List({path})));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.rows->at(0).caption, path.substr(0, 254));
    EXPECT_TRUE(list_view_stream::MayHaveBeenCut(read.rows->at(0).caption));
    EXPECT_EQ(list_view_stream::CutToShortString(std::string(255, 'x') + "y"), std::string(255, 'x'));
    EXPECT_FALSE(list_view_stream::MayHaveBeenCut(std::string(251, 'x')));
}

TEST(HistoryStream, AHandWrittenFileWithOtherListViewPropertiesAndEveryTagLoads)
{
    // Flags prefix with a child position, then the header.
    std::string f = "TPF0" + Bytes({0xF2, 2, 5}) + Short("TListView") + Short("ListViewHistory");
    auto prop = [&](std::string_view name, const std::string& value) { f += Short(name) + value; };
    prop("Anchors", Bytes({11}) + Short("akLeft") + Short("akTop") + Bytes({0}));
    prop("Font.Height", Bytes({3, 0xF5, 0xFF}));
    prop("Tag", Bytes({4}) + Int32(-5));
    prop("Hint", Bytes({12}) + Int32(3) + "abc");
    prop("HelpKeyword", Bytes({18}) + Int32(2) + Bytes({'h', 0, 'i', 0}));
    prop("ExplicitLeft", Bytes({19, 1, 2, 3, 4, 5, 6, 7, 8}));
    prop("Color", Bytes({7}) + Short("clWindow"));
    prop("Enabled", Bytes({8}));
    prop("Visible", Bytes({9}));
    prop("LargeImages", Bytes({13}));
    prop("Constraints.MinWidth", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    prop("HoverTime", Bytes({15, 0, 0, 0x80, 0x3F}));
    prop("Cursor", Bytes({16, 1, 2, 3, 4, 5, 6, 7, 8}));
    prop("HotTrackStyles", Bytes({17, 1, 2, 3, 4, 5, 6, 7, 8}));
    prop("Action", Bytes({20}) + Int32(2) + "\xC3\xA4");
    prop("SmallImages", Bytes({10}) + Int32(2) + "zz");
    prop("OnClick", Bytes({1, 2, 1, 6}) + Short("x") + Bytes({1, 0, 0}));  // a list holding a list
    // Columns: UTF-16 and UTF-8 captions, an unused column property, no width.
    prop("Columns", Bytes({14, 1}) + Short("Caption") + Bytes({18}) + Int32(2) + Bytes({0x87, 0x65, 0xF6, 0x4E}) +
                        Short("Alignment") + Bytes({7}) + Short("taCenter") + Bytes({0, 1}) + Short("Caption") +
                        Bytes({20}) + Int32(4) + "Size" + Short("Width") + Bytes({2, 60}) + Bytes({0, 0}));
    // One row with two sub-items and their images.
    const std::string rows = Int32(1) + Int32(2) + Int32(3) + Int32(2) + Int32(9) + Short("/r.mp3") + Short("a") +
                             Short("bc") + Bytes({4, 0, 0xFF, 0xFF});
    const std::string block = Int32(static_cast<int32_t>(8 + rows.size())) + Int32(1) + rows;
    prop("Items.Data", Bytes({10}) + Int32(static_cast<int32_t>(block.size())) + block);
    f += Bytes({0, 0});

    const auto read = Read(f);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(*read.columns, (std::vector<Column>{{"文件", 50}, {"Size", 60}}));
    ASSERT_EQ(read.rows->size(), 1u);
    EXPECT_EQ(read.rows->at(0),
              (Row{"/r.mp3", 1, 2, 3, 9, {"a", "bc"}, {4, -1}}));
}

TEST(HistoryStream, AnUnknownPropertyIsAnErrorThatKeepsTheRowsReadBefore)
{
    const auto read = Read(WithProperty(File({"/a.mp3", "/b.mp3"}), Short("Bogus") + Bytes({9})));
    EXPECT_EQ(read.error, "Error reading ListViewHistory.Bogus: Property Bogus does not exist");
    EXPECT_EQ(Captions(*read.rows), (std::vector<std::string>{"/a.mp3", "/b.mp3"}));

    const std::string badColumn = Short("Columns") + Bytes({14, 1}) + Short("Colour") + Bytes({9, 0, 0});
    EXPECT_EQ(Read(WithProperty(File({}), badColumn)).error,
              "Error reading ListViewHistory.Columns: Property Colour does not exist");
}

TEST(HistoryStream, DamagedInputGivesTheFormatErrorAndNeverMore)
{
    const std::string whole = File({"/a.mp3", "/music/b.mp3"});
    const size_t afterRows = whole.find(Short("ReadOnly"));
    for (size_t n = 0; n < whole.size(); ++n) {
        const auto read = Read(std::string_view(whole).substr(0, n));
        ASSERT_EQ(read.error, list_view_stream::kInvalidStreamFormat) << "cut at " << n;
        if (n >= afterRows) {
            EXPECT_EQ(read.rows->size(), 2u) << "cut at " << n;
        }
    }
    EXPECT_EQ(Read("TPF1" + whole.substr(4)).error, list_view_stream::kInvalidStreamFormat);

    auto withBlock = [&](const std::string& block) {
        return WithProperty(File({}), Short("Items.Data") + Bytes({10}) + Int32(static_cast<int32_t>(block.size())) + block);
    };
    const std::string rows = RowBlock({"/a.mp3"});
    // A row count of 2^31 - 1, a size field that disagrees with the rows or the value,
    // a byte count of 2 GiB, a negative sub-item count.
    EXPECT_FALSE(Read(withBlock(rows.substr(0, 4) + Int32(INT32_MAX) + rows.substr(8))).ok());
    EXPECT_FALSE(Read(withBlock(Int32(static_cast<int32_t>(rows.size() + 1)) + rows.substr(4) + "x")).ok());
    EXPECT_FALSE(Read(withBlock(rows + "xyz")).ok());
    EXPECT_FALSE(Read(withBlock(rows.substr(0, 20) + Int32(-1) + rows.substr(24))).ok());
    EXPECT_EQ(Read(WithProperty(File({}), Short("Items.Data") + Bytes({10}) + Int32(INT32_MIN) + "abc")).error,
              list_view_stream::kInvalidStreamFormat);
    // Lists nested without end.
    EXPECT_FALSE(Read(WithProperty(File({}), Short("Hint") + std::string(100000, '\x01'))).ok());
    // A child object after the properties.
    EXPECT_FALSE(Read(whole.substr(0, whole.size() - 1) + Short("TButton")).ok());

    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes = "TPF0";
        const size_t n = rng() % 64;
        for (size_t k = 0; k < n; ++k) bytes.push_back(static_cast<char>(rng()));
        const auto read = Read(bytes);
        EXPECT_TRUE(read.ok() || !read.error.empty());
    }
}
