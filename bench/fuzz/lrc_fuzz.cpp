// Feeds arbitrary bytes to the lyric loader and checks the table it builds.

#include "UnitLyric.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TfrmLyric lyric;
    try {
        lyric.LoadLyricData(bytes);
    } catch (const EConvertError& e) {
        Check(std::string_view(e.what()).find("is not a valid integer value") != std::string_view::npos);
        return 0;
    }
    Check(lyric.Lines.size() == TfrmLyric::CountTimeTags(TfrmLyric::SplitLines(bytes)));
    Check(lyric.LastLineIndex() == static_cast<int32_t>(lyric.Lines.size()) - 1);
    for (size_t i = 0; i < lyric.Lines.size(); ++i) {
        const TLyricLine& l = lyric.Lines[i];
        Check(l.Time >= -1);
        Check(l.Time != -1 || l.Text.empty());
        if (i > 0) Check(lyric.Lines[i - 1].Time <= l.Time);
    }
    // The current line at each entry's time and just before it.
    for (size_t i = 0; i < lyric.Lines.size() && i < 64; ++i) {
        for (int32_t pos : {lyric.Lines[i].Time, lyric.Lines[i].Time - 1}) {
            int32_t index = lyric.LineIndexAt(pos);
            Check(index >= 0 && index <= lyric.LastLineIndex());
            if (pos >= lyric.Lines[0].Time) {
                Check(lyric.Lines[static_cast<size_t>(index)].Time <= pos);
                Check(index == lyric.LastLineIndex() || lyric.Lines[static_cast<size_t>(index) + 1].Time > pos);
            } else {
                Check(index == 0);
            }
        }
    }
    return 0;
}
