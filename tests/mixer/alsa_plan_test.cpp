#include "alsa_plan.h"

#include <gtest/gtest.h>

using namespace mixer;

namespace {

ElementInfo Capture(const std::string& name, bool volume = true, bool sw = true)
{
    ElementInfo e;
    e.name = name;
    e.captureVolume = volume;
    e.captureSwitch = sw;
    return e;
}

ElementInfo Playback(const std::string& name)
{
    ElementInfo e;
    e.name = name;
    return e;
}

ElementInfo Source(std::vector<std::string> items)
{
    ElementInfo e;
    e.name = "Input Source";
    e.captureEnum = true;
    e.enumItems = std::move(items);
    return e;
}

}  // namespace

TEST(AlsaPlan, AC97CardHasOneLinePerCaptureElementSelectedBySwitch)
{
    const CapturePlan plan =
        PlanCaptureLines({Playback("Master"), Capture("Mic"), Capture("Line"), Capture("Stereo Mix", false, true),
                          Capture("Capture", true, true)});
    EXPECT_EQ(plan.sourceElement, -1);
    ASSERT_EQ(plan.lines.size(), 4u);
    EXPECT_EQ(plan.lines[0].name, "Mic");
    EXPECT_EQ(plan.lines[0].element, 1);
    EXPECT_EQ(plan.lines[2].name, "Stereo Mix");
    EXPECT_EQ(plan.lines[2].element, 3);
    EXPECT_EQ(plan.lines[3].name, "Capture") << "without an enumeration the converter is a line";
    for (const LinePlan& line : plan.lines) EXPECT_EQ(line.enumItem, -1);
}

TEST(AlsaPlan, HdaCardSelectsItsLinesThroughTheInputSource)
{
    // Typical HDA codec: the converter "Capture", a boost element, and an input
    // enumeration whose items have no elements of their own (except "Mic" here).
    const CapturePlan plan = PlanCaptureLines({Playback("Master"), Capture("Capture"), Capture("Mic", true, false),
                                               Source({"Mic", "Line", "Stereo Mix"}), Playback("PCM")});
    EXPECT_EQ(plan.sourceElement, 3);
    ASSERT_EQ(plan.lines.size(), 3u);
    EXPECT_EQ(plan.lines[0].name, "Mic");
    EXPECT_EQ(plan.lines[0].element, 2) << "the line's own element gives its volume";
    EXPECT_EQ(plan.lines[0].enumItem, 0);
    EXPECT_EQ(plan.lines[1].name, "Line");
    EXPECT_EQ(plan.lines[1].element, 1) << "an item without an element uses the converter's volume";
    EXPECT_EQ(plan.lines[1].enumItem, 1);
    EXPECT_EQ(plan.lines[2].name, "Stereo Mix");
    EXPECT_EQ(plan.lines[2].enumItem, 2);
}

TEST(AlsaPlan, CardsWithoutCaptureHaveNoLines)
{
    EXPECT_TRUE(PlanCaptureLines({}).lines.empty());
    const CapturePlan plan = PlanCaptureLines({Playback("Master"), Playback("Headphone")});
    EXPECT_TRUE(plan.lines.empty());
    // An enumeration alone still offers its items; with no converter they have no volume.
    const CapturePlan onlySource = PlanCaptureLines({Source({"Mic", "Line"})});
    ASSERT_EQ(onlySource.lines.size(), 2u);
    EXPECT_EQ(onlySource.lines[1].element, -1);
    EXPECT_EQ(onlySource.lines[1].enumItem, 1);
}
