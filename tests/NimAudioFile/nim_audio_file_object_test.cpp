// The file control as the host sees it: created from libNimAudioFile.so by class id,
// called through its interface and through Invoke, with the host's sample arrays.

#include "INimAudioFile.h"
#include "audio_test_support.h"
#include "com_object.h"
#include "control_loader.h"
#include "nim_audio_file_object.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace audio_test;
namespace dispid = nim_audio_file_dispid;

namespace {

// A control created from the built library, as the host creates it.
ComPtr<INimAudioFile> LoadControl()
{
    ComPtr<INimAudioFile> control;
    std::string error;
    const HRESULT hr = component_shell::CreateControl(identity::CLSID_NimAudioFile, identity::IID_INimAudioFile,
                                                      control.putVoid(), &error);
    EXPECT_EQ(hr, S_OK) << error;
    return control;
}

// A control built in this process with another encoder library.
ComPtr<INimAudioFile> ControlWithEncoder(const std::string& library)
{
    auto* object = new component_shell::ComObject<CNimAudioFileObject>(library);
    object->AddRef();
    return ComPtr<INimAudioFile>::Attach(object);
}

// A sample array as the capture control hands it out: VT_I1, one element per byte.
struct SampleArray {
    explicit SampleArray(const std::vector<uint8_t>& bytes)
        : array(SafeArrayCreateVector(VT_I1, 0, static_cast<ULONG>(bytes.size())))
    {
        void* data = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
            std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(data));
            SafeArrayUnaccessData(array);
        }
    }
    ~SampleArray() { SafeArrayDestroy(array); }
    SAFEARRAY* array;
};

HRESULT Call(INimAudioFile* control, DISPID id, std::vector<VARIANT> args)
{
    DISPPARAMS params{std::move(args)};
    VARIANT result;
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result);
}

std::vector<uint8_t> Bytes(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 13 + 1);
    return v;
}

}  // namespace

TEST(NimAudioFileControl, LoadsFromItsLibraryAndWritesAWaveTakeThroughInvoke)
{
    ScratchFolder dir;
    ComPtr<INimAudioFile> control = LoadControl();
    ASSERT_TRUE(control);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control.As(IID_IDispatch, &dispatch), S_OK);

    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames("createaudiofile", &id), S_OK);
    EXPECT_EQ(id, dispid::CreateAudioFile);
    EXPECT_EQ(dispatch->GetIDsOfNames("Play", &id), DISP_E_UNKNOWNNAME);

    const auto bytes = Bytes(16384);
    SampleArray samples(bytes);
    const std::string path = dir.file("take.wav");
    ASSERT_EQ(Call(control.get(), dispid::SetFormat, {VARIANT::I4(0)}), S_OK);
    ASSERT_EQ(Call(control.get(), dispid::SetAudioFormat, {VARIANT::I4(2), VARIANT::I4(44100), VARIANT::I4(16)}), S_OK);
    ASSERT_EQ(Call(control.get(), dispid::SetMP3BitRate, {VARIANT::I4(192)}), S_OK);
    ASSERT_EQ(Call(control.get(), dispid::CreateAudioFile, {VARIANT::Str(path)}), S_OK);
    ASSERT_EQ(Call(control.get(), dispid::Write, {VARIANT::RefArray(&samples.array), VARIANT::I4(16384)}), S_OK);
    ASSERT_EQ(Call(control.get(), dispid::Write, {VARIANT::Array(samples.array), VARIANT::I4(0)}), S_OK);
    ASSERT_EQ(Call(control.get(), dispid::CloseAudioFile, {}), S_OK);
    EXPECT_EQ(samples.array->cLocks, 0u);

    const auto f = ReadFile(path);
    ASSERT_EQ(f.size(), 46u + 16384u);
    EXPECT_EQ(U32(f, 42), 16384u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), f.begin() + 46));

    // Malformed calls are refused before anything happens.
    EXPECT_EQ(Call(control.get(), 99, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(control.get(), dispid::SetFormat, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(control.get(), dispid::CreateAudioFile, {VARIANT::I4(3)}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(control.get(), dispid::Write, {VARIANT::I4(3), VARIANT::I4(3)}), DISP_E_TYPEMISMATCH);
    DISPPARAMS none;
    EXPECT_EQ(control->Invoke(dispid::CloseAudioFile, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST(NimAudioFileControl, TheLibraryCanUnloadOnlyWhenNoControlIsLeft)
{
    ComPtr<INimAudioFile> control = LoadControl();
    ASSERT_TRUE(control);
    const std::string path = component_shell::LibraryFolder() + "/libNimAudioFile.so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto canUnload = reinterpret_cast<HRESULT (*)()>(dlsym(handle, "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    control.reset();
    EXPECT_EQ(canUnload(), S_OK);
    dlclose(handle);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(component_shell::CreateControl(identity::CLSID_NimAudioFile, IID_IClassFactory, unknown.putVoid()),
              E_NOINTERFACE);
}

TEST(NimAudioFileControl, UnknownFormatCodeFailsAndFallsBackToWave)
{
    ScratchFolder dir;
    ComPtr<INimAudioFile> control = LoadControl();
    ASSERT_EQ(control->SetFormat(1), S_OK);
    EXPECT_EQ(control->SetFormat(2), E_FAIL);
    ASSERT_EQ(control->CreateAudioFile(dir.file("take")), S_OK);
    ASSERT_EQ(control->CloseAudioFile(), S_OK);
    const auto f = ReadFile(dir.file("take"));
    ASSERT_EQ(f.size(), 46u);
    EXPECT_EQ(Tag(f, 8), "WAVE");
    EXPECT_EQ(control->SetFormat(-1), E_FAIL);
}

TEST(NimAudioFileControl, BitRateAndAudioFormatReachOnlyTheWriterSelectedAtTheTime)
{
    ScratchFolder dir;
    ComPtr<INimAudioFile> control = LoadControl();
    const auto pcm = AsBytes(Tones({440.0, 1250.0}, 44100, 22050));
    SampleArray samples(pcm);

    // Said while WAV is selected: the MP3 writer keeps 128 kbit/s and 2 x 44100.
    EXPECT_EQ(control->SetMP3BitRate(320), S_OK);
    EXPECT_EQ(control->SetAudioFormat(1, 22050, 8), S_OK);
    ASSERT_EQ(control->SetFormat(1), S_OK);
    ASSERT_EQ(control->CreateAudioFile(dir.file("first.mp3")), S_OK);
    ASSERT_EQ(control->Write(&samples.array, static_cast<LONG>(pcm.size())), S_OK);
    ASSERT_EQ(control->CloseAudioFile(), S_OK);
    Mp3Walk walk = WalkMp3(ReadFile(dir.file("first.mp3")));
    ASSERT_EQ(walk.error, "");
    ASSERT_FALSE(walk.frames.empty());
    EXPECT_EQ(walk.frames.front().bitrateKbps, 128);
    EXPECT_EQ(walk.frames.front().sampleRate, 44100);
    EXPECT_EQ(walk.frames.front().mode, 1);

    // Said while MP3 is selected; an unsupported rate is ignored but still succeeds.
    EXPECT_EQ(control->SetAudioFormat(1, 32000, 16), S_OK);
    EXPECT_EQ(control->SetMP3BitRate(192), S_OK);
    EXPECT_EQ(control->SetMP3BitRate(144), S_OK);
    ASSERT_EQ(control->CreateAudioFile(dir.file("second.mp3")), S_OK);
    ASSERT_EQ(control->Write(&samples.array, static_cast<LONG>(pcm.size())), S_OK);
    ASSERT_EQ(control->CloseAudioFile(), S_OK);
    walk = WalkMp3(ReadFile(dir.file("second.mp3")));
    ASSERT_EQ(walk.error, "");
    ASSERT_FALSE(walk.frames.empty());
    EXPECT_EQ(walk.frames.front().bitrateKbps, 192);
    EXPECT_EQ(walk.frames.front().sampleRate, 32000);
    EXPECT_EQ(walk.frames.front().mode, 3);

    // The WAV writer kept what it was told before.
    ASSERT_EQ(control->SetFormat(0), S_OK);
    ASSERT_EQ(control->CreateAudioFile(dir.file("third.wav")), S_OK);
    ASSERT_EQ(control->CloseAudioFile(), S_OK);
    const auto f = ReadFile(dir.file("third.wav"));
    ASSERT_EQ(f.size(), 46u);
    EXPECT_EQ(U16(f, 22), 1u);
    EXPECT_EQ(U32(f, 24), 22050u);
    EXPECT_EQ(U16(f, 34), 8u);
}

TEST(NimAudioFileControl, WriteTakesTheArrayThroughItsLockAndNeverReadsPastIt)
{
    ScratchFolder dir;
    ComPtr<INimAudioFile> control = LoadControl();
    const auto bytes = Bytes(100);
    SampleArray samples(bytes);
    ASSERT_EQ(control->CreateAudioFile(dir.file("take.wav")), S_OK);

    // A length past the data is cut to the data.
    EXPECT_EQ(control->Write(&samples.array, 100000), S_OK);
    // No array, no place for one, a negative length, an array whose lock is exhausted:
    // refused with the platform's error or E_FAIL, and nothing written.
    SAFEARRAY* nothing = nullptr;
    EXPECT_EQ(control->Write(&nothing, 10), E_INVALIDARG);
    EXPECT_EQ(control->Write(nullptr, 10), E_POINTER);
    EXPECT_EQ(control->Write(&samples.array, -5), E_FAIL);
    samples.array->cLocks = 0xFFFF;
    EXPECT_EQ(control->Write(&samples.array, 100), E_UNEXPECTED);
    samples.array->cLocks = 0;
    // Elements wider than a byte: the length still counts bytes.
    SAFEARRAY* wide = SafeArrayCreateVector(VT_I4, 0, 4);
    EXPECT_EQ(control->Write(&wide, 16), S_OK);
    EXPECT_EQ(wide->cLocks, 0u);
    SafeArrayDestroy(wide);
    ASSERT_EQ(control->CloseAudioFile(), S_OK);
    EXPECT_EQ(samples.array->cLocks, 0u);

    const auto f = ReadFile(dir.file("take.wav"));
    ASSERT_EQ(U32(f, 42), 116u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), f.begin() + 46));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 146, f.end()), std::vector<uint8_t>(16, 0));

    // Nothing open: Write and CloseAudioFile fail.
    EXPECT_EQ(control->Write(&samples.array, 100), E_FAIL);
    EXPECT_EQ(control->CloseAudioFile(), E_FAIL);
    EXPECT_EQ(control->CreateAudioFile(""), E_FAIL);
    EXPECT_EQ(control->CreateAudioFile(dir.path()), E_FAIL);
}

TEST(NimAudioFileControl, ReleasingTheControlWithAnOpenFileFinishesTheFile)
{
    ScratchFolder dir;
    const auto pcm = AsBytes(Tones({440.0, 1250.0}, 44100, 44100));
    SampleArray samples(pcm);
    for (LONG format : {0, 1}) {
        SCOPED_TRACE(format);
        const std::string path = dir.file("open" + std::to_string(format));
        {
            ComPtr<INimAudioFile> control = LoadControl();
            ASSERT_EQ(control->SetFormat(format), S_OK);
            ASSERT_EQ(control->CreateAudioFile(path), S_OK);
            ASSERT_EQ(control->Write(&samples.array, static_cast<LONG>(pcm.size())), S_OK);
        }
        const auto f = ReadFile(path);
        if (format == 0) {
            EXPECT_EQ(U32(f, 42), pcm.size());
            EXPECT_EQ(U32(f, 4), f.size() - 8);
        } else {
            const Mp3Walk walk = WalkMp3(f);
            EXPECT_EQ(walk.error, "");
            // The flushed tail is there: every input sample is inside a frame.
            EXPECT_GE(walk.frames.size() * 1152, 44100u + 576u);
        }
    }
}

TEST(NimAudioFileControl, MissingEncoderFailsMp3CreationWithoutAFileAndWaveStillWorks)
{
    ScratchFolder dir;
    testing::internal::CaptureStderr();
    ComPtr<INimAudioFile> control = ControlWithEncoder("libchorvane-no-such-encoder.so.0");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error loading lame_enc.DLL\n");
    ASSERT_EQ(control->SetFormat(1), S_OK);
    EXPECT_EQ(control->SetAudioFormat(2, 44100, 16), S_OK);
    EXPECT_EQ(control->SetMP3BitRate(128), S_OK);
    // The host learns which part is missing.
    EXPECT_EQ(control->CreateAudioFile(dir.file("take.mp3")), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(Exists(dir.file("take.mp3")));
    EXPECT_EQ(control->CloseAudioFile(), E_FAIL);
    ASSERT_EQ(control->SetFormat(0), S_OK);
    EXPECT_EQ(control->CreateAudioFile(dir.file("take.wav")), S_OK);
    EXPECT_EQ(control->CloseAudioFile(), S_OK);
}
