#include "control_loader.h"

#include "identity.h"
#include "registered_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

namespace component_shell {
namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);

std::mutex& loaderMutex()
{
    static std::mutex m;
    return m;
}

std::string& folderSetting()
{
    static std::string folder;
    return folder;
}

std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string p(path, static_cast<size_t>(n));
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

#ifndef CHORVANE_LIBDIR_FROM_BINDIR
#define CHORVANE_LIBDIR_FROM_BINDIR "../lib/chorvane"
#endif

// Library handles stay open for the life of the process: objects and their code may
// outlive any one caller.
std::map<std::string, void*>& openLibraries()
{
    static std::map<std::string, void*> libs;
    return libs;
}

}  // namespace

void SetLibraryFolder(const std::string& folder)
{
    std::lock_guard lock(loaderMutex());
    folderSetting() = folder;
}

std::string DefaultLibraryFolder(const std::string& executableFolder)
{
    for (const auto& control : identity::kControls) {
        const std::string beside = executableFolder + "/" + control.library;
        if (access(beside.c_str(), F_OK) == 0) return executableFolder;
    }
    std::string installed = (std::filesystem::path(executableFolder) / CHORVANE_LIBDIR_FROM_BINDIR).lexically_normal();
    if (installed.size() > 1 && installed.back() == '/') installed.pop_back();
    return installed;
}

std::string LibraryFolder()
{
    std::lock_guard lock(loaderMutex());
    return folderSetting().empty() ? DefaultLibraryFolder(ExecutableFolder()) : folderSetting();
}

HRESULT CreateControl(REFCLSID clsid, REFIID iid, void** ppv, std::string* error)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const identity::ControlIdentity* control = identity::FindControl(clsid);
    if (!control) {
        if (error) *error = "Class not registered: " + GuidToString(clsid);
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    // Through the registration when the class is registered and its library is there;
    // from the host's own library folder otherwise.
    const std::string folderPath = LibraryFolder() + "/" + control->library;
    const std::string registered = RegisteredLibrary(clsid, folderPath);
    std::string path = registered.empty() ? folderPath : registered;
    void* handle = nullptr;
    {
        std::lock_guard lock(loaderMutex());
        auto& libs = openLibraries();
        auto open = [&libs](const std::string& file) {
            auto it = libs.find(file);
            if (it != libs.end()) return it->second;
            void* opened = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (opened) libs[file] = opened;
            return opened;
        };
        handle = open(path);
        if (!handle && path != folderPath) {
            // A registered library that cannot be loaded: the one in the library folder.
            std::fprintf(stderr, "Chorvane: the registered library %s cannot be loaded (%s); loading %s instead.\n",
                         path.c_str(), dlerror(), folderPath.c_str());
            path = folderPath;
            handle = open(path);
        }
        if (!handle) {
            if (error) *error = dlerror();
            return CLASS_E_CLASSNOTAVAILABLE;
        }
    }
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) {
        if (error) *error = path + " has no DllGetClassObject";
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory) {
        if (error) *error = "The class factory of " + std::string(control->name) + " failed: " + HResultText(hr);
        return FAILED(hr) ? hr : E_FAIL;
    }
    hr = factory->CreateInstance(nullptr, iid, ppv);
    factory->Release();
    if (FAILED(hr) && error) *error = std::string(control->name) + " could not be created: " + HResultText(hr);
    return hr;
}

}  // namespace component_shell
