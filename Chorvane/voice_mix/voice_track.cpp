#include "voice_track.h"
#include "program_messages.h"

#include <QFile>
#include <QObject>

#include <cstring>

namespace voice_mix {

namespace {

uint32_t Le32(const char* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

uint16_t Le16(const char* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

}  // namespace

QString ReadVoiceTrack(const QString& path, VoiceTrack* track)
{
    const QString unreadable = program_messages::Text(program_messages::Id::VoiceTrackUnreadable).arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return unreadable + QLatin1Char('.');
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || std::memcmp(bytes.constData(), "RIFF", 4) != 0 || std::memcmp(bytes.constData() + 8, "WAVE", 4) != 0)
        return unreadable + program_messages::Text(program_messages::Id::VoiceTrackNotWav);
    qsizetype at = 12;
    bool formatOk = false;
    while (at + 8 <= bytes.size()) {
        const char* chunk = bytes.constData() + at;
        const qsizetype size = Le32(chunk + 4);
        const qsizetype body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            formatOk = Le16(bytes.constData() + body) == 1 && Le16(bytes.constData() + body + 2) == 2 &&
                       Le32(bytes.constData() + body + 4) == 44100 && Le16(bytes.constData() + body + 14) == 16;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!formatOk) return unreadable + program_messages::Text(program_messages::Id::VoiceTrackWrongFormat);
            // A size of zero or past the end: the file was never finished; read what is there.
            const qsizetype available = bytes.size() - body;
            const qsizetype length = (size == 0 || size > available) ? available : size;
            track->samples.resize(static_cast<size_t>(length / 4) * 2);
            std::memcpy(track->samples.data(), bytes.constData() + body, track->samples.size() * sizeof(int16_t));
            return {};
        }
        at = body + size + (size & 1);
    }
    return unreadable + program_messages::Text(program_messages::Id::VoiceTrackSilent);
}

}  // namespace voice_mix
