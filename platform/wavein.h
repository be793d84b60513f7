#pragma once
// Wave input as the capture engine knows it: a PCM wave format, buffer headers, and a
// device that is opened with a notification window, fills queued buffers strictly in
// queue order and posts MM_WIM_DATA (device, header) to that window for each buffer it
// hands back, and MM_WIM_ERROR (device, result) once when its source goes away. Three
// devices: a PulseAudio source, an ALSA capture device (for machines without a sound
// server), and an in-memory device that the caller feeds (for testing the logic above
// it without a sound server).

#include "automation.h"

#include <cstdint>
#include <memory>
#include <string>

using MMRESULT = uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

// Messages a wave device posts to its notification window.
constexpr UINT MM_WOM_OPEN = 0x3BB;
constexpr UINT MM_WOM_CLOSE = 0x3BC;
constexpr UINT MM_WOM_DONE = 0x3BD;
constexpr UINT MM_WIM_OPEN = 0x3BE;
constexpr UINT MM_WIM_CLOSE = 0x3BF;
constexpr UINT MM_WIM_DATA = 0x3C0;
// Ours (Windows wave input has no such message): the source stopped delivering sound
// (server gone, connection lost, source removed, stream killed, read error). Posted at
// most once per start, after the MM_WIM_DATA of every buffer filled before it; wParam is
// the device, lParam an MMRESULT saying why (MMSYSERR_NODRIVER: the server or the source
// went away; MMSYSERR_ERROR: anything else). In the window class's private range
// (WM_USER + MM_WIM_DATA), clear of every system and multimedia message.
constexpr UINT MM_WIM_ERROR = 0x0400 + MM_WIM_DATA;

constexpr WORD WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};

// Header flags.
constexpr DWORD WHDR_DONE = 0x01;
constexpr DWORD WHDR_PREPARED = 0x02;
constexpr DWORD WHDR_INQUEUE = 0x10;

struct WAVEHDR {
    char* lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    uintptr_t dwUser;
    DWORD dwFlags;
    DWORD dwLoops;
    WAVEHDR* lpNext;
    uintptr_t reserved;
};

// One wave input device. The calls come from the thread that owns the notification
// window; buffers are filled on the device's own thread (or by the feeding caller)
// and handed back only through MM_WIM_DATA messages: wParam is the device
// (reinterpret_cast<WPARAM>(WaveInDevice*)), lParam the header. After MM_WIM_ERROR no
// buffer is filled any more; the ones still queued (a part-filled one among them) come
// back, with what they hold, at the reset.
class WaveInDevice {
public:
    virtual ~WaveInDevice() = default;

    // Opens the device for a PCM format (8-bit unsigned or 16-bit signed, any channel
    // count and rate the device takes); MM_WIM_OPEN is posted to the window.
    [[nodiscard]] virtual MMRESULT open(const WAVEFORMATEX& format, HWND notifyWindow) = 0;
    [[nodiscard]] virtual MMRESULT prepareHeader(WAVEHDR* header) = 0;
    [[nodiscard]] virtual MMRESULT unprepareHeader(WAVEHDR* header) = 0;
    // Queues a prepared buffer; buffers are filled in queue order, each to its full
    // length unless a reset cuts it short.
    [[nodiscard]] virtual MMRESULT addBuffer(WAVEHDR* header) = 0;
    [[nodiscard]] virtual MMRESULT start() = 0;
    // Stops input and marks every queued buffer done (with the bytes it holds), posting
    // MM_WIM_DATA for each in queue order. After it returns, no buffer is written to.
    [[nodiscard]] virtual MMRESULT reset() = 0;
    // Closes the device; refused with WAVERR_STILLPLAYING while buffers are queued.
    [[nodiscard]] virtual MMRESULT close() = 0;
};

// A recording source of the PulseAudio server (PULSE_SERVER or the user's server): the
// source of that name, or the server's default source when `source` is empty. The
// server is asked for fragments of the first queued buffer's length. A named source
// that does not exist fails the start with MMSYSERR_NODRIVER.
std::unique_ptr<WaveInDevice> CreatePulseWaveIn(const std::string& source = {});

// An ALSA capture device ("plughw:0", "default", a device of the user's asoundrc),
// read in periods of the first queued buffer's length; no sound server is needed.
std::unique_ptr<WaveInDevice> CreateAlsaWaveIn(const std::string& pcm);

// The device a recording source names: "alsa:" followed by an ALSA device gives
// CreateAlsaWaveIn; anything else (empty: the default source) CreatePulseWaveIn.
inline constexpr const char* kAlsaSourcePrefix = "alsa:";
std::unique_ptr<WaveInDevice> CreateWaveIn(const std::string& source);

// A PCM wave format record; block align and average rate follow from the three values.
WAVEFORMATEX MakePcmFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample);

// True when the record describes a format the devices take: PCM, 8 or 16 bits, 1 to
// 32 channels, a rate from 1 Hz to 384 kHz, and the block align and average rate that
// the three values give.
bool IsSupportedPcmFormat(const WAVEFORMATEX& format);
