#include "riff_chunk_writer.h"

#include <cstring>
#include <limits>

namespace nim_audio_file {
namespace {

void PutU32(uint8_t* out, uint32_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

bool RiffChunkWriter::CreateChunk(ChunkInfo& chunk, bool riff)
{
    if (!file_.IsOpen()) return false;
    if (riff) chunk.id = MakeFourCC("RIFF");
    uint8_t header[12];
    std::memcpy(header, chunk.id.data(), 4);
    PutU32(header + 4, chunk.size);
    size_t headerSize = 8;
    if (riff) {
        std::memcpy(header + 8, chunk.formType.data(), 4);
        headerSize = 12;
    }
    const uint64_t start = file_.Length();
    if (start + 8 > std::numeric_limits<uint32_t>::max()) return false;
    if (file_.Append(header, headerSize) != headerSize) {
        // Leave no half header behind.
        (void)file_.Truncate(start);
        return false;
    }
    chunk.dataOffset = static_cast<uint32_t>(start + 8);
    chunk.flags = 0;
    return true;
}

uint64_t RiffChunkWriter::BodySize(const ChunkInfo& chunk) const
{
    return file_.Length() - chunk.dataOffset;
}

bool RiffChunkWriter::Ascend(ChunkInfo& chunk)
{
    if (!file_.IsOpen()) return false;
    const uint64_t body = BodySize(chunk);
    if (body > std::numeric_limits<uint32_t>::max()) return false;
    const auto real = static_cast<uint32_t>(body);
    if (real != chunk.size) {
        uint8_t size[4];
        PutU32(size, real);
        if (!file_.WriteAt(chunk.dataOffset - 4, size, sizeof size)) return false;
        chunk.size = real;
    }
    if (real % 2 != 0) {
        const uint8_t pad = 0;
        if (file_.Append(&pad, 1) != 1) return false;
    }
    chunk.flags &= ~kChunkDirty;
    return true;
}

}  // namespace nim_audio_file
