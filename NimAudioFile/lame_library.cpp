#include "lame_library.h"

#include <dlfcn.h>

#include <utility>

namespace nim_audio_file {
namespace {

template <class Fn>
bool LookUp(void* handle, const char* name, Fn* slot)
{
    *slot = reinterpret_cast<Fn>(dlsym(handle, name));
    return *slot != nullptr;
}

}  // namespace

LameLibrary::~LameLibrary()
{
    if (handle_) dlclose(handle_);
}

LameLibrary::LoadResult LameLibrary::Load(const std::string& name)
{
    if (handle_) return LoadResult::Loaded;
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return LoadResult::NotFound;

    LameEntryPoints api;
    bool complete = true;
    complete &= LookUp(handle, "lame_init", &api.init);
    complete &= LookUp(handle, "lame_close", &api.close);
    complete &= LookUp(handle, "lame_set_num_channels", &api.setNumChannels);
    complete &= LookUp(handle, "lame_set_in_samplerate", &api.setInSamplerate);
    complete &= LookUp(handle, "lame_set_out_samplerate", &api.setOutSamplerate);
    complete &= LookUp(handle, "lame_set_mode", &api.setMode);
    complete &= LookUp(handle, "lame_set_brate", &api.setBrate);
    complete &= LookUp(handle, "lame_set_VBR", &api.setVbr);
    complete &= LookUp(handle, "lame_set_quality", &api.setQuality);
    complete &= LookUp(handle, "lame_set_original", &api.setOriginal);
    complete &= LookUp(handle, "lame_set_copyright", &api.setCopyright);
    complete &= LookUp(handle, "lame_set_extension", &api.setExtension);
    complete &= LookUp(handle, "lame_set_error_protection", &api.setErrorProtection);
    complete &= LookUp(handle, "lame_set_emphasis", &api.setEmphasis);
    complete &= LookUp(handle, "lame_set_disable_reservoir", &api.setDisableReservoir);
    complete &= LookUp(handle, "lame_set_bWriteVbrTag", &api.setWriteVbrTag);
    complete &= LookUp(handle, "lame_set_write_id3tag_automatic", &api.setWriteId3TagAutomatic);
    complete &= LookUp(handle, "lame_init_params", &api.initParams);
    complete &= LookUp(handle, "lame_encode_buffer", &api.encodeBuffer);
    complete &= LookUp(handle, "lame_encode_buffer_interleaved", &api.encodeBufferInterleaved);
    complete &= LookUp(handle, "lame_encode_flush", &api.encodeFlush);
    complete &= LookUp(handle, "get_lame_version", &api.version);
    if (!complete) {
        dlclose(handle);
        return LoadResult::Incomplete;
    }
    handle_ = handle;
    api_ = api;
    return LoadResult::Loaded;
}

LameStream::LameStream(LameStream&& other) noexcept
    : api_(std::exchange(other.api_, nullptr)), context_(std::exchange(other.context_, nullptr))
{
}

LameStream& LameStream::operator=(LameStream&& other) noexcept
{
    if (this != &other) {
        reset();
        api_ = std::exchange(other.api_, nullptr);
        context_ = std::exchange(other.context_, nullptr);
    }
    return *this;
}

void LameStream::reset()
{
    if (context_ && api_ && api_->close) api_->close(context_);
    context_ = nullptr;
}

}  // namespace nim_audio_file
