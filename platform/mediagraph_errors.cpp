#include "mediagraph_errors.h"

#include "mediagraph.h"
#include "mediagraph_owners.h"

#include <filesystem>
#include <utility>

namespace mediagraph {

namespace {

HRESULT OpenResultFor(const GError& error)
{
    if (error.domain == GST_RESOURCE_ERROR &&
        (error.code == GST_RESOURCE_ERROR_NOT_FOUND || error.code == GST_RESOURCE_ERROR_OPEN_READ))
        return VFW_E_NOT_FOUND;
    if (error.domain == GST_STREAM_ERROR) return VFW_E_UNSUPPORTED_STREAM;
    if (error.domain == GST_CORE_ERROR && error.code == GST_CORE_ERROR_MISSING_PLUGIN) return VFW_E_CANNOT_RENDER;
    return E_FAIL;
}

bool Names(const std::string& text, const std::string& file)
{
    if (file.empty()) return false;
    if (text.find(file) != std::string::npos) return true;
    const std::string name = std::filesystem::path(file).filename().string();
    return !name.empty() && text.find(name) != std::string::npos;
}

std::string Sentence(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
    if (text.empty()) return "Playback failed.";
    const char last = text.back();
    if (last != '.' && last != '!' && last != '?') text += '.';
    return text;
}

}  // namespace

GraphError ErrorFor(const GError& error, const std::string& file)
{
    std::string text = error.message ? error.message : "";
    if (text.empty() || Names(text, file)) {
        GCharPtr generic(gst_error_get_message(error.domain, error.code));
        text = generic ? generic.get() : "";
    }
    return {Sentence(text), OpenResultFor(error)};
}

void GraphErrors::beginOpen()
{
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = Phase::Opening;
    first_.reset();
    notes_.clear();
}

std::vector<std::string> GraphErrors::opened(std::optional<GraphError>* stopped)
{
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = Phase::Open;
    if (stopped) *stopped = first_;
    return std::exchange(notes_, {});
}

GraphError GraphErrors::failed(GraphError fallback)
{
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = Phase::Failed;
    notes_.clear();
    if (!first_) first_ = std::move(fallback);
    return *first_;
}

bool GraphErrors::record(GraphError error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (first_ || phase_ == Phase::Failed) return false;
    first_ = std::move(error);
    return phase_ == Phase::Open;
}

bool GraphErrors::note(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (phase_ == Phase::Open) return true;
    if (phase_ == Phase::Opening) notes_.push_back(text);
    return false;
}

std::string GraphErrors::text()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return first_ ? first_->text : std::string();
}

}  // namespace mediagraph
