#pragma once
// CWaveFileWriter: stores PCM bytes, unchanged, in a RIFF WAVE file with one "fmt "
// chunk of 18 bytes and one "data" chunk whose sizes are written when the file closes.

#include "output_file.h"
#include "riff_chunk_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace nim_audio_file {

// The wave format record as it is stored in the "fmt " chunk.
struct WaveFormat {
    uint16_t formatTag = 1;  // PCM
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};

inline constexpr uint32_t kWaveFormatBytes = 18;
// Bytes before the samples: "RIFF", size, "WAVE", "fmt ", 18, the record, "data", size.
inline constexpr uint32_t kWaveHeaderBytes = 46;
// The most sample bytes a file can hold while both size fields still fit 32 bits,
// the pad byte after an odd count included.
inline constexpr uint64_t kMaxWaveDataBytes = 0xFFFFFFFFull - (kWaveHeaderBytes - 8) - 1;

// True when `count` more bytes still fit a file holding `current` sample bytes.
[[nodiscard]] bool FitsWaveData(uint64_t current, uint64_t count);

class CWaveFileWriter {
public:
    CWaveFileWriter() = default;
    // A file still open is finished (sizes written, file closed).
    ~CWaveFileWriter();
    CWaveFileWriter(const CWaveFileWriter&) = delete;
    CWaveFileWriter& operator=(const CWaveFileWriter&) = delete;

    // Channels and bits are cut to 16 bits; block align and bytes per second follow.
    // Read by the next Create. Always 0.
    int SetAudioFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample);
    // Starts a new file, replacing any file of that name. 0 or -1; on -1 no file is left.
    [[nodiscard]] int Create(const std::string& fileName);
    // Appends the bytes to the samples. 0 when all were written, -1 otherwise (the
    // bytes that reached the disk stay; nothing is written when no file is open).
    [[nodiscard]] int Write(const void* data, size_t count);
    // Writes both sizes and closes the file. 0, or -1 at the first failing step; the
    // file is closed in either case.
    [[nodiscard]] int Close();

    [[nodiscard]] bool IsOpen() const { return file_.IsOpen(); }
    // The system's error number behind the file's last failure (0 when there was none).
    [[nodiscard]] int LastSystemError() const { return file_.LastError(); }
    [[nodiscard]] const WaveFormat& Format() const { return format_; }

private:
    [[nodiscard]] bool WriteHeader();

    OutputFile file_;
    RiffChunkWriter chunks_{file_};
    ChunkInfo riffChunk_;
    ChunkInfo chunk_;
    WaveFormat format_;
};

}  // namespace nim_audio_file
