#pragma once
// One ALSA mixer (a card's "hw:N", or any control device such as "pulse"), opened
// and loaded for the life of the object. Recording lines are planned from its
// capture elements and capture-source enumeration (alsa_plan.h); playback lines are
// its playback elements in element order. Volumes on 0 ... 65535.

#include "alsa_plan.h"

#include <alsa/asoundlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mixer {

class AlsaMixer {
public:
    // nullptr when the device cannot be opened or loaded.
    [[nodiscard]] static std::unique_ptr<AlsaMixer> Open(const std::string& device);

    // Capture side.
    [[nodiscard]] int32_t LineCount() const { return static_cast<int32_t>(plan_.lines.size()); }
    [[nodiscard]] std::string LineName(int32_t line) const;
    [[nodiscard]] bool LineEnabled(int32_t line) const;
    [[nodiscard]] bool LineSelected(int32_t line) const;
    // Makes the line the only capture source: through the card's capture-source
    // enumeration when the line has an item there, otherwise by turning the line's
    // capture switch on and every other line's off (the converter's own switch stays).
    void SelectLine(int32_t line);
    [[nodiscard]] int32_t LineVolume(int32_t line) const;
    void SetLineVolume(int32_t line, int32_t volume);
    [[nodiscard]] int32_t StereoLine() const;

    // Playback side.
    [[nodiscard]] int32_t PlaybackLineCount() const { return static_cast<int32_t>(playbackLines_.size()); }
    [[nodiscard]] std::string PlaybackLineName(int32_t line) const;
    [[nodiscard]] int32_t MicrophonePlaybackLine() const;
    [[nodiscard]] int32_t PlaybackVolume(int32_t line) const;
    void SetPlaybackVolume(int32_t line, int32_t volume);
    // The playback switch of the line is off (1) or on / absent (0).
    [[nodiscard]] int32_t PlaybackMuted(int32_t line) const;
    void SetPlaybackMuted(int32_t line, bool muted);

private:
    struct Close {
        void operator()(snd_mixer_t* m) const { snd_mixer_close(m); }
    };
    explicit AlsaMixer(snd_mixer_t* handle);

    [[nodiscard]] const LinePlan* Line(int32_t line) const;
    // The element of the line's volume and switch; nullptr when it has none.
    [[nodiscard]] snd_mixer_elem_t* Capture(int32_t line) const;
    [[nodiscard]] snd_mixer_elem_t* Playback(int32_t line) const;

    std::unique_ptr<snd_mixer_t, Close> handle_;
    std::vector<snd_mixer_elem_t*> elements_;       // every simple element; owned by handle_
    std::vector<snd_mixer_elem_t*> playbackLines_;  // owned by handle_
    CapturePlan plan_;
    snd_mixer_elem_t* captureSource_ = nullptr;     // the capture-source enumeration, if any
};

// The card numbers in the order the system lists them; the mixer index picks one.
[[nodiscard]] std::vector<int> CardNumbers();
// "hw:N" for the card at `mixer` in that list; empty when out of range.
[[nodiscard]] std::string CardDevice(int32_t mixer);
// The card's name as the system gives it; empty when out of range.
[[nodiscard]] std::string CardName(int32_t mixer);
// Opens the mixer of the card at `mixer`; nullptr when out of range or unusable.
[[nodiscard]] std::unique_ptr<AlsaMixer> OpenCardMixer(int32_t mixer);

}  // namespace mixer
