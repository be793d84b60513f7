// The level meter control as the program uses it: properties and their defaults, the
// dispatch interface, SendData's byte counts, idle and live pictures in the control's
// widget, and loading the control from its library.
#include "NimVisualizationObject.h"
#include "com_object.h"
#include "control_loader.h"
#include "event_loop.h"
#include "meter_test_support.h"
#include "window_handles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <thread>

using namespace nim_visualization;
using component_shell::ComObject;

namespace {

using Control = ComObject<CNimVisualizationObject>;

struct ControlRef {
    Control* p = new Control();
    ControlRef() { p->AddRef(); }
    ~ControlRef() { p->Release(); }
    Control* operator->() const { return p; }
};

// A safe array holding `bytes`, released when the holder goes.
struct SampleArray {
    SAFEARRAY* array = nullptr;
    explicit SampleArray(const std::vector<uint8_t>& bytes, VARTYPE vt = VT_UI1)
    {
        const UINT size = vt == VT_I4 ? 4 : 1;
        array = SafeArrayCreateVector(vt, 0, ULONG(bytes.size() / size));
        if (!array) throw std::bad_alloc();
        std::copy(bytes.begin(), bytes.begin() + long(bytes.size() / size * size), static_cast<uint8_t*>(array->pvData));
    }
    ~SampleArray() { SafeArrayDestroy(array); }
};

SampleBuffer::Bytes BufferOf(const CNimVisualizationObject& control)
{
    SampleBuffer::Bytes bytes{};
    EXPECT_TRUE(control.renderer().sampleBuffer().Read(bytes));
    return bytes;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + seed);
    return bytes;
}

// A 16384-byte block of a full-scale tone on bin 68 (about 2928.5 Hz at 44100 per
// second) on the left channel, made by sox as raw 16-bit stereo.
std::vector<uint8_t> SoxToneOnLeft()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.raw");
    const std::string command = "sox -D -r 44100 -c 2 -n -r 44100 -c 2 -b 16 -e signed-integer -L -t raw '" + path.toStdString() +
                                "' synth 0.1 sine 2928.515625 sine 2928.515625 remix 1 0 vol 0.999";
    if (std::system(command.c_str()) != 0) return {};
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.toLocal8Bit().constData(), "rb"), &std::fclose);
    if (!file) return {};
    std::vector<uint8_t> bytes(16384);
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return {};
    return bytes;
}

void UseProgramSettings(CNimVisualizationObject& control)
{
    const MeterSettings s = meter_test::ProgramSettings();
    EXPECT_EQ(control.put_style(s.style), S_OK);
    EXPECT_EQ(control.put_HighPosition(s.HighPosition), S_OK);
    EXPECT_EQ(control.put_MidPosition(s.MidPosition), S_OK);
    EXPECT_EQ(control.put_TickWidth(s.TickWidth), S_OK);
    EXPECT_EQ(control.put_TickHeight(s.TickHeight), S_OK);
    EXPECT_EQ(control.put_TickSeparate(s.TickSeparate), S_OK);
}

// Column 11, row r of the program's meter: x 1 + 11 x 11, y 72 - 2r.
QRgb TickPixel(const QImage& image, int row) { return image.pixel(122, 72 - 2 * row); }

}  // namespace

TEST(MeterControl, StartsWithItsDefaultsAndKeepsWhatIsPut)
{
    ControlRef control;
    LONG v = -1;
    EXPECT_EQ(control->get_style(&v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(control->get_HighPosition(&v), S_OK);
    EXPECT_EQ(v, 80);
    EXPECT_EQ(control->get_MidPosition(&v), S_OK);
    EXPECT_EQ(v, 50);
    EXPECT_EQ(control->get_TickWidth(&v), S_OK);
    EXPECT_EQ(v, 20);
    EXPECT_EQ(control->get_TickHeight(&v), S_OK);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(control->get_TickSeparate(&v), S_OK);
    EXPECT_EQ(v, 1);
    OLE_COLOR colour = 5;
    EXPECT_EQ(control->get_FillColor(&colour), S_OK);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(control->get_BackColor(nullptr), E_POINTER);
    EXPECT_EQ(control->get_FillColor(nullptr), E_POINTER);
    EXPECT_EQ(control->get_style(nullptr), E_POINTER);

    // Drawing properties take any value and leave the control unchanged for saving;
    // the colours mark it as changed.
    EXPECT_EQ(control->put_TickWidth(-40), S_OK);
    EXPECT_EQ(control->get_TickWidth(&v), S_OK);
    EXPECT_EQ(v, -40);
    EXPECT_FALSE(control->isDirty());
    EXPECT_EQ(control->put_BackColor(0x00FF8000), S_OK);
    EXPECT_EQ(control->get_BackColor(&colour), S_OK);
    EXPECT_EQ(colour, 0x00FF8000u);
    EXPECT_TRUE(control->isDirty());

    EXPECT_EQ(control->SetAudioFormat(1, 8000, 8), S_OK);
    EXPECT_EQ(control->audioFormat().channels, 1);
    EXPECT_EQ(control->audioFormat().bitsPerSample, 8);
}

TEST(MeterControl, SendDataCopiesAtMost16384BytesAndNeverPastTheArray)
{
    ControlRef control;
    const auto big = Pattern(20000, 1);
    SampleArray first(big);
    EXPECT_EQ(control->SendData(&first.array, 20000), S_OK);
    auto buffer = BufferOf(*control.p);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), big.begin()));
    EXPECT_EQ(first.array->cLocks, 0u);

    // 1000 bytes replace only the start; the rest keeps the earlier bytes.
    const auto small = Pattern(1000, 77);
    SampleArray second(small);
    EXPECT_EQ(control->SendData(&second.array, 1000), S_OK);
    buffer = BufferOf(*control.p);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), buffer.begin()));
    EXPECT_TRUE(std::equal(buffer.begin() + 1000, buffer.end(), big.begin() + 1000));

    // A length beyond the array's data copies only the data; the length counts bytes
    // whatever the element type; zero or less copies nothing.
    const auto tiny = Pattern(100, 200);
    SampleArray third(tiny);
    EXPECT_EQ(control->SendData(&third.array, 16384), S_OK);
    buffer = BufferOf(*control.p);
    EXPECT_TRUE(std::equal(tiny.begin(), tiny.end(), buffer.begin()));
    EXPECT_EQ(buffer[100], small[100]);

    const auto longs = Pattern(4000, 9);
    SampleArray fourth(longs, VT_I4);
    EXPECT_EQ(control->SendData(&fourth.array, 1000), S_OK);
    buffer = BufferOf(*control.p);
    EXPECT_TRUE(std::equal(longs.begin(), longs.begin() + 1000, buffer.begin()));
    EXPECT_EQ(buffer[1000], big[1000]);

    const auto before = BufferOf(*control.p);
    EXPECT_EQ(control->SendData(&first.array, 0), S_OK);
    EXPECT_EQ(control->SendData(&first.array, -5), S_OK);
    EXPECT_EQ(BufferOf(*control.p), before);

    // Refusals: no slot, no array, an array that cannot be locked.
    EXPECT_EQ(control->SendData(nullptr, 100), E_POINTER);
    SAFEARRAY* none = nullptr;
    EXPECT_EQ(control->SendData(&none, 100), E_INVALIDARG);
    EXPECT_EQ(BufferOf(*control.p), before);
}

TEST(MeterControl, SendDataLeavesTheBufferAloneWhileItIsBusy)
{
    ControlRef control;
    SampleArray data(Pattern(16384, 3));
    std::timed_mutex& lock = control->renderer().sampleBuffer().mutex();
    lock.lock();
    HRESULT hr = E_FAIL;
    std::thread caller([&] { hr = control->SendData(&data.array, 16384); });
    caller.join();
    lock.unlock();
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(data.array->cLocks, 0u);
    const auto buffer = BufferOf(*control.p);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0; }));
}

TEST(MeterControl, DispatchReachesEveryMemberByDispid)
{
    ControlRef control;
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames("tickwidth", &id), S_OK);
    EXPECT_EQ(id, nim_visualization_dispid::TickWidth);
    EXPECT_EQ(control->GetIDsOfNames("Stop", &id), S_OK);
    EXPECT_EQ(id, 12);
    EXPECT_EQ(control->GetIDsOfNames("Pause", &id), DISP_E_UNKNOWNNAME);

    DISPPARAMS put{{VARIANT::I4(7)}};
    EXPECT_EQ(control->Invoke(6, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr), S_OK);
    DISPPARAMS none;
    VARIANT result;
    EXPECT_EQ(control->Invoke(6, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 7);

    DISPPARAMS colour{{VARIANT::UI4(0x123456)}};
    EXPECT_EQ(control->Invoke(DISPID_FILLCOLOR, IID_NULL, 0, DISPATCH_PROPERTYPUT, &colour, nullptr), S_OK);
    EXPECT_EQ(control->Invoke(DISPID_FILLCOLOR, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result), S_OK);
    EXPECT_EQ(result.vt, VT_UI4);
    EXPECT_EQ(result.ulVal, 0x123456u);

    const auto bytes = Pattern(3000, 40);
    SampleArray data(bytes);
    DISPPARAMS send{{VARIANT::RefArray(&data.array), VARIANT::I4(3000)}};
    EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &send, nullptr), S_OK);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), BufferOf(*control.p).begin()));

    EXPECT_EQ(control->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr), S_OK);
    EXPECT_TRUE(control->renderer().started());
    EXPECT_EQ(control->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr), S_OK);  // Clear
    EXPECT_FALSE(control->renderer().started());

    DISPPARAMS format{{VARIANT::I4(1), VARIANT::I4(22050), VARIANT::I4(8)}};
    EXPECT_EQ(control->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, &format, nullptr), S_OK);
    EXPECT_EQ(control->audioFormat().samplesPerSec, 22050);

    EXPECT_EQ(control->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(control->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, &put, nullptr), DISP_E_BADPARAMCOUNT);
    DISPPARAMS text{{VARIANT::Str("wide")}};
    EXPECT_EQ(control->Invoke(3, IID_NULL, 0, DISPATCH_PROPERTYPUT, &text, nullptr), DISP_E_TYPEMISMATCH);
}

TEST(MeterControl, WidgetShowsIdleUntilStartedThenLiveFramesAndKeepsPeaksAcrossStop)
{
    const auto tone = SoxToneOnLeft();
    ASSERT_EQ(tone.size(), 16384u) << "sox could not generate the test tone";
    const std::vector<uint8_t> silence(16384, 0);

    QWidget host;
    host.resize(400, 100);
    host.show();
    ControlRef control;
    UseProgramSettings(*control.p);
    HWND window = 0;
    ASSERT_EQ(control->InPlaceActivate(window_handles::HandleFor(&host), 10, 5, 331, 74, &window), S_OK);
    QWidget* meter = window_handles::ResolveWidget(window);
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->parentWidget(), &host);
    EXPECT_EQ(meter->geometry(), QRect(10, 5, 331, 74));
    EXPECT_TRUE(meter->testAttribute(Qt::WA_OpaquePaintEvent));  // repaints never erase first

    // Data before Start stays in the buffer but the idle grid is shown.
    SampleArray toneArray(tone), silenceArray(silence);
    ASSERT_EQ(control->SendData(&toneArray.array, 16384), S_OK);
    QImage picture = meter->grab().toImage();
    EXPECT_EQ(TickPixel(picture, 0), qRgb(0, 128, 128));
    EXPECT_EQ(TickPixel(picture, 20), qRgb(128, 128, 0));
    EXPECT_EQ(control->renderer().heldLevel()[11], 0);

    // After Start, SendData's repaint request alone brings a live frame.
    ASSERT_EQ(control->Start(), S_OK);
    ASSERT_EQ(control->SendData(&toneArray.array, 16384), S_OK);
    ASSERT_TRUE(test_support::SpinUntil([&] { return control->renderer().heldLevel()[11] == 28; }, 5000));
    // A second frame of the same tone: the bar is level with the peak, so the peak
    // falls one row into it.
    picture = meter->grab().toImage();
    EXPECT_EQ(control->renderer().heldLevel()[11], 27);
    EXPECT_EQ(TickPixel(picture, 0), qRgb(0, 255, 0));
    EXPECT_EQ(TickPixel(picture, 27), qRgb(255, 255, 0));
    EXPECT_EQ(TickPixel(picture, 28), qRgb(128, 128, 0));
    EXPECT_EQ(picture.pixel(1 + 11 * 20, 72), qRgb(0, 128, 128));  // the right half stays dark

    // Stop shows the idle grid again without touching the peaks; after a new Start the
    // peak goes on falling from where it was.
    ASSERT_EQ(control->Stop(), S_OK);
    picture = meter->grab().toImage();
    EXPECT_EQ(TickPixel(picture, 0), qRgb(0, 128, 128));
    EXPECT_EQ(TickPixel(picture, 27), qRgb(128, 128, 0));
    EXPECT_EQ(control->renderer().heldLevel()[11], 27);
    ASSERT_EQ(control->Start(), S_OK);
    ASSERT_EQ(control->SendData(&silenceArray.array, 16384), S_OK);
    picture = meter->grab().toImage();
    EXPECT_EQ(control->renderer().heldLevel()[11], 26);
    EXPECT_EQ(TickPixel(picture, 26), qRgb(255, 255, 0));
    EXPECT_EQ(TickPixel(picture, 0), qRgb(0, 128, 128));

    // Style 1 while live: the next frame is the envelope; the peaks wait for style 0.
    ASSERT_EQ(control->put_style(1), S_OK);
    LONG style = 0;
    EXPECT_EQ(control->get_style(&style), S_OK);
    EXPECT_EQ(style, 1);
    picture = meter->grab().toImage();
    EXPECT_EQ(picture.pixel(5, 36), qRgb(0, 255, 0));
    EXPECT_EQ(picture.pixel(5, 37), qRgb(0, 255, 0));
    EXPECT_EQ(TickPixel(picture, 0), qRgb(0, 0, 0));
    EXPECT_EQ(control->renderer().heldLevel()[11], 26);

    EXPECT_EQ(control->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(window_handles::ResolveWidget(window), nullptr);
    EXPECT_EQ(control->InPlaceActivate(0x7FFFFFF0, 0, 0, 10, 10, &window), E_INVALIDARG);
    EXPECT_EQ(control->InPlaceActivate(window_handles::HandleFor(&host), 0, 0, 10, 10, nullptr), E_POINTER);
}

TEST(MeterControl, StartThenStopWithoutDataRepaintsTheIdlePicture)
{
    QWidget host;
    host.resize(340, 80);
    host.show();
    ControlRef control;
    UseProgramSettings(*control.p);
    HWND window = 0;
    ASSERT_EQ(control->InPlaceActivate(window_handles::HandleFor(&host), 0, 0, 331, 74, &window), S_OK);
    QWidget* meter = window_handles::ResolveWidget(window);
    const QImage idle = meter->grab().toImage();
    ASSERT_EQ(control->Start(), S_OK);
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(meter->grab().toImage(), idle);
    EXPECT_FALSE(control->renderer().started());
    ASSERT_EQ(control->SetAudioFormat(1, 44100, 8), S_OK);
    EXPECT_EQ(meter->grab().toImage(), idle);
}

TEST(MeterControl, TheLibraryCreatesTheControlWithItsEventPoint)
{
    ComPtr<INimVisualization> meter;
    std::string error;
    ASSERT_EQ(component_shell::CreateControl(CLSID_NimVisualization, IID_INimVisualization, meter.putVoid(), &error),
              S_OK)
        << error;
    LONG width = 0;
    EXPECT_EQ(meter->get_TickWidth(&width), S_OK);
    EXPECT_EQ(width, 20);

    ComPtr<IControlWindow> window;
    EXPECT_EQ(meter.As(IID_IControlWindow, &window), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(meter.As(IID_IConnectionPointContainer, &container), S_OK);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__INimVisualizationEvents, point.put()), S_OK);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID__INimVisualizationEvents);
    EXPECT_EQ(container->FindConnectionPoint(IID_INimVisualization, point.put()), CONNECT_E_NOCONNECTION);
}
