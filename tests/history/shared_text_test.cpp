// Texts sharing one buffer: the rows read from a stream keep their captions in the
// stream's bytes and outlive every other owner of them.
#include "expected_stream.h"
#include "list_view_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace expected_stream;
using list_view_stream::ListView;
using list_view_stream::Read;
using list_view_stream::Row;
using list_view_stream::SharedText;

namespace {

std::shared_ptr<const char[]> BufferOf(std::string_view text)
{
    auto buffer = std::make_shared_for_overwrite<char[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    return buffer;
}

}  // namespace

TEST(SharedText, AStringIsCopiedAndComparesByItsBytes)
{
    std::string source = "/music/take.mp3";
    const SharedText text = source;
    source[1] = 'X';
    EXPECT_EQ(text.view(), "/music/take.mp3");
    EXPECT_EQ(text, SharedText("/music/take.mp3"));
    EXPECT_FALSE(text == SharedText("/music/take.mp4"));
    EXPECT_TRUE(SharedText().empty());
    EXPECT_EQ(SharedText(""), SharedText());
}

TEST(SharedText, APartWithinSharesTheBufferAndKeepsItAlive)
{
    std::optional<SharedText> whole(std::in_place, BufferOf("head/a.mp3tail"), 14);
    const SharedText part = whole->Within(whole->view().substr(4, 6));
    EXPECT_EQ(part.data(), whole->data() + 4);
    whole.reset();
    EXPECT_EQ(part.view(), "/a.mp3");
}

TEST(SharedText, AViewFromElsewhereIsCopied)
{
    const SharedText whole(BufferOf("abc"), 3);
    const std::string other = "abcdef";
    const SharedText part = whole.Within(std::string_view(other).substr(2, 3));
    EXPECT_NE(part.data(), other.data() + 2);
    EXPECT_EQ(part.view(), "cde");
    // An empty part needs no buffer.
    EXPECT_EQ(whole.Within(whole.view().substr(1, 0)).data(), nullptr);
}

TEST(SharedText, RowsReadFromAStreamPointIntoItsBytesAndOutliveThem)
{
    std::vector<Row> rows;
    const char* start = nullptr;
    {
        const std::string file = File({"/a.mp3", "/music/b.mp3"});
        const SharedText bytes(BufferOf(file), file.size());
        start = bytes.data();
        auto read = Read(bytes);
        ASSERT_TRUE(read.ok()) << read.error;
        rows = std::move(*read.rows);
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_GT(rows[0].caption.data(), start);
    // The second caption follows the first and the second row's fields and length.
    EXPECT_EQ(rows[1].caption.data(), rows[0].caption.data() + 6 + 21);
    EXPECT_EQ(rows[0].caption, "/a.mp3");
    EXPECT_EQ(rows[1].caption, "/music/b.mp3");
}

TEST(SharedText, RowsHeldElsewhereAreWrittenAsTheListsOwn)
{
    ListView list;
    list.columns = {{"Files", 170}};
    list.rows.resize(2);
    list.rows[0].caption = "/a.mp3";
    list.rows[0].subItems = {"1 MB"};
    list.rows[0].subItemImages = {3};
    list.rows[1].caption = "/b.mp3";
    const std::vector<Row> rows = list.rows;
    ListView without = list;
    without.rows.clear();
    EXPECT_EQ(list_view_stream::Write(without, rows), list_view_stream::Write(list));
}
