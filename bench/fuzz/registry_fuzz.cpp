// Feeds arbitrary files to the key store's reader. A file it takes must come back
// from the writer as the same tree, and the writer's text must read back unchanged.

#include "registry.h"

#include <cstdint>
#include <string_view>

namespace {

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto tree = registry::Parse(text, &error);
    if (!tree) {
        Check(!error.empty());
        return 0;
    }
    const std::string written = registry::Serialize(*tree);
    const auto again = registry::Parse(written);
    Check(again && *again == *tree);
    Check(registry::Serialize(*again) == written);
    return 0;
}
