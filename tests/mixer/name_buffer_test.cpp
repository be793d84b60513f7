#include "name_buffer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using mixer::CopyNameToBuffer;
using mixer::NameFromBuffer;

namespace {

// A name buffer with guard units after it, to catch writes past its end.
struct GuardedBuffer {
    static constexpr size_t kUnits = 64;  // 128 bytes
    std::array<char16_t, kUnits + 4> units;
    GuardedBuffer() { units.fill(u'#'); }
    bool GuardIntact() const
    {
        for (size_t i = kUnits; i < units.size(); ++i)
            if (units[i] != u'#') return false;
        return true;
    }
};

}  // namespace

TEST(NameBuffer, RoundTripsAsciiAndChineseNames)
{
    GuardedBuffer b;
    CopyNameToBuffer("Stereo Mix", b.units.data(), mixer::kLineNameBytes);
    EXPECT_EQ(NameFromBuffer(b.units.data(), mixer::kLineNameBytes), "Stereo Mix");
    CopyNameToBuffer("立体声混音 🎤", b.units.data(), mixer::kLineNameBytes);
    EXPECT_EQ(NameFromBuffer(b.units.data(), mixer::kLineNameBytes), "立体声混音 🎤");
    EXPECT_EQ(b.units[0], u'立');
    EXPECT_TRUE(b.GuardIntact());
}

TEST(NameBuffer, LongNamesAreCutInsideTheBufferAndStayTerminated)
{
    GuardedBuffer b;
    const std::string longName(200, 'x');
    CopyNameToBuffer(longName, b.units.data(), mixer::kLineNameBytes);
    EXPECT_TRUE(b.GuardIntact());
    EXPECT_EQ(b.units[GuardedBuffer::kUnits - 1], u'\0');
    EXPECT_EQ(NameFromBuffer(b.units.data(), mixer::kLineNameBytes), std::string(63, 'x'));

    // The driver name buffer holds 31 units before its NUL.
    GuardedBuffer d;
    CopyNameToBuffer(longName, d.units.data(), mixer::kDriverNameBytes);
    EXPECT_EQ(d.units[31], u'\0');
    EXPECT_EQ(d.units[32], u'#');
}

TEST(NameBuffer, NeverSplitsASurrogatePairAtTheEnd)
{
    GuardedBuffer b;
    // 62 units of text, then a character that needs two units: only one unit is left.
    CopyNameToBuffer(std::string(62, 'a') + "🎤", b.units.data(), mixer::kLineNameBytes);
    EXPECT_EQ(NameFromBuffer(b.units.data(), mixer::kLineNameBytes), std::string(62, 'a'));
    EXPECT_EQ(b.units[62], u'\0');
}

TEST(NameBuffer, BadInputIsReplacedNotTrusted)
{
    GuardedBuffer b;
    CopyNameToBuffer(std::string("A\xFF" "B\xE4\xB8", 5), b.units.data(), mixer::kLineNameBytes);
    EXPECT_EQ(NameFromBuffer(b.units.data(), mixer::kLineNameBytes), "A\uFFFDB\uFFFD\uFFFD");

    const char16_t lone[] = {u'x', char16_t(0xD800), u'y', u'\0'};
    EXPECT_EQ(NameFromBuffer(lone, sizeof lone), "x\uFFFDy");
    // A buffer without a NUL is read only up to its size.
    const char16_t unterminated[] = {u'a', u'b', u'c'};
    EXPECT_EQ(NameFromBuffer(unterminated, sizeof unterminated), "abc");
    // Null or tiny buffers are left alone.
    CopyNameToBuffer("x", nullptr, 128);
    char16_t one = u'#';
    CopyNameToBuffer("x", &one, 1);
    EXPECT_EQ(one, u'#');
}
