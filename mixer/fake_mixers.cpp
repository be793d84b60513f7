#include "fake_mixers.h"

#include "name_buffer.h"

#include <algorithm>

namespace mixer {
namespace {

template <typename T>
T* At(std::vector<T>& items, int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= items.size()) return nullptr;
    return &items[static_cast<size_t>(index)];
}

FakeLine* LineOf(FakeMixerState& s, int32_t mixer, int32_t line)
{
    FakeCard* card = At(s.cards, mixer);
    return card ? At(card->lines, line) : nullptr;
}

std::string Call(const char* name, std::initializer_list<int32_t> args)
{
    std::string text = std::string(name) + "(";
    bool first = true;
    for (int32_t a : args) {
        if (!first) text += ",";
        text += std::to_string(a);
        first = false;
    }
    return text + ")";
}

}  // namespace

int32_t FakeMixerXP::GetDriverCount()
{
    return static_cast<int32_t>(s_.cards.size());
}

void FakeMixerXP::GetDriverName(int32_t index, char16_t* buffer)
{
    const FakeCard* card = At(s_.cards, index);
    CopyNameToBuffer(card ? card->name : "", buffer, kDriverNameBytes);
}

int32_t FakeMixerXP::GetLineCount(int32_t mixer)
{
    const FakeCard* card = At(s_.cards, mixer);
    return card ? static_cast<int32_t>(card->lines.size()) : 0;
}

void FakeMixerXP::GetLineName(int32_t mixer, int32_t line, char16_t* buffer)
{
    const FakeLine* l = LineOf(s_, mixer, line);
    CopyNameToBuffer(l ? l->name : "", buffer, kLineNameBytes);
}

int32_t FakeMixerXP::IsLineEnable(int32_t mixer, int32_t line)
{
    const FakeLine* l = LineOf(s_, mixer, line);
    return l && l->enabled ? 1 : 0;
}

int32_t FakeMixerXP::GetLineSelected(int32_t mixer, int32_t line)
{
    const FakeLine* l = LineOf(s_, mixer, line);
    return l && l->selected ? 1 : 0;
}

void FakeMixerXP::SetLineSelected(int32_t mixer, int32_t line)
{
    s_.calls.push_back(Call("SetLineSelected", {mixer, line}));
    if (LineOf(s_, mixer, line) == nullptr) return;
    std::vector<FakeLine>& lines = s_.cards[static_cast<size_t>(mixer)].lines;
    for (size_t i = 0; i < lines.size(); ++i) lines[i].selected = (static_cast<int32_t>(i) == line);
}

int32_t FakeMixerXP::GetLineVolume(int32_t mixer, int32_t line)
{
    const FakeLine* l = LineOf(s_, mixer, line);
    return l ? l->volume : 0;
}

void FakeMixerXP::SetLineVolume(int32_t mixer, int32_t line, int32_t volume)
{
    s_.calls.push_back(Call("SetLineVolume", {mixer, line, volume}));
    if (FakeLine* l = LineOf(s_, mixer, line)) l->volume = std::clamp(volume, 0, 65535);
}

int32_t FakeMixerXP::GetStereoLineNumber(int32_t mixer)
{
    const FakeCard* card = At(s_.cards, mixer);
    return card ? card->stereoLine : -1;
}

int32_t FakeMixerXPPlay::GetWaveOutMicLineNumber(int32_t mixer)
{
    const FakeCard* card = At(s_.cards, mixer);
    return card ? card->micPlaybackLine : -1;
}

int32_t FakeMixerXPPlay::GetWaveOutLineVolume(int32_t mixer, int32_t line)
{
    FakeCard* card = At(s_.cards, mixer);
    const int32_t* volume = card ? At(card->playbackVolumes, line) : nullptr;
    return volume ? *volume : 0;
}

void FakeMixerXPPlay::SetWaveOutLineVolume(int32_t mixer, int32_t line, int32_t volume)
{
    s_.calls.push_back(Call("SetWaveOutLineVolume", {mixer, line, volume}));
    FakeCard* card = At(s_.cards, mixer);
    if (int32_t* v = card ? At(card->playbackVolumes, line) : nullptr) *v = std::clamp(volume, 0, 65535);
}

int32_t FakeMixerXPPlay::GetMicrophoneMute(int32_t mixer)
{
    const FakeCard* card = At(s_.cards, mixer);
    return card && card->micMuted ? 1 : 0;
}

void FakeMixerXPPlay::SetMicrophoneMute(int32_t mixer, int32_t mute)
{
    s_.calls.push_back(Call("SetMicrophoneMute", {mixer, mute}));
    if (FakeCard* card = At(s_.cards, mixer)) card->micMuted = (mute & 0xFF) != 0;
}

int32_t FakeMixerVista::GetEndPointCount()
{
    return static_cast<int32_t>(s_.endpoints.size());
}

void FakeMixerVista::GetEndPointName(int32_t endpoint, char16_t* buffer)
{
    const FakeEndpoint* e = At(s_.endpoints, endpoint);
    CopyNameToBuffer(e ? e->name : "", buffer, kLineNameBytes);
}

int32_t FakeMixerVista::GetEndPointSelected(int32_t endpoint)
{
    const FakeEndpoint* e = At(s_.endpoints, endpoint);
    return e && e->isDefault ? 1 : 0;
}

int32_t FakeMixerVista::GetEndPointVolume(int32_t endpoint)
{
    const FakeEndpoint* e = At(s_.endpoints, endpoint);
    return e ? e->volume : 0;
}

void FakeMixerVista::SetEndPointVolume(int32_t endpoint, int32_t volume)
{
    s_.calls.push_back(Call("SetEndPointVolume", {endpoint, volume}));
    if (FakeEndpoint* e = At(s_.endpoints, endpoint)) e->volume = std::clamp(volume, 0, 100);
}

void FakeMixerVista::GetEndPointId(int32_t endpoint, char16_t* buffer)
{
    const FakeEndpoint* e = At(s_.endpoints, endpoint);
    CopyNameToBuffer(e ? (e->id.empty() ? e->name : e->id) : "", buffer, kLineNameBytes);
}

std::string FakeMixerLibraries::CaptureDevice(int32_t mixer)
{
    const FakeCard* card = At(state.cards, mixer);
    return card ? card->captureDevice : std::string();
}

namespace {

class FakeWatch final : public SourceWatch {
public:
    FakeWatch(std::weak_ptr<std::vector<std::pair<int, std::function<void(SourceEvent)>>>> watchers, int id)
        : watchers_(std::move(watchers)), id_(id)
    {
    }
    ~FakeWatch() override
    {
        if (auto w = watchers_.lock())
            w->erase(std::remove_if(w->begin(), w->end(), [this](const auto& e) { return e.first == id_; }), w->end());
    }

private:
    std::weak_ptr<std::vector<std::pair<int, std::function<void(SourceEvent)>>>> watchers_;
    int id_;
};

}  // namespace

std::unique_ptr<SourceWatch> FakeMixerLibraries::WatchSources(std::function<void(SourceEvent)> changed)
{
    const int id = nextWatch_++;
    watchers_->emplace_back(id, std::move(changed));
    return std::make_unique<FakeWatch>(watchers_, id);
}

void FakeMixerLibraries::NotifySources(SourceEvent event)
{
    const Watchers copy = *watchers_;
    for (const auto& [id, changed] : copy) changed(event);
}

}  // namespace mixer
