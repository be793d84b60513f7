#pragma once
// Writes RIFF chunks into an output file the way the multimedia file I/O of the
// original platform does: a chunk is created with a size guess, its body is appended,
// and ascending out of it writes the real size back and pads an odd body to even.

#include "output_file.h"

#include <array>
#include <cstdint>

namespace nim_audio_file {

using FourCC = std::array<char, 4>;

inline constexpr FourCC MakeFourCC(const char (&text)[5])
{
    return {text[0], text[1], text[2], text[3]};
}

// One chunk's record (fields in the order of the platform's chunk record).
struct ChunkInfo {
    FourCC id{};          // chunk id ("fmt ", "data"); "RIFF" for the outer chunk
    uint32_t size = 0;    // size given at creation; the real size is written at ascent
    FourCC formType{};    // "WAVE": the outer chunk only
    uint32_t dataOffset = 0;  // where the body starts (set at creation)
    uint32_t flags = 0;       // kChunkDirty once the body was written to
};

inline constexpr uint32_t kChunkDirty = 0x10000000;

class RiffChunkWriter {
public:
    explicit RiffChunkWriter(OutputFile& file) : file_(file) {}

    // Writes the chunk header at the end of the file. For a RIFF chunk the id is set to
    // "RIFF" and the form type follows the size; the form type is part of the body.
    [[nodiscard]] bool CreateChunk(ChunkInfo& chunk, bool riff);
    // Leaves the chunk: writes its real body size into its header when it differs from
    // the size given at creation, then one zero pad byte after an odd body.
    [[nodiscard]] bool Ascend(ChunkInfo& chunk);

    // The body size the chunk has now (bytes after its data offset).
    [[nodiscard]] uint64_t BodySize(const ChunkInfo& chunk) const;

private:
    OutputFile& file_;
};

}  // namespace nim_audio_file
