#pragma once
// The four component libraries as the tests load them: their identities, the library
// files beside the tests, a handle on one library's exports, a temporary folder and a
// private key store ($XDG_DATA_HOME pointed at a temporary folder).

#include "com.h"
#include "control_loader.h"
#include "identity.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <string>

namespace component_test {

struct Component {
    const identity::ControlIdentity* identity;
    GUID appId;
    GUID libId;
    int toolboxBitmap;
};

inline const std::array<Component, 4> kComponents{{
    {&identity::kControls[0], identity::APPID_NimVisualization, identity::LIBID_NimVisualizationLib, 102},
    {&identity::kControls[1], identity::APPID_NimAudioRecorder, identity::LIBID_NimAudioRecorderLib, 103},
    {&identity::kControls[2], identity::APPID_NimDXVideoPlayer, identity::LIBID_NimDXVideoPlayerLib, 102},
    {&identity::kControls[3], identity::APPID_NimAudioFile, identity::LIBID_NimAudioFileLib, 102},
}};

inline std::string LibraryPath(const Component& c)
{
    return component_shell::LibraryFolder() + "/" + c.identity->library;
}

// A loaded library and its four entry points. Libraries stay loaded for the life of
// the process, as the host keeps them.
class Library {
public:
    explicit Library(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_) error_ = dlerror();
    }
    ~Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    [[nodiscard]] const std::string& error() const { return error_; }

    HRESULT Register() const { return Call<HRESULT (*)()>("DllRegisterServer")(); }
    HRESULT Unregister() const { return Call<HRESULT (*)()>("DllUnregisterServer")(); }
    HRESULT CanUnloadNow() const { return Call<HRESULT (*)()>("DllCanUnloadNow")(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const
    {
        return Call<HRESULT (*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, ppv);
    }

private:
    template <class F>
    F Call(const char* name) const
    {
        void* symbol = handle_ ? dlsym(handle_, name) : nullptr;
        if (!symbol) throw std::runtime_error(std::string("no ") + name);
        return reinterpret_cast<F>(symbol);
    }

    void* handle_;
    std::string error_;
};

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "component-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    [[nodiscard]] std::string path(const std::string& name = "") const
    {
        return name.empty() ? path_ : path_ + "/" + name;
    }

private:
    std::string path_;
};

// $XDG_DATA_HOME points at a temporary folder for the life of the object, so that
// registrations go into a key store of the test's own.
class PrivateRegistry {
public:
    PrivateRegistry()
    {
        const char* previous = getenv("XDG_DATA_HOME");
        had_ = previous != nullptr;
        if (had_) previous_ = previous;
        setenv("XDG_DATA_HOME", folder_.path().c_str(), 1);
    }
    ~PrivateRegistry()
    {
        if (had_)
            setenv("XDG_DATA_HOME", previous_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;
    [[nodiscard]] std::string folder() const { return folder_.path(); }

private:
    TempFolder folder_;
    bool had_ = false;
    std::string previous_;
};

}  // namespace component_test
