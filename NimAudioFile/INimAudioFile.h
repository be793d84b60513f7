#pragma once
// INimAudioFile: the audio file control's dual interface (no events).

#include "com.h"
#include "identity.h"

#include <string>

using identity::CLSID_NimAudioFile;
using identity::IID_INimAudioFile;

struct INimAudioFile : IDispatch {
    virtual HRESULT SetFormat(LONG lAudioFormat) = 0;
    // FileName: the file's path, UTF-8.
    virtual HRESULT CreateAudioFile(const std::string& FileName) = 0;
    virtual HRESULT SetAudioFormat(LONG lChannels, LONG lSamplesPerSec, LONG lBitsPerSample) = 0;
    virtual HRESULT CloseAudioFile() = 0;
    virtual HRESULT Write(SAFEARRAY** pSafeArrayData, LONG lArrayLength) = 0;
    virtual HRESULT SetMP3BitRate(LONG lMP3BitRate) = 0;

protected:
    ~INimAudioFile() = default;
};

namespace nim_audio_file_dispid {
constexpr DISPID SetFormat = 1;
constexpr DISPID CreateAudioFile = 2;
constexpr DISPID SetAudioFormat = 3;
constexpr DISPID CloseAudioFile = 4;
constexpr DISPID Write = 5;
constexpr DISPID SetMP3BitRate = 6;
}  // namespace nim_audio_file_dispid
