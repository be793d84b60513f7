#pragma once
// The value tags and fixed names of the list view's component stream, shared by its
// reader and writer.

#include <cstdint>
#include <string_view>

namespace list_view_stream {

inline constexpr std::string_view kSignature = "TPF0";
inline constexpr std::string_view kClassName = "TListView";
inline constexpr std::string_view kObjectName = "ListViewHistory";

enum Tag : uint8_t {
    kTagEnd = 0,
    kTagList = 1,
    kTagInt8 = 2,
    kTagInt16 = 3,
    kTagInt32 = 4,
    kTagExtended = 5,
    kTagString = 6,
    kTagIdent = 7,
    kTagFalse = 8,
    kTagTrue = 9,
    kTagBinary = 10,
    kTagSet = 11,
    kTagLongString = 12,
    kTagNil = 13,
    kTagCollection = 14,
    kTagSingle = 15,
    kTagCurrency = 16,
    kTagDate = 17,
    kTagWideString = 18,
    kTagInt64 = 19,
    kTagUtf8String = 20,
};

}  // namespace list_view_stream
