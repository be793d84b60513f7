#pragma once
// Helpers for the audio file tests: a scratch folder, file contents, generated tones,
// little-endian fields, an MP3 frame walker and an MP3 decoder (libmpg123).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace audio_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

[[nodiscard]] std::vector<uint8_t> ReadFile(const std::string& path);
[[nodiscard]] bool Exists(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

[[nodiscard]] uint16_t U16(const std::vector<uint8_t>& b, size_t at);
[[nodiscard]] uint32_t U32(const std::vector<uint8_t>& b, size_t at);
[[nodiscard]] std::string Tag(const std::vector<uint8_t>& b, size_t at);

// Interleaved 16-bit PCM: channel c is a sine of freqs[c] Hz at 0.5 of full scale.
[[nodiscard]] std::vector<int16_t> Tones(const std::vector<double>& freqs, int rate, size_t frames);
[[nodiscard]] std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples);

struct Mp3Frame {
    size_t offset = 0;
    size_t length = 0;
    int version = 0;  // 1 = MPEG-1, 2 = MPEG-2, 25 = MPEG-2.5
    int layer = 0;    // 3 for Layer III
    bool crcProtected = false;
    int bitrateIndex = 0;
    int bitrateKbps = 0;
    int sampleRate = 0;
    bool privateBit = false;
    int mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    bool copyright = false;
    bool original = false;
    int emphasis = 0;
    int mainDataBegin = 0;
    int samplesPerFrame = 0;
};

struct Mp3Walk {
    std::vector<Mp3Frame> frames;
    std::string error;  // empty when the file is a clean run of whole frames
    bool hasId3 = false;
    bool hasXingOrInfo = false;
};

// Walks the file frame by frame from its first byte; anything that is not a whole
// frame header where one must start ends the walk with an error.
[[nodiscard]] Mp3Walk WalkMp3(const std::vector<uint8_t>& bytes);

struct Decoded {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
    std::string error;
};
[[nodiscard]] Decoded DecodeMp3(const std::string& path);

// One channel of interleaved samples, as doubles.
[[nodiscard]] std::vector<double> Channel(const std::vector<int16_t>& samples, int channels, int which);
// The highest normalised correlation of `decoded` against `reference` over lags
// 0..maxLag (decoded lags behind), measured on `window` samples from `start`.
struct Match {
    double correlation = 0;
    size_t lag = 0;
};
[[nodiscard]] Match BestMatch(const std::vector<double>& decoded, const std::vector<double>& reference,
                              size_t start, size_t window, size_t maxLag);

// Runs `attempt` as an unprivileged user when the tests run as root (so that folder
// permissions apply); returns what it returned.
[[nodiscard]] bool RunUnprivileged(const std::function<bool()>& attempt);

// Runs `scenario` in a child process that sees a fresh tmpfs of `bytes` mounted over
// `folder` (in a mount namespace of its own, so nothing else sees it). The scenario
// returns "" when all went as expected, otherwise what went wrong. Returns "skip" where
// the system does not allow private mounts.
[[nodiscard]] std::string RunOnSmallDisk(const std::string& folder, uint64_t bytes,
                                         const std::function<std::string()>& scenario);

// Limits the size of files this process writes, as a full disk would; writes past it
// fail with a short count instead of a signal. Restored when the guard goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    uint64_t previous_;
};

}  // namespace audio_test
