#include "alsa_scale.h"

#include <gtest/gtest.h>

using namespace mixer;

TEST(AlsaScale, MapsTheFullScaleOntoAnElementRange)
{
    // A 5-bit volume (0 ... 31) and a signed range in hundredths of a decibel.
    for (const auto& [min, max] : {std::pair<long, long>{0, 31}, {-6400, 0}, {0, 65535}, {0, 1}}) {
        EXPECT_EQ(ScaleToRange(0, min, max), min);
        EXPECT_EQ(ScaleToRange(65535, min, max), max);
        EXPECT_EQ(ScaleFromRange(min, min, max), 0);
        EXPECT_EQ(ScaleFromRange(max, min, max), 65535);
        // Every element value survives a trip through the scale.
        for (long raw = min; raw <= max; raw += std::max(1L, (max - min) / 37))
            EXPECT_EQ(ScaleToRange(ScaleFromRange(raw, min, max), min, max), raw) << min << ".." << max;
    }
    EXPECT_EQ(ScaleToRange(30000, 0, 31), 14);  // 30000 * 31 / 65535 = 14.19
    EXPECT_EQ(ScaleFromRange(16, 0, 31), 33825);
}

TEST(AlsaScale, ClampsValuesOutsideTheScaleAndEmptyRanges)
{
    // The recording source dialog's sliders run to 65635, past the scale's end.
    EXPECT_EQ(ScaleToRange(65635, 0, 31), 31);
    EXPECT_EQ(ScaleToRange(-20, 0, 31), 0);
    EXPECT_EQ(ScaleFromRange(99, 0, 31), 65535);
    EXPECT_EQ(ScaleFromRange(-3, 0, 31), 0);
    EXPECT_EQ(ScaleFromRange(5, 7, 7), 0);
    EXPECT_EQ(ScaleToRange(40000, 7, 7), 7);
}

TEST(AlsaScale, RecognisesStereoMixAndMicrophoneLines)
{
    for (const char* name : {"Stereo Mix", "STEREO MIX", "Mix", "Loopback", "What U Hear", "Analog Loopback"})
        EXPECT_TRUE(IsStereoMixName(name)) << name;
    for (const char* name : {"Mic", "Capture", "Line", "Mixer Out Select", "Mic Mix Boost", ""})
        EXPECT_FALSE(IsStereoMixName(name)) << name;
    for (const char* name : {"Mic", "mic", "Front Mic", "Microphone", "Rear Microphone"})
        EXPECT_TRUE(IsMicrophoneName(name)) << name;
    for (const char* name : {"Mic Boost", "Mic Select", "Master", "Dynamic", ""})
        EXPECT_FALSE(IsMicrophoneName(name)) << name;
}
