#pragma once
// ControlShell: what every control class gets from the shell besides its own logic,
// in the place of the platform's full-control templates: the extent (fixed or
// resizable), the misc status, stream persistence of its property map (and, where the
// control asks for it, property-bag persistence), the "needs saving" flag, and its
// drawing for a container (the toolbox bitmap at the top-left corner, unless the
// control draws itself).
//
// A control class derives from its dispatch interface and ControlShell, passes its
// traits and its own IDispatch to the shell's constructor, and lets its
// InternalQueryInterface end with QueryShellInterface(iid).

#include "ole_control.h"
#include "persistence.h"
#include "toolbox_bitmap.h"

namespace component_shell {

struct ControlTraits {
    CLSID clsid;
    DWORD miscStatus;
    SIZEL initialExtent;   // HIMETRIC; also the natural extent
    bool fixedExtent;      // refuse any other extent
    PropertyMap propertyMap;
    bool propertyBag;      // also IPersistPropertyBag
    const ToolboxBitmap* toolboxBitmap;
};

class ControlShell : public IOleObject,
                     public IViewObject,
                     public IPersistStreamInit,
                     public IPersistPropertyBag {
public:
    // `self` is the control's IDispatch, through which dispatch entries are read and
    // written; it is not counted.
    ControlShell(const ControlTraits& traits, IDispatch* self);
    virtual ~ControlShell() = default;
    ControlShell(const ControlShell&) = delete;
    ControlShell& operator=(const ControlShell&) = delete;

    // The shell's interfaces: IOleObject, IViewObject, IPersist, IPersistStream,
    // IPersistStreamInit, and IPersistPropertyBag for a control with a property bag.
    void* QueryShellInterface(REFIID iid);

    // IOleObject
    HRESULT SetExtent(DWORD drawAspect, const SIZEL* size) override;
    HRESULT GetExtent(DWORD drawAspect, SIZEL* size) override;
    HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT GetUserClassID(CLSID* clsid) override;

    // IViewObject
    HRESULT Draw(DWORD drawAspect, QPainter* painter, const RECTL* bounds) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag
    HRESULT GetClassID(CLSID* pClassID) override;
    HRESULT IsDirty() override;
    // E_FAIL for a stream that ends early, has another version marker, a variant type
    // other than its property's, or another extent for a fixed control; the failure of
    // the stream's Read as it is. Nothing is set unless the whole stream is good.
    HRESULT Load(IStream* pStm) override;
    HRESULT Save(IStream* pStm, BOOL fClearDirty) override;
    HRESULT GetSizeMax(uint64_t* pcbSize) override;
    // A new control holds its creation values already: nothing changes.
    HRESULT InitNew() override;
    // A property missing from the bag keeps its value; a value that cannot be turned
    // into its property's type fails with DISP_E_TYPEMISMATCH and nothing is set.
    HRESULT Load(IPropertyBag* bag) override;
    HRESULT Save(IPropertyBag* bag, BOOL fClearDirty, BOOL fSaveAllProperties) override;

    [[nodiscard]] SIZEL extent() const { return extent_; }
    [[nodiscard]] SIZEL naturalExtent() const { return traits_.initialExtent; }
    [[nodiscard]] bool requiresSave() const { return requiresSave_; }
    void SetRequiresSave(bool value) { requiresSave_ = value; }

protected:
    // The control's picture in `bounds`: by default its toolbox bitmap at its own size
    // at the top-left corner, through a temporary image, with a plain copy.
    virtual void OnDraw(QPainter& painter, const RECTL& bounds);

private:
    struct Staged;
    HRESULT Apply(const Staged& staged);
    HRESULT ReadProperty(const PropertyEntry& entry, VARIANT* value);

    const ControlTraits& traits_;
    IDispatch* self_;
    SIZEL extent_;
    bool requiresSave_ = false;
};

}  // namespace component_shell
