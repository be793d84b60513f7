// The key store that stands in for the registry: keys and values, the file's text,
// files that are garbage or cut short, the path rule, and two writers at once.
#include "registry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using registry::Key;
using registry::Store;

namespace {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "registry-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    [[nodiscard]] std::string path(const std::string& name = "") const { return name.empty() ? path_ : path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

Key SampleTree()
{
    Key root;
    root.Create("AppID");
    root.Create("AppID\\{346741DD-C581-491C-8909-3D5CEDB32706}").SetDefault("NimAudioRecorder");
    Key& server = root.Create("CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}\\InprocServer32");
    server.SetDefault("/opt/chorvane/lib \"quoted\" \\ back\nslash");
    server.SetValue("ThreadingModel", "Apartment");
    root.Create("CLSID\\{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}\\Programmable");
    root.Create("Odd%Name\x01").CreateSubkey("back\\slash");  // one name with the separator in it
    return root;
}

}  // namespace

TEST(RegistryKey, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling)
{
    Key root;
    root.Create("CLSID\\{ABC}\\InprocServer32").SetValue("ThreadingModel", "Apartment");
    ASSERT_NE(root.Find("clsid\\{abc}\\INPROCSERVER32"), nullptr);
    EXPECT_EQ(root.Find("clsid")->name(), "CLSID");
    Key* server = root.Find("CLSID\\{abc}\\InprocServer32");
    EXPECT_EQ(*server->Value("threadingmodel"), "Apartment");
    server->SetValue("THREADINGMODEL", "Both");
    ASSERT_EQ(server->values().size(), 1u);
    EXPECT_EQ(server->values()[0].first, "ThreadingModel");
    EXPECT_EQ(server->values()[0].second, "Both");
    EXPECT_TRUE(server->RemoveValue("threadingModel"));
    EXPECT_FALSE(server->RemoveValue("threadingModel"));

    EXPECT_FALSE(root.Remove("CLSID\\{ABC}\\Nothing"));
    EXPECT_TRUE(root.Remove("clsid\\{ABC}"));
    EXPECT_EQ(root.Find("CLSID\\{ABC}\\InprocServer32"), nullptr);
    ASSERT_NE(root.Find("CLSID"), nullptr);
    EXPECT_TRUE(root.Find("CLSID")->empty());
    EXPECT_EQ(root.Find(""), &root);
}

TEST(RegistryText, RoundTripKeepsEveryKeyValueAndEmptyKey)
{
    const Key tree = SampleTree();
    const std::string text = registry::Serialize(tree);
    EXPECT_EQ(text.rfind("Chorvane registry 1\n", 0), 0u);
    EXPECT_NE(text.find("[AppID]\n[AppID\\{346741DD-C581-491C-8909-3D5CEDB32706}]\n@=\"NimAudioRecorder\"\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"ThreadingModel\"=\"Apartment\"\n"), std::string::npos);
    EXPECT_NE(text.find("[Odd%25Name%01]\n[Odd%25Name%01\\back%5Cslash]\n"), std::string::npos) << text;
    std::string error;
    const auto parsed = registry::Parse(text, &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_TRUE(*parsed == tree);
    EXPECT_EQ(registry::Serialize(*parsed), text);
    EXPECT_EQ(registry::Serialize(Key()), "Chorvane registry 1\nEnd\n");
}

TEST(RegistryText, EveryCutOfTheFileAndGarbageAreRefused)
{
    const std::string text = registry::Serialize(SampleTree());
    for (size_t n = 0; n < text.size(); ++n)
        EXPECT_FALSE(registry::Parse(text.substr(0, n))) << "cut at " << n;
    for (const std::string& bad :
         {std::string("\x7f" "ELF\x02\x01\x01"), std::string("Chorvane registry 2\nEnd\n"),
          std::string("Chorvane registry 1\n\"x\"=\"y\"\nEnd\n"), std::string("Chorvane registry 1\n[A]\n@=y\nEnd\n"),
          std::string("Chorvane registry 1\n[A\\\\B]\nEnd\n"), std::string("Chorvane registry 1\n[A]\nEnd\n[B]\n"),
          std::string("Chorvane registry 1\n[A]\n\"x\"=\"\\q\"\nEnd\n"), std::string("Chorvane registry 1\n\nEnd\n")}) {
        std::string error;
        EXPECT_FALSE(registry::Parse(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(RegistryStore, MissingFileIsEmptyAndAnUpdateWritesTheWholeTree)
{
    TempFolder folder;
    const Store store(folder.path("data/chorvane/registry"));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(store.Load().empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    ASSERT_EQ(store.Update([](Key& root) {
        root.Create("CLSID\\{1}").SetDefault("one");
        return S_OK;
    }), S_OK);
    EXPECT_EQ(ReadText(store.path()), "Chorvane registry 1\n[CLSID]\n[CLSID\\{1}]\n@=\"one\"\nEnd\n");
    // A failing change leaves the file as it was.
    EXPECT_EQ(store.Update([](Key& root) {
        root.Remove("CLSID");
        return E_ACCESSDENIED;
    }), E_ACCESSDENIED);
    EXPECT_EQ(*store.Load().Find("CLSID\\{1}")->defaultValue(), "one");
    // No temporary file is left beside it.
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder.path("data/chorvane"))) {
        ++files;
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "registry" || name == "registry.lock") << name;
    }
    EXPECT_EQ(files, 2u);
}

TEST(RegistryStore, GarbageOrCutFilesReadAsEmptyWithALineOnStderr)
{
    TempFolder folder;
    const Store store(folder.path("registry"));
    const std::string good = registry::Serialize(SampleTree());
    for (const std::string& bad : {std::string("\x89PNG garbage\n\x00\x01", 15), good.substr(0, good.size() - 2),
                                   std::string()}) {
        WriteText(store.path(), bad);
        std::string problem;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(store.Load(&problem).empty());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(store.path()), std::string::npos) << err;
        EXPECT_NE(err.find("read as empty"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
        EXPECT_FALSE(problem.empty());
    }
    // An update over a garbage file starts from an empty tree.
    testing::internal::CaptureStderr();
    ASSERT_EQ(store.Update([](Key& root) {
        root.Create("AppID");
        return S_OK;
    }), S_OK);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadText(store.path()), "Chorvane registry 1\n[AppID]\nEnd\n");
}

TEST(RegistryStore, TwoProcessesWritingAtOnceLoseNoChange)
{
    TempFolder folder;
    const Store store(folder.path("registry"));
    constexpr int kEach = 40;
    auto writer = [&](const char* who) {
        for (int i = 0; i < kEach; ++i) {
            const HRESULT hr = store.Update([&](Key& root) {
                root.Create(std::string("Keys\\") + who + std::to_string(i)).SetDefault(who);
                return S_OK;
            });
            if (FAILED(hr)) return false;
        }
        return true;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(writer("child") ? 0 : 1);
    EXPECT_TRUE(writer("parent"));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    testing::internal::CaptureStderr();
    const Key root = store.Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(root.Find("Keys"), nullptr);
    EXPECT_EQ(root.Find("Keys")->subkeys().size(), size_t(2 * kEach));
}

TEST(RegistryStore, PathIsTheUsersDataFolderOrBesideAPortableExecutable)
{
    TempFolder folder;
    EXPECT_EQ(Store::PathFor(folder.path(), "/xdg", "/home/u"), "/xdg/chorvane/registry");
    EXPECT_EQ(Store::PathFor(folder.path(), "", "/home/u"), "/home/u/.local/share/chorvane/registry");
    EXPECT_EQ(Store::PathFor(folder.path(), "relative/xdg", "/home/u"), "/home/u/.local/share/chorvane/registry");
    WriteText(folder.path("portable"), "");
    EXPECT_EQ(Store::PathFor(folder.path(), "/xdg", "/home/u"), folder.path("registry"));
}
