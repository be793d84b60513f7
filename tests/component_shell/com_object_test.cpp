// The object model shared by the components: counting, QueryInterface, the class
// factory and unload rule, connection points and the dispatch helpers.
#include "com_object.h"
#include "connection_point.h"
#include "control_loader.h"
#include "dispatch.h"
#include "event_sink.h"
#include "identity.h"

#include <gtest/gtest.h>

#include <vector>

using namespace component_shell;

namespace {

constexpr IID IID_ITestControl{0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID DIID_TestEvents{0x11111111, 0x2222, 0x3333, {8, 7, 6, 5, 4, 3, 2, 1}};
constexpr CLSID CLSID_TestControl{0x99999999, 0x2222, 0x3333, {1, 1, 1, 1, 1, 1, 1, 1}};

struct ITestControl : IDispatch {
    virtual HRESULT Add(LONG a, LONG b, LONG* sum) = 0;

protected:
    ~ITestControl() = default;
};

int g_liveControls = 0;

class TestControl : public ITestControl, public IConnectionPointContainer {
public:
    TestControl() : events_(static_cast<ITestControl*>(this), DIID_TestEvents) { ++g_liveControls; }
    virtual ~TestControl() { --g_liveControls; }

    void* InternalQueryInterface(REFIID iid)
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ITestControl)
            return static_cast<ITestControl*>(this);
        if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
        return nullptr;
    }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        return FindSingleConnectionPoint(events_, iid, point);
    }
    HRESULT Add(LONG a, LONG b, LONG* sum) override
    {
        if (!sum) return E_POINTER;
        *sum = a + b;
        return S_OK;
    }
    HRESULT GetIDsOfNames(const char* name, DISPID* id) override
    {
        return LookUpDispId({{"Add", 1}, {"Fire", 2}}, name, id);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result) override
    {
        if (id == 1) {
            int32_t a = 0, b = 0, sum = 0;
            if (HRESULT hr = ExpectArgs(params, 2); FAILED(hr)) return hr;
            if (HRESULT hr = ArgI4(params, 0, &a); FAILED(hr)) return hr;
            if (HRESULT hr = ArgI4(params, 1, &b); FAILED(hr)) return hr;
            Add(a, b, &sum);
            SetResultI4(result, sum);
            return S_OK;
        }
        if (id == 2) {
            int32_t event = 0;
            if (HRESULT hr = ArgI4(params, 0, &event); FAILED(hr)) return hr;
            events_.Fire(event);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ConnectionPoint events_;
};

}  // namespace

TEST(ComObject, CountsReferencesAndAnswersOnlyItsInterfaces)
{
    ComPtr<ITestControl> control;
    ASSERT_EQ(ClassFactory<TestControl>::Instance().CreateInstance(nullptr, IID_ITestControl, control.putVoid()), S_OK);
    EXPECT_EQ(g_liveControls, 1);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);

    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(control.As(IID_IConnectionPointContainer, &container), S_OK);
    ComPtr<IClassFactory> wrong;
    EXPECT_EQ(control.As(IID_IClassFactory, &wrong), E_NOINTERFACE);
    EXPECT_FALSE(wrong);

    control.reset();
    EXPECT_EQ(g_liveControls, 1);  // the container reference keeps it alive
    container.reset();
    EXPECT_EQ(g_liveControls, 0);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ClassFactory, AggregatesOnlyForTheInnerUnknownRefusesOtherClassesAndHonoursServerLocks)
{
    void* object = reinterpret_cast<void*>(1);
    auto& factory = ClassFactory<TestControl>::Instance();
    ComPtr<ITestControl> outer;
    ASSERT_EQ(factory.CreateInstance(nullptr, IID_ITestControl, outer.putVoid()), S_OK);
    // With an outer unknown only the inner unknown may be asked for.
    EXPECT_EQ(factory.CreateInstance(outer.get(), IID_ITestControl, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(g_liveControls, 1);
    ASSERT_EQ(factory.CreateInstance(outer.get(), IID_IUnknown, &object), S_OK);
    auto* inner = static_cast<IUnknown*>(object);
    EXPECT_EQ(g_liveControls, 2);
    ITestControl* aggregated = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_ITestControl, reinterpret_cast<void**>(&aggregated)), S_OK);
    // Its IUnknown is the outer object's: the identity rule.
    IUnknown* identity = nullptr;
    ASSERT_EQ(aggregated->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    ITestControl* outerItself = outer.get();
    EXPECT_EQ(static_cast<void*>(identity), static_cast<void*>(static_cast<IUnknown*>(outerItself)));
    identity->Release();
    LONG sum = 0;
    EXPECT_EQ(aggregated->Add(2, 3, &sum), S_OK);
    EXPECT_EQ(sum, 5);
    aggregated->Release();
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(g_liveControls, 1);

    EXPECT_EQ(factory.CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(g_liveControls, 1);  // the refused object was destroyed
    outer.reset();

    void* got = nullptr;
    EXPECT_EQ((GetClassObject<TestControl>(CLSID_TestControl, IID_ITestControl, IID_IClassFactory, &got)),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ((GetClassObject<TestControl>(CLSID_TestControl, CLSID_TestControl, IID_IClassFactory, &got)), S_OK);
    auto* cf = static_cast<IClassFactory*>(got);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    cf->LockServer(1);
    cf->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    cf->LockServer(0);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ConnectionPoint, FiresSinksInConnectionOrderAndSurvivesUnadviseDuringFire)
{
    ComPtr<ITestControl> control;
    ASSERT_EQ(ComObject<TestControl>::CreateInstance(IID_ITestControl, control.putVoid()), S_OK);

    std::vector<std::string> calls;
    EventConnection first, second, third;
    ASSERT_EQ(first.Connect(control.get(), DIID_TestEvents, [&](DISPID id) {
        calls.push_back("first:" + std::to_string(id));
        second.Disconnect();  // a handler may drop another sink mid-fire
    }), S_OK);
    ASSERT_EQ(second.Connect(control.get(), DIID_TestEvents, [&](DISPID id) { calls.push_back("second:" + std::to_string(id)); }), S_OK);
    ASSERT_EQ(third.Connect(control.get(), DIID_TestEvents, [&](DISPID id) { calls.push_back("third:" + std::to_string(id)); }), S_OK);

    DISPPARAMS fire{{VARIANT::I4(1)}};
    ASSERT_EQ(control->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &fire, nullptr), S_OK);
    EXPECT_EQ(calls, (std::vector<std::string>{"first:1", "third:1"}));

    calls.clear();
    DISPPARAMS fire2{{VARIANT::I4(2)}};
    control->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &fire2, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"first:2", "third:2"}));

    // Wrong event interface, and a cookie that names no connection.
    ComPtr<IConnectionPointContainer> container;
    control.As(IID_IConnectionPointContainer, &container);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_ITestControl, point.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(DIID_TestEvents, point.put()), S_OK);
    EXPECT_EQ(point->Unadvise(999), CONNECT_E_NOCONNECTION);
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, DIID_TestEvents);
}

TEST(ConnectionPoint, SinkWithoutTheEventInterfaceCannotConnect)
{
    ComPtr<ITestControl> control;
    ASSERT_EQ(ComObject<TestControl>::CreateInstance(IID_ITestControl, control.putVoid()), S_OK);
    EventConnection wrong;
    EXPECT_EQ(wrong.Connect(control.get(), IID_ITestControl, [](DISPID) {}), CONNECT_E_NOCONNECTION);
    ComPtr<IConnectionPointContainer> container;
    control.As(IID_IConnectionPointContainer, &container);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID_TestEvents, point.put()), S_OK);
    ComPtr<ITestControl> notASink;
    ASSERT_EQ(ComObject<TestControl>::CreateInstance(IID_ITestControl, notASink.putVoid()), S_OK);
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(notASink.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
}

TEST(Dispatch, InvokeByDispIdChecksArgumentsAndLooksUpNames)
{
    ComPtr<ITestControl> control;
    ASSERT_EQ(ComObject<TestControl>::CreateInstance(IID_ITestControl, control.putVoid()), S_OK);
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames("aDD", &id), S_OK);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(control->GetIDsOfNames("Subtract", &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);

    DISPPARAMS args{{VARIANT::I4(40), VARIANT::I4(2)}};
    VARIANT result;
    ASSERT_EQ(control->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &args, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 42);

    DISPPARAMS one{{VARIANT::I4(40)}};
    EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, &result), DISP_E_BADPARAMCOUNT);
    DISPPARAMS text{{VARIANT::Str("40"), VARIANT::I4(2)}};
    EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &text, &result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control->Invoke(77, IID_NULL, 0, DISPATCH_METHOD, &args, &result), DISP_E_MEMBERNOTFOUND);

    SAFEARRAY* psa = SafeArrayCreateVector(VT_I1, 0, 4);
    DISPPARAMS byRef{{VARIANT::RefArray(&psa)}};
    SAFEARRAY** slot = nullptr;
    ASSERT_EQ(ArgArraySlot(&byRef, 0, &slot), S_OK);
    EXPECT_EQ(slot, &psa);
    EXPECT_EQ(ArgArraySlot(&args, 0, &slot), DISP_E_TYPEMISMATCH);
    SafeArrayDestroy(psa);
}

TEST(ControlLoader, UnknownClassesAndMissingLibrariesAreNotAvailable)
{
    void* object = nullptr;
    std::string error;
    EXPECT_EQ(CreateControl(CLSID_TestControl, IID_IUnknown, &object, &error), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_NE(error.find("Class not registered"), std::string::npos);
    SetLibraryFolder("/nonexistent-folder");
    error.clear();
    EXPECT_EQ(CreateControl(identity::CLSID_NimAudioFile, IID_IUnknown, &object, &error), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_NE(error.find("libNimAudioFile.so"), std::string::npos);
    EXPECT_EQ(object, nullptr);
    SetLibraryFolder("");
}
