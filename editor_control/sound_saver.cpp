#include "sound_saver.h"

#include "mp3_file_writer.h"
#include "wave_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <strings.h>

namespace editor_control {

SaveKind SaveKindForPath(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
        strcasecmp(path.c_str() + dot, ".wav") == 0)
        return SaveKind::Wav;
    return SaveKind::Mp3;
}

namespace {

constexpr int64_t kChunkFrames = 1 << 16;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SystemText(int error)
{
    return error ? std::string(std::strerror(error)) : std::string("unknown error");
}

bool SyncPath(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

// The two writers behind one face.
class Writer {
public:
    virtual ~Writer() = default;
    virtual int Create(const std::string& path) = 0;
    virtual int Write(const void* data, size_t bytes) = 0;
    virtual int Close() = 0;
    virtual int Error() const = 0;
};

class WavWriter : public Writer {
public:
    WavWriter(int rate, int channels) { writer_.SetAudioFormat(channels, rate, 16); }
    int Create(const std::string& path) override { return writer_.Create(path); }
    int Write(const void* data, size_t bytes) override { return writer_.Write(data, bytes); }
    int Close() override { return writer_.Close(); }
    int Error() const override { return writer_.LastSystemError(); }

private:
    nim_audio_file::CWaveFileWriter writer_;
};

class Mp3Writer : public Writer {
public:
    Mp3Writer(int rate, int channels, const SaveOptions& options)
        : writer_(options.encoderLibrary.empty() ? std::string(nim_audio_file::kLameLibraryName)
                                                 : options.encoderLibrary)
    {
        writer_.SetAudioFormat(channels, rate, 16);
        (void)writer_.SetBitRate(options.mp3BitRate);
    }
    bool HasEncoder() const { return writer_.HasEncoder(); }
    int Create(const std::string& path) override { return writer_.Create(path); }
    int Write(const void* data, size_t bytes) override { return writer_.Write(data, bytes); }
    int Close() override { return writer_.Close(); }
    int Error() const override { return writer_.LastSystemError(); }

private:
    nim_audio_file::CMp3FileWriter writer_;
};

}  // namespace

SaveOutcome SaveSound(const Sound& sound, int64_t begin, int64_t end, const std::string& path,
                      const SaveOptions& options, const std::function<void(int)>& progress,
                      const std::atomic<bool>* cancel)
{
    SaveOutcome outcome;
    if (path.empty()) {
        outcome.error = "No file name was given.";
        return outcome;
    }
    if (!sound.Valid()) {
        outcome.error = "There is no sound to save.";
        return outcome;
    }
    begin = std::clamp<int64_t>(begin, 0, sound.Frames());
    end = std::clamp<int64_t>(end, begin, sound.Frames());
    struct stat target {};
    const bool targetExists = ::stat(path.c_str(), &target) == 0;
    if (targetExists && S_ISDIR(target.st_mode)) {
        outcome.error = "Cannot save to " + path + ": it is a folder.";
        return outcome;
    }

    std::unique_ptr<Writer> writer;
    if (SaveKindForPath(path) == SaveKind::Wav) {
        writer = std::make_unique<WavWriter>(sound.Rate(), sound.Channels());
    } else {
        if (sound.Channels() > 2) {
            outcome.error = "An MP3 file holds one or two channels; this sound has " +
                            std::to_string(sound.Channels()) + ". Save it as WAV.";
            return outcome;
        }
        auto mp3 = std::make_unique<Mp3Writer>(sound.Rate(), sound.Channels(), options);
        if (!mp3->HasEncoder()) {
            outcome.error = "Cannot save " + path + " as MP3: the LAME encoder library (libmp3lame0) is not installed.";
            return outcome;
        }
        writer = std::move(mp3);
    }

    // A name of our own beside the target, so that the rename stays on one file system.
    std::string temp = FolderOf(path) + "/." + NameOf(path) + ".saving-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        outcome.error = "Cannot save " + path + ": " + SystemText(errno) + ".";
        return outcome;
    }
    ::close(fd);
    auto discard = [&](const std::string& why) {
        ::unlink(temp.c_str());
        outcome.error = "Cannot save " + path + ": " + why + ".";
        return outcome;
    };
    if (writer->Create(temp) != 0) return discard(SystemText(writer->Error()));

    int lastPercent = -1;
    auto report = [&](int percent) {
        if (percent > lastPercent) {
            lastPercent = percent;
            if (progress) progress(percent);
        }
    };
    report(0);
    const int64_t total = end - begin;
    int64_t done = 0;
    bool failed = false;
    bool cancelled = false;
    sound.ForEachStretch(begin, end, [&](const int16_t* frames, int64_t count) {
        for (int64_t at = 0; at < count && !failed && !cancelled; at += kChunkFrames) {
            if (cancel && cancel->load()) {
                cancelled = true;
                return;
            }
            const int64_t n = std::min(kChunkFrames, count - at);
            if (writer->Write(frames + at * sound.Channels(), size_t(n) * sound.Channels() * sizeof(int16_t)) != 0) {
                failed = true;
                return;
            }
            done += n;
            if (total > 0) report(int(done * 99 / total));
        }
    });
    const int writeError = failed ? writer->Error() : 0;
    const bool closed = writer->Close() == 0;
    if (cancelled) {
        ::unlink(temp.c_str());
        outcome.cancelled = true;
        return outcome;
    }
    if (failed) return discard(SystemText(writeError ? writeError : ENOSPC));
    if (!closed) return discard(SystemText(writer->Error() ? writer->Error() : EIO));
    if (!SyncPath(temp, O_RDONLY)) return discard(SystemText(errno));
    // The new file keeps the permissions of the one it replaces.
    ::chmod(temp.c_str(), targetExists ? (target.st_mode & 07777) : 0644);
    if (::rename(temp.c_str(), path.c_str()) != 0) return discard(SystemText(errno));
    SyncPath(FolderOf(path), O_RDONLY | O_DIRECTORY);
    report(100);
    return outcome;
}

}  // namespace editor_control
