// Feeds arbitrary bytes to the history file's reader; what it accepts must come back
// the same through the writer.

#include "list_view_stream.h"

#include <cstddef>
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
    using namespace list_view_stream;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ReadResult read = Read(bytes);
    if (read.rows) Check(read.rows->size() <= size / 21);
    if (!read.ok()) {
        Check(read.error == kInvalidStreamFormat || read.error.rfind("Error reading ", 0) == 0);
        return 0;
    }
    ListView list;
    list.columns = read.columns.value_or(std::vector<Column>{});
    list.rows = read.rows.value_or(std::vector<Row>{});
    for (const Row& r : list.rows) Check(r.subItemImages.size() == r.subItems.size());
    const ReadResult again = Read(Write(list));
    Check(again.ok());
    Check(again.columns.value_or(std::vector<Column>{}) == list.columns);
    Check(again.rows.value_or(std::vector<Row>{}) == list.rows);
    return 0;
}
