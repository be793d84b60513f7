// UTF-8 and GBK text through iconv, and how lyric bytes become displayable text.

#include "codepage.h"

#include <gtest/gtest.h>

namespace {

const std::string kKalaUtf8 = "\xE5\x8D\xA1\xE6\x8B\x89";  // 卡拉
const std::string kKalaGbk = "\xBF\xA8\xC0\xAD";

TEST(Codepage, GbkRoundTripsChineseAndAscii)
{
    EXPECT_EQ(codepage::Utf8ToGbk(kKalaUtf8 + " OK"), kKalaGbk + " OK");
    EXPECT_EQ(codepage::GbkToUtf8(kKalaGbk + " OK"), kKalaUtf8 + " OK");
    EXPECT_EQ(codepage::Utf8ToGbk("\xE2\x82\xAC"), "\x80");  // the euro sign of code page 936
    EXPECT_EQ(codepage::Utf8ToGbk(""), "");
    EXPECT_EQ(codepage::GbkToUtf8(""), "");
    // Long text crosses the converter's buffer many times.
    std::string longUtf8, longGbk;
    for (int i = 0; i < 5000; ++i) {
        longUtf8 += kKalaUtf8 + "x";
        longGbk += kKalaGbk + "x";
    }
    EXPECT_EQ(codepage::Utf8ToGbk(longUtf8), longGbk);
    EXPECT_EQ(codepage::GbkToUtf8(longGbk), longUtf8);
}

TEST(Codepage, WhatCannotBeConvertedIsReplaced)
{
    // An emoji has no GBK code; a stray continuation byte and a cut-off sequence are not UTF-8.
    EXPECT_EQ(codepage::Utf8ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");
    EXPECT_EQ(codepage::Utf8ToGbk("a\x80" "b"), "a?b");
    EXPECT_EQ(codepage::Utf8ToGbk("a\xE5\x8D"), "a?");
    EXPECT_EQ(codepage::GbkToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(codepage::GbkToUtf8("a\xBF"), "a\xEF\xBF\xBD");
}

TEST(Codepage, Utf8ValidityIsStrict)
{
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"plain", true}, {kKalaUtf8, true}, {"\xF0\x9F\x98\x80", true}, {"\xF4\x8F\xBF\xBF", true},
        {kKalaGbk, false}, {"\xC0\x80", false}, {"\xE0\x80\x80", false}, {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false}, {"\xE5\x8D", false}, {"\x80", false}, {"\xFF", false},
        {std::string("a\0b", 3), true},
    };
    for (const auto& c : cases) EXPECT_EQ(codepage::IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(Codepage, LyricBytesDisplayAsUtf8)
{
    EXPECT_EQ(codepage::DisplayText("\xEF\xBB\xBF" + kKalaUtf8), kKalaUtf8);
    EXPECT_EQ(codepage::DisplayText(kKalaUtf8 + " OK"), kKalaUtf8 + " OK");
    EXPECT_EQ(codepage::DisplayText(kKalaGbk + " OK"), kKalaUtf8 + " OK");
    EXPECT_EQ(codepage::DisplayText("\xEF\xBB\xBF" + kKalaGbk), kKalaUtf8);
    EXPECT_EQ(codepage::DisplayText("x\xEF\xBB\xBF"), "x\xEF\xBB\xBF");
    EXPECT_EQ(codepage::DisplayText(""), "");
}

}  // namespace
