#include "audio_test_support.h"

#include <mpg123.h>

#include <csignal>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace audio_test {

ScratchFolder::ScratchFolder()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/chorvane-audiofile-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
    // Reachable by the unprivileged user some tests switch to.
    chmod(path_.c_str(), 0755);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}

std::string Tag(const std::vector<uint8_t>& b, size_t at)
{
    return std::string(reinterpret_cast<const char*>(b.data() + at), 4);
}

std::vector<int16_t> Tones(const std::vector<double>& freqs, int rate, size_t frames)
{
    std::vector<int16_t> out(frames * freqs.size());
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < freqs.size(); ++c)
            out[i * freqs.size() + c] =
                static_cast<int16_t>(std::lround(16383.0 * std::sin(2 * M_PI * freqs[c] * double(i) / rate)));
    return out;
}

std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        out[2 * i] = static_cast<uint8_t>(samples[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((samples[i] >> 8) & 0xFF);
    }
    return out;
}

namespace {

constexpr int kMpeg1Layer3Kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1};
constexpr int kMpeg2Layer3Kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

bool Contains(const std::vector<uint8_t>& b, size_t from, size_t to, const char* text)
{
    const std::string needle(text);
    to = std::min(to, b.size());
    for (size_t i = from; i + needle.size() <= to; ++i)
        if (std::equal(needle.begin(), needle.end(), b.begin() + static_cast<long>(i))) return true;
    return false;
}

}  // namespace

Mp3Walk WalkMp3(const std::vector<uint8_t>& b)
{
    Mp3Walk walk;
    walk.hasId3 = (b.size() >= 3 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') ||
                  (b.size() >= 128 && b[b.size() - 128] == 'T' && b[b.size() - 127] == 'A' &&
                   b[b.size() - 126] == 'G');
    size_t at = 0;
    while (at < b.size()) {
        if (at + 4 > b.size()) {
            walk.error = "a partial header at byte " + std::to_string(at);
            return walk;
        }
        const uint32_t h = uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
        if ((h >> 21) != 0x7FF) {
            walk.error = "no frame sync at byte " + std::to_string(at);
            return walk;
        }
        Mp3Frame f;
        f.offset = at;
        const int versionBits = (h >> 19) & 3;
        f.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : versionBits == 0 ? 25 : 0;
        const int layerBits = (h >> 17) & 3;
        f.layer = layerBits == 0 ? 0 : 4 - layerBits;
        f.crcProtected = ((h >> 16) & 1) == 0;
        f.bitrateIndex = (h >> 12) & 15;
        const int rateIndex = (h >> 10) & 3;
        const bool padding = (h >> 9) & 1;
        f.privateBit = (h >> 8) & 1;
        f.mode = (h >> 6) & 3;
        f.copyright = (h >> 3) & 1;
        f.original = (h >> 2) & 1;
        f.emphasis = h & 3;
        if (f.version == 0 || f.layer != 3 || rateIndex == 3 || f.bitrateIndex == 0 || f.bitrateIndex == 15) {
            walk.error = "a header that is not Layer III with a fixed bit rate at byte " + std::to_string(at);
            return walk;
        }
        f.bitrateKbps = (f.version == 1 ? kMpeg1Layer3Kbps : kMpeg2Layer3Kbps)[f.bitrateIndex];
        f.sampleRate = kRates[f.version == 1 ? 0 : f.version == 2 ? 1 : 2][rateIndex];
        f.samplesPerFrame = f.version == 1 ? 1152 : 576;
        f.length = static_cast<size_t>((f.version == 1 ? 144000 : 72000) * f.bitrateKbps / f.sampleRate) + padding;
        const size_t side = at + 4 + (f.crcProtected ? 2 : 0);
        if (side + 2 > b.size()) {
            walk.error = "a frame cut short at byte " + std::to_string(at);
            return walk;
        }
        f.mainDataBegin = f.version == 1 ? (b[side] << 1 | b[side + 1] >> 7) : b[side];
        if (at + f.length > b.size()) {
            walk.error = "a frame cut short at byte " + std::to_string(at);
            return walk;
        }
        if (walk.frames.empty() &&
            (Contains(b, at, at + f.length, "Xing") || Contains(b, at, at + f.length, "Info")))
            walk.hasXingOrInfo = true;
        walk.frames.push_back(f);
        at += f.length;
    }
    return walk;
}

Decoded DecodeMp3(const std::string& path)
{
    Decoded d;
    struct Handle {
        mpg123_handle* h = nullptr;
        ~Handle()
        {
            if (h) {
                mpg123_close(h);
                mpg123_delete(h);
            }
        }
    } handle;
    int err = MPG123_OK;
    handle.h = mpg123_new(nullptr, &err);
    if (!handle.h) {
        d.error = "mpg123_new failed";
        return d;
    }
    mpg123_param(handle.h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    if (mpg123_open(handle.h, path.c_str()) != MPG123_OK) {
        d.error = mpg123_strerror(handle.h);
        return d;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle.h, &rate, &channels, &encoding) != MPG123_OK) {
        d.error = mpg123_strerror(handle.h);
        return d;
    }
    mpg123_format_none(handle.h);
    mpg123_format(handle.h, rate, channels, MPG123_ENC_SIGNED_16);
    d.rate = static_cast<int>(rate);
    d.channels = channels;
    std::vector<unsigned char> buffer(65536);
    for (;;) {
        size_t done = 0;
        const int r = mpg123_read(handle.h, buffer.data(), buffer.size(), &done);
        const auto* s = reinterpret_cast<const int16_t*>(buffer.data());
        d.samples.insert(d.samples.end(), s, s + done / 2);
        if (r == MPG123_DONE) break;
        if (r != MPG123_OK && r != MPG123_NEW_FORMAT) {
            d.error = mpg123_strerror(handle.h);
            break;
        }
    }
    return d;
}

std::vector<double> Channel(const std::vector<int16_t>& samples, int channels, int which)
{
    std::vector<double> out;
    out.reserve(samples.size() / static_cast<size_t>(channels));
    for (size_t i = static_cast<size_t>(which); i < samples.size(); i += static_cast<size_t>(channels))
        out.push_back(samples[i]);
    return out;
}

Match BestMatch(const std::vector<double>& decoded, const std::vector<double>& reference, size_t start,
                size_t window, size_t maxLag)
{
    Match best;
    if (start + window > reference.size()) return best;
    for (size_t lag = 0; lag <= maxLag; ++lag) {
        if (start + lag + window > decoded.size()) break;
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = 0; i < window; ++i) {
            const double x = decoded[start + lag + i];
            const double y = reference[start + i];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        const double c = (xx > 0 && yy > 0) ? xy / std::sqrt(xx * yy) : 0;
        if (c > best.correlation) best = {c, lag};
    }
    return best;
}

bool RunUnprivileged(const std::function<bool()>& attempt)
{
    if (geteuid() != 0) return attempt();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        _exit(attempt() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string RunOnSmallDisk(const std::string& folder, uint64_t bytes, const std::function<std::string()>& scenario)
{
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child < 0) return "fork failed";
    if (child == 0) {
        close(fds[0]);
        const std::string options = "size=" + std::to_string(bytes);
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
            _exit(77);
        const std::string error = scenario();
        const ssize_t written = write(fds[1], error.data(), error.size());
        _exit(written == static_cast<ssize_t>(error.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string error;
    char chunk[256];
    ssize_t n;
    while ((n = read(fds[0], chunk, sizeof chunk)) > 0) error.append(chunk, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return "skip";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the scenario did not finish: " + error;
    return error;
}

FileSizeLimit::FileSizeLimit(uint64_t bytes)
{
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previous_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previous_;
    setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace audio_test
