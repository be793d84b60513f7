#include "media_tools.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

#include <cmath>

namespace media_tools {

bool Run(const QString& command)
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!p.waitForFinished(60000)) return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void Start(const QString& command)
{
    QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
}

static QString Quote(const QString& s)
{
    QString q = s;
    q.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

bool MakeToneMp3(const QString& path, double seconds, int leftHz, int rightHz)
{
    const QString wav = path + QStringLiteral(".wav");
    const bool ok = Run(QStringLiteral("sox -n -r 44100 -b 16 %1 synth %2 sine %3 sine %4 remix 1 2 vol 0.5 && "
                                       "lame --quiet -b 192 -m s %1 %5")
                            .arg(Quote(wav))
                            .arg(seconds)
                            .arg(leftHz)
                            .arg(rightHz)
                            .arg(Quote(path)));
    QFile::remove(wav);
    return ok;
}

bool MakeMarkedToneMp3(const QString& path, double seconds, int leftHz, int rightHz, int markerHz, double from,
                       double to)
{
    const QString wav = path + QStringLiteral(".wav");
    const QString tone = QStringLiteral("-r 44100 -b 16 -c 1 -t wav - synth %1 sine %2 vol 0.5");
    const QString left = QStringLiteral("\"|sox -n %1\" \"|sox -n %2\" \"|sox -n %3\"")
                             .arg(tone.arg(from).arg(leftHz), tone.arg(to - from).arg(markerHz), tone.arg(seconds - to).arg(leftHz));
    const bool ok = Run(QStringLiteral("sox %1 %2.left.wav && sox -n %2.right.wav synth %3 sine %4 vol 0.5 channels 1 rate 44100 && "
                                       "sox -M %2.left.wav %2.right.wav -b 16 %2 && lame --quiet -b 192 -m s %2 %5")
                            .arg(left, Quote(wav))
                            .arg(seconds)
                            .arg(rightHz)
                            .arg(Quote(path)));
    for (const QString& part : {wav, wav + QStringLiteral(".left.wav"), wav + QStringLiteral(".right.wav")}) QFile::remove(part);
    return ok;
}

bool MakeSpeech(const QString& path, const QString& words)
{
    return Run(QStringLiteral("espeak-ng -s 150 -w %1 %2").arg(Quote(path), Quote(words)));
}

bool MakeVideo(const QString& path, double seconds)
{
    const int frames = static_cast<int>(seconds * 25);
    const QString mux = path.endsWith(QStringLiteral(".mpg")) ? QStringLiteral("mpegpsmux") : QStringLiteral("avimux");
    const QString venc = path.endsWith(QStringLiteral(".mpg")) ? QStringLiteral("avenc_mpeg2video") : QStringLiteral("avenc_mpeg4");
    const QString aenc = path.endsWith(QStringLiteral(".mpg")) ? QStringLiteral("avenc_mp2") : QStringLiteral("lamemp3enc");
    return Run(QStringLiteral("gst-launch-1.0 -q videotestsrc num-buffers=%1 pattern=smpte ! video/x-raw,width=320,height=240,framerate=25/1 "
                              "! videoconvert ! %2 ! queue ! mux. "
                              "audiotestsrc num-buffers=%3 freq=440 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! %4 ! queue ! mux. "
                              "%5 name=mux ! filesink location=%6")
                   .arg(frames)
                   .arg(venc)
                   .arg(static_cast<int>(seconds * 44100 / 1024))
                   .arg(aenc, mux, Quote(path)));
}

Stereo Decode(const QString& path)
{
    Stereo out;
    QTemporaryFile raw;
    raw.open();
    if (!Run(QStringLiteral("sox %1 -t raw -r 44100 -c 2 -b 16 -e signed-integer %2").arg(Quote(path), Quote(raw.fileName()))))
        return out;
    QFile f(raw.fileName());
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    const auto* s = reinterpret_cast<const int16_t*>(bytes.constData());
    const size_t frames = static_cast<size_t>(bytes.size()) / 4;
    out.left.resize(frames);
    out.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        out.left[i] = s[2 * i] / 32768.0f;
        out.right[i] = s[2 * i + 1] / 32768.0f;
    }
    return out;
}

double ToneLevel(const std::vector<float>& x, int rate, double hz, double from, double to)
{
    const size_t a = static_cast<size_t>(std::max(0.0, from) * rate);
    const size_t b = std::min(x.size(), static_cast<size_t>(to * rate));
    if (b <= a) return 0.0;
    const double w = 2.0 * M_PI * hz / rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (size_t i = a; i < b; ++i) {
        const double s0 = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2.0 * std::sqrt(std::max(0.0, power)) / static_cast<double>(b - a);
}

double Rms(const std::vector<float>& x, int rate, double from, double to)
{
    const size_t a = static_cast<size_t>(std::max(0.0, from) * rate);
    const size_t b = std::min(x.size(), static_cast<size_t>(to * rate));
    if (b <= a) return 0.0;
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(x[i]) * x[i];
    return std::sqrt(sum / static_cast<double>(b - a));
}

}  // namespace media_tools
