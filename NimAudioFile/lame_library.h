#pragma once
// The LAME encoder library, loaded by name at run time, and one encoding stream over it.
// Nothing links against libmp3lame: a system without it still runs, without MP3.

#include <lame/lame.h>

#include <memory>
#include <string>

namespace nim_audio_file {

// The installed shared object of the LAME encoder.
inline constexpr const char* kLameLibraryName = "libmp3lame.so.0";

// The entry points the MP3 writer uses, looked up when the library is loaded.
struct LameEntryPoints {
    decltype(&::lame_init) init = nullptr;
    decltype(&::lame_close) close = nullptr;
    decltype(&::lame_set_num_channels) setNumChannels = nullptr;
    decltype(&::lame_set_in_samplerate) setInSamplerate = nullptr;
    decltype(&::lame_set_out_samplerate) setOutSamplerate = nullptr;
    decltype(&::lame_set_mode) setMode = nullptr;
    decltype(&::lame_set_brate) setBrate = nullptr;
    decltype(&::lame_set_VBR) setVbr = nullptr;
    decltype(&::lame_set_quality) setQuality = nullptr;
    decltype(&::lame_set_original) setOriginal = nullptr;
    decltype(&::lame_set_copyright) setCopyright = nullptr;
    decltype(&::lame_set_extension) setExtension = nullptr;
    decltype(&::lame_set_error_protection) setErrorProtection = nullptr;
    decltype(&::lame_set_emphasis) setEmphasis = nullptr;
    decltype(&::lame_set_disable_reservoir) setDisableReservoir = nullptr;
    decltype(&::lame_set_bWriteVbrTag) setWriteVbrTag = nullptr;
    decltype(&::lame_set_write_id3tag_automatic) setWriteId3TagAutomatic = nullptr;
    decltype(&::lame_init_params) initParams = nullptr;
    decltype(&::lame_encode_buffer) encodeBuffer = nullptr;
    decltype(&::lame_encode_buffer_interleaved) encodeBufferInterleaved = nullptr;
    decltype(&::lame_encode_flush) encodeFlush = nullptr;
    decltype(&::get_lame_version) version = nullptr;
};

class LameLibrary {
public:
    enum class LoadResult { Loaded, NotFound, Incomplete };

    LameLibrary() = default;
    ~LameLibrary();
    LameLibrary(const LameLibrary&) = delete;
    LameLibrary& operator=(const LameLibrary&) = delete;

    // Loads the library through the system's library search and looks up every entry
    // point. On NotFound or Incomplete the library is not usable (and not kept loaded).
    [[nodiscard]] LoadResult Load(const std::string& name);

    [[nodiscard]] bool IsLoaded() const { return handle_ != nullptr; }
    [[nodiscard]] const LameEntryPoints& Api() const { return api_; }

private:
    void* handle_ = nullptr;
    LameEntryPoints api_;
};

// Owns one encoder context of a loaded library.
class LameStream {
public:
    LameStream() = default;
    LameStream(const LameEntryPoints* api, lame_t context) : api_(api), context_(context) {}
    ~LameStream() { reset(); }
    LameStream(LameStream&& other) noexcept;
    LameStream& operator=(LameStream&& other) noexcept;
    LameStream(const LameStream&) = delete;
    LameStream& operator=(const LameStream&) = delete;

    void reset();
    [[nodiscard]] lame_t get() const { return context_; }
    explicit operator bool() const { return context_ != nullptr; }

private:
    const LameEntryPoints* api_ = nullptr;
    lame_t context_ = nullptr;
};

}  // namespace nim_audio_file
