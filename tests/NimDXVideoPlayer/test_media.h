#pragma once
// Media generated for the player tests: tones with sox and lame, video from GStreamer's
// test pattern through the installed encoders and muxers.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace player_test {

class TestMedia {
public:
    TestMedia() { dir_.setAutoRemove(true); }

    [[nodiscard]] std::string path(const char* name) const { return dir_.filePath(name).toStdString(); }

    // A stereo WAV: 440 Hz on the left, 660 Hz on the right, half scale.
    std::string toneWav(double seconds = 3.0)
    {
        const std::string out = path(("tones" + std::to_string(static_cast<int>(seconds * 10)) + ".wav").c_str());
        if (!QDir().exists(QString::fromStdString(out)))
            run("sox -n -r 44100 -b 16 -c 2 '" + out + "' synth " + std::to_string(seconds) +
                " sine 440 sine 660 vol 0.5");
        return out;
    }
    // The same tones as a plain-stereo MP3.
    std::string toneMp3(double seconds = 3.0)
    {
        const std::string wav = toneWav(seconds);
        const std::string out = wav.substr(0, wav.size() - 4) + ".mp3";
        if (!QDir().exists(QString::fromStdString(out))) run("lame --quiet -m s -b 192 '" + wav + "' '" + out + "'");
        return out;
    }
    // Colour bars (SMPTE) 320x240 at 25 frames per second with a 440 Hz tone, in AVI.
    std::string barsAvi(int seconds = 3)
    {
        const std::string out = path("bars.avi");
        run(videoSource(seconds) + " ! jpegenc ! avimux name=mux ! filesink location='" + out + "' " +
            audioSource(seconds) + " ! audioconvert ! audio/x-raw,format=S16LE ! mux.");
        return out;
    }
    // The same bars as an MPEG program stream (MPEG-1 video, MPEG audio layer 2). Its
    // duration is read from time stamps, which end a frame early, so it gets 0.2 s more.
    std::string barsMpg(int seconds = 3)
    {
        const std::string out = path("bars.mpg");
        run(videoSource(seconds, 5) + " ! mpeg2enc format=0 ! mpegvideoparse ! avmux_mpeg name=mux ! "
            "filesink location='" + out + "' " + audioSource(seconds, 5) +
            " ! audioconvert ! avenc_mp2 ! mpegaudioparse ! mux.");
        return out;
    }
    // Writes bytes to a file of this folder.
    std::string file(const char* name, const std::string& bytes)
    {
        const std::string out = path(name);
        FILE* f = std::fopen(out.c_str(), "wb");
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return out;
    }

    [[nodiscard]] bool ok() const { return ok_; }

private:
    static std::string videoSource(int seconds, int extraFrames = 0)
    {
        return "gst-launch-1.0 -q videotestsrc pattern=smpte num-buffers=" +
               std::to_string(seconds * 25 + extraFrames) +
               " ! video/x-raw,width=320,height=240,framerate=25/1 ! videoconvert";
    }
    static std::string audioSource(int seconds, int extraFrames = 0)
    {
        return "audiotestsrc freq=440 volume=0.3 samplesperbuffer=1764 num-buffers=" +
               std::to_string(seconds * 25 + extraFrames) +
               " ! audio/x-raw,rate=44100,channels=2";
    }
    void run(const std::string& command)
    {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) ok_ = false;
    }

    QTemporaryDir dir_;
    bool ok_ = true;
};

}  // namespace player_test
