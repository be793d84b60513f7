#include "wave_file_writer.h"

namespace nim_audio_file {
namespace {

void PutU16(uint8_t* out, uint16_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* out, uint32_t v)
{
    PutU16(out, static_cast<uint16_t>(v));
    PutU16(out + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace

bool FitsWaveData(uint64_t current, uint64_t count)
{
    return current <= kMaxWaveDataBytes && count <= kMaxWaveDataBytes - current;
}

CWaveFileWriter::~CWaveFileWriter()
{
    if (IsOpen()) (void)Close();
}

int CWaveFileWriter::SetAudioFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample)
{
    format_.formatTag = 1;
    format_.channels = static_cast<uint16_t>(channels);
    format_.samplesPerSec = static_cast<uint32_t>(samplesPerSec);
    format_.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    format_.blockAlign = static_cast<uint16_t>(uint32_t{format_.channels} * format_.bitsPerSample / 8);
    format_.avgBytesPerSec = uint32_t{format_.blockAlign} * format_.samplesPerSec;
    format_.extraSize = 0;
    return 0;
}

int CWaveFileWriter::Create(const std::string& fileName)
{
    // A file still open from an earlier take is finished first, never dropped.
    if (IsOpen()) (void)Close();
    if (!file_.Create(fileName, OutputFile::Replace::DeleteFirst)) return -1;
    if (!WriteHeader()) {
        file_.Discard();
        return -1;
    }
    return 0;
}

bool CWaveFileWriter::WriteHeader()
{
    riffChunk_ = ChunkInfo{};
    riffChunk_.formType = MakeFourCC("WAVE");
    if (!chunks_.CreateChunk(riffChunk_, true)) return false;

    chunk_ = ChunkInfo{};
    chunk_.id = MakeFourCC("fmt ");
    chunk_.size = kWaveFormatBytes;
    if (!chunks_.CreateChunk(chunk_, false)) return false;
    uint8_t record[kWaveFormatBytes];
    PutU16(record + 0, format_.formatTag);
    PutU16(record + 2, format_.channels);
    PutU32(record + 4, format_.samplesPerSec);
    PutU32(record + 8, format_.avgBytesPerSec);
    PutU16(record + 12, format_.blockAlign);
    PutU16(record + 14, format_.bitsPerSample);
    PutU16(record + 16, format_.extraSize);
    if (file_.Append(record, sizeof record) != sizeof record) return false;
    if (!chunks_.Ascend(chunk_)) return false;

    chunk_ = ChunkInfo{};
    chunk_.id = MakeFourCC("data");
    return chunks_.CreateChunk(chunk_, false);
}

int CWaveFileWriter::Write(const void* data, size_t count)
{
    if (!IsOpen()) return -1;
    if (count == 0) return 0;
    if (!data) return -1;
    // Past this the size fields would wrap and the whole recording become unreadable.
    if (!FitsWaveData(chunks_.BodySize(chunk_), count)) return -1;
    chunk_.flags |= kChunkDirty;
    return file_.Append(data, count) == count ? 0 : -1;
}

int CWaveFileWriter::Close()
{
    if (!IsOpen()) return -1;
    int result = 0;
    if (!chunks_.Ascend(chunk_)) {
        // Most likely the pad byte after an odd count found the disk full: give up the
        // last sample byte so that the file stays whole, and report the failure.
        result = -1;
        const uint64_t body = chunks_.BodySize(chunk_);
        const uint64_t even = body - body % 2;
        if (!file_.Truncate(chunk_.dataOffset + even) || !chunks_.Ascend(chunk_)) {
            file_.Close();
            return -1;
        }
    }
    if (!chunks_.Ascend(riffChunk_)) result = -1;
    if (result == 0 && !file_.Sync()) result = -1;
    if (!file_.Close()) result = -1;
    return result;
}

}  // namespace nim_audio_file
