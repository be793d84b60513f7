#pragma once
// Persistence of a control's data: the stream and property-bag interfaces, a stream
// over bytes in memory and a property bag in memory (what a host hands a control to
// load from or save into), and the property map that says what a control saves.
//
// Stream layout (little-endian): u32 version marker 0x00000800; then, for each entry
// of the property map in order, the raw u32 of an extent entry (_cx, _cy), or for a
// dispatch entry the property's value as a variant: u16 variant type and the value
// (4 bytes for VT_I4 and VT_UI4).

#include "com.h"

#include <map>
#include <span>
#include <string>
#include <vector>

// ---- Interfaces ----------------------------------------------------------------

struct ISequentialStream : IUnknown {
    // Copies up to cb bytes; *pcbRead (when given) says how many. A stream that ends
    // first answers S_FALSE with the bytes it had.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

// Only the sequential part of the platform's IStream is used by the controls.
struct IStream : ISequentialStream {
protected:
    ~IStream() = default;
};

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStream : IPersist {
    // S_OK when the control changed since it was last saved or loaded, else S_FALSE.
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* pStm) = 0;
    virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
    virtual HRESULT GetSizeMax(uint64_t* pcbSize) = 0;

protected:
    ~IPersistStream() = default;
};

struct IPersistStreamInit : IPersistStream {
    // The creation values, as for a control that has no stored data.
    virtual HRESULT InitNew() = 0;

protected:
    ~IPersistStreamInit() = default;
};

struct IPropertyBag : IUnknown {
    // The value stored under `name`; E_INVALIDARG when there is none.
    virtual HRESULT Read(const char* name, VARIANT* value) = 0;
    virtual HRESULT Write(const char* name, const VARIANT& value) = 0;

protected:
    ~IPropertyBag() = default;
};

// Without the platform's error log: a property that cannot be read fails the load.
struct IPersistPropertyBag : IPersist {
    virtual HRESULT InitNew() = 0;
    virtual HRESULT Load(IPropertyBag* bag) = 0;
    virtual HRESULT Save(IPropertyBag* bag, BOOL fClearDirty, BOOL fSaveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

inline constexpr IID IID_ISequentialStream{0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
inline constexpr IID IID_IStream{0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPersist{0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPersistStream{0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPersistStreamInit{0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
inline constexpr IID IID_IPropertyBag{0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr IID IID_IPersistPropertyBag{0x37D84F60, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

namespace component_shell {

// ---- Property map ----------------------------------------------------------------

inline constexpr uint32_t kStreamVersion = 0x00000800;  // the version marker (ATL 8.0)

struct PropertyEntry {
    enum class Kind { Dispatch, ExtentWidth, ExtentHeight };
    const char* name;   // the key in a property bag
    Kind kind;
    DISPID dispId = 0;  // dispatch entries: read and written through Invoke
    VARTYPE vt = VT_EMPTY;  // dispatch entries: VT_I4 or VT_UI4
};

using PropertyMap = std::span<const PropertyEntry>;

// The two extent entries every control saves.
inline constexpr PropertyEntry kExtentWidthEntry{"_cx", PropertyEntry::Kind::ExtentWidth};
inline constexpr PropertyEntry kExtentHeightEntry{"_cy", PropertyEntry::Kind::ExtentHeight};

// ---- In memory -------------------------------------------------------------------

// A stream over bytes in memory, read from the start. It belongs to its owner (on the
// stack or as a member): references are counted for form's sake and never delete it,
// so a callee must not keep it beyond the call.
class MemoryStream final : public IStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    HRESULT QueryInterface(REFIID iid, void** ppv) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    // Writes at the read position, growing the stream as needed.
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;

    [[nodiscard]] const std::vector<uint8_t>& bytes() const { return bytes_; }
    [[nodiscard]] size_t position() const { return position_; }
    void Rewind() { position_ = 0; }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// A property bag in memory; names ignore ASCII letter case. Owned like MemoryStream.
class MemoryPropertyBag final : public IPropertyBag {
public:
    HRESULT QueryInterface(REFIID iid, void** ppv) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT Read(const char* name, VARIANT* value) override;
    HRESULT Write(const char* name, const VARIANT& value) override;

    [[nodiscard]] const VARIANT* Find(const std::string& name) const;
    [[nodiscard]] size_t size() const { return values_.size(); }

private:
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, VARIANT, NameLess> values_;
};

// Loads a control's data from saved stream bytes through its IPersistStreamInit; the
// control's own result (E_FAIL for bytes it cannot take, and then it keeps its values),
// or E_NOINTERFACE for an object without stream persistence.
[[nodiscard]] HRESULT LoadControlData(IUnknown* control, std::span<const uint8_t> bytes);
// The control's data as a stream saves it; the needs-saving flag is cleared.
[[nodiscard]] HRESULT SaveControlData(IUnknown* control, std::vector<uint8_t>* bytes);

}  // namespace component_shell
