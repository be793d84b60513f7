#include "pulse_sources.h"

#include "pulse_connection.h"

#include <pulse/introspect.h>
#include <pulse/volume.h>

#include <algorithm>

namespace mixer {
namespace {

struct SourceQuery {
    std::vector<SourceEntry> entries;
    pa_cvolume volume{};       // of the one source a volume change looks up
    bool found = false;
};

void CollectSource(pa_context*, const pa_source_info* info, int eol, void* userdata)
{
    auto* query = static_cast<SourceQuery*>(userdata);
    if (eol != 0 || info == nullptr) return;
    SourceEntry entry;
    entry.index = info->index;
    entry.name = info->name ? info->name : "";
    entry.description = info->description ? info->description : "";
    entry.percent = PercentOfVolume(pa_cvolume_max(&info->volume));
    query->entries.push_back(std::move(entry));
    query->volume = info->volume;
    query->found = true;
}

void StoreDefaultSource(pa_context*, const pa_server_info* info, void* userdata)
{
    auto* name = static_cast<std::optional<std::string>*>(userdata);
    *name = (info && info->default_source_name) ? info->default_source_name : "";
}

void StoreSuccess(pa_context*, int success, void* userdata)
{
    *static_cast<bool*>(userdata) = success != 0;
}

}  // namespace

int32_t PercentOfVolume(uint32_t volume)
{
    const uint64_t percent = (uint64_t(volume) * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM;
    return static_cast<int32_t>(std::min<uint64_t>(percent, 100));
}

uint32_t VolumeOfPercent(int32_t percent)
{
    const int32_t p = std::clamp(percent, 0, 100);
    return static_cast<uint32_t>((uint64_t(p) * PA_VOLUME_NORM + 50) / 100);
}

std::optional<std::vector<SourceEntry>> ListSources(PulseConnection& connection)
{
    if (!connection.Ready()) return std::nullopt;
    SourceQuery query;
    if (!connection.Wait(pa_context_get_source_info_list(connection.Context(), CollectSource, &query)))
        return std::nullopt;
    std::sort(query.entries.begin(), query.entries.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.index < b.index; });
    return query.entries;
}

std::optional<std::string> DefaultSourceName(PulseConnection& connection)
{
    if (!connection.Ready()) return std::nullopt;
    std::optional<std::string> name;
    if (!connection.Wait(pa_context_get_server_info(connection.Context(), StoreDefaultSource, &name)))
        return std::nullopt;
    return name;
}

bool SetSourcePercent(PulseConnection& connection, uint32_t index, int32_t percent)
{
    if (!connection.Ready()) return false;
    SourceQuery query;
    if (!connection.Wait(
            pa_context_get_source_info_by_index(connection.Context(), index, CollectSource, &query)) ||
        !query.found || !pa_cvolume_valid(&query.volume))
        return false;
    pa_cvolume volume = query.volume;
    pa_cvolume_scale(&volume, VolumeOfPercent(percent));
    bool success = false;
    if (!connection.Wait(pa_context_set_source_volume_by_index(connection.Context(), index, &volume,
                                                               StoreSuccess, &success)))
        return false;
    return success;
}

}  // namespace mixer
