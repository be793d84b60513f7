#pragma once
// The C functions the three mixer libraries export, by library. All integers are
// signed 32-bit; lines and endpoints count from 0; truth results are 0 or 1; names
// are written as NUL-terminated UTF-16 into the caller's buffer of the size given in
// the comment. No function reports an error: an index out of range reads as 0 (a
// line number as -1, a name as empty) and a write to it does nothing.

#include <cstdint>

#if defined(NIM_MIXER_BUILDING)
#define NIM_MIXER_API extern "C" __attribute__((visibility("default")))
#else
#define NIM_MIXER_API extern "C"
#endif

// libNimAudioMixerXP: the recording lines of a card's mixer. Volumes 0 ... 65535.
NIM_MIXER_API int32_t GetDriverCount();
NIM_MIXER_API void GetDriverName(int32_t index, char16_t* buffer);  // 64 bytes
NIM_MIXER_API int32_t GetLineCount(int32_t mixer);
NIM_MIXER_API void GetLineName(int32_t mixer, int32_t line, char16_t* buffer);  // 128 bytes
NIM_MIXER_API int32_t IsLineEnable(int32_t mixer, int32_t line);
NIM_MIXER_API int32_t GetLineSelected(int32_t mixer, int32_t line);
NIM_MIXER_API void SetLineSelected(int32_t mixer, int32_t line);
NIM_MIXER_API int32_t GetLineVolume(int32_t mixer, int32_t line);
NIM_MIXER_API void SetLineVolume(int32_t mixer, int32_t line, int32_t volume);
NIM_MIXER_API int32_t GetStereoLineNumber(int32_t mixer);

// libNimAudioMixerXPPlay: the playback side of a card's mixer. Volumes 0 ... 65535.
NIM_MIXER_API int32_t GetWaveOutMicLineNumber(int32_t mixer);
NIM_MIXER_API int32_t GetWaveOutLineVolume(int32_t mixer, int32_t line);
NIM_MIXER_API void SetWaveOutLineVolume(int32_t mixer, int32_t line, int32_t volume);
NIM_MIXER_API int32_t GetMicrophoneMute(int32_t mixer);
NIM_MIXER_API void SetMicrophoneMute(int32_t mixer, int32_t mute);

// libNimAudioMixerVista: the sound server's capture endpoints. Volumes 0 ... 100.
NIM_MIXER_API int32_t GetEndPointCount();
NIM_MIXER_API void GetEndPointName(int32_t endpoint, char16_t* buffer);  // 128 bytes
NIM_MIXER_API int32_t GetEndPointSelected(int32_t endpoint);
NIM_MIXER_API int32_t GetEndPointVolume(int32_t endpoint);
NIM_MIXER_API void SetEndPointVolume(int32_t endpoint, int32_t volume);
// The endpoint's identity on the server (the PulseAudio source name, as config.ini keeps it).
NIM_MIXER_API void GetEndPointId(int32_t endpoint, char16_t* buffer);  // 128 bytes
