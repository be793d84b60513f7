// Synthesizes the demo accompaniment that ships with Chorvane, and its lyric file.
// Left channel: the accompaniment (bass, chords, drums). Right channel: the same
// band with the sung melody on top, the "original vocal". Usage:
//     make_demo_song <out.wav> <out.lrc>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 60.0 / 96.0;  // 96 beats per minute
constexpr double kBar = 4 * kBeat;
constexpr double kPi = 3.14159265358979323846;

double Frequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

struct Track {
    std::vector<float> samples;
    explicit Track(double seconds) : samples(static_cast<size_t>(seconds * kRate) + kRate, 0.0f) {}

    // A note with a soft attack and an exponential release.
    void Note(double start, double length, int midi, double level, bool bright, double vibrato = 0.0)
    {
        const double f = Frequency(midi);
        const size_t first = static_cast<size_t>(start * kRate);
        const size_t count = static_cast<size_t>((length + 0.25) * kRate);
        double phase = 0.0;
        for (size_t i = 0; i < count && first + i < samples.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double attack = std::min(1.0, t / 0.02);
            const double release = t < length ? 1.0 : std::exp(-(t - length) * 18.0);
            const double decay = bright ? std::exp(-t * 1.6) * 0.6 + 0.4 : 1.0;
            const double wobble = vibrato > 0 ? 1.0 + vibrato * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.3) : 1.0;
            phase += 2 * kPi * f * wobble / kRate;
            double v = std::sin(phase);
            if (bright) v += 0.35 * std::sin(2 * phase) + 0.15 * std::sin(3 * phase);
            samples[first + i] += static_cast<float>(level * attack * release * decay * v);
        }
    }

    void Drum(double start, bool snare, std::mt19937& noise)
    {
        std::uniform_real_distribution<float> white(-1.0f, 1.0f);
        const size_t first = static_cast<size_t>(start * kRate);
        const size_t count = static_cast<size_t>(0.25 * kRate);
        for (size_t i = 0; i < count && first + i < samples.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            double v;
            if (snare)
                v = 0.18 * white(noise) * std::exp(-t * 25.0);
            else
                v = 0.45 * std::sin(2 * kPi * (55.0 + 60.0 * std::exp(-t * 30.0)) * t) * std::exp(-t * 12.0);
            samples[first + i] += static_cast<float>(v);
        }
    }
};

struct Chord {
    int root;
    int third;
    int fifth;
};

void WriteWav(const std::string& path, const Track& left, const Track& right)
{
    std::ofstream out(path, std::ios::binary);
    const uint32_t frames = static_cast<uint32_t>(left.samples.size());
    const uint32_t dataBytes = frames * 4;
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(kRate);
    u32(kRate * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        for (const Track* t : {&left, &right}) {
            const float v = std::max(-1.0f, std::min(1.0f, t->samples[i]));
            u16(static_cast<uint16_t>(static_cast<int16_t>(v * 32000.0f)));
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_song <out.wav> <out.lrc>\n");
        return 2;
    }
    // C - Am - F - G, twice per verse; two bars of intro, two verses, two bars of ending.
    const Chord progression[] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    const int introBars = 2;
    const int songBars = 16;
    const int totalBars = introBars + songBars + 2;
    const double seconds = totalBars * kBar;

    Track band(seconds);
    Track melody(seconds);
    std::mt19937 noise(7);
    for (int bar = 0; bar < totalBars; ++bar) {
        const Chord& c = progression[bar % 4];
        const double t0 = bar * kBar;
        const bool last = bar == totalBars - 1;
        band.Note(t0, last ? kBar * 0.9 : kBar * 0.95, c.root - 24, 0.30, false);
        for (int beat = 0; beat < 4 && !(last && beat > 0); ++beat) {
            const double t = t0 + beat * kBeat;
            band.Note(t, kBeat * 0.8, c.root, 0.07, true);
            band.Note(t, kBeat * 0.8, c.third, 0.07, true);
            band.Note(t, kBeat * 0.8, c.fifth, 0.07, true);
            band.Drum(t, beat % 2 == 1, noise);
        }
    }

    // The tune: one phrase of two bars per lyric line.
    const int phraseA[] = {64, 64, 67, 69, 67, 64, 62, 60};
    const int phraseB[] = {60, 62, 64, 67, 69, 67, 64, 62};
    const char* words[] = {
        "Lights are low and the night is young",
        "Every note is waiting on my tongue",
        "Turn it up and let the music play",
        "Chorvane, carry my voice away",
        "Sing it loud, sing it soft and slow",
        "Every take is a brand new show",
        "When the last chord fades into the blue",
        "I will sing this song again with you",
    };
    std::ofstream lrc(argv[2], std::ios::binary);
    lrc << "[ti:Lights Are Low]\n[ar:Chorvane]\n[al:Chorvane demo]\n[by:Chorvane]\n";
    lrc << "[00:00.00]Lights Are Low - the Chorvane demo song\n";
    for (int line = 0; line < 8; ++line) {
        const double start = (introBars + 2 * line) * kBar;
        const int* phrase = line % 2 == 0 ? phraseA : phraseB;
        for (int n = 0; n < 8; ++n) melody.Note(start + n * kBeat, kBeat * 0.9, phrase[n], 0.22, false, 0.006);
        const int centis = static_cast<int>(std::lround(start * 100.0));
        char tag[48];
        std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", centis / 6000, (centis / 100) % 60, centis % 100);
        lrc << tag << words[line] << "\n";
    }
    const int endCentis = static_cast<int>(std::lround((introBars + songBars) * kBar * 100.0));
    char tag[48];
    std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", endCentis / 6000, (endCentis / 100) % 60, endCentis % 100);
    lrc << tag << "(the band plays out)\n";

    Track right = band;
    for (size_t i = 0; i < right.samples.size(); ++i) right.samples[i] = 0.8f * right.samples[i] + melody.samples[i];
    WriteWav(argv[1], band, right);
    return 0;
}
