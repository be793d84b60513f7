#include "alsa_mixer.h"

#include "alsa_scale.h"

#include <cstdlib>

namespace mixer {
namespace {

constexpr snd_mixer_selem_channel_id_t kFirstChannel = SND_MIXER_SCHN_FRONT_LEFT;
constexpr snd_mixer_selem_channel_id_t kLastChannel = SND_MIXER_SCHN_LAST;

// The first channel the element has on the side; the mono channel when none is listed.
snd_mixer_selem_channel_id_t FirstCaptureChannel(snd_mixer_elem_t* e)
{
    for (int c = kFirstChannel; c <= kLastChannel; ++c) {
        const auto ch = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (snd_mixer_selem_has_capture_channel(e, ch)) return ch;
    }
    return SND_MIXER_SCHN_MONO;
}

snd_mixer_selem_channel_id_t FirstPlaybackChannel(snd_mixer_elem_t* e)
{
    for (int c = kFirstChannel; c <= kLastChannel; ++c) {
        const auto ch = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (snd_mixer_selem_has_playback_channel(e, ch)) return ch;
    }
    return SND_MIXER_SCHN_MONO;
}

bool IsCaptureMaster(const std::string& name)
{
    // The converter's own switch: turning it off would silence every line.
    return SameName(name, "Capture");
}

}  // namespace

AlsaMixer::AlsaMixer(snd_mixer_t* handle) : handle_(handle) {}

std::unique_ptr<AlsaMixer> AlsaMixer::Open(const std::string& device)
{
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0 || raw == nullptr) return nullptr;
    std::unique_ptr<AlsaMixer> mixer(new AlsaMixer(raw));
    if (snd_mixer_attach(raw, device.c_str()) < 0) return nullptr;
    if (snd_mixer_selem_register(raw, nullptr, nullptr) < 0) return nullptr;
    if (snd_mixer_load(raw) < 0) return nullptr;
    std::vector<ElementInfo> infos;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(raw); e != nullptr; e = snd_mixer_elem_next(e)) {
        ElementInfo info;
        info.name = snd_mixer_selem_get_name(e);
        if (snd_mixer_selem_is_enumerated(e)) {
            info.captureEnum = snd_mixer_selem_is_enum_capture(e) != 0;
            const int items = info.captureEnum ? snd_mixer_selem_get_enum_items(e) : 0;
            for (int k = 0; k < items; ++k) {
                char item[64] = {};
                if (snd_mixer_selem_get_enum_item_name(e, static_cast<unsigned>(k), sizeof item - 1, item) < 0)
                    item[0] = '\0';
                info.enumItems.emplace_back(item);
            }
        } else {
            info.captureVolume = snd_mixer_selem_has_capture_volume(e) != 0;
            info.captureSwitch = snd_mixer_selem_has_capture_switch(e) != 0;
            if (snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_playback_switch(e))
                mixer->playbackLines_.push_back(e);
        }
        mixer->elements_.push_back(e);
        infos.push_back(std::move(info));
    }
    mixer->plan_ = PlanCaptureLines(infos);
    if (mixer->plan_.sourceElement >= 0)
        mixer->captureSource_ = mixer->elements_[static_cast<size_t>(mixer->plan_.sourceElement)];
    return mixer;
}

const LinePlan* AlsaMixer::Line(int32_t line) const
{
    if (line < 0 || line >= LineCount()) return nullptr;
    return &plan_.lines[static_cast<size_t>(line)];
}

snd_mixer_elem_t* AlsaMixer::Capture(int32_t line) const
{
    const LinePlan* plan = Line(line);
    if (plan == nullptr || plan->element < 0) return nullptr;
    return elements_[static_cast<size_t>(plan->element)];
}

snd_mixer_elem_t* AlsaMixer::Playback(int32_t line) const
{
    if (line < 0 || line >= PlaybackLineCount()) return nullptr;
    return playbackLines_[static_cast<size_t>(line)];
}

std::string AlsaMixer::LineName(int32_t line) const
{
    const LinePlan* plan = Line(line);
    return plan ? plan->name : "";
}

bool AlsaMixer::LineEnabled(int32_t line) const
{
    const LinePlan* plan = Line(line);
    if (plan == nullptr) return false;
    snd_mixer_elem_t* e = plan->enumItem >= 0 ? captureSource_ : Capture(line);
    return e != nullptr && snd_mixer_selem_is_active(e);
}

bool AlsaMixer::LineSelected(int32_t line) const
{
    const LinePlan* plan = Line(line);
    if (plan == nullptr) return false;
    if (plan->enumItem >= 0) {
        unsigned current = 0;
        return snd_mixer_selem_get_enum_item(captureSource_, kFirstChannel, &current) == 0 &&
               current == static_cast<unsigned>(plan->enumItem);
    }
    snd_mixer_elem_t* e = Capture(line);
    if (e == nullptr || !snd_mixer_selem_has_capture_switch(e)) return false;
    int on = 0;
    return snd_mixer_selem_get_capture_switch(e, FirstCaptureChannel(e), &on) == 0 && on != 0;
}

void AlsaMixer::SelectLine(int32_t line)
{
    const LinePlan* plan = Line(line);
    if (plan == nullptr) return;
    if (plan->enumItem >= 0) {
        for (int c = kFirstChannel; c <= kLastChannel; ++c)
            (void)snd_mixer_selem_set_enum_item(captureSource_, static_cast<snd_mixer_selem_channel_id_t>(c),
                                                static_cast<unsigned>(plan->enumItem));
        return;
    }
    snd_mixer_elem_t* e = Capture(line);
    if (e == nullptr || !snd_mixer_selem_has_capture_switch(e)) return;
    (void)snd_mixer_selem_set_capture_switch_all(e, 1);
    if (snd_mixer_selem_has_capture_switch_exclusive(e)) return;  // the card deselects the others
    for (int32_t other = 0; other < LineCount(); ++other) {
        snd_mixer_elem_t* o = Capture(other);
        if (other == line || o == nullptr || o == e || Line(other)->enumItem >= 0) continue;
        if (!snd_mixer_selem_has_capture_switch(o) || IsCaptureMaster(snd_mixer_selem_get_name(o))) continue;
        (void)snd_mixer_selem_set_capture_switch_all(o, 0);
    }
}

int32_t AlsaMixer::LineVolume(int32_t line) const
{
    snd_mixer_elem_t* e = Capture(line);
    if (e == nullptr || !snd_mixer_selem_has_capture_volume(e)) return 0;
    long min = 0, max = 0, value = 0;
    if (snd_mixer_selem_get_capture_volume_range(e, &min, &max) < 0) return 0;
    if (snd_mixer_selem_get_capture_volume(e, FirstCaptureChannel(e), &value) < 0) return 0;
    return ScaleFromRange(value, min, max);
}

void AlsaMixer::SetLineVolume(int32_t line, int32_t volume)
{
    snd_mixer_elem_t* e = Capture(line);
    if (e == nullptr || !snd_mixer_selem_has_capture_volume(e)) return;
    long min = 0, max = 0;
    if (snd_mixer_selem_get_capture_volume_range(e, &min, &max) < 0) return;
    (void)snd_mixer_selem_set_capture_volume_all(e, ScaleToRange(volume, min, max));
}

int32_t AlsaMixer::StereoLine() const
{
    for (int32_t i = 0; i < LineCount(); ++i)
        if (IsStereoMixName(LineName(i))) return i;
    return -1;
}

std::string AlsaMixer::PlaybackLineName(int32_t line) const
{
    snd_mixer_elem_t* e = Playback(line);
    return e ? snd_mixer_selem_get_name(e) : "";
}

int32_t AlsaMixer::MicrophonePlaybackLine() const
{
    for (int32_t i = 0; i < PlaybackLineCount(); ++i)
        if (IsMicrophoneName(PlaybackLineName(i))) return i;
    return -1;
}

int32_t AlsaMixer::PlaybackVolume(int32_t line) const
{
    snd_mixer_elem_t* e = Playback(line);
    if (e == nullptr || !snd_mixer_selem_has_playback_volume(e)) return 0;
    long min = 0, max = 0, value = 0;
    if (snd_mixer_selem_get_playback_volume_range(e, &min, &max) < 0) return 0;
    if (snd_mixer_selem_get_playback_volume(e, FirstPlaybackChannel(e), &value) < 0) return 0;
    return ScaleFromRange(value, min, max);
}

void AlsaMixer::SetPlaybackVolume(int32_t line, int32_t volume)
{
    snd_mixer_elem_t* e = Playback(line);
    if (e == nullptr || !snd_mixer_selem_has_playback_volume(e)) return;
    long min = 0, max = 0;
    if (snd_mixer_selem_get_playback_volume_range(e, &min, &max) < 0) return;
    (void)snd_mixer_selem_set_playback_volume_all(e, ScaleToRange(volume, min, max));
}

int32_t AlsaMixer::PlaybackMuted(int32_t line) const
{
    snd_mixer_elem_t* e = Playback(line);
    if (e == nullptr || !snd_mixer_selem_has_playback_switch(e)) return 0;
    int on = 1;
    if (snd_mixer_selem_get_playback_switch(e, FirstPlaybackChannel(e), &on) < 0) return 0;
    return on == 0 ? 1 : 0;
}

void AlsaMixer::SetPlaybackMuted(int32_t line, bool muted)
{
    snd_mixer_elem_t* e = Playback(line);
    if (e == nullptr || !snd_mixer_selem_has_playback_switch(e)) return;
    (void)snd_mixer_selem_set_playback_switch_all(e, muted ? 0 : 1);
}

std::vector<int> CardNumbers()
{
    std::vector<int> cards;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) cards.push_back(card);
    return cards;
}

std::string CardDevice(int32_t mixer)
{
    const std::vector<int> cards = CardNumbers();
    if (mixer < 0 || static_cast<size_t>(mixer) >= cards.size()) return "";
    return "hw:" + std::to_string(cards[static_cast<size_t>(mixer)]);
}

std::string CardName(int32_t mixer)
{
    const std::vector<int> cards = CardNumbers();
    if (mixer < 0 || static_cast<size_t>(mixer) >= cards.size()) return "";
    char* name = nullptr;
    if (snd_card_get_name(cards[static_cast<size_t>(mixer)], &name) < 0 || name == nullptr) return "";
    std::unique_ptr<char, decltype(&std::free)> owned(name, &std::free);
    return owned.get();
}

std::unique_ptr<AlsaMixer> OpenCardMixer(int32_t mixer)
{
    const std::string device = CardDevice(mixer);
    return device.empty() ? nullptr : AlsaMixer::Open(device);
}

}  // namespace mixer
