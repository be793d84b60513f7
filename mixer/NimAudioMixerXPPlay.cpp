// The playback side of a card's ALSA mixer: the microphone's playback line, its
// volume and its mute. The mixer index picks a card as in libNimAudioMixerXP.

#define NIM_MIXER_BUILDING
#include "alsa_mixer.h"
#include "mixer_exports.h"

int32_t GetWaveOutMicLineNumber(int32_t mixer)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card ? card->MicrophonePlaybackLine() : -1;
}

int32_t GetWaveOutLineVolume(int32_t mixer, int32_t line)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card ? card->PlaybackVolume(line) : 0;
}

void SetWaveOutLineVolume(int32_t mixer, int32_t line, int32_t volume)
{
    if (const auto card = mixer::OpenCardMixer(mixer)) card->SetPlaybackVolume(line, volume);
}

int32_t GetMicrophoneMute(int32_t mixer)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card ? card->PlaybackMuted(card->MicrophonePlaybackLine()) : 0;
}

void SetMicrophoneMute(int32_t mixer, int32_t mute)
{
    if (const auto card = mixer::OpenCardMixer(mixer))
        card->SetPlaybackMuted(card->MicrophonePlaybackLine(), (mute & 0xFF) != 0);
}
