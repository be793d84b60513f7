#include "AudioRecorder.h"

#include <algorithm>
#include <new>

CAudioRecorder::CAudioRecorder()
    : factory_([this] { return CreateWaveIn(source_); }), format_(MakePcmFormat(2, 44100, 16))
{
}

CAudioRecorder::~CAudioRecorder()
{
    if (capturing_) (void)StopCapture();
}

void CAudioRecorder::SetDeviceFactory(DeviceFactory factory) { factory_ = std::move(factory); }

int CAudioRecorder::SetWaveFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample)
{
    format_ = MakePcmFormat(channels, samplesPerSec, bitsPerSample);
    return 0;
}

int CAudioRecorder::SetCallbackWindow(HWND window)
{
    window_ = window;
    return 0;
}

int CAudioRecorder::SetBufferSize(int32_t bytes)
{
    bufferSize_ = bytes;
    return 0;
}

int CAudioRecorder::StartCapture()
{
    if (capturing_ && StopCapture() != 0) return -1;
    sourceLost_ = false;
    if (bufferSize_ <= 0 || bufferSize_ > kMaxBufferSize) return -1;

    device_ = factory_ ? factory_() : nullptr;
    if (!device_) return -1;
    if (device_->open(format_, window_) != MMSYSERR_NOERROR) {
        device_.reset();
        return -1;
    }
    for (auto& buffer : buffers_) {
        buffer.reset(new (std::nothrow) char[static_cast<size_t>(bufferSize_)]);
        if (!buffer) {
            AbandonStart(0);
            return -1;
        }
    }
    for (int i = 0; i < kBufferCount; ++i) {
        WAVEHDR& h = headers_[i];
        h = WAVEHDR{};
        h.lpData = buffers_[i].get();
        h.dwBufferLength = static_cast<DWORD>(bufferSize_);
        h.dwLoops = 1;
        if (device_->prepareHeader(&h) != MMSYSERR_NOERROR) {
            AbandonStart(i);
            return -1;
        }
    }
    for (auto& h : headers_) {
        if (device_->addBuffer(&h) != MMSYSERR_NOERROR) {
            AbandonStart(kBufferCount);
            return -1;
        }
        outstanding_.push_back(&h);
    }
    if (device_->start() != MMSYSERR_NOERROR) {
        AbandonStart(kBufferCount);
        return -1;
    }
    capturing_ = true;
    ++captureNumber_;
    return 0;
}

void CAudioRecorder::AbandonStart(int prepared)
{
    if (!outstanding_.empty()) (void)device_->reset();
    outstanding_.clear();
    for (int i = 0; i < prepared; ++i) (void)device_->unprepareHeader(&headers_[i]);
    (void)device_->close();
    device_.reset();
    ReleaseBuffers();
}

int CAudioRecorder::StopCapture(std::vector<std::vector<char>>* returned)
{
    if (!capturing_) return -1;
    (void)device_->reset();
    for (WAVEHDR* h : outstanding_) {
        if (returned && h->dwBytesRecorded > 0)
            returned->emplace_back(h->lpData, h->lpData + std::min(h->dwBytesRecorded, h->dwBufferLength));
    }
    outstanding_.clear();
    for (auto& h : headers_) {
        if (device_->unprepareHeader(&h) != MMSYSERR_NOERROR) return -1;
    }
    if (device_->close() != MMSYSERR_NOERROR) return -1;
    device_.reset();
    ReleaseBuffers();
    capturing_ = false;
    return 0;
}

WAVEHDR* CAudioRecorder::TakeFilled(WPARAM device, LPARAM header)
{
    if (!capturing_ || device != reinterpret_cast<WPARAM>(device_.get()) || outstanding_.empty()) return nullptr;
    WAVEHDR* front = outstanding_.front();
    if (reinterpret_cast<LPARAM>(front) != header || !(front->dwFlags & WHDR_DONE)) return nullptr;
    outstanding_.pop_front();
    return front;
}

bool CAudioRecorder::TakeSourceLoss(WPARAM device)
{
    if (!capturing_ || sourceLost_ || device != reinterpret_cast<WPARAM>(device_.get())) return false;
    sourceLost_ = true;
    return true;
}

int CAudioRecorder::Requeue(WAVEHDR* header, uint64_t capture)
{
    if (!capturing_ || capture != captureNumber_) return -1;
    if (device_->addBuffer(header) != MMSYSERR_NOERROR) return -1;
    outstanding_.push_back(header);
    return 0;
}

void CAudioRecorder::ReleaseBuffers()
{
    for (auto& b : buffers_) b.reset();
    headers_ = {};
}
