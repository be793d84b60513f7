// The capture control over the in-memory device: buffer cycle, pending and current
// data, the stop flush, the sequences and their failure paths, a lost source, and
// dispatch.
#include "NimAudioRecorderObject.h"
#include "com_object.h"
#include "wavein_memory.h"
#include "window_handles.h"

#include "event_loop.h"
#include "recorder_host.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <climits>
#include <memory>
#include <numeric>

using test_support::SpinFor;
using test_support::SpinUntil;
using Step = MemoryWaveInSource::Step;
using Control = component_shell::ComObject<CNimAudioRecorderObject>;

namespace {

// Bytes that differ from buffer to buffer and position to position.
std::vector<char> Pattern(size_t bytes, unsigned seed)
{
    std::vector<char> v(bytes);
    for (size_t i = 0; i < bytes; ++i) v[i] = static_cast<char>((i * 7 + seed * 131 + (i >> 8)) & 0xFF);
    return v;
}

class RecorderLogic : public testing::Test {
protected:
    void SetUp() override
    {
        control = new Control();
        control->AddRef();
        control->engine().SetDeviceFactory(source.factory());
        host = std::make_unique<RecorderHost>(control);
    }
    void TearDown() override
    {
        host.reset();
        if (control) control->Release();
        SpinFor(5);  // retired notification windows go here
    }

    // Feeds the bytes (appending them to `fed`) and waits until every full buffer
    // among them has reached OnData.
    void Feed(const std::vector<char>& bytes, size_t bufferSize)
    {
        const int before = host->dataEvents;
        ASSERT_EQ(source.feed(bytes.data(), bytes.size()), bytes.size());
        fed.insert(fed.end(), bytes.begin(), bytes.end());
        const int expected = before + static_cast<int>(bytes.size() / bufferSize);
        ASSERT_TRUE(SpinUntil([&] { return host->dataEvents >= expected; }, 5000));
    }

    MemoryWaveInSource source;
    Control* control = nullptr;
    std::unique_ptr<RecorderHost> host;
    std::vector<char> fed;
};

TEST_F(RecorderLogic, EveryOnDataFindsExactlyOneBufferAndTheHostGetsEveryByteInOrder)
{
    ASSERT_EQ(control->StartRecord(), S_OK);
    const WAVEFORMATEX f = source.lastFormat();
    EXPECT_EQ(f.wFormatTag, 1);
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.nSamplesPerSec, 44100u);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.nBlockAlign, 4);
    EXPECT_EQ(f.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(source.queuedBuffers(), 4u);
    EXPECT_EQ(source.room(), 4u * 16384);
    EXPECT_TRUE(control->timerRunning());

    for (unsigned i = 0; i < 10; ++i) Feed(Pattern(16384, i), 16384);
    EXPECT_EQ(host->dataEvents, 10);
    EXPECT_EQ(host->dataSizes, std::vector<long>(10, 16384));
    EXPECT_EQ(host->collected, fed);
    EXPECT_EQ(source.queuedBuffers(), 4u);  // every buffer went back to the device

    // Feeding in odd pieces changes nothing: buffers fill in order, each to its length.
    Feed(Pattern(1000, 50), 16384);
    Feed(Pattern(16384 * 2 - 1000, 51), 16384);
    EXPECT_EQ(host->dataSizes.size(), 12u);
    EXPECT_EQ(host->collected, fed);

    // More than four buffers at once: the device takes only what is queued.
    const auto big = Pattern(16384 * 6, 60);
    EXPECT_EQ(source.feed(big.data(), big.size()), 4u * 16384);
}

TEST_F(RecorderLogic, AHostThatNeverCollectsSeesPendingGrowOldestFirstAndCurrentHoldsTheLast)
{
    std::vector<size_t> pendingSeen;
    std::vector<char> current(16384);
    host->onData = [&] {
        pendingSeen.push_back(control->pendingLength());
        SAFEARRAY* array = SafeArrayCreateVector(VT_I1, 0, 16384);
        ASSERT_EQ(control->ReceiveCurrentArray(&array, 16384), S_OK);
        std::memcpy(current.data(), array->pvData, 16384);
        SafeArrayDestroy(array);
    };
    ASSERT_EQ(control->StartRecord(), S_OK);
    std::vector<char> last;
    for (unsigned i = 0; i < 5; ++i) {
        last = Pattern(16384, i + 1);
        Feed(last, 16384);
        EXPECT_EQ(current, last) << "after buffer " << i;
    }
    EXPECT_EQ(pendingSeen, (std::vector<size_t>{16384, 32768, 49152, 65536, 81920}));

    std::vector<char> all;
    EXPECT_EQ(RecorderHost::Collect(control, &all), 5 * 16384);
    EXPECT_EQ(all, fed);
    EXPECT_EQ(RecorderHost::Collect(control, &all), 0);  // nothing left: a valid empty array
    // The current buffer is not consumed.
    SAFEARRAY* again = SafeArrayCreateVector(VT_I1, 0, 16384);
    EXPECT_EQ(control->ReceiveCurrentArray(&again, 16384), S_OK);
    EXPECT_EQ(std::memcmp(again->pvData, last.data(), 16384), 0);
    SafeArrayDestroy(again);
}

TEST_F(RecorderLogic, TwoReceiveArrayCallsInOneOnDataGiveTheBytesThenNothing)
{
    std::vector<long> first, second;
    host->onData = [&] {
        first.push_back(RecorderHost::Collect(control, nullptr));
        second.push_back(RecorderHost::Collect(control, nullptr));
    };
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384 * 3, 9), 16384);
    EXPECT_EQ(first, std::vector<long>(3, 16384));
    EXPECT_EQ(second, std::vector<long>(3, 0));
}

TEST_F(RecorderLogic, ReceiveCurrentArrayCopiesAtMostTheSmallestLengthAndLeavesTheRest)
{
    auto filled = [](ULONG n, char value) {
        SAFEARRAY* a = SafeArrayCreateVector(VT_I1, 0, n);
        std::memset(a->pvData, value, n);
        return a;
    };
    ASSERT_EQ(control->put_buffersize(8192), S_OK);
    ASSERT_EQ(control->StartRecord(), S_OK);

    // Before the first buffer: untouched.
    SAFEARRAY* a = filled(16384, 0x55);
    EXPECT_EQ(control->ReceiveCurrentArray(&a, 16384), S_OK);
    EXPECT_EQ(std::count(static_cast<char*>(a->pvData), static_cast<char*>(a->pvData) + 16384, 0x55), 16384);

    const auto buffer = Pattern(8192, 3);
    Feed(buffer, 8192);
    // Length 0 or less: nothing copied.
    EXPECT_EQ(control->ReceiveCurrentArray(&a, 0), S_OK);
    EXPECT_EQ(control->ReceiveCurrentArray(&a, -5), S_OK);
    EXPECT_EQ(std::count(static_cast<char*>(a->pvData), static_cast<char*>(a->pvData) + 16384, 0x55), 16384);
    // A buffer smaller than the array: its bytes, then the array as it was.
    SAFEARRAY* fresh = SafeArrayCreateVector(VT_I1, 0, 16384);
    EXPECT_EQ(control->ReceiveCurrentArray(&fresh, 16384), S_OK);
    EXPECT_EQ(std::memcmp(fresh->pvData, buffer.data(), 8192), 0);
    const char* tail = static_cast<char*>(fresh->pvData) + 8192;
    EXPECT_EQ(std::count(tail, tail + 8192, 0), 8192);
    // A length shorter than both: only that many.
    EXPECT_EQ(control->ReceiveCurrentArray(&a, 100), S_OK);
    EXPECT_EQ(std::memcmp(a->pvData, buffer.data(), 100), 0);
    EXPECT_EQ(static_cast<char*>(a->pvData)[100], 0x55);
    // No array at all is refused.
    EXPECT_NE(control->ReceiveCurrentArray(nullptr, 16384), S_OK);
    SAFEARRAY* none = nullptr;
    EXPECT_TRUE(FAILED(control->ReceiveCurrentArray(&none, 16384)));
    EXPECT_TRUE(FAILED(control->ReceiveArray(nullptr)));

    // A buffer larger than the array: the array's length of it.
    ASSERT_EQ(control->StopRecord(), S_OK);
    ASSERT_EQ(control->put_buffersize(32768), S_OK);
    ASSERT_EQ(control->StartRecord(), S_OK);
    const auto large = Pattern(32768, 4);
    Feed(large, 32768);
    EXPECT_EQ(control->ReceiveCurrentArray(&fresh, 16384), S_OK);
    EXPECT_EQ(std::memcmp(fresh->pvData, large.data(), 16384), 0);

    // After a stop: untouched again.
    ASSERT_EQ(control->StopRecord(), S_OK);
    SAFEARRAY* after = filled(16384, 0x11);
    EXPECT_EQ(control->ReceiveCurrentArray(&after, 16384), S_OK);
    EXPECT_EQ(std::count(static_cast<char*>(after->pvData), static_cast<char*>(after->pvData) + 16384, 0x11), 16384);
    for (SAFEARRAY* x : {a, fresh, after}) SafeArrayDestroy(x);
}

TEST_F(RecorderLogic, StopHandsOutTheBuffersTheDeviceReturnsInQueueOrderBeforeReleasing)
{
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384 * 2, 1), 16384);
    ASSERT_EQ(host->dataEvents, 2);
    // One full buffer whose message is still waiting, and one partly filled buffer.
    const auto unhandled = Pattern(16384 + 5000, 2);
    ASSERT_EQ(source.feed(unhandled.data(), unhandled.size()), unhandled.size());
    fed.insert(fed.end(), unhandled.begin(), unhandled.end());

    ASSERT_EQ(control->StopRecord(), S_OK);
    EXPECT_EQ(host->dataSizes, (std::vector<long>{16384, 16384, 16384, 5000}));
    EXPECT_EQ(host->collected, fed);
    EXPECT_FALSE(source.deviceOpen());
    EXPECT_EQ(source.liveDevices(), 0);
    EXPECT_FALSE(control->timerRunning());
    EXPECT_EQ(control->notificationWindow(), 0u);
    // The messages still queued for the old window change nothing.
    SpinFor(50);
    EXPECT_EQ(host->dataEvents, 4);

    // A host that does not collect during the stop finds nothing afterwards.
    host->onData = [] {};
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384 + 100, 3), 16384);
    ASSERT_EQ(control->StopRecord(), S_OK);
    EXPECT_EQ(RecorderHost::Collect(control, nullptr), 0);

    // A stop right after the start has nothing to hand out.
    const int events = host->dataEvents;
    ASSERT_EQ(control->StartRecord(), S_OK);
    ASSERT_EQ(control->StopRecord(), S_OK);
    EXPECT_EQ(host->dataEvents, events);
}

TEST_F(RecorderLogic, StopAndPauseWhileIdleTouchNoDevice)
{
    EXPECT_EQ(control->StopRecord(), S_OK);
    EXPECT_EQ(control->PauseRecord(), S_OK);
    EXPECT_EQ(source.calls(Step::Create), 0);
    EXPECT_EQ(RecorderHost::Collect(control, nullptr), 0);
    EXPECT_EQ(host->dataEvents + host->timerEvents, 0);
}

TEST_F(RecorderLogic, PauseClosesTheDeviceAndContinueOpensANewOne)
{
    host->onData = [] {};  // leave the data pending
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384, 1), 16384);
    ASSERT_EQ(control->pendingLength(), 16384u);

    ASSERT_EQ(control->PauseRecord(), S_OK);
    EXPECT_FALSE(control->engine().IsCapturing());
    EXPECT_FALSE(source.deviceOpen());
    EXPECT_FALSE(control->timerRunning());
    EXPECT_EQ(control->pendingLength(), 0u);  // a pause is a full stop
    const char ignored[64] = {};
    EXPECT_EQ(source.feed(ignored, sizeof ignored), 0u);  // nothing recorded while paused

    ASSERT_EQ(control->ContinueRecord(), S_OK);
    EXPECT_TRUE(control->engine().IsCapturing());
    EXPECT_EQ(source.calls(Step::Open), 2);
    EXPECT_TRUE(control->timerRunning());
    Feed(Pattern(16384, 2), 16384);
    EXPECT_EQ(control->pendingLength(), 16384u);

    // Continue while capturing goes through a stop and opens the device again.
    ASSERT_EQ(control->ContinueRecord(), S_OK);
    EXPECT_EQ(source.calls(Step::Open), 3);
    EXPECT_EQ(source.calls(Step::Close), 2);
    EXPECT_TRUE(source.deviceStarted());
    EXPECT_TRUE(control->timerRunning());

    // So does a start while capturing; what the device held is handed out first.
    std::vector<long> sizes;
    host->onData = [&] { sizes.push_back(RecorderHost::Collect(control, nullptr)); };
    const auto part = Pattern(3000, 3);
    ASSERT_EQ(source.feed(part.data(), part.size()), part.size());
    ASSERT_EQ(control->StartRecord(), S_OK);
    EXPECT_EQ(sizes, std::vector<long>{3000});
    EXPECT_EQ(source.calls(Step::Open), 4);
    EXPECT_EQ(source.liveDevices(), 1);
    EXPECT_TRUE(control->timerRunning());
}

TEST_F(RecorderLogic, FormatBufferSizeAndIntervalChangedWhileCapturingWaitForTheNextStart)
{
    ASSERT_EQ(control->StartRecord(), S_OK);
    ASSERT_EQ(control->SetAudioFormat(1, 22050, 8), S_OK);
    ASSERT_EQ(control->put_buffersize(8192), S_OK);
    ASSERT_EQ(control->put_TimerInterval(5000), S_OK);
    LONG value = 0;
    EXPECT_EQ(control->get_buffersize(&value), S_OK);
    EXPECT_EQ(value, 8192);
    EXPECT_EQ(control->get_TimerInterval(&value), S_OK);
    EXPECT_EQ(value, 5000);

    Feed(Pattern(16384, 1), 16384);
    EXPECT_EQ(host->dataSizes, std::vector<long>{16384});  // still the old buffer size
    EXPECT_EQ(source.lastFormat().nChannels, 2);
    ASSERT_TRUE(SpinUntil([&] { return host->timerEvents >= 2; }, 5000));  // still 125 ms, not 5 s

    ASSERT_EQ(control->StopRecord(), S_OK);
    ASSERT_EQ(control->StartRecord(), S_OK);
    const WAVEFORMATEX f = source.lastFormat();
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nSamplesPerSec, 22050u);
    EXPECT_EQ(f.wBitsPerSample, 8);
    EXPECT_EQ(f.nBlockAlign, 1);
    EXPECT_EQ(f.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(source.room(), 4u * 8192);
    const int ticks = host->timerEvents;
    SpinFor(400);
    EXPECT_EQ(host->timerEvents, ticks);  // 5 s now
}

// Ticks of the control's timer while a reference timer of `referenceMs` in the same
// event loop ticks `referenceTicks` times: both suffer the same load.
int TicksAgainstReference(RecorderHost& host, int referenceMs, int referenceTicks)
{
    QTimer reference;
    reference.setTimerType(Qt::PreciseTimer);  // the kind the platform timer is
    int ticked = 0;
    QObject::connect(&reference, &QTimer::timeout, [&] { ++ticked; });
    const int before = host.timerEvents;
    reference.start(referenceMs);
    EXPECT_TRUE(SpinUntil([&] { return ticked >= referenceTicks; }, 30000));
    return host.timerEvents - before;
}

TEST_F(RecorderLogic, OnTimerFiresWhileCapturingAndNeverWhileIdle)
{
    ASSERT_EQ(control->put_TimerInterval(20), S_OK);
    SpinFor(100);
    EXPECT_EQ(host->timerEvents, 0);
    ASSERT_EQ(control->StartRecord(), S_OK);
    const int ticks20 = TicksAgainstReference(*host, 20, 20);
    EXPECT_GE(ticks20, 10);
    EXPECT_LE(ticks20, 30);
    ASSERT_EQ(control->StopRecord(), S_OK);
    const int ticks = host->timerEvents;
    SpinFor(200);
    EXPECT_EQ(host->timerEvents, ticks);

    // An interval of 0 is the shortest period of the platform timer (10 ms), not a busy
    // loop, which would tick on every pass of the event loop.
    ASSERT_EQ(control->put_TimerInterval(0), S_OK);
    ASSERT_EQ(control->StartRecord(), S_OK);
    const int ticks0 = TicksAgainstReference(*host, 10, 20);
    ASSERT_EQ(control->StopRecord(), S_OK);
    EXPECT_GE(ticks0, 7);
    EXPECT_LE(ticks0, 40);
}

TEST_F(RecorderLogic, AFailedStartLeavesNothingOpenAllocatedOrTicking)
{
    for (Step step : {Step::Create, Step::Open, Step::Prepare, Step::AddBuffer, Step::Start}) {
        source.failNext(step);
        EXPECT_EQ(control->StartRecord(), E_FAIL) << static_cast<int>(step);
        EXPECT_FALSE(control->engine().IsCapturing());
        EXPECT_FALSE(source.deviceOpen());
        EXPECT_EQ(source.liveDevices(), 0);
        EXPECT_FALSE(control->timerRunning());
        EXPECT_EQ(control->notificationWindow(), 0u);
    }
    const int opens = source.calls(Step::Create);
    for (LONG size : {0, -1, INT_MIN, INT_MAX}) {
        ASSERT_EQ(control->put_buffersize(size), S_OK);
        EXPECT_EQ(control->StartRecord(), E_FAIL) << size;
        EXPECT_FALSE(control->timerRunning());
    }
    EXPECT_EQ(source.calls(Step::Create), opens);  // refused before any device work
    // A format the device refuses.
    ASSERT_EQ(control->put_buffersize(16384), S_OK);
    ASSERT_EQ(control->SetAudioFormat(2, 44100, 24), S_OK);
    EXPECT_EQ(control->StartRecord(), E_FAIL);
    EXPECT_EQ(source.liveDevices(), 0);
    // Nothing stays broken.
    ASSERT_EQ(control->SetAudioFormat(2, 44100, 16), S_OK);
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384, 5), 16384);
    EXPECT_EQ(host->collected, fed);
    EXPECT_TRUE(SpinUntil([&] { return host->timerEvents >= 1; }, 5000));
}

TEST_F(RecorderLogic, AFailedStopStillKillsTheTimerAndTheNextStartStopsAgain)
{
    for (Step step : {Step::Unprepare, Step::Close}) {
        ASSERT_EQ(control->StartRecord(), S_OK);
        source.failNext(step);
        EXPECT_EQ(control->StopRecord(), E_FAIL);
        EXPECT_FALSE(control->timerRunning());
        EXPECT_EQ(control->notificationWindow(), 0u);
        EXPECT_TRUE(control->engine().IsCapturing());
        EXPECT_EQ(RecorderHost::Collect(control, nullptr), 0);
        const int closes = source.calls(Step::Close);
        ASSERT_EQ(control->StartRecord(), S_OK);
        EXPECT_GT(source.calls(Step::Close), closes);
        EXPECT_EQ(source.liveDevices(), 1);
        ASSERT_EQ(control->StopRecord(), S_OK);
        EXPECT_EQ(source.liveDevices(), 0);
    }
}

TEST_F(RecorderLogic, EventsReachEverySinkInConnectionOrderWithTheDataAlreadyPending)
{
    RecorderHost second(control);
    std::vector<std::pair<int, size_t>> order;
    host->onData = [&] { order.emplace_back(1, control->pendingLength()); };
    second.onData = [&] { order.emplace_back(2, control->pendingLength()); };
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384, 1), 16384);
    EXPECT_EQ(order, (std::vector<std::pair<int, size_t>>{{1, 16384}, {2, 16384}}));
    ASSERT_EQ(control->StopRecord(), S_OK);
}

TEST_F(RecorderLogic, AHostMayStopOrReleaseTheControlFromInsideOnData)
{
    host->onData = [&] {
        RecorderHost::Collect(control, &host->collected);
        EXPECT_EQ(control->StopRecord(), S_OK);
    };
    ASSERT_EQ(control->StartRecord(), S_OK);
    const auto bytes = Pattern(16384 * 2, 1);
    ASSERT_EQ(source.feed(bytes.data(), bytes.size()), bytes.size());
    ASSERT_TRUE(SpinUntil([&] { return host->dataEvents >= 1; }, 5000));
    SpinFor(50);
    // The stop inside the first OnData handed the second buffer out too.
    EXPECT_EQ(host->dataEvents, 2);
    EXPECT_EQ(host->collected, bytes);
    EXPECT_FALSE(control->engine().IsCapturing());
    EXPECT_EQ(source.liveDevices(), 0);

    // The host drops its last reference while handling OnData.
    host->onData = [&] {
        host->events.Disconnect();
        control->Release();
        control = nullptr;
    };
    ASSERT_EQ(control->StartRecord(), S_OK);
    ASSERT_EQ(source.feed(bytes.data(), bytes.size()), bytes.size());
    ASSERT_TRUE(SpinUntil([&] { return control == nullptr; }, 5000));
    SpinFor(50);
    EXPECT_EQ(source.liveDevices(), 0);
}

TEST_F(RecorderLogic, ALostSourceFiresOnErrorOnceAfterItsBuffersAndTheStopHandsOutTheRest)
{
    using namespace nim_audio_recorder_dispid;
    ASSERT_EQ(control->StartRecord(), S_OK);
    Feed(Pattern(16384 * 2, 1), 16384);
    // One full buffer whose message is still waiting, and one partly filled buffer.
    const auto tail = Pattern(16384 + 5000, 2);
    ASSERT_EQ(source.feed(tail.data(), tail.size()), tail.size());
    fed.insert(fed.end(), tail.begin(), tail.end());
    ASSERT_TRUE(source.fail());
    EXPECT_FALSE(source.fail());
    EXPECT_EQ(source.feed(tail.data(), tail.size()), 0u);
    ASSERT_TRUE(SpinUntil([&] { return host->errorEvents >= 1; }, 5000));
    EXPECT_EQ(host->dataAndErrors(), (std::vector<DISPID>{OnData, OnData, OnData, OnError}));
    EXPECT_TRUE(control->sourceLost());
    EXPECT_TRUE(control->engine().IsCapturing());  // until the host stops

    ASSERT_EQ(control->StopRecord(), S_OK);
    EXPECT_EQ(host->dataSizes, (std::vector<long>{16384, 16384, 16384, 5000}));
    EXPECT_EQ(host->collected, fed);
    EXPECT_EQ(host->errorEvents, 1);
    EXPECT_TRUE(control->sourceLost());  // the host can still tell why the take ended
    EXPECT_EQ(source.liveDevices(), 0);
    EXPECT_FALSE(control->timerRunning());

    // The next capture starts clean; a loss from a device that is not the running one
    // (posted before the next buffer, so handled before it) changes nothing.
    ASSERT_EQ(control->StartRecord(), S_OK);
    EXPECT_FALSE(control->sourceLost());
    window_handles::PostMessage(control->notificationWindow(), MM_WIM_ERROR, 0, MMSYSERR_NODRIVER);
    Feed(Pattern(16384, 3), 16384);
    EXPECT_EQ(host->collected, fed);
    EXPECT_EQ(host->errorEvents, 1);
    EXPECT_FALSE(control->sourceLost());
    ASSERT_EQ(control->StopRecord(), S_OK);
}

TEST_F(RecorderLogic, AHostMayStopOrReleaseTheControlFromInsideOnError)
{
    host->onError = [&] { EXPECT_EQ(control->StopRecord(), S_OK); };
    ASSERT_EQ(control->StartRecord(), S_OK);
    const auto part = Pattern(3000, 1);
    ASSERT_EQ(source.feed(part.data(), part.size()), part.size());
    ASSERT_TRUE(source.fail());
    ASSERT_TRUE(SpinUntil([&] { return host->errorEvents >= 1; }, 5000));
    EXPECT_EQ(host->collected, part);  // handed out by the stop inside OnError
    EXPECT_FALSE(control->engine().IsCapturing());
    EXPECT_EQ(source.liveDevices(), 0);

    host->onError = [&] {
        host->events.Disconnect();
        control->Release();
        control = nullptr;
    };
    ASSERT_EQ(control->StartRecord(), S_OK);
    ASSERT_TRUE(source.fail());
    ASSERT_TRUE(SpinUntil([&] { return control == nullptr; }, 5000));
    EXPECT_EQ(source.liveDevices(), 0);
}

TEST_F(RecorderLogic, DestroyingTheControlWhileCapturingClosesTheDeviceQuietly)
{
    ASSERT_EQ(control->StartRecord(), S_OK);
    const auto bytes = Pattern(16384 + 10, 1);
    ASSERT_EQ(source.feed(bytes.data(), bytes.size()), bytes.size());
    host.reset();
    control->Release();
    control = nullptr;
    EXPECT_EQ(source.liveDevices(), 0);
    SpinFor(50);  // the message for the filled buffer finds no control
}

TEST_F(RecorderLogic, DispatchReachesEveryMemberByDispIdAndName)
{
    using namespace nim_audio_recorder_dispid;
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames("receivearray", &id), S_OK);
    EXPECT_EQ(id, ReceiveArray);
    EXPECT_EQ(control->GetIDsOfNames("TimerInterval", &id), S_OK);
    EXPECT_EQ(id, TimerInterval);
    EXPECT_EQ(control->GetIDsOfNames("Record", &id), DISP_E_UNKNOWNNAME);

    auto call = [&](DISPID d, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
        DISPPARAMS p{std::move(args)};
        return control->Invoke(d, IID_NULL, LOCALE_USER_DEFAULT, flags, &p, result);
    };
    EXPECT_EQ(call(buffersize, DISPATCH_PROPERTYPUT, {VARIANT::I4(8192)}), S_OK);
    VARIANT r;
    EXPECT_EQ(call(buffersize, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.lVal, 8192);
    EXPECT_EQ(call(TimerInterval, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.lVal, 125);
    EXPECT_EQ(call(SetAudioFormat, DISPATCH_METHOD, {VARIANT::I4(1), VARIANT::I4(8000), VARIANT::I4(16)}), S_OK);
    EXPECT_EQ(call(SetAudioFormat, DISPATCH_METHOD, {VARIANT::I4(1)}), DISP_E_BADPARAMCOUNT);
    host->onData = [] {};
    EXPECT_EQ(call(StartRecord, DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(source.lastFormat().nSamplesPerSec, 8000u);
    Feed(Pattern(8192, 1), 8192);

    SAFEARRAY* current = SafeArrayCreateVector(VT_I1, 0, 8192);
    EXPECT_EQ(call(ReceiveCurrentArray, DISPATCH_METHOD, {VARIANT::RefArray(&current), VARIANT::I4(8192)}), S_OK);
    EXPECT_EQ(std::memcmp(current->pvData, fed.data(), 8192), 0);
    SafeArrayDestroy(current);
    SAFEARRAY* out = nullptr;
    EXPECT_EQ(call(ReceiveArray, DISPATCH_METHOD, {VARIANT::RefArray(&out)}), S_OK);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->rgsabound[0].cElements, 8192u);
    SafeArrayDestroy(out);
    EXPECT_EQ(call(StopRecord, DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(call(PauseRecord, DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(call(7, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.putVoid()), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_INimAudioRecorder, point.put()), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(container->FindConnectionPoint(DIID__INimAudioRecorderEvents, point.put()), S_OK);
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(control->QueryInterface(IID_IDispatch, dispatch.putVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(static_cast<INimAudioRecorder*>(control)));
}

}  // namespace
