// The four component libraries as in-process servers: what DllRegisterServer and
// DllUnregisterServer write into the key store, the host creating controls through
// the registration and falling back to its library folder, DllGetClassObject's
// refusal of other class ids and DllCanUnloadNow.
#include "component_libraries.h"

#include "INimAudioFile.h"
#include "control_loader.h"
#include "registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using namespace component_test;
using registry::Key;

namespace {

// The keys and values a library's registration writes.
Key ExpectedRegistration(const Component& c, const std::string& module)
{
    const std::string clsid = GuidToString(c.identity->clsid);
    const std::string appId = GuidToString(c.appId);
    const std::string description = c.identity->description;
    Key root;
    root.Create("AppID\\" + appId).SetDefault(c.identity->name);
    root.Create("AppID\\" + std::string(c.identity->name) + ".DLL").SetValue("AppID", appId);
    root.Create(c.identity->progId).SetDefault(description);
    root.Create(std::string(c.identity->progId) + "\\CLSID").SetDefault(clsid);
    root.Create(c.identity->versionIndependentProgId).SetDefault(description);
    root.Create(std::string(c.identity->versionIndependentProgId) + "\\CLSID").SetDefault(clsid);
    root.Create(std::string(c.identity->versionIndependentProgId) + "\\CurVer").SetDefault(c.identity->progId);
    Key& key = root.Create("CLSID\\" + clsid);
    key.SetDefault(description);
    key.SetValue("AppID", appId);
    key.Create("ProgID").SetDefault(c.identity->progId);
    key.Create("VersionIndependentProgID").SetDefault(c.identity->versionIndependentProgId);
    key.Create("Programmable");
    Key& server = key.Create("InprocServer32");
    server.SetDefault(module);
    server.SetValue("ThreadingModel", "Apartment");
    key.Create("Control");
    key.Create("ToolboxBitmap32").SetDefault(module + ", " + std::to_string(c.toolboxBitmap));
    key.Create("MiscStatus").SetDefault("0");
    key.Create("MiscStatus\\1").SetDefault(std::to_string(c.identity->miscStatus));
    key.Create("TypeLib").SetDefault(GuidToString(c.libId));
    key.Create("Version").SetDefault("1.0");
    return root;
}

void Merge(Key& into, const Key& from)
{
    if (from.defaultValue()) into.SetDefault(*from.defaultValue());
    for (const auto& [name, value] : from.values()) into.SetValue(name, value);
    for (const Key& sub : from.subkeys()) Merge(into.CreateSubkey(sub.name()), sub);
}

class RegistrationTest : public testing::Test {
protected:
    std::string StoreText() const
    {
        std::ifstream in(store_.path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    PrivateRegistry registry_;
    registry::Store store_{registry::Store::DefaultPath()};
};

}  // namespace

TEST_F(RegistrationTest, TheStoreIsInThePrivateDataFolder)
{
    EXPECT_EQ(store_.path(), registry_.folder() + "/chorvane/registry");
}

TEST_F(RegistrationTest, EachLibraryWritesExactlyTheTableAndRegisteringTwiceChangesNothing)
{
    for (const Component& c : kComponents) {
        SCOPED_TRACE(c.identity->name);
        fs::remove(store_.path());
        Library library(LibraryPath(c));
        ASSERT_TRUE(library) << library.error();
        ASSERT_EQ(library.Register(), S_OK);
        const std::string once = StoreText();
        EXPECT_EQ(once, registry::Serialize(ExpectedRegistration(c, fs::canonical(LibraryPath(c)).string())));
        ASSERT_EQ(library.Register(), S_OK);
        EXPECT_EQ(StoreText(), once);
        ASSERT_EQ(library.Unregister(), S_OK);
        EXPECT_EQ(StoreText(), "Chorvane registry 1\n[AppID]\n[CLSID]\nEnd\n");
        ASSERT_EQ(library.Unregister(), S_OK);
        EXPECT_EQ(StoreText(), "Chorvane registry 1\n[AppID]\n[CLSID]\nEnd\n");
    }
}

TEST_F(RegistrationTest, TheRecordersKeysAndValuesAsTheyAreWritten)
{
    Library library(LibraryPath(kComponents[1]));
    ASSERT_EQ(library.Register(), S_OK);
    const std::string module = fs::canonical(LibraryPath(kComponents[1])).string();
    const std::string text = StoreText();
    for (const std::string& line : std::initializer_list<std::string>{
             "[AppID\\{346741DD-C581-491C-8909-3D5CEDB32706}]\n@=\"NimAudioRecorder\"\n",
          "[AppID\\NimAudioRecorder.DLL]\n\"AppID\"=\"{346741DD-C581-491C-8909-3D5CEDB32706}\"\n",
          "[CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}]\n@=\"NimAudioRecorder Class\"\n"
          "\"AppID\"=\"{346741DD-C581-491C-8909-3D5CEDB32706}\"\n",
          "[CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}\\InprocServer32]\n@=\"" + module +
              "\"\n\"ThreadingModel\"=\"Apartment\"\n",
          "[CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}\\MiscStatus]\n@=\"0\"\n"
          "[CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}\\MiscStatus\\1]\n@=\"132497\"\n",
          "[CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}\\ToolboxBitmap32]\n@=\"" + module + ", 103\"\n",
          "[NimAudioRecorder.NimAudioRecorder\\CurVer]\n@=\"NimAudioRecorder.NimAudioRecorder.1\"\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    ASSERT_EQ(library.Unregister(), S_OK);
}

TEST_F(RegistrationTest, UnregisteringOneLibraryLeavesTheOthersAndSomeoneElsesKeys)
{
    ASSERT_EQ(store_.Update([](Key& root) {
        root.Create("CLSID\\{00000000-1111-2222-3333-444444444444}").SetDefault("another program");
        return S_OK;
    }), S_OK);
    std::vector<std::unique_ptr<Library>> libraries;
    Key expected;
    expected.Create("CLSID\\{00000000-1111-2222-3333-444444444444}").SetDefault("another program");
    for (const Component& c : kComponents) {
        libraries.push_back(std::make_unique<Library>(LibraryPath(c)));
        ASSERT_EQ(libraries.back()->Register(), S_OK);
    }
    ASSERT_EQ(libraries[3]->Unregister(), S_OK);  // NimAudioFile
    for (size_t i = 0; i < 3; ++i)
        Merge(expected, ExpectedRegistration(kComponents[i], fs::canonical(LibraryPath(kComponents[i])).string()));
    EXPECT_EQ(StoreText(), registry::Serialize(expected));
    for (size_t i = 0; i < 3; ++i) ASSERT_EQ(libraries[i]->Unregister(), S_OK);
    EXPECT_EQ(StoreText(),
              "Chorvane registry 1\n[AppID]\n[CLSID]\n[CLSID\\{00000000-1111-2222-3333-444444444444}]\n"
              "@=\"another program\"\nEnd\n");
}

TEST_F(RegistrationTest, AStoreThatCannotBeWrittenFailsTheRegistration)
{
    fs::create_directories(registry_.folder() + "/chorvane");
    fs::create_directory(store_.path() + ".lock/");  // the lock file cannot be opened
    Library library(LibraryPath(kComponents[3]));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(FAILED(library.Register()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("registration of"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(store_.path()));
}

// ---- The host --------------------------------------------------------------------

TEST_F(RegistrationTest, TheHostCreatesTheControlFromTheRegisteredLibrary)
{
    const Component& c = kComponents[3];  // NimAudioFile
    TempFolder elsewhere;
    const std::string copy = elsewhere.path(c.identity->library);
    fs::copy_file(LibraryPath(c), copy);
    Library registered(copy);
    ASSERT_TRUE(registered) << registered.error();
    ASSERT_EQ(registered.Register(), S_OK);
    Library own(LibraryPath(c));

    ComPtr<INimAudioFile> file;
    std::string error;
    testing::internal::CaptureStderr();
    ASSERT_EQ(component_shell::CreateControl(c.identity->clsid, IID_INimAudioFile, file.putVoid(), &error), S_OK)
        << error;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // The object lives in the registered copy, not in the library beside the program.
    EXPECT_EQ(registered.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(own.CanUnloadNow(), S_OK);
    file.reset();
    EXPECT_EQ(registered.CanUnloadNow(), S_OK);
    ASSERT_EQ(registered.Unregister(), S_OK);
}

TEST_F(RegistrationTest, ALibraryMovedAfterRegistrationFallsBackToTheLibraryFolder)
{
    const Component& c = kComponents[3];
    TempFolder elsewhere;
    fs::create_directories(elsewhere.path("before"));
    const std::string copy = elsewhere.path("before/") + c.identity->library;
    fs::copy_file(LibraryPath(c), copy);
    {
        Library registered(copy);
        ASSERT_EQ(registered.Register(), S_OK);
    }
    fs::rename(elsewhere.path("before"), elsewhere.path("after"));
    Library own(LibraryPath(c));

    ComPtr<INimAudioFile> file;
    std::string error;
    testing::internal::CaptureStderr();
    ASSERT_EQ(component_shell::CreateControl(c.identity->clsid, IID_INimAudioFile, file.putVoid(), &error), S_OK)
        << error;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(copy), std::string::npos) << err;
    EXPECT_NE(err.find("does not exist"), std::string::npos) << err;
    EXPECT_NE(err.find(LibraryPath(c)), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(own.CanUnloadNow(), S_FALSE);
    file.reset();
    EXPECT_EQ(own.CanUnloadNow(), S_OK);
}

TEST_F(RegistrationTest, AGarbageRegistryIsReadAsEmptyAndTheHostUsesItsLibraryFolder)
{
    fs::create_directories(registry_.folder() + "/chorvane");
    std::ofstream(store_.path(), std::ios::binary) << "Chorvane registry 1\n[CLSID\\{BF368F10";
    ComPtr<INimAudioFile> file;
    std::string error;
    testing::internal::CaptureStderr();
    ASSERT_EQ(component_shell::CreateControl(identity::CLSID_NimAudioFile, IID_INimAudioFile, file.putVoid(), &error),
              S_OK)
        << error;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(store_.path()), std::string::npos) << err;
    EXPECT_NE(err.find("read as empty"), std::string::npos) << err;
}

// ---- Server entry points -----------------------------------------------------------

TEST(ServerExports, DllGetClassObjectRefusesEveryOtherClassId)
{
    for (const Component& c : kComponents) {
        SCOPED_TRACE(c.identity->name);
        Library library(LibraryPath(c));
        ASSERT_TRUE(library) << library.error();
        for (const Component& other : kComponents) {
            void* factory = reinterpret_cast<void*>(1);
            const HRESULT hr = library.GetClassObject(other.identity->clsid, IID_IClassFactory, &factory);
            if (&other == &c) {
                ASSERT_EQ(hr, S_OK);
                static_cast<IClassFactory*>(factory)->Release();
            } else {
                EXPECT_EQ(hr, CLASS_E_CLASSNOTAVAILABLE);
                EXPECT_EQ(factory, nullptr);
            }
        }
        void* factory = nullptr;
        EXPECT_EQ(library.GetClassObject(GUID_NULL, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(library.CanUnloadNow(), S_OK);
    }
}

TEST(ServerExports, DllCanUnloadNowIsFalseWhileAnObjectOrALockLives)
{
    for (const Component& c : kComponents) {
        SCOPED_TRACE(c.identity->name);
        Library library(LibraryPath(c));
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(library.GetClassObject(c.identity->clsid, IID_IClassFactory, factory.putVoid()), S_OK);
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.putVoid()), S_OK);
        EXPECT_EQ(factory->LockServer(1), S_OK);
        factory.reset();
        EXPECT_EQ(library.CanUnloadNow(), S_FALSE);  // an object and a lock
        object.reset();
        EXPECT_EQ(library.CanUnloadNow(), S_FALSE);  // the lock
        ASSERT_EQ(library.GetClassObject(c.identity->clsid, IID_IClassFactory, factory.putVoid()), S_OK);
        EXPECT_EQ(factory->LockServer(0), S_OK);
        EXPECT_EQ(library.CanUnloadNow(), S_FALSE);  // the factory reference
        factory.reset();
        EXPECT_EQ(library.CanUnloadNow(), S_OK);
    }
}

// ---- The registration tool ----------------------------------------------------------

TEST_F(RegistrationTest, TheToolRegistersAndUnregistersLibrariesForInstallers)
{
    const std::string tool = component_shell::LibraryFolder() + "/nimregsvr";
    const std::string recorder = LibraryPath(kComponents[1]);
    const std::string file = LibraryPath(kComponents[3]);
    auto run = [](const std::string& command) {
        const int status = std::system((command + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(run(tool + " /s " + recorder + " " + file), 0);
    Key expected;
    Merge(expected, ExpectedRegistration(kComponents[1], fs::canonical(recorder).string()));
    Merge(expected, ExpectedRegistration(kComponents[3], fs::canonical(file).string()));
    EXPECT_EQ(StoreText(), registry::Serialize(expected));
    ASSERT_EQ(run(tool + " /u " + recorder + " " + file), 0);
    EXPECT_EQ(StoreText(), "Chorvane registry 1\n[AppID]\n[CLSID]\nEnd\n");

    EXPECT_EQ(run(tool), 1);
    EXPECT_EQ(run(tool + " /x " + file), 1);
    EXPECT_EQ(run(tool + " " + registry_.folder() + "/missing.so"), 3);
    EXPECT_EQ(run(tool + " " + component_shell::LibraryFolder() + "/libchorvane_platform.so"), 4);
}

TEST_F(RegistrationTest, ARegisteredFileThatIsNoLibraryFallsBackToTheLibraryFolder)
{
    TempFolder elsewhere;
    const std::string broken = elsewhere.path("libNimAudioFile.so");
    std::ofstream(broken) << "not a library";
    ASSERT_EQ(store_.Update([&](Key& root) {
        root.Create("CLSID\\" + GuidToString(identity::CLSID_NimAudioFile) + "\\InprocServer32").SetDefault(broken);
        return S_OK;
    }), S_OK);
    ComPtr<INimAudioFile> file;
    std::string error;
    testing::internal::CaptureStderr();
    ASSERT_EQ(component_shell::CreateControl(identity::CLSID_NimAudioFile, IID_INimAudioFile, file.putVoid(), &error),
              S_OK)
        << error;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(broken + " cannot be loaded"), std::string::npos) << err;
    EXPECT_NE(err.find(LibraryPath(kComponents[3])), std::string::npos) << err;
}
