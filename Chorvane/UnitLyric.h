#pragma once
// The lyric holder: reads an LRC lyric file into a table of timed lines sorted by
// time and answers which line is current at a playback position.
//
// Lines are kept as the file's bytes; turning them into displayable text is the
// display's business (codepage::DisplayText).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A number in the file does not fit a signed 32-bit integer. what() is the message
// the user reads: "'<digits>' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file could not be opened or read. what() is the message the user reads, such
// as "File access denied" or "I/O error 5"; ErrorCode is the system error number.
class EInOutError : public std::runtime_error {
public:
    EInOutError(int errorCode, const std::string& message)
        : std::runtime_error(message), ErrorCode(errorCode) {}
    int ErrorCode;
};

// One timed lyric line. Time is in milliseconds from the start of the take; -1 marks
// a blank entry (a count tag that received no time tag).
struct TLyricLine {
    int32_t Time = -1;
    std::string Text;

    bool operator==(const TLyricLine&) const = default;
};

class TfrmLyric {
public:
    // The lines of the last lyric file loaded, ascending by Time.
    std::vector<TLyricLine> Lines;

    // Reads the file and rebuilds Lines. Throws EInOutError when the file cannot be
    // opened or read and EConvertError when a minute or second count does not fit
    // 32 bits; Lines is then empty.
    void LoadLyricFile(const std::string& path);
    // Rebuilds Lines from the bytes of a lyric file already in memory.
    void LoadLyricData(std::string_view bytes);

    // Index of the current line at `position` ms: the last entry whose Time is at or
    // before it, or 0 when there is none (also when there are no entries).
    [[nodiscard]] int32_t LineIndexAt(int32_t position) const;
    // Text of the entry at `index`; an index outside the table gives empty text.
    [[nodiscard]] std::string LineTextAt(int32_t index) const;
    // Number of entries - 1; -1 when there are none.
    [[nodiscard]] int32_t LastLineIndex() const;

    // The steps of a load, each on its own.
    // Count tags: "[", at least one digit, then everything up to the next "]",
    // non-overlapping, over the lines joined with nothing between them.
    [[nodiscard]] static size_t CountTimeTags(const std::vector<std::string_view>& lines);
    // Times of the tags "[m:s.f]" of a line, left to right, in milliseconds; the
    // digits after the point are a decimal fraction of a second.
    [[nodiscard]] static std::vector<int32_t> ParseTimeTags(std::string_view line);
    // Everything after the last "]" of the line when some "[" stands before it;
    // otherwise empty.
    [[nodiscard]] static std::string_view ParseLineText(std::string_view line);
    // Splits file bytes into lines ending in LF or CR LF (line ends dropped).
    [[nodiscard]] static std::vector<std::string_view> SplitLines(std::string_view bytes);

private:
    // A time tag stored during a load, packed into one sortable key: the time (biased
    // to unsigned) above the complement of its place in storing order, so that one
    // integer comparison gives ascending times and, for equal times, the tag stored
    // last first.
    [[nodiscard]] static uint64_t StoredKey(int32_t time, uint32_t order);
    [[nodiscard]] static int32_t KeyTime(uint64_t key);
    [[nodiscard]] static uint32_t KeyOrder(uint64_t key);
};
