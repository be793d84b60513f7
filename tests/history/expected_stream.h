#pragma once
// History files spelled out byte by byte, as the program must write them.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace expected_stream {

inline std::string Bytes(std::initializer_list<uint8_t> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A short string: its length byte, then its bytes.
inline std::string Short(std::string_view s)
{
    return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

inline std::string Int32(int32_t v)
{
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
    return out;
}

// The row block of rows with no sub-items.
inline std::string RowBlock(const std::vector<std::string>& paths)
{
    std::string rows;
    for (const std::string& p : paths) rows += Int32(0) + Int32(-1) + Int32(-1) + Int32(0) + Int32(0) + Short(p);
    return Int32(static_cast<int32_t>(8 + rows.size())) + Int32(static_cast<int32_t>(paths.size())) + rows;
}

// The whole file of a 175 x 314 list with one column 170 wide.
inline std::string File(const std::vector<std::string>& paths, std::string_view caption = "Files")
{
    std::string f = "TPF0" + Short("TListView") + Short("ListViewHistory");
    f += Short("Left") + Bytes({2, 0});
    f += Short("Top") + Bytes({2, 0});
    f += Short("Width") + Bytes({3, 0xAF, 0x00});
    f += Short("Height") + Bytes({3, 0x3A, 0x01});
    f += Short("Align") + Bytes({7}) + Short("alClient");
    f += Short("BevelInner") + Bytes({7}) + Short("bvNone");
    f += Short("Columns") + Bytes({14, 1}) + Short("Caption") + Bytes({6}) + Short(caption) + Short("Width") +
         Bytes({3, 0xAA, 0x00, 0, 0});
    f += Short("GridLines") + Bytes({9});
    if (!paths.empty()) {
        const std::string block = RowBlock(paths);
        f += Short("Items.Data") + Bytes({10}) + Int32(static_cast<int32_t>(block.size())) + block;
    }
    f += Short("ReadOnly") + Bytes({9});
    f += Short("RowSelect") + Bytes({9});
    f += Short("PopupMenu") + Bytes({7}) + Short("frmMain.popMenuHistory");
    f += Short("TabOrder") + Bytes({2, 0});
    f += Short("ViewStyle") + Bytes({7}) + Short("vsReport");
    return f + Bytes({0, 0});
}

}  // namespace expected_stream
