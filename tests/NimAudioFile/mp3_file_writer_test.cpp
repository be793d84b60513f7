// The MP3 writer over the real LAME library: the stream's frame headers and side
// information, what a decoder hears back, and the failures around it.

#include "audio_test_support.h"
#include "mp3_file_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using nim_audio_file::CMp3FileWriter;
using namespace audio_test;

namespace {

// Writes the samples in blocks of `blockBytes` and closes the file.
void Encode(CMp3FileWriter& w, const std::string& path, const std::vector<uint8_t>& bytes, size_t blockBytes)
{
    ASSERT_EQ(w.Create(path), 0);
    for (size_t at = 0; at < bytes.size(); at += blockBytes)
        ASSERT_EQ(w.Write(bytes.data() + at, std::min(blockBytes, bytes.size() - at)), 0);
    ASSERT_EQ(w.Close(), 0);
}

// Every frame: MPEG-1 Layer III at the rate, no CRC, original, not copyrighted, private
// bit clear, no emphasis, the mode, and no bit reservoir.
void ExpectBareCbrStream(const Mp3Walk& walk, int kbps, int rate, int mode)
{
    ASSERT_EQ(walk.error, "");
    ASSERT_FALSE(walk.frames.empty());
    EXPECT_FALSE(walk.hasId3);
    EXPECT_FALSE(walk.hasXingOrInfo);
    for (const Mp3Frame& f : walk.frames) {
        SCOPED_TRACE("frame at byte " + std::to_string(f.offset));
        EXPECT_EQ(f.layer, 3);
        EXPECT_EQ(f.bitrateKbps, kbps);
        EXPECT_EQ(f.sampleRate, rate);
        EXPECT_EQ(f.mode, mode);
        EXPECT_FALSE(f.crcProtected);
        EXPECT_TRUE(f.original);
        EXPECT_FALSE(f.copyright);
        EXPECT_FALSE(f.privateBit);
        EXPECT_EQ(f.emphasis, 0);
        EXPECT_EQ(f.mainDataBegin, 0);
        if (testing::Test::HasFailure()) return;
    }
}

constexpr int kJointStereo = 1;
constexpr int kMono = 3;

}  // namespace

TEST(Mp3FileWriter, StereoTakeIsABareConstantRateMpeg1StreamThatDecodesOnTheRightChannels)
{
    ScratchFolder dir;
    CMp3FileWriter w;
    ASSERT_TRUE(w.HasEncoder());
    EXPECT_FALSE(w.EncoderVersion().empty());
    w.SetAudioFormat(2, 44100, 16);
    const size_t frames = 44100 * 3;
    const auto pcm = Tones({440.0, 1250.0}, 44100, frames);
    const std::string path = dir.file("take.mp3");
    Encode(w, path, AsBytes(pcm), 16384);

    const Mp3Walk walk = WalkMp3(ReadFile(path));
    ExpectBareCbrStream(walk, 128, 44100, kJointStereo);
    EXPECT_EQ(walk.frames.front().version, 1);
    EXPECT_EQ(walk.frames.front().bitrateIndex, 9);
    // Every input sample is in a frame, after the encoder's delay of 576, and the flush
    // pads at most a little over two frames.
    const size_t n = walk.frames.size();
    EXPECT_GE(n * 1152, frames + 576);
    EXPECT_LE(n * 1152, frames + 576 + 2 * 1152 + 1152);

    const Decoded d = DecodeMp3(path);
    ASSERT_EQ(d.error, "");
    ASSERT_EQ(d.rate, 44100);
    ASSERT_EQ(d.channels, 2);
    const auto left = Channel(d.samples, 2, 0), right = Channel(d.samples, 2, 1);
    const auto refLeft = Channel(pcm, 2, 0), refRight = Channel(pcm, 2, 1);
    const Match ll = BestMatch(left, refLeft, 44100, 8192, 3000);
    const Match rr = BestMatch(right, refRight, 44100, 8192, 3000);
    EXPECT_GT(ll.correlation, 0.98);
    EXPECT_GT(rr.correlation, 0.98);
    EXPECT_EQ(ll.lag, rr.lag);
    EXPECT_GT(ll.lag, 500u);
    EXPECT_LT(BestMatch(left, refRight, 44100, 8192, 3000).correlation, 0.1);
    EXPECT_LT(BestMatch(right, refLeft, 44100, 8192, 3000).correlation, 0.1);
}

TEST(Mp3FileWriter, MonoGivesAMonoStreamOfTheSameSound)
{
    ScratchFolder dir;
    CMp3FileWriter w;
    w.SetAudioFormat(1, 44100, 16);
    ASSERT_EQ(w.SetBitRate(64), 0);
    const auto pcm = Tones({660.0}, 44100, 44100 * 2);
    const std::string path = dir.file("mono.mp3");
    Encode(w, path, AsBytes(pcm), 16384);
    ExpectBareCbrStream(WalkMp3(ReadFile(path)), 64, 44100, kMono);
    const Decoded d = DecodeMp3(path);
    ASSERT_EQ(d.error, "");
    ASSERT_EQ(d.channels, 1);
    EXPECT_GT(BestMatch(Channel(d.samples, 1, 0), Channel(pcm, 1, 0), 44100, 8192, 3000).correlation, 0.98);
}

TEST(Mp3FileWriter, OnlyTheFourteenRatesAreTakenAndEachGivesItsIndex)
{
    ScratchFolder dir;
    CMp3FileWriter w;
    EXPECT_EQ(w.BitRate(), 128);
    for (int bad : {8, 144, 384, 0, -128}) EXPECT_EQ(w.SetBitRate(bad), -1) << bad;
    EXPECT_EQ(w.BitRate(), 128);
    const auto bytes = AsBytes(Tones({440.0, 880.0}, 44100, 11025));
    const int rates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(rates[i]);
        ASSERT_EQ(w.SetBitRate(rates[i]), 0);
        const std::string path = dir.file(std::to_string(rates[i]) + ".mp3");
        Encode(w, path, bytes, 16384);
        const Mp3Walk walk = WalkMp3(ReadFile(path));
        ExpectBareCbrStream(walk, rates[i], 44100, kJointStereo);
        EXPECT_EQ(walk.frames.front().bitrateIndex, i + 1);
    }
    EXPECT_EQ(w.SetBitRate(144), -1);
    EXPECT_EQ(w.BitRate(), 320);
}

TEST(Mp3FileWriter, EmptyTakesShortBlocksOddBytesAndSplitFramesKeepTheStreamWhole)
{
    ScratchFolder dir;
    CMp3FileWriter w;
    // No writes: only what the flush gives, still whole frames.
    ASSERT_EQ(w.Create(dir.file("empty.mp3")), 0);
    ASSERT_EQ(w.Close(), 0);
    const Mp3Walk empty = WalkMp3(ReadFile(dir.file("empty.mp3")));
    EXPECT_EQ(empty.error, "");
    EXPECT_LE(empty.frames.size(), 3u);

    // A block shorter than a frame yields no bytes yet and succeeds.
    const auto pcm = Tones({440.0, 1250.0}, 44100, 44100 * 2);
    const auto bytes = AsBytes(pcm);
    ASSERT_EQ(w.Create(dir.file("short.mp3")), 0);
    ASSERT_EQ(w.Write(bytes.data(), 400), 0);
    EXPECT_EQ(ReadFile(dir.file("short.mp3")).size(), 0u);
    // A one-byte block holds no whole sample.
    ASSERT_EQ(w.Write(bytes.data(), 1), 0);
    ASSERT_EQ(w.Close(), 0);

    // Blocks of 16386 bytes end half-way through a stereo frame (8193 samples) and
    // blocks of 16387 add an odd byte that is ignored: left and right stay in place.
    for (size_t block : {size_t{16386}, size_t{16387}}) {
        SCOPED_TRACE(block);
        const std::string path = dir.file("split" + std::to_string(block) + ".mp3");
        ASSERT_EQ(w.Create(path), 0);
        size_t at = 0;
        while (at + 2 <= bytes.size()) {
            const size_t n = std::min(block, bytes.size() - at);
            ASSERT_EQ(w.Write(bytes.data() + at, n), 0);
            at += n - n % 2;  // the ignored odd byte is not part of the sound
        }
        ASSERT_EQ(w.Close(), 0);
        ExpectBareCbrStream(WalkMp3(ReadFile(path)), 128, 44100, kJointStereo);
        const Decoded d = DecodeMp3(path);
        ASSERT_EQ(d.error, "");
        const size_t late = 44100 + 22050;
        EXPECT_GT(BestMatch(Channel(d.samples, 2, 0), Channel(pcm, 2, 0), late, 8192, 3000).correlation, 0.98);
        EXPECT_GT(BestMatch(Channel(d.samples, 2, 1), Channel(pcm, 2, 1), late, 8192, 3000).correlation, 0.98);
    }
}

TEST(Mp3FileWriter, RatesOutsideMpeg1AreEncodedAsLameAllowsOrRefusedWithoutAFile)
{
    ScratchFolder dir;
    CMp3FileWriter w;
    const auto bytes = AsBytes(Tones({440.0}, 8000, 8000));

    // 8000 Hz mono: an MPEG-2.5 stream at the input rate, whatever rate LAME settles on.
    w.SetAudioFormat(1, 8000, 16);
    const std::string low = dir.file("low.mp3");
    if (w.Create(low) == 0) {
        ASSERT_EQ(w.Write(bytes.data(), bytes.size()), 0);
        ASSERT_EQ(w.Close(), 0);
        const Mp3Walk walk = WalkMp3(ReadFile(low));
        ASSERT_EQ(walk.error, "");
        ASSERT_FALSE(walk.frames.empty());
        EXPECT_EQ(walk.frames.front().version, 25);
        EXPECT_EQ(walk.frames.front().sampleRate, 8000);
        EXPECT_EQ(walk.frames.front().mode, kMono);
    } else {
        EXPECT_FALSE(Exists(low));
    }

    // Rates and channel counts no MP3 stream has are refused before any file exists.
    const struct {
        int channels, rate;
    } refused[] = {{2, 96000}, {2, 0}, {2, -44100}, {3, 44100}, {0, 44100}, {-2, 44100}};
    for (const auto& r : refused) {
        SCOPED_TRACE(std::to_string(r.channels) + " x " + std::to_string(r.rate));
        w.SetAudioFormat(r.channels, r.rate, 16);
        EXPECT_EQ(w.Create(dir.file("refused.mp3")), -1);
        EXPECT_FALSE(Exists(dir.file("refused.mp3")));
        EXPECT_FALSE(w.IsOpen());
    }
}

TEST(Mp3FileWriter, RefusedPathsFailAndLeaveNothingBehind)
{
    ScratchFolder dir;
    CMp3FileWriter w;
    EXPECT_EQ(w.Create(""), -1);
    EXPECT_EQ(w.Create(dir.file("missing/take.mp3")), -1);
    EXPECT_FALSE(Exists(dir.file("missing")));
    ASSERT_EQ(mkdir(dir.file("folder.mp3").c_str(), 0755), 0);
    EXPECT_EQ(w.Create(dir.file("folder.mp3")), -1);
    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0555), 0);
    const std::string target = dir.file("locked/take.mp3");
    EXPECT_TRUE(RunUnprivileged([&] {
        CMp3FileWriter child;
        return child.Create(target) == -1;
    }));
    EXPECT_FALSE(Exists(target));
    const uint8_t b[4] = {};
    EXPECT_EQ(w.Write(b, 4), -1);
    EXPECT_EQ(w.Close(), -1);
}

TEST(Mp3FileWriter, FullDiskKeepsWholeFramesAndClosesTheFile)
{
    ScratchFolder dir;
    const auto bytes = AsBytes(Tones({440.0, 1250.0}, 44100, 44100 * 4));
    const std::string path = dir.file("full.mp3");
    int failures = 0;
    {
        FileSizeLimit limit(20000);
        CMp3FileWriter w;
        ASSERT_EQ(w.Create(path), 0);
        for (size_t at = 0; at < bytes.size(); at += 16384)
            if (w.Write(bytes.data() + at, std::min<size_t>(16384, bytes.size() - at)) != 0) ++failures;
        EXPECT_EQ(w.Close(), -1);
        EXPECT_FALSE(w.IsOpen());
    }
    EXPECT_GT(failures, 0);
    const auto f = ReadFile(path);
    EXPECT_GT(f.size(), 10000u);
    EXPECT_LE(f.size(), 20000u);
    ExpectBareCbrStream(WalkMp3(f), 128, 44100, kJointStereo);
}

TEST(Mp3FileWriter, DestroyingTheWriterFlushesTheOpenFileLikeAClose)
{
    ScratchFolder dir;
    const auto bytes = AsBytes(Tones({440.0, 1250.0}, 44100, 44100));
    {
        CMp3FileWriter closed;
        Encode(closed, dir.file("closed.mp3"), bytes, 16384);
    }
    {
        CMp3FileWriter w;
        ASSERT_EQ(w.Create(dir.file("dropped.mp3")), 0);
        for (size_t at = 0; at < bytes.size(); at += 16384)
            ASSERT_EQ(w.Write(bytes.data() + at, std::min<size_t>(16384, bytes.size() - at)), 0);
    }
    const auto closed = ReadFile(dir.file("closed.mp3"));
    EXPECT_FALSE(closed.empty());
    EXPECT_EQ(ReadFile(dir.file("dropped.mp3")), closed);
}

TEST(Mp3FileWriter, MissingEncoderSaysSoOnStandardErrorAndNeverCreatesAFile)
{
    ScratchFolder dir;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    CMp3FileWriter w("libchorvane-no-such-encoder.so.0");
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error loading lame_enc.DLL\n");
    EXPECT_EQ(out, "");
    EXPECT_FALSE(w.HasEncoder());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(w.Create(dir.file("take.mp3")), -1);
        EXPECT_FALSE(Exists(dir.file("take.mp3")));
    }
}

TEST(Mp3FileWriter, IncompleteEncoderSaysSoOnStandardOutput)
{
    ScratchFolder dir;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    CMp3FileWriter w("libm.so.6");  // a real library without the encoder's entry points
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "Unable to get LAME interfaces\n");
    EXPECT_EQ(err, "");
    EXPECT_FALSE(w.HasEncoder());
    EXPECT_EQ(w.Create(dir.file("take.mp3")), -1);
    EXPECT_FALSE(Exists(dir.file("take.mp3")));
}
