// The four controls as a container sees them: their saved streams byte for byte, the
// meter's property bag, streams that are cut short or of another kind, extents fixed
// and free, misc status, the pictures they draw, and aggregation.
#include "component_libraries.h"

#include "INimAudioFile.h"
#include "INimAudioRecorder.h"
#include "INimDXVideoPlayerObject.h"
#include "INimVisualization.h"
#include "NimAudioRecorderResources.h"
#include "NimDXVideoPlayerResources.h"
#include "NimVisualizationResources.h"
#include "nim_audio_file_resources.h"
#include "ole_control.h"
#include "persistence.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <fstream>
#include <set>
#include <vector>

using namespace component_test;
using component_shell::MemoryPropertyBag;
using component_shell::MemoryStream;

namespace {

using Bytes = std::vector<uint8_t>;

// The saved streams of the four controls, as the main window stores them.
const Bytes kSmallStream{0x00, 0x08, 0x00, 0x00, 0x4F, 0x03, 0x00, 0x00, 0x4F, 0x03, 0x00, 0x00};   // 847 x 847
const Bytes kPlayerStream{0x00, 0x08, 0x00, 0x00, 0xD8, 0x13, 0x00, 0x00, 0xD8, 0x13, 0x00, 0x00};  // 5080 x 5080
const Bytes kMeterStream{
    0x00, 0x08, 0x00, 0x00,                    // version marker
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00,        // style, VT_I4 0
    0x03, 0x00, 0x3C, 0x00, 0x00, 0x00,        // HighPosition 60
    0x03, 0x00, 0x1E, 0x00, 0x00, 0x00,        // MidPosition 30
    0x03, 0x00, 0x0A, 0x00, 0x00, 0x00,        // TickWidth 10
    0x03, 0x00, 0x01, 0x00, 0x00, 0x00,        // TickHeight 1
    0x03, 0x00, 0x01, 0x00, 0x00, 0x00,        // TickSeparate 1
    0x36, 0x22, 0x00, 0x00,                    // _cx 8758
    0xA6, 0x07, 0x00, 0x00,                    // _cy 1958
    0x13, 0x00, 0x00, 0x00, 0x00, 0x00,        // BackColor, VT_UI4 0
    0x13, 0x00, 0x00, 0x00, 0x00, 0x00,        // FillColor, VT_UI4 0
};

ComPtr<IUnknown> Create(const Component& c)
{
    ComPtr<IUnknown> object;
    std::string error;
    EXPECT_EQ(component_shell::CreateControl(c.identity->clsid, IID_IUnknown, object.putVoid(), &error), S_OK) << error;
    return object;
}

template <class T>
ComPtr<T> As(const ComPtr<IUnknown>& object, REFIID iid)
{
    ComPtr<T> p;
    EXPECT_EQ(object.As(iid, &p), S_OK);
    return p;
}

Bytes Saved(const ComPtr<IUnknown>& object)
{
    MemoryStream stream;
    EXPECT_EQ(As<IPersistStreamInit>(object, IID_IPersistStreamInit)->Save(&stream, 1), S_OK);
    return stream.bytes();
}

HRESULT Load(const ComPtr<IUnknown>& object, const Bytes& bytes)
{
    MemoryStream stream(bytes);
    return As<IPersistStreamInit>(object, IID_IPersistStreamInit)->Load(&stream);
}

SIZEL Extent(const ComPtr<IUnknown>& object)
{
    SIZEL size;
    EXPECT_EQ(As<IOleObject>(object, IID_IOleObject)->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    return size;
}

struct MeterValues {
    LONG style, high, mid, width, height, separate;
    OLE_COLOR back, fill;
    bool operator==(const MeterValues&) const = default;
};

MeterValues ValuesOf(INimVisualization* meter)
{
    MeterValues v{};
    meter->get_style(&v.style);
    meter->get_HighPosition(&v.high);
    meter->get_MidPosition(&v.mid);
    meter->get_TickWidth(&v.width);
    meter->get_TickHeight(&v.height);
    meter->get_TickSeparate(&v.separate);
    meter->get_BackColor(&v.back);
    meter->get_FillColor(&v.fill);
    return v;
}

void Put(INimVisualization* meter, const MeterValues& v)
{
    meter->put_style(v.style);
    meter->put_HighPosition(v.high);
    meter->put_MidPosition(v.mid);
    meter->put_TickWidth(v.width);
    meter->put_TickHeight(v.height);
    meter->put_TickSeparate(v.separate);
    meter->put_BackColor(v.back);
    meter->put_FillColor(v.fill);
}

const Component& Meter() { return kComponents[0]; }
const Component& Recorder() { return kComponents[1]; }
const Component& Player() { return kComponents[2]; }
const Component& File() { return kComponents[3]; }

class ControlTest : public testing::Test {
protected:
    PrivateRegistry registry_;  // nothing registered: every control comes from the library folder
};

}  // namespace

// ---- Streams ----------------------------------------------------------------------

TEST_F(ControlTest, InvisibleControlsSaveTheirExtentInTwelveBytes)
{
    EXPECT_EQ(Saved(Create(Recorder())), kSmallStream);
    EXPECT_EQ(Saved(Create(File())), kSmallStream);
    EXPECT_EQ(Saved(Create(Player())), kPlayerStream);
    for (const Component& c : kComponents) {
        uint64_t size = 0;
        ASSERT_EQ(As<IPersistStreamInit>(Create(c), IID_IPersistStreamInit)->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size, &c == &Meter() ? 60u : 12u) << c.identity->name;
    }
}

TEST_F(ControlTest, EachControlLoadsWhatItSavedAndSavesItAgainByteForByte)
{
    for (const Component* c : {&Recorder(), &File(), &Player()}) {
        const ComPtr<IUnknown> control = Create(*c);
        const Bytes stored = c == &Player() ? kPlayerStream : kSmallStream;
        ASSERT_EQ(Load(control, stored), S_OK) << c->identity->name;
        EXPECT_EQ(Saved(control), stored);
    }
    // The player keeps any extent it is given, also through its stream.
    const ComPtr<IUnknown> player = Create(Player());
    const SIZEL size{1234, 4321};
    ASSERT_EQ(As<IOleObject>(player, IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    const Bytes saved = Saved(player);
    const ComPtr<IUnknown> other = Create(Player());
    ASSERT_EQ(Load(other, saved), S_OK);
    EXPECT_EQ(Extent(other), size);
}

TEST_F(ControlTest, TheMeterSavesItsStoredDataInSixtyBytes)
{
    const ComPtr<IUnknown> control = Create(Meter());
    auto meter = As<INimVisualization>(control, IID_INimVisualization);
    Put(meter.get(), {0, 60, 30, 10, 1, 1, 0, 0});
    const SIZEL size{8758, 1958};
    ASSERT_EQ(As<IOleObject>(control, IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(Saved(control), kMeterStream);

    // A new meter loads it: its six integers, both colours and the extent.
    const ComPtr<IUnknown> loaded = Create(Meter());
    auto fresh = As<INimVisualization>(loaded, IID_INimVisualization);
    EXPECT_EQ(ValuesOf(fresh.get()), (MeterValues{0, 80, 50, 20, 1, 1, 0, 0}));  // creation values
    ASSERT_EQ(Load(loaded, kMeterStream), S_OK);
    EXPECT_EQ(ValuesOf(fresh.get()), (MeterValues{0, 60, 30, 10, 1, 1, 0, 0}));
    EXPECT_EQ(Extent(loaded), size);
    EXPECT_EQ(Saved(loaded), kMeterStream);
}

TEST_F(ControlTest, TheMeterKeepsEveryValueThroughItsStream)
{
    const ComPtr<IUnknown> control = Create(Meter());
    auto meter = As<INimVisualization>(control, IID_INimVisualization);
    const MeterValues values{1, 77, -5, 3, 2, 0, 0x80000005u, 0x00FF00FFu};
    Put(meter.get(), values);
    const SIZEL size{100, 200};
    As<IOleObject>(control, IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &size);
    auto persist = As<IPersistStreamInit>(control, IID_IPersistStreamInit);
    EXPECT_EQ(persist->IsDirty(), S_OK);  // the colours changed
    MemoryStream stream;
    ASSERT_EQ(persist->Save(&stream, 0), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ASSERT_EQ(persist->Save(&stream, 1), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    const Bytes saved(stream.bytes().begin(), stream.bytes().begin() + 60);
    EXPECT_EQ(saved[48], VT_UI4);
    EXPECT_EQ(saved[53], 0x80);

    const ComPtr<IUnknown> loaded = Create(Meter());
    ASSERT_EQ(Load(loaded, saved), S_OK);
    EXPECT_EQ(ValuesOf(As<INimVisualization>(loaded, IID_INimVisualization).get()), values);
    EXPECT_EQ(Extent(loaded), size);
    EXPECT_EQ(As<IPersistStreamInit>(loaded, IID_IPersistStreamInit)->IsDirty(), S_FALSE);
    EXPECT_EQ(Saved(loaded), saved);
}

TEST_F(ControlTest, StreamsCutShortOfAnotherVersionOrTypeFailAndChangeNothing)
{
    struct Case {
        const Component* component;
        Bytes good;
    };
    for (const Case& c : {Case{&Meter(), kMeterStream}, Case{&Recorder(), kSmallStream},
                          Case{&File(), kSmallStream}, Case{&Player(), kPlayerStream}}) {
        SCOPED_TRACE(c.component->identity->name);
        const ComPtr<IUnknown> control = Create(*c.component);
        const Bytes before = Saved(control);  // the creation values
        for (size_t n = 0; n < c.good.size(); ++n) {
            EXPECT_EQ(Load(control, Bytes(c.good.begin(), c.good.begin() + long(n))), E_FAIL) << "cut at " << n;
            ASSERT_EQ(Saved(control), before) << "cut at " << n;
        }
        for (uint32_t marker : {0x00000801u, 0x000007FFu, 0x00000000u, 0x08000000u}) {
            Bytes other = c.good;
            for (int i = 0; i < 4; ++i) other[size_t(i)] = uint8_t(marker >> (8 * i));
            EXPECT_EQ(Load(control, other), E_FAIL) << std::hex << marker;
            EXPECT_EQ(Saved(control), before);
        }
    }
    // A variant type other than its property's, at each of the meter's dispatch entries.
    const ComPtr<IUnknown> meter = Create(Meter());
    const Bytes before = Saved(meter);
    for (size_t offset : {4, 10, 16, 22, 28, 34, 48, 54}) {
        for (uint16_t vt : std::initializer_list<uint16_t>{VT_EMPTY, VT_I2, VT_I4, VT_BSTR, VT_UI4, VT_I4 | VT_BYREF}) {
            Bytes bad = kMeterStream;
            if (vt == (offset < 48 ? VT_I4 : VT_UI4)) continue;
            bad[offset] = uint8_t(vt);
            bad[offset + 1] = uint8_t(vt >> 8);
            EXPECT_EQ(Load(meter, bad), E_FAIL) << "offset " << offset << " type " << vt;
            EXPECT_EQ(Saved(meter), before);
        }
    }
    // The fixed controls refuse a stream with another extent.
    const ComPtr<IUnknown> recorder = Create(Recorder());
    EXPECT_EQ(Load(recorder, kPlayerStream), E_FAIL);
    EXPECT_EQ(Saved(recorder), kSmallStream);
    // A longer stream is read up to the control's data.
    Bytes longer = kSmallStream;
    longer.push_back(0xEE);
    EXPECT_EQ(Load(recorder, longer), S_OK);
    EXPECT_EQ(As<IPersistStreamInit>(recorder, IID_IPersistStreamInit)->Load(nullptr), E_POINTER);
}

TEST_F(ControlTest, TheMeterHasAPropertyBagKeyedByPropertyName)
{
    const ComPtr<IUnknown> control = Create(Meter());
    Put(As<INimVisualization>(control, IID_INimVisualization).get(), {1, 61, 31, 11, 2, 3, 0x112233, 0x445566});
    auto bagPersist = As<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    MemoryPropertyBag bag;
    ASSERT_EQ(bagPersist->Save(&bag, 1, 1), S_OK);
    EXPECT_EQ(bag.size(), 10u);
    struct Expected {
        const char* name;
        VARTYPE vt;
        int32_t value;
    };
    for (const Expected& e : {Expected{"style", VT_I4, 1}, {"HighPosition", VT_I4, 61}, {"MidPosition", VT_I4, 31},
                              {"TickWidth", VT_I4, 11}, {"TickHeight", VT_I4, 2}, {"TickSeparate", VT_I4, 3},
                              {"_cx", VT_I4, 5080}, {"_cy", VT_I4, 5080}, {"BackColor", VT_UI4, 0x112233},
                              {"FillColor", VT_UI4, 0x445566}}) {
        const VARIANT* v = bag.Find(e.name);
        ASSERT_NE(v, nullptr) << e.name;
        EXPECT_EQ(v->vt, e.vt) << e.name;
        EXPECT_EQ(v->lVal, e.value) << e.name;
    }

    const ComPtr<IUnknown> loaded = Create(Meter());
    auto meter = As<INimVisualization>(loaded, IID_INimVisualization);
    ASSERT_EQ(As<IPersistPropertyBag>(loaded, IID_IPersistPropertyBag)->Load(&bag), S_OK);
    EXPECT_EQ(ValuesOf(meter.get()), (MeterValues{1, 61, 31, 11, 2, 3, 0x112233, 0x445566}));

    // Text values as a page's parameters give them, and missing properties keep theirs.
    MemoryPropertyBag text;
    text.Write("highposition", VARIANT::Str("90"));
    text.Write("BackColor", VARIANT::Str("4294967295"));
    text.Write("_cx", VARIANT::Str("1000"));
    ASSERT_EQ(As<IPersistPropertyBag>(loaded, IID_IPersistPropertyBag)->Load(&text), S_OK);
    EXPECT_EQ(ValuesOf(meter.get()), (MeterValues{1, 90, 31, 11, 2, 3, 0xFFFFFFFF, 0x445566}));
    EXPECT_EQ(Extent(loaded), (SIZEL{1000, 5080}));

    // A value that is not a number changes nothing.
    MemoryPropertyBag bad;
    bad.Write("style", VARIANT::I4(0));
    bad.Write("TickWidth", VARIANT::Str("wide"));
    EXPECT_EQ(As<IPersistPropertyBag>(loaded, IID_IPersistPropertyBag)->Load(&bad), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ValuesOf(meter.get()), (MeterValues{1, 90, 31, 11, 2, 3, 0xFFFFFFFF, 0x445566}));

    // Only the meter has a property bag.
    for (const Component* c : {&Recorder(), &Player(), &File()}) {
        ComPtr<IPersistPropertyBag> none;
        EXPECT_EQ(Create(*c).As(IID_IPersistPropertyBag, &none), E_NOINTERFACE);
    }
}

// ---- Extent, misc status, class -----------------------------------------------------

TEST_F(ControlTest, CaptureAndFileControlsAreThirtyTwoPixelsAndRefuseAnyOtherSize)
{
    EXPECT_EQ(component_shell::PixelsToHimetric(32), 847);
    EXPECT_EQ(component_shell::HimetricToPixels(8758), 331);
    EXPECT_EQ(component_shell::HimetricToPixels(1958), 74);
    for (const Component* c : {&Recorder(), &File()}) {
        SCOPED_TRACE(c->identity->name);
        const ComPtr<IUnknown> control = Create(*c);
        auto ole = As<IOleObject>(control, IID_IOleObject);
        EXPECT_EQ(Extent(control), (SIZEL{847, 847}));
        for (const SIZEL other : {SIZEL{848, 847}, SIZEL{847, 846}, SIZEL{5080, 5080}, SIZEL{0, 0}}) {
            EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &other), E_FAIL);
            EXPECT_EQ(Extent(control), (SIZEL{847, 847}));
        }
        const SIZEL same{847, 847};
        EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &same), S_OK);
        EXPECT_EQ(ole->SetExtent(2 /* thumbnail */, &same), DV_E_DVASPECT);
    }
    for (const Component* c : {&Player(), &Meter()}) {
        SCOPED_TRACE(c->identity->name);
        const ComPtr<IUnknown> control = Create(*c);
        EXPECT_EQ(Extent(control), (SIZEL{5080, 5080}));
        const SIZEL other{8758, 1958};
        EXPECT_EQ(As<IOleObject>(control, IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &other), S_OK);
        EXPECT_EQ(Extent(control), other);
    }
}

TEST_F(ControlTest, MiscStatusAndClassIdAreTheIdentityTables)
{
    for (const Component& c : kComponents) {
        SCOPED_TRACE(c.identity->name);
        const ComPtr<IUnknown> control = Create(c);
        DWORD status = 0;
        ASSERT_EQ(As<IOleObject>(control, IID_IOleObject)->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_EQ(status, c.identity->miscStatus);
        EXPECT_EQ((status & 0x400) != 0, !c.identity->visibleAtRunTime);  // OLEMISC_INVISIBLEATRUNTIME
        CLSID clsid{};
        ASSERT_EQ(As<IPersist>(control, IID_IPersist)->GetClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, c.identity->clsid);
    }
}

// ---- Faces ---------------------------------------------------------------------------

TEST_F(ControlTest, ToolboxBitmapsHaveTheirSizesAndSixteenColours)
{
    struct Face {
        const component_shell::ToolboxBitmap* bitmap;
        int id;
        int size;
    };
    for (const Face& f : {Face{&nim_visualization::kToolboxBitmap, 102, 32},
                          Face{&nim_audio_recorder::kToolboxBitmap, 103, 32},
                          Face{&nim_dx_video_player::kToolboxBitmap, 102, 16},
                          Face{&nim_audio_file::kToolboxBitmap, 102, 16}}) {
        EXPECT_EQ(f.bitmap->resourceId, f.id);
        ASSERT_EQ(f.bitmap->width, f.size);
        ASSERT_EQ(f.bitmap->height, f.size);
        for (int y = 0; y < f.size; ++y) {
            const std::string row = f.bitmap->rows[y];
            EXPECT_EQ(row.size(), size_t(f.size)) << "row " << y;
            EXPECT_EQ(row.find_first_not_of("0123456789ABCDEF"), std::string::npos) << "row " << y;
        }
        const QImage image = component_shell::ToolboxImage(*f.bitmap);
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
        EXPECT_GE(colours.size(), 3u);  // a picture, not a blank
        EXPECT_LE(colours.size(), 16u);
    }
}

TEST_F(ControlTest, InvisibleControlsDrawTheirBitmapAtTheTopLeftOfTheirRectangle)
{
    const std::pair<const Component*, const component_shell::ToolboxBitmap*> faces[] = {
        {&Recorder(), &nim_audio_recorder::kToolboxBitmap},
        {&Player(), &nim_dx_video_player::kToolboxBitmap},
        {&File(), &nim_audio_file::kToolboxBitmap}};
    constexpr QRgb kBackground = 0xFF123456;
    for (const auto& [component, bitmap] : faces) {
        SCOPED_TRACE(component->identity->name);
        QImage canvas(100, 100, QImage::Format_RGB32);
        canvas.fill(kBackground);
        {
            QPainter painter(&canvas);
            const RECTL bounds{10, 20, 90, 95};
            ASSERT_EQ(As<IViewObject>(Create(*component), IID_IViewObject)->Draw(DVASPECT_CONTENT, &painter, &bounds),
                      S_OK);
        }
        const QImage face = component_shell::ToolboxImage(*bitmap);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool inside = x >= 10 && x < 10 + face.width() && y >= 20 && y < 20 + face.height();
                const QRgb expected = inside ? face.pixel(x - 10, y - 20) : kBackground;
                ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
            }
    }
}

TEST_F(ControlTest, TheMeterDrawsItselfInsteadOfItsBitmap)
{
    const ComPtr<IUnknown> control = Create(Meter());
    ASSERT_EQ(Load(control, kMeterStream), S_OK);
    QImage canvas(331, 74, QImage::Format_RGB32);
    canvas.fill(0xFFFFFFFF);
    {
        QPainter painter(&canvas);
        const RECTL bounds{0, 0, 331, 74};
        ASSERT_EQ(As<IViewObject>(control, IID_IViewObject)->Draw(DVASPECT_CONTENT, &painter, &bounds), S_OK);
    }
    // The idle picture of the stored grid: the lowest tick row green, black between ticks.
    EXPECT_EQ(canvas.pixel(6, 72), qRgb(0, 128, 128));
    EXPECT_EQ(canvas.pixel(11, 72), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(6, 12), qRgb(128, 0, 0));
}

// ---- Aggregation ------------------------------------------------------------------------

namespace {

// An outer object that holds an aggregated control and hands out its interfaces.
class Outer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** ppv) override
    {
        if (iid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, ppv) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }

    IUnknown* inner = nullptr;
    ULONG refs = 1;
};

}  // namespace

TEST_F(ControlTest, EveryClassCanBeAggregated)
{
    const IID defaults[] = {IID_INimVisualization, IID_INimAudioRecorder, IID_INimDXVideoPlayerObject,
                            IID_INimAudioFile};
    for (size_t i = 0; i < kComponents.size(); ++i) {
        const Component& c = kComponents[i];
        SCOPED_TRACE(c.identity->name);
        Library library(LibraryPath(c));
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(library.GetClassObject(c.identity->clsid, IID_IClassFactory, factory.putVoid()), S_OK);
        Outer outer;
        void* refused = reinterpret_cast<void*>(1);
        EXPECT_EQ(factory->CreateInstance(&outer, defaults[i], &refused), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(refused, nullptr);
        ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
        factory.reset();
        EXPECT_EQ(outer.refs, 1u);  // the inner unknown does not count the outer one

        // The control's interfaces come through the outer object and count on it.
        IDispatch* dispatch = nullptr;
        ASSERT_EQ(outer.QueryInterface(defaults[i], reinterpret_cast<void**>(&dispatch)), S_OK);
        EXPECT_EQ(outer.refs, 2u);
        IUnknown* identity = nullptr;
        ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
        identity->Release();
        IOleObject* ole = nullptr;
        ASSERT_EQ(dispatch->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
        SIZEL size;
        EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
        ole->Release();
        DISPID id = 0;
        EXPECT_EQ(dispatch->GetIDsOfNames("NoSuchMember", &id), DISP_E_UNKNOWNNAME);
        dispatch->Release();
        EXPECT_EQ(outer.refs, 1u);
        EXPECT_EQ(library.CanUnloadNow(), S_FALSE);

        // Releasing the inner unknown ends the control.
        outer.inner->Release();
        outer.inner = nullptr;
        EXPECT_EQ(library.CanUnloadNow(), S_OK);
    }
}

// ---- The main window's stored streams ----------------------------------------------------

TEST(StoredControlData, TheProgramHoldsTheStreamsOfItsFourControls)
{
    auto read = [](const std::string& name) {
        std::ifstream in(std::string(CHORVANE_SOURCE_DIR) + "/Chorvane/controls/" + name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read("NimVisualization.dat"), kMeterStream);
    EXPECT_EQ(read("NimAudioRecorder.dat"), kSmallStream);
    EXPECT_EQ(read("NimAudioFile.dat"), kSmallStream);
    EXPECT_EQ(read("NimDXVideoPlayer.dat"), kPlayerStream);
}
