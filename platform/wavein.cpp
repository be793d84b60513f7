// Wave input from the default PulseAudio source: pa_simple on a reader thread that
// fills the queued buffers in order and posts each full one to the notification window.
#include "wavein.h"

#include "wavein_state.h"
#include "window_handles.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

WAVEFORMATEX MakePcmFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<WORD>(channels);
    f.nSamplesPerSec = static_cast<DWORD>(samplesPerSec);
    f.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    f.nBlockAlign = static_cast<WORD>(f.nChannels * f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    f.cbSize = 0;
    return f;
}

bool IsSupportedPcmFormat(const WAVEFORMATEX& f)
{
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nChannels < 1 || f.nChannels > PA_CHANNELS_MAX) return false;
    if (f.nSamplesPerSec < 1 || f.nSamplesPerSec > PA_RATE_MAX) return false;
    const WORD align = static_cast<WORD>(f.nChannels * f.wBitsPerSample / 8);
    return f.nBlockAlign == align && f.nAvgBytesPerSec == align * f.nSamplesPerSec;
}

namespace {

struct PaSimpleFree {
    void operator()(pa_simple* s) const { pa_simple_free(s); }
};
using PaSimplePtr = std::unique_ptr<pa_simple, PaSimpleFree>;

// How long a start waits for the server to accept the stream.
constexpr auto kConnectTimeout = std::chrono::milliseconds(800);

// What the reader thread shares with its device. The thread holds its own reference:
// a connection or a read that waits on an unresponsive server or a source delivering
// nothing may outlive the device, and the thread then frees the stream itself.
struct PulseReader {
    wavein_detail::BufferQueue queue;
    pa_sample_spec spec{};
    pa_channel_map map{};
    pa_buffer_attr attr{};
    size_t chunkBytes = 0;

    std::mutex mutex;  // guards the fields below
    std::condition_variable changed;
    enum class Connection { Pending, Ready, Failed } connection = Connection::Pending;
    int error = 0;
    bool finished = false;
};

void ConnectAndRead(const std::shared_ptr<PulseReader>& reader)
{
    int error = 0;
    PaSimplePtr stream(pa_simple_new(nullptr, "Chorvane", PA_STREAM_RECORD, nullptr, "Recording", &reader->spec,
                                     &reader->map, &reader->attr, &error));
    {
        std::lock_guard lock(reader->mutex);
        reader->connection = stream ? PulseReader::Connection::Ready : PulseReader::Connection::Failed;
        reader->error = error;
        reader->changed.notify_all();
    }
    if (stream) {
        std::vector<char> chunk(reader->chunkBytes);
        for (;;) {
            const size_t want = reader->queue.nextReadSize(reader->chunkBytes);
            if (want == 0) break;  // stopped
            if (pa_simple_read(stream.get(), chunk.data(), want, &error) < 0) {
                reader->queue.markFailed();
                break;
            }
            if (reader->queue.fill(chunk.data(), want) < want) break;  // stopped meanwhile
        }
    }
    stream.reset();
    std::lock_guard lock(reader->mutex);
    reader->finished = true;
    reader->changed.notify_all();
}

MMRESULT ResultForPulseError(int error)
{
    switch (error) {
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
        return WAVERR_BADFORMAT;
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_NOENTITY:
        return MMSYSERR_NODRIVER;
    default:
        return MMSYSERR_ERROR;
    }
}

class PulseWaveIn final : public WaveInDevice {
public:
    ~PulseWaveIn() override { stopReader(); }

    MMRESULT open(const WAVEFORMATEX& format, HWND notifyWindow) override
    {
        if (open_) return MMSYSERR_ERROR;
        if (!IsSupportedPcmFormat(format)) return WAVERR_BADFORMAT;
        format_ = format;
        window_ = notifyWindow;
        open_ = true;
        window_handles::PostMessage(window_, MM_WIM_OPEN, self(), 0);
        return MMSYSERR_NOERROR;
    }

    MMRESULT prepareHeader(WAVEHDR* header) override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        return wavein_detail::Prepare(header);
    }

    MMRESULT unprepareHeader(WAVEHDR* header) override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        return wavein_detail::Unprepare(header);
    }

    MMRESULT addBuffer(WAVEHDR* header) override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (!reader_) {
            // Queued before start: held here and handed to the reader when it starts.
            const MMRESULT r = wavein_detail::CheckQueueable(header);
            if (r != MMSYSERR_NOERROR) return r;
            wavein_detail::MarkQueued(header);
            waiting_.push_back(header);
            return MMSYSERR_NOERROR;
        }
        return reader_->queue.add(header);
    }

    MMRESULT start() override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (reader_) return MMSYSERR_NOERROR;
        const size_t frame = format_.nBlockAlign;
        // Fragments of one buffer: the server sends each buffer's worth when it is full.
        const DWORD bufferBytes = waiting_.empty() ? 16384 : waiting_.front()->dwBufferLength;
        auto reader = std::make_shared<PulseReader>();
        reader->spec.format = format_.wBitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
        reader->spec.rate = format_.nSamplesPerSec;
        reader->spec.channels = static_cast<uint8_t>(format_.nChannels);
        pa_channel_map_init_extend(&reader->map, reader->spec.channels, PA_CHANNEL_MAP_DEFAULT);
        reader->attr.maxlength = static_cast<uint32_t>(-1);
        reader->attr.tlength = static_cast<uint32_t>(-1);
        reader->attr.prebuf = static_cast<uint32_t>(-1);
        reader->attr.minreq = static_cast<uint32_t>(-1);
        reader->attr.fragsize = std::max<DWORD>(bufferBytes - bufferBytes % frame, frame);
        // Reads of a quarter buffer: a reset keeps what has arrived of the current buffer.
        size_t chunk = std::max<size_t>(bufferBytes / 4, frame);
        chunk = std::min<size_t>(chunk - chunk % frame, 65536 - 65536 % frame);
        reader->chunkBytes = std::max(chunk, frame);
        reader->queue.setTarget(window_, self(), frame);

        // The connection is made on the reader thread, so that a server that never
        // answers costs the caller no more than the timeout.
        try {
            thread_ = std::thread([reader] { ConnectAndRead(reader); });
        } catch (const std::system_error&) {
            return MMSYSERR_NOMEM;
        }
        reader_ = reader;
        PulseReader::Connection connection;
        int error;
        {
            std::unique_lock lock(reader->mutex);
            reader->changed.wait_for(lock, kConnectTimeout,
                                     [&] { return reader->connection != PulseReader::Connection::Pending; });
            connection = reader->connection;
            error = reader->error;
        }
        if (connection != PulseReader::Connection::Ready) {
            stopReader(std::chrono::milliseconds(connection == PulseReader::Connection::Failed ? 250 : 0));
            return connection == PulseReader::Connection::Failed ? ResultForPulseError(error) : MMSYSERR_NODRIVER;
        }
        for (WAVEHDR* h : waiting_) reader->queue.adopt(h);
        waiting_.clear();
        return MMSYSERR_NOERROR;
    }

    MMRESULT reset() override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        for (WAVEHDR* h : waiting_) {
            wavein_detail::MarkDone(h);
            window_handles::PostMessage(window_, MM_WIM_DATA, self(), reinterpret_cast<LPARAM>(h));
        }
        waiting_.clear();
        if (reader_) {
            reader_->queue.stop();
            reader_->queue.returnAll();
        }
        stopReader();
        return MMSYSERR_NOERROR;
    }

    MMRESULT close() override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (!waiting_.empty() || (reader_ && reader_->queue.queuedCount() != 0)) return WAVERR_STILLPLAYING;
        stopReader();
        open_ = false;
        window_handles::PostMessage(window_, MM_WIM_CLOSE, self(), 0);
        return MMSYSERR_NOERROR;
    }

private:
    WPARAM self() { return reinterpret_cast<WPARAM>(static_cast<WaveInDevice*>(this)); }

    // Ends the reader. A reader blocked in a read (a source that delivers nothing) is
    // left to finish on its own: it no longer touches any buffer of ours.
    void stopReader(std::chrono::milliseconds wait = std::chrono::milliseconds(250))
    {
        if (!reader_) return;
        reader_->queue.stop();
        bool finished;
        {
            std::unique_lock lock(reader_->mutex);
            finished = reader_->changed.wait_for(lock, wait, [&] { return reader_->finished; });
        }
        if (finished)
            thread_.join();
        else
            thread_.detach();
        reader_.reset();
    }

    bool open_ = false;
    WAVEFORMATEX format_{};
    HWND window_ = 0;
    std::vector<WAVEHDR*> waiting_;
    std::shared_ptr<PulseReader> reader_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<WaveInDevice> CreatePulseWaveIn()
{
    return std::make_unique<PulseWaveIn>();
}
