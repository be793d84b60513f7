#include "sample_buffer.h"

#include <algorithm>

namespace nim_visualization {

bool SampleBuffer::Write(const uint8_t* bytes, size_t count)
{
    std::unique_lock lock(mutex_, wait_);
    if (!lock.owns_lock()) return false;
    count = std::min(count, kBytes);
    if (bytes && count > 0) std::copy(bytes, bytes + count, bytes_.begin());
    return true;
}

bool SampleBuffer::Read(Bytes& out) const
{
    std::unique_lock lock(mutex_, wait_);
    if (!lock.owns_lock()) return false;
    out = bytes_;
    return true;
}

bool SampleBuffer::ReadFirst(Bytes& out, size_t count) const
{
    std::unique_lock lock(mutex_, wait_);
    if (!lock.owns_lock()) return false;
    count = std::min(count, kBytes);
    std::copy(bytes_.begin(), bytes_.begin() + count, out.begin());
    return true;
}

}  // namespace nim_visualization
