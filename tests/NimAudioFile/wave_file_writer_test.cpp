// The WAV writer: exact RIFF layout, replacement of existing files, refused paths and a
// disk that fills up during a take.

#include "audio_test_support.h"
#include "wave_file_writer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sys/stat.h>

using nim_audio_file::CWaveFileWriter;
using namespace audio_test;

namespace {

std::vector<uint8_t> Ramp(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

// Checks every header field against the format and the sample count.
void ExpectHeader(const std::vector<uint8_t>& f, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize)
{
    ASSERT_GE(f.size(), 46u);
    const uint32_t pad = dataSize % 2;
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
    EXPECT_EQ(Tag(f, 0), "RIFF");
    EXPECT_EQ(U32(f, 4), 38 + dataSize + pad);
    EXPECT_EQ(Tag(f, 8), "WAVE");
    EXPECT_EQ(Tag(f, 12), "fmt ");
    EXPECT_EQ(U32(f, 16), 18u);
    EXPECT_EQ(U16(f, 20), 1u);
    EXPECT_EQ(U16(f, 22), channels);
    EXPECT_EQ(U32(f, 24), rate);
    EXPECT_EQ(U32(f, 28), uint32_t{blockAlign} * rate);
    EXPECT_EQ(U16(f, 32), blockAlign);
    EXPECT_EQ(U16(f, 34), bits);
    EXPECT_EQ(U16(f, 36), 0u);
    EXPECT_EQ(Tag(f, 38), "data");
    EXPECT_EQ(U32(f, 42), dataSize);
    EXPECT_EQ(f.size(), 46 + dataSize + pad);
    if (pad) {
        EXPECT_EQ(f.back(), 0);
    }
}

}  // namespace

TEST(WaveFileWriter, EmptyFileHasOnlyTheHeaderWithDefaultFormat)
{
    ScratchFolder dir;
    CWaveFileWriter w;
    ASSERT_EQ(w.Create(dir.file("a.wav")), 0);
    // Both sizes stay 0 while the file is open.
    const auto open = ReadFile(dir.file("a.wav"));
    ASSERT_EQ(open.size(), 46u);
    EXPECT_EQ(U32(open, 4), 0u);
    EXPECT_EQ(U32(open, 42), 0u);
    ASSERT_EQ(w.Close(), 0);
    ExpectHeader(ReadFile(dir.file("a.wav")), 2, 44100, 16, 0);
}

TEST(WaveFileWriter, OneCaptureBufferAndOddTotalsArePaddedOutsideTheDataSize)
{
    ScratchFolder dir;
    CWaveFileWriter w;
    const auto block = Ramp(16384);
    ASSERT_EQ(w.Create(dir.file("b.wav")), 0);
    ASSERT_EQ(w.Write(block.data(), block.size()), 0);
    ASSERT_EQ(w.Close(), 0);
    auto f = ReadFile(dir.file("b.wav"));
    ExpectHeader(f, 2, 44100, 16, 16384);
    EXPECT_EQ(U32(f, 4), 16422u);
    EXPECT_EQ(f.size(), 16430u);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), f.begin() + 46));

    // 3 bytes in two writes: the bytes go in as they come, one pad byte follows.
    ASSERT_EQ(w.Create(dir.file("c.wav")), 0);
    ASSERT_EQ(w.Write(block.data(), 2), 0);
    ASSERT_EQ(w.Write(block.data() + 2, 1), 0);
    ASSERT_EQ(w.Write(block.data(), 0), 0);
    ASSERT_EQ(w.Close(), 0);
    f = ReadFile(dir.file("c.wav"));
    ExpectHeader(f, 2, 44100, 16, 3);
    EXPECT_EQ(U32(f, 4), 42u);
    EXPECT_EQ(f.size(), 50u);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 46, f.begin() + 49), std::vector<uint8_t>(block.begin(), block.begin() + 3));
}

TEST(WaveFileWriter, ReplacesAnExistingFileAndTakesTheNewFormatForTheNextFile)
{
    ScratchFolder dir;
    const std::string path = dir.file("take.wav");
    WriteText(path, std::string(100000, 'x'));
    CWaveFileWriter w;
    const auto block = Ramp(1000);
    ASSERT_EQ(w.Create(path), 0);
    ASSERT_EQ(w.Write(block.data(), block.size()), 0);
    ASSERT_EQ(w.Close(), 0);
    ExpectHeader(ReadFile(path), 2, 44100, 16, 1000);

    // 16 bits of channels and bits are kept; the rest of the value is cut off.
    EXPECT_EQ(w.SetAudioFormat(0x10001, 22050, 8), 0);
    ASSERT_EQ(w.Create(dir.file("second.wav")), 0);
    ASSERT_EQ(w.Write(block.data(), 501), 0);
    ASSERT_EQ(w.Close(), 0);
    ExpectHeader(ReadFile(dir.file("second.wav")), 1, 22050, 8, 501);
    ExpectHeader(ReadFile(path), 2, 44100, 16, 1000);
}

TEST(WaveFileWriter, WithoutAnOpenFileWriteAndCloseFail)
{
    CWaveFileWriter w;
    const uint8_t b[4] = {1, 2, 3, 4};
    EXPECT_EQ(w.Write(b, 4), -1);
    EXPECT_EQ(w.Close(), -1);
}

TEST(WaveFileWriter, RefusedPathsFailAndLeaveNothingBehind)
{
    ScratchFolder dir;
    CWaveFileWriter w;
    EXPECT_EQ(w.Create(""), -1);
    EXPECT_EQ(w.Create(dir.file("missing/take.wav")), -1);
    EXPECT_FALSE(Exists(dir.file("missing")));

    // A folder of that name is neither replaced nor written into.
    ASSERT_EQ(mkdir(dir.file("folder.wav").c_str(), 0755), 0);
    WriteText(dir.file("folder.wav/keep"), "keep");
    EXPECT_EQ(w.Create(dir.file("folder.wav")), -1);
    EXPECT_EQ(ReadFile(dir.file("folder.wav/keep")).size(), 4u);

    // A folder the user may not write into.
    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0555), 0);
    const std::string target = dir.file("locked/take.wav");
    EXPECT_TRUE(RunUnprivileged([&] {
        CWaveFileWriter child;
        return child.Create(target) == -1;
    }));
    EXPECT_FALSE(Exists(target));

    // An existing file in such a folder cannot be removed, so it is not replaced.
    ASSERT_EQ(chmod(dir.file("locked").c_str(), 0755), 0);
    WriteText(target, "old take");
    chmod(target.c_str(), 0666);
    ASSERT_EQ(chmod(dir.file("locked").c_str(), 0555), 0);
    EXPECT_TRUE(RunUnprivileged([&] {
        CWaveFileWriter child;
        return child.Create(target) == -1;
    }));
    EXPECT_EQ(ReadFile(target).size(), 8u);
}

TEST(WaveFileWriter, FullDiskKeepsWhatWasWrittenAndStillClosesAValidFile)
{
    ScratchFolder dir;
    const auto block = Ramp(16384);
    {
        FileSizeLimit limit(46 + 10000);
        CWaveFileWriter w;
        ASSERT_EQ(w.Create(dir.file("full.wav")), 0);
        EXPECT_EQ(w.Write(block.data(), block.size()), -1);
        EXPECT_EQ(w.Write(block.data(), block.size()), -1);
        EXPECT_EQ(w.Close(), 0);
    }
    auto f = ReadFile(dir.file("full.wav"));
    ExpectHeader(f, 2, 44100, 16, 10000);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 10000, f.begin() + 46));

    // An odd count whose pad byte no longer fits: the last byte is given up so that the
    // header and the file agree, and the close reports the failure.
    {
        FileSizeLimit limit(46 + 10001);
        CWaveFileWriter w;
        ASSERT_EQ(w.Create(dir.file("odd.wav")), 0);
        EXPECT_EQ(w.Write(block.data(), block.size()), -1);
        EXPECT_EQ(w.Close(), -1);
    }
    f = ReadFile(dir.file("odd.wav"));
    ExpectHeader(f, 2, 44100, 16, 10000);

    // No room even for the header: no file is left.
    {
        FileSizeLimit limit(20);
        CWaveFileWriter w;
        EXPECT_EQ(w.Create(dir.file("none.wav")), -1);
    }
    EXPECT_FALSE(Exists(dir.file("none.wav")));
}

TEST(WaveFileWriter, DestroyingTheWriterFinishesTheOpenFile)
{
    ScratchFolder dir;
    const auto block = Ramp(777);
    {
        CWaveFileWriter w;
        ASSERT_EQ(w.Create(dir.file("left-open.wav")), 0);
        ASSERT_EQ(w.Write(block.data(), block.size()), 0);
    }
    ExpectHeader(ReadFile(dir.file("left-open.wav")), 2, 44100, 16, 777);
}

TEST(WaveFileWriter, DataThatWouldOverflowTheSizeFieldsIsRefused)
{
    using nim_audio_file::FitsWaveData;
    using nim_audio_file::kMaxWaveDataBytes;
    // The largest count keeps the RIFF size (38 + N + pad) within 32 bits.
    EXPECT_LE(38 + kMaxWaveDataBytes + kMaxWaveDataBytes % 2, 0xFFFFFFFFull);
    EXPECT_GT(38 + (kMaxWaveDataBytes + 1) + (kMaxWaveDataBytes + 1) % 2, 0xFFFFFFFFull);
    EXPECT_TRUE(FitsWaveData(kMaxWaveDataBytes - 16384, 16384));
    EXPECT_FALSE(FitsWaveData(kMaxWaveDataBytes - 16383, 16384));
    EXPECT_FALSE(FitsWaveData(kMaxWaveDataBytes + 1, 0));
}
