// libNimAudioMixerVista against the private sound server.

#include "mixer_exports.h"
#include "mixer_interfaces.h"
#include "name_buffer.h"
#include "pulse_connection.h"
#include "pulse_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

std::string EndPointName(int32_t endpoint)
{
    char16_t buffer[mixer::kLineNameBytes / 2];
    GetEndPointName(endpoint, buffer);
    return mixer::NameFromBuffer(buffer, sizeof buffer);
}

int32_t EndPointNamed(const std::string& name)
{
    for (int32_t i = 0; i < GetEndPointCount(); ++i)
        if (EndPointName(i) == name) return i;
    return -1;
}

using VistaMixer = mixer_test::TwoNullSinks;

}  // namespace

TEST_F(VistaMixer, ListsEveryMonitorSourceAndTheDefault)
{
    // Every source the server lists, the two monitors loaded here among them.
    const std::string listed = mixer_test::RunCommand("pactl list short sources").output;
    const auto sources = static_cast<int32_t>(std::count(listed.begin(), listed.end(), '\n'));
    EXPECT_GE(sources, 3);
    EXPECT_EQ(GetEndPointCount(), sources);
    const int32_t left = EndPointNamed("Monitor of ChorvaneLeft");
    const int32_t right = EndPointNamed("Monitor of ChorvaneRight");
    ASSERT_GE(left, 0);
    ASSERT_GE(right, 0);
    EXPECT_NE(left, right);

    ASSERT_EQ(mixer_test::RunCommand("pactl set-default-source h6_right.monitor").status, 0);
    EXPECT_EQ(GetEndPointSelected(right), 1);
    EXPECT_EQ(GetEndPointSelected(left), 0);
    ASSERT_EQ(mixer_test::RunCommand("pactl set-default-source h6_left.monitor").status, 0);
    EXPECT_EQ(GetEndPointSelected(left), 1);
    EXPECT_EQ(GetEndPointSelected(right), 0);

    // Out of range: empty name, not selected, no volume.
    EXPECT_EQ(EndPointName(sources), "");
    EXPECT_EQ(EndPointName(-1), "");
    EXPECT_EQ(GetEndPointSelected(sources), 0);
    EXPECT_EQ(GetEndPointVolume(-1), 0);
}

TEST_F(VistaMixer, VolumesRoundTripInPercentAndKeepTheBalance)
{
    const int32_t left = EndPointNamed("Monitor of ChorvaneLeft");
    const int32_t right = EndPointNamed("Monitor of ChorvaneRight");
    ASSERT_GE(left, 0);
    ASSERT_GE(right, 0);

    EXPECT_EQ(GetEndPointVolume(left), 100);
    SetEndPointVolume(left, 37);
    EXPECT_EQ(GetEndPointVolume(left), 37);
    EXPECT_EQ(SourcePercents("h6_left.monitor"), (std::vector<int>{37, 37}));
    EXPECT_EQ(GetEndPointVolume(right), 100) << "only the endpoint asked for changes";

    // Beyond the scale: clamped, never amplified or wrapped.
    SetEndPointVolume(left, 150);
    EXPECT_EQ(SourcePercents("h6_left.monitor"), (std::vector<int>{100, 100}));
    SetEndPointVolume(left, -5);
    EXPECT_EQ(SourcePercents("h6_left.monitor"), (std::vector<int>{0, 0}));
    SetEndPointVolume(left, 64);
    EXPECT_EQ(GetEndPointVolume(left), 64) << "a silenced endpoint comes back";

    // An unbalanced source keeps its balance; the loudest channel gets the volume.
    ASSERT_EQ(mixer_test::RunCommand("pactl set-source-volume h6_right.monitor 80% 40%").status, 0);
    EXPECT_EQ(GetEndPointVolume(right), 80);
    SetEndPointVolume(right, 50);
    EXPECT_EQ(SourcePercents("h6_right.monitor"), (std::vector<int>{50, 25}));

    SetEndPointVolume(GetEndPointCount(), 20);  // out of range: nothing happens
    EXPECT_EQ(GetEndPointVolume(left), 64);
}

TEST_F(VistaMixer, TheProgramsBindingReachesTheSameLibrary)
{
    auto libraries = mixer::LinkedMixerLibraries();
    EXPECT_TRUE(libraries->IsVistaOrLater());
    EXPECT_EQ(libraries->Vista().GetEndPointCount(), GetEndPointCount());
    const int32_t left = EndPointNamed("Monitor of ChorvaneLeft");
    libraries->Vista().SetEndPointVolume(left, 12);
    EXPECT_EQ(SourcePercents("h6_left.monitor"), (std::vector<int>{12, 12}));
}

TEST(VistaMixerWithoutServer, AnswersEmptyWhenNoServerListens)
{
    const char* saved = std::getenv("PULSE_SERVER");
    const std::string previous = saved ? saved : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/chorvane-no-server", 1);
    EXPECT_FALSE(mixer::PulseServerAnswers());
    EXPECT_FALSE(mixer::LinkedMixerLibraries()->IsVistaOrLater());
    EXPECT_EQ(GetEndPointCount(), 0);
    EXPECT_EQ(EndPointName(0), "");
    EXPECT_EQ(GetEndPointSelected(0), 0);
    SetEndPointVolume(0, 50);
    if (saved) setenv("PULSE_SERVER", previous.c_str(), 1); else unsetenv("PULSE_SERVER");
}
