// The capture control's own CPU cost per captured second at the default format: the
// in-memory device is fed at full speed and a host collects every buffer (ReceiveArray)
// and copies the latest buffer eight times a second (ReceiveCurrentArray), as the
// program does. The reference is the same loop with the bare device and a handler that
// only queues each buffer again; the difference is the component's cost.
//   capture_overhead [captured seconds, default 600]
#include "NimAudioRecorderObject.h"
#include "com_object.h"
#include "event_sink.h"
#include "message_window.h"
#include "wavein_memory.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr size_t kBuffer = 16384;
constexpr size_t kBytesPerSecond = 176400;
constexpr size_t kTimerBytes = kBytesPerSecond / 8;  // one OnTimer per 125 ms of sound

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::vector<char> Sound()
{
    std::vector<char> v(kBuffer);
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<char>((i * 37) ^ (i >> 5));
    return v;
}

// Feeds `total` bytes, one buffer at a time, letting the event loop hand each one back.
// `everyTimerTick` runs after each 125 ms of sound.
template <class Tick>
void FeedAll(MemoryWaveInSource& source, size_t total, Tick everyTimerTick)
{
    const auto sound = Sound();
    size_t fed = 0;
    size_t nextTick = kTimerBytes;
    while (fed < total) {
        const size_t n = source.feed(sound.data(), std::min(kBuffer, total - fed));
        fed += n;
        while (fed >= nextTick) {
            everyTimerTick();
            nextTick += kTimerBytes;
        }
        if (n == 0 || source.room() == 0) QCoreApplication::processEvents();
        if (n == 0 && !source.deviceStarted()) {
            std::fprintf(stderr, "capture_overhead: the device stopped\n");
            std::exit(1);
        }
    }
    QCoreApplication::processEvents();
}

double MeasureReference(size_t total)
{
    MemoryWaveInSource source;
    MessageWindow window;
    auto device = source.createDevice();
    std::array<std::vector<char>, 4> buffers;
    std::array<WAVEHDR, 4> headers{};
    if (device->open(MakePcmFormat(2, 44100, 16), window.handle()) != MMSYSERR_NOERROR) std::exit(1);
    for (size_t i = 0; i < 4; ++i) {
        buffers[i].resize(kBuffer);
        headers[i].lpData = buffers[i].data();
        headers[i].dwBufferLength = kBuffer;
        if (device->prepareHeader(&headers[i]) != MMSYSERR_NOERROR || device->addBuffer(&headers[i]) != MMSYSERR_NOERROR)
            std::exit(1);
    }
    window.setMessageHandler([&](UINT message, WPARAM, LPARAM header) {
        if (message == MM_WIM_DATA) (void)device->addBuffer(reinterpret_cast<WAVEHDR*>(header));
    });
    if (device->start() != MMSYSERR_NOERROR) std::exit(1);
    const double start = ThreadCpuSeconds();
    FeedAll(source, total, [] {});
    const double used = ThreadCpuSeconds() - start;
    (void)device->reset();
    for (auto& h : headers) (void)device->unprepareHeader(&h);
    (void)device->close();
    return used;
}

double MeasureComponent(size_t total, size_t* collected)
{
    MemoryWaveInSource source;
    auto* control = new component_shell::ComObject<CNimAudioRecorderObject>();
    control->AddRef();
    control->engine().SetDeviceFactory(source.factory());
    control->put_TimerInterval(3600 * 1000);  // ticks are driven by the amount of sound below
    size_t got = 0;
    component_shell::EventConnection events;
    if (FAILED(events.Connect(static_cast<INimAudioRecorder*>(control), DIID__INimAudioRecorderEvents, [&](DISPID id) {
            if (id != nim_audio_recorder_dispid::OnData) return;
            SAFEARRAY* array = nullptr;
            if (SUCCEEDED(control->ReceiveArray(&array))) got += array->rgsabound[0].cElements;
            SafeArrayDestroy(array);
        })))
        std::exit(1);
    if (control->StartRecord() != S_OK) std::exit(1);
    const double start = ThreadCpuSeconds();
    FeedAll(source, total, [&] {
        // What the host does on OnTimer: a fresh array, the latest buffer copied in.
        SAFEARRAY* a = SafeArrayCreateVector(VT_I1, 0, 16384);
        (void)control->ReceiveCurrentArray(&a, 16384);
        SafeArrayDestroy(a);
    });
    (void)control->StopRecord();
    const double used = ThreadCpuSeconds() - start;
    events.Disconnect();
    control->Release();
    *collected = got;
    return used;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 600.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: capture_overhead [captured seconds]\n");
        return 2;
    }
    const size_t total = static_cast<size_t>(seconds * kBytesPerSecond) / 4 * 4;

    double reference = 1e9, component = 1e9;
    size_t collected = 0;
    for (int round = 0; round < 3; ++round) {
        reference = std::min(reference, MeasureReference(total));
        component = std::min(component, MeasureComponent(total, &collected));
    }
    if (collected != total) {
        std::fprintf(stderr, "capture_overhead: collected %zu of %zu bytes\n", collected, total);
        return 1;
    }
    const double perSecondReference = reference / seconds;
    const double perSecondTotal = component / seconds;
    const double own = std::max(0.0, perSecondTotal - perSecondReference);
    std::printf("capture_overhead: %.0f s of sound at 44100 Hz, 2 channels, 16 bits, buffers of %zu bytes\n", seconds,
                kBuffer);
    std::printf("capture_overhead: reference (bare device and event loop) %.1f us of CPU per captured second\n",
                perSecondReference * 1e6);
    std::printf("capture_overhead: with the component %.1f us per captured second\n", perSecondTotal * 1e6);
    std::printf("capture_overhead: component %.4f%% of a core for real-time capture (goal < 0.5%%)\n", own * 100.0);
    return 0;
}
