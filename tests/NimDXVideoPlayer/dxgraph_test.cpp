// CDXGraph's guards, call order and unit conversions, over a recording graph; and the
// balance and volume gains and the error keeping of the real graph.
#include "DXGraph.h"
#include "mediagraph_errors.h"
#include "mediagraph_owners.h"
#include "window_handles.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <string>
#include <vector>

using namespace mediagraph;

namespace {

// A graph that records every call and answers as configured.
class RecordingGraph final : public GraphBuilder,
                             public MediaControl,
                             public MediaEventEx,
                             public BasicVideo,
                             public BasicAudio,
                             public VideoWindow,
                             public MediaSeeking,
                             public std::enable_shared_from_this<RecordingGraph> {
public:
    std::vector<std::string> calls;
    OAFilterState state = State_Stopped;
    HRESULT stateResult = S_OK;
    bool offerAudio = true;
    std::vector<LONG> events;
    REFERENCE_TIME position = 0;
    HRESULT positionResult = S_OK;
    REFERENCE_TIME seekTo = -1;
    DWORD seekFlags = 0;
    LONG volume = 0;
    LONG fullScreen = OAFALSE;
    REFERENCE_TIME duration = 0;
    HRESULT durationResult = E_NOTIMPL;

    HRESULT RenderFile(const std::string& file) override { return log("RenderFile " + file); }
    std::string ErrorText() override { return {}; }
    HRESULT QueryMediaControl(std::shared_ptr<MediaControl>* out) override { return give(out); }
    HRESULT QueryMediaEvent(std::shared_ptr<MediaEventEx>* out) override { return give(out); }
    HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>* out) override { return give(out); }
    HRESULT QueryBasicAudio(std::shared_ptr<BasicAudio>* out) override
    {
        if (offerAudio) return give(out);
        out->reset();
        return E_NOINTERFACE;
    }
    HRESULT QueryVideoWindow(std::shared_ptr<VideoWindow>* out) override { return give(out); }
    HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>* out) override { return give(out); }

    HRESULT Run() override { return log("Run"); }
    HRESULT Pause() override { return log("Pause"); }
    HRESULT Stop() override { return log("Stop"); }
    HRESULT GetState(LONG timeoutMs, OAFilterState* s) override
    {
        log("GetState " + std::to_string(timeoutMs));
        *s = state;
        return stateResult;
    }
    HRESULT SetNotifyWindow(OAHWND window, UINT message, LONG_PTR instance) override
    {
        return log("SetNotifyWindow " + std::to_string(window) + " " + std::to_string(message) + " " +
                   std::to_string(instance));
    }
    HRESULT GetEvent(LONG* code, LONG_PTR* p1, LONG_PTR* p2, LONG timeoutMs) override
    {
        log("GetEvent " + std::to_string(timeoutMs));
        if (events.empty()) return E_ABORT;
        *code = events.front();
        *p1 = *p2 = 0;
        events.erase(events.begin());
        return S_OK;
    }
    HRESULT FreeEventParams(LONG code, LONG_PTR, LONG_PTR) override { return log("Free " + std::to_string(code)); }
    HRESULT GetVideoSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT put_Volume(LONG v) override
    {
        volume = v;
        return log("put_Volume");
    }
    HRESULT get_Volume(LONG* v) override
    {
        *v = volume;
        return S_OK;
    }
    HRESULT put_Balance(LONG) override { return log("put_Balance"); }
    HRESULT get_Balance(LONG*) override { return E_NOTIMPL; }  // writes nothing
    HRESULT put_Visible(LONG v) override { return log("put_Visible " + std::to_string(v)); }
    HRESULT put_Owner(OAHWND o) override { return log("put_Owner " + std::to_string(o)); }
    HRESULT put_Left(LONG v) override { return log("put_Left " + std::to_string(v)); }
    HRESULT put_Top(LONG v) override { return log("put_Top " + std::to_string(v)); }
    HRESULT put_Width(LONG v) override { return log("put_Width " + std::to_string(v)); }
    HRESULT put_Height(LONG v) override { return log("put_Height " + std::to_string(v)); }
    HRESULT put_WindowStyle(LONG v) override { return log("put_WindowStyle " + std::to_string(v)); }
    HRESULT put_MessageDrain(OAHWND d) override { return log("put_MessageDrain " + std::to_string(d)); }
    HRESULT put_FullScreenMode(LONG m) override
    {
        fullScreen = m;
        return log("put_FullScreenMode");
    }
    HRESULT get_FullScreenMode(LONG* m) override
    {
        *m = fullScreen;
        return S_OK;
    }
    HRESULT SetTimeFormat(TimeFormat) override { return log("SetTimeFormat"); }
    HRESULT GetCurrentPosition(REFERENCE_TIME* p) override
    {
        if (SUCCEEDED(positionResult)) *p = position;
        return positionResult;
    }
    HRESULT GetDuration(REFERENCE_TIME* d) override
    {
        if (SUCCEEDED(durationResult)) *d = duration;
        return durationResult;
    }
    HRESULT SetPositions(REFERENCE_TIME* current, DWORD flags, REFERENCE_TIME* stop, DWORD stopFlags) override
    {
        seekTo = *current;
        seekFlags = flags;
        EXPECT_EQ(stop, nullptr);
        EXPECT_EQ(stopFlags, AM_SEEKING_NoPositioning);
        return log("SetPositions");
    }

    bool called(const std::string& name) const
    {
        for (const auto& c : calls)
            if (c.rfind(name, 0) == 0) return true;
        return false;
    }

private:
    HRESULT log(std::string call)
    {
        calls.push_back(std::move(call));
        return S_OK;
    }
    template <class I>
    HRESULT give(std::shared_ptr<I>* out)
    {
        *out = std::shared_ptr<I>(shared_from_this(), static_cast<I*>(this));
        return S_OK;
    }
};

TEST(DXGraph, EmptyWrapperAnswersWithoutCalls)
{
    CDXGraph graph;
    double seconds = 7.5;
    EXPECT_FALSE(graph.QueryControls());
    EXPECT_FALSE(graph.RenderMediaFile("x.mp3"));
    EXPECT_FALSE(graph.AttachVideoWindow(1));
    EXPECT_FALSE(graph.SetEventWindow(1));
    EXPECT_EQ(graph.TakeEvent(), -100);
    EXPECT_FALSE(graph.IsGraphRunning());
    EXPECT_FALSE(graph.IsGraphStopped());
    EXPECT_FALSE(graph.RunGraph());
    EXPECT_FALSE(graph.PauseGraph());
    EXPECT_FALSE(graph.StopGraph());
    EXPECT_FALSE(graph.SetFullScreenMode(true));
    EXPECT_FALSE(graph.GetFullScreenMode());
    EXPECT_FALSE(graph.ReadPosition(&seconds));
    EXPECT_FALSE(graph.ReadDuration(&seconds));
    EXPECT_EQ(seconds, 7.5);
    EXPECT_FALSE(graph.SeekPosition(1.0));
    EXPECT_FALSE(graph.SetVolume(-100));
    EXPECT_EQ(graph.GetVolume(), 0);
    EXPECT_EQ(graph.GetBalance(), 0);
    graph.ReleaseGraph();
    EXPECT_EQ(graph.TakeEvent(), -100);
}

TEST(DXGraph, AttachQueriesSixPartsAndReportsAMissingOne)
{
    auto fake = std::make_shared<RecordingGraph>();
    fake->offerAudio = false;
    CDXGraph graph;
    EXPECT_FALSE(graph.AttachGraph(fake));  // the audio part is missing
    EXPECT_TRUE(fake->called("SetTimeFormat"));
    // The parts obtained stay usable; the missing one answers for itself.
    EXPECT_FALSE(graph.SetVolume(-500));
    EXPECT_FALSE(fake->called("put_Volume"));
    EXPECT_EQ(graph.GetVolume(), 0);
    EXPECT_TRUE(graph.RunGraph());
    EXPECT_TRUE(fake->called("Run"));
    // A graph already held is not replaced by CreateGraph.
    EXPECT_FALSE(graph.CreateGraph());
    EXPECT_TRUE(graph.AttachGraph(nullptr));
    EXPECT_FALSE(graph.RunGraph());
    EXPECT_EQ(fake.use_count(), 1);
}

TEST(DXGraph, StateChangesSkipTheCallWhenAlreadyThere)
{
    auto fake = std::make_shared<RecordingGraph>();
    CDXGraph graph;
    ASSERT_TRUE(graph.AttachGraph(fake));
    fake->calls.clear();
    fake->state = State_Paused;
    EXPECT_TRUE(graph.PauseGraph());
    EXPECT_FALSE(fake->called("Pause"));
    EXPECT_EQ(fake->calls.front(), "GetState 10");
    EXPECT_TRUE(graph.RunGraph());
    EXPECT_TRUE(fake->called("Run"));
    // A change still in progress reports the state being entered.
    fake->state = State_Running;
    fake->stateResult = VFW_S_STATE_INTERMEDIATE;
    EXPECT_TRUE(graph.IsGraphRunning());
    fake->stateResult = E_FAIL;
    EXPECT_FALSE(graph.IsGraphRunning());
    fake->calls.clear();
    EXPECT_TRUE(graph.StopGraph());
    EXPECT_TRUE(fake->called("Stop"));
}

TEST(DXGraph, TimesConvertAndSeekTruncatesTowardZeroToKeyFrames)
{
    auto fake = std::make_shared<RecordingGraph>();
    CDXGraph graph;
    ASSERT_TRUE(graph.AttachGraph(fake));
    double seconds = -1;
    fake->position = 2157000000;
    EXPECT_TRUE(graph.ReadPosition(&seconds));
    EXPECT_DOUBLE_EQ(seconds, 215.7);
    fake->positionResult = E_FAIL;
    seconds = 3.25;
    EXPECT_FALSE(graph.ReadPosition(&seconds));
    EXPECT_EQ(seconds, 3.25);
    EXPECT_TRUE(graph.SeekPosition(12.5));
    EXPECT_EQ(fake->seekTo, 125000000);
    EXPECT_EQ(fake->seekFlags, 5u);
    EXPECT_TRUE(graph.SeekPosition(-0.00000019));
    EXPECT_EQ(fake->seekTo, -1);
    EXPECT_FALSE(graph.SeekPosition(1e300));
}

TEST(DXGraph, DurationIsTheLastOneKnownWhileTheGraphCannotTell)
{
    auto fake = std::make_shared<RecordingGraph>();
    CDXGraph graph;
    ASSERT_TRUE(graph.AttachGraph(fake));
    double seconds = 4.5;
    EXPECT_FALSE(graph.ReadKnownDuration(&seconds));  // never known
    EXPECT_EQ(seconds, 4.5);
    fake->durationResult = S_OK;
    fake->duration = 2157000000;
    EXPECT_TRUE(graph.ReadKnownDuration(&seconds));
    EXPECT_DOUBLE_EQ(seconds, 215.7);
    fake->durationResult = E_FAIL;
    seconds = 0;
    EXPECT_TRUE(graph.ReadKnownDuration(&seconds));
    EXPECT_DOUBLE_EQ(seconds, 215.7);
    EXPECT_FALSE(graph.ReadDuration(&seconds));
    // A new graph knows nothing of the old one's duration.
    ASSERT_TRUE(graph.AttachGraph(std::make_shared<RecordingGraph>()));
    EXPECT_FALSE(graph.ReadKnownDuration(&seconds));
}

TEST(DXGraph, EventsAreTakenOneAtATimeAndFreed)
{
    auto fake = std::make_shared<RecordingGraph>();
    CDXGraph graph;
    ASSERT_TRUE(graph.AttachGraph(fake));
    fake->events = {EC_COMPLETE, EC_ERRORABORT};
    EXPECT_TRUE(graph.SetEventWindow(42));
    EXPECT_TRUE(fake->called("SetNotifyWindow 42 32769 0"));
    EXPECT_EQ(graph.TakeEvent(), 1);
    EXPECT_TRUE(fake->called("Free 1"));
    EXPECT_TRUE(fake->called("GetEvent 0"));
    EXPECT_EQ(graph.TakeEvent(), 3);
    EXPECT_EQ(graph.TakeEvent(), -100);
}

TEST(DXGraph, VideoWindowIsPlacedOverTheOwnersClientAreaAndReleasedHidden)
{
    QWidget owner;
    owner.resize(323, 252);
    const HWND handle = window_handles::HandleFor(&owner);
    auto fake = std::make_shared<RecordingGraph>();
    {
        CDXGraph graph;
        ASSERT_TRUE(graph.AttachGraph(fake));
        fake->calls.clear();
        EXPECT_TRUE(graph.AttachVideoWindow(handle));
        const std::string h = std::to_string(handle);
        const std::vector<std::string> expected = {
            "put_Visible 0", "put_Owner " + h, "put_Left 0", "put_Top 0", "put_Width 323", "put_Height 252",
            "put_WindowStyle 1174405120", "put_MessageDrain " + h, "put_Visible -1"};
        EXPECT_EQ(fake->calls, expected);
        fake->calls.clear();
        EXPECT_TRUE(graph.AttachVideoWindow(0));
        EXPECT_EQ(fake->calls.back(), "put_Visible 0");
        EXPECT_TRUE(graph.SetFullScreenMode(true));
        EXPECT_TRUE(graph.GetFullScreenMode());
        fake->calls.clear();
    }
    // Destroying the wrapper hides the video and leaves it without owner.
    const std::vector<std::string> released = {"put_Visible 0", "put_MessageDrain 0", "put_Owner 0"};
    EXPECT_EQ(fake->calls, released);
}

TEST(DXGraph, VolumeAndBalanceArePassedOnAndReadBack)
{
    auto fake = std::make_shared<RecordingGraph>();
    CDXGraph graph;
    ASSERT_TRUE(graph.AttachGraph(fake));
    EXPECT_TRUE(graph.SetVolume(-2500));
    EXPECT_EQ(graph.GetVolume(), -2500);
    EXPECT_TRUE(graph.SetBalance(10000));
    EXPECT_EQ(graph.GetBalance(), 0);  // the graph wrote nothing
}

TEST(MediaGraphGains, BalanceAttenuatesOnlyTheFarChannelInDecibels)
{
    ChannelGains g = GainsFor(0, -10000);
    EXPECT_FLOAT_EQ(g.left, 1.0f);
    EXPECT_FLOAT_EQ(g.right, 0.0f);
    g = GainsFor(0, 10000);
    EXPECT_FLOAT_EQ(g.left, 0.0f);
    EXPECT_FLOAT_EQ(g.right, 1.0f);
    g = GainsFor(0, 0);
    EXPECT_FLOAT_EQ(g.left, 1.0f);
    EXPECT_FLOAT_EQ(g.right, 1.0f);
    g = GainsFor(0, -2000);  // 20 dB down on the right
    EXPECT_FLOAT_EQ(g.left, 1.0f);
    EXPECT_NEAR(g.right, 0.1f, 1e-6);
    g = GainsFor(-600, 600);  // 6 dB down overall, 6 dB more on the left
    EXPECT_NEAR(g.right, 0.501187f, 1e-5);
    EXPECT_NEAR(g.left, 0.251189f, 1e-5);
    g = GainsFor(-10000, 0);
    EXPECT_FLOAT_EQ(g.left, 0.0f);
    EXPECT_FLOAT_EQ(g.right, 0.0f);
}

TEST(MediaGraphGains, FullBalancePlaysTheRemainingChannelOnBothOutputs)
{
    ChannelMix m = MixFor(0, -10000, 2);
    EXPECT_EQ(m.leftFromLeft, 1.0f);
    EXPECT_EQ(m.rightFromLeft, 1.0f);
    EXPECT_EQ(m.leftFromRight, 0.0f);
    EXPECT_EQ(m.rightFromRight, 0.0f);
    m = MixFor(-2000, 10000, 6);  // more channels are mixed down to stereo first
    EXPECT_EQ(m.leftFromLeft, 0.0f);
    EXPECT_EQ(m.rightFromLeft, 0.0f);
    EXPECT_NEAR(m.leftFromRight, 0.1f, 1e-6);
    EXPECT_NEAR(m.rightFromRight, 0.1f, 1e-6);
    // Short of the end, and for a mono source, the far channel is only attenuated.
    m = MixFor(0, -9999, 2);
    EXPECT_EQ(m.leftFromLeft, 1.0f);
    EXPECT_EQ(m.rightFromLeft, 0.0f);
    EXPECT_GT(m.rightFromRight, 0.0f);
    m = MixFor(0, -10000, 1);
    EXPECT_EQ(m.leftFromLeft, 1.0f);
    EXPECT_EQ(m.rightFromLeft, 0.0f);
    EXPECT_EQ(m.rightFromRight, 0.0f);
}

GError* Error(GQuark domain, gint code, const std::string& message)
{
    return g_error_new_literal(domain, code, message.c_str());
}

TEST(MediaGraphErrors, TheFirstErrorOfAnOpenIsItsOnlyReason)
{
    const std::string file = "/music/My Song.avi";
    ErrorPtr text(Error(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE, "This appears to be a text file"));
    ErrorPtr named(Error(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, "No such file \"My Song.avi\""));
    const GraphError said = ErrorFor(*text, file);
    EXPECT_EQ(said.text, "This appears to be a text file.");
    EXPECT_EQ(said.result, VFW_E_UNSUPPORTED_STREAM);
    const GraphError missing = ErrorFor(*named, file);
    EXPECT_EQ(missing.text, "Resource not found.");  // GStreamer's words for the code, without the name
    EXPECT_EQ(missing.result, VFW_E_NOT_FOUND);

    GraphErrors errors;
    errors.beginOpen();
    EXPECT_FALSE(errors.note("a stream without a decoder"));
    EXPECT_FALSE(errors.record(said));  // while opening: the open's result, no event
    EXPECT_FALSE(errors.record({"Its format is not supported.", E_FAIL}));
    const GraphError reason = errors.failed({"The file cannot be played.", E_FAIL});
    EXPECT_EQ(reason.text, said.text);
    EXPECT_EQ(reason.result, VFW_E_UNSUPPORTED_STREAM);
    EXPECT_FALSE(errors.record(missing));  // reported after the open failed
    EXPECT_EQ(errors.text(), said.text);

    // An open that succeeds says its notes then; the first later error stops playback once.
    errors.beginOpen();
    EXPECT_EQ(errors.text(), "");
    EXPECT_FALSE(errors.note("a stream without a decoder"));
    std::optional<GraphError> stopped;
    EXPECT_EQ(errors.opened(&stopped), std::vector<std::string>{"a stream without a decoder"});
    EXPECT_FALSE(stopped);
    EXPECT_TRUE(errors.note("another"));
    EXPECT_TRUE(errors.record(missing));
    EXPECT_FALSE(errors.record(said));
    EXPECT_EQ(errors.text(), "Resource not found.");
}

TEST(MediaGraph, EmptyGraphRefusesBadValuesAndHasNoPosition)
{
    std::shared_ptr<GraphBuilder> graph;
    ASSERT_EQ(CreateFilterGraph(&graph), S_OK);
    CDXGraph wrapper;
    ASSERT_TRUE(wrapper.AttachGraph(graph));
    EXPECT_FALSE(wrapper.SetVolume(1));
    EXPECT_FALSE(wrapper.SetVolume(-10001));
    EXPECT_TRUE(wrapper.SetVolume(-300));
    EXPECT_EQ(wrapper.GetVolume(), -300);
    EXPECT_FALSE(wrapper.SetBalance(10001));
    EXPECT_TRUE(wrapper.SetBalance(-10000));
    EXPECT_EQ(wrapper.GetBalance(), -10000);
    double seconds = 9;
    EXPECT_FALSE(wrapper.ReadDuration(&seconds));
    EXPECT_EQ(seconds, 9);
    EXPECT_EQ(wrapper.TakeEvent(), -100);
    // Without a file the graph records the state changes and plays nothing.
    EXPECT_TRUE(wrapper.RunGraph());
    EXPECT_TRUE(wrapper.IsGraphRunning());
    EXPECT_TRUE(wrapper.StopGraph());
    EXPECT_TRUE(wrapper.IsGraphStopped());
}

}  // namespace
