// Each mixer library exports exactly its own C functions: nothing more (no C++
// symbols leaking from its internals), nothing less.

#include "command.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> DefinedDynamicSymbols(const std::string& library)
{
    const auto result = mixer_test::RunCommand("nm -D --defined-only '" + library + "'");
    EXPECT_EQ(result.status, 0) << result.output;
    std::set<std::string> names;
    std::istringstream lines(result.output);
    std::string address, kind, name;
    while (lines >> address >> kind >> name) names.insert(name);
    return names;
}

}  // namespace

TEST(MixerExports, EachLibraryExportsExactlyItsFunctions)
{
    const std::string dir = MIXER_LIBRARY_DIR;
    EXPECT_EQ(DefinedDynamicSymbols(dir + "/libNimAudioMixerXP.so"),
              (std::set<std::string>{"GetDriverCount", "GetDriverName", "GetLineCount", "GetLineName",
                                     "IsLineEnable", "GetLineSelected", "SetLineSelected", "GetLineVolume",
                                     "SetLineVolume", "GetStereoLineNumber"}));
    EXPECT_EQ(DefinedDynamicSymbols(dir + "/libNimAudioMixerXPPlay.so"),
              (std::set<std::string>{"GetWaveOutMicLineNumber", "GetWaveOutLineVolume", "SetWaveOutLineVolume",
                                     "GetMicrophoneMute", "SetMicrophoneMute"}));
    EXPECT_EQ(DefinedDynamicSymbols(dir + "/libNimAudioMixerVista.so"),
              (std::set<std::string>{"GetEndPointCount", "GetEndPointName", "GetEndPointSelected",
                                     "GetEndPointVolume", "SetEndPointVolume", "GetEndPointId"}));
}
