// The recording lines of a card's ALSA mixer, for systems without a sound server.
// The mixer index picks a card in the order the system lists them; each call opens
// that card's mixer afresh, so it always sees the card's present state.

#define NIM_MIXER_BUILDING
#include "alsa_mixer.h"
#include "mixer_exports.h"
#include "name_buffer.h"

int32_t GetDriverCount()
{
    return static_cast<int32_t>(mixer::CardNumbers().size());
}

void GetDriverName(int32_t index, char16_t* buffer)
{
    mixer::CopyNameToBuffer(mixer::CardName(index), buffer, mixer::kDriverNameBytes);
}

int32_t GetLineCount(int32_t mixer)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card ? card->LineCount() : 0;
}

void GetLineName(int32_t mixer, int32_t line, char16_t* buffer)
{
    const auto card = mixer::OpenCardMixer(mixer);
    mixer::CopyNameToBuffer(card ? card->LineName(line) : "", buffer, mixer::kLineNameBytes);
}

int32_t IsLineEnable(int32_t mixer, int32_t line)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card && card->LineEnabled(line) ? 1 : 0;
}

int32_t GetLineSelected(int32_t mixer, int32_t line)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card && card->LineSelected(line) ? 1 : 0;
}

void SetLineSelected(int32_t mixer, int32_t line)
{
    if (const auto card = mixer::OpenCardMixer(mixer)) card->SelectLine(line);
}

int32_t GetLineVolume(int32_t mixer, int32_t line)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card ? card->LineVolume(line) : 0;
}

void SetLineVolume(int32_t mixer, int32_t line, int32_t volume)
{
    if (const auto card = mixer::OpenCardMixer(mixer)) card->SetLineVolume(line, volume);
}

int32_t GetStereoLineNumber(int32_t mixer)
{
    const auto card = mixer::OpenCardMixer(mixer);
    return card ? card->StereoLine() : -1;
}
