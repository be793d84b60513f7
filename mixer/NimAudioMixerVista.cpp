// The capture endpoints of the sound server: every source, monitors included (a
// monitor records what a sink plays, the desktop's "stereo mix"). Each call opens a
// short connection of its own, so a server that restarts or vanishes between calls
// costs nothing but that call's answer.

#define NIM_MIXER_BUILDING
#include "mixer_exports.h"
#include "name_buffer.h"
#include "pulse_connection.h"
#include "pulse_sources.h"

#include <optional>

namespace {

using mixer::PulseConnection;
using mixer::SourceEntry;

std::optional<SourceEntry> SourceAt(PulseConnection& connection, int32_t endpoint)
{
    if (endpoint < 0) return std::nullopt;
    const auto sources = mixer::ListSources(connection);
    if (!sources || static_cast<size_t>(endpoint) >= sources->size()) return std::nullopt;
    return (*sources)[static_cast<size_t>(endpoint)];
}

}  // namespace

int32_t GetEndPointCount()
{
    PulseConnection connection;
    const auto sources = mixer::ListSources(connection);
    return sources ? static_cast<int32_t>(sources->size()) : 0;
}

void GetEndPointName(int32_t endpoint, char16_t* buffer)
{
    PulseConnection connection;
    const auto source = SourceAt(connection, endpoint);
    std::string name;
    if (source) name = source->description.empty() ? source->name : source->description;
    mixer::CopyNameToBuffer(name, buffer, mixer::kLineNameBytes);
}

int32_t GetEndPointSelected(int32_t endpoint)
{
    PulseConnection connection;
    const auto source = SourceAt(connection, endpoint);
    if (!source) return 0;
    const auto defaultName = mixer::DefaultSourceName(connection);
    return (defaultName && *defaultName == source->name) ? 1 : 0;
}

int32_t GetEndPointVolume(int32_t endpoint)
{
    PulseConnection connection;
    const auto source = SourceAt(connection, endpoint);
    return source ? source->percent : 0;
}

void GetEndPointId(int32_t endpoint, char16_t* buffer)
{
    PulseConnection connection;
    const auto source = SourceAt(connection, endpoint);
    mixer::CopyNameToBuffer(source ? source->name : "", buffer, mixer::kLineNameBytes);
}

void SetEndPointVolume(int32_t endpoint, int32_t volume)
{
    PulseConnection connection;
    const auto source = SourceAt(connection, endpoint);
    if (source) (void)mixer::SetSourcePercent(connection, source->index, volume);
}
