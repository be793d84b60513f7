#pragma once
// CNimVisualizationObject: the level meter control. It takes captured bytes, switches
// between the idle picture and live frames, holds the properties that shape the
// drawing, and shows itself in a widget placed on the host's window.

#include "INimVisualization.h"
#include "connection_point.h"
#include "control_shell.h"
#include "meter_renderer.h"
#include "meter_widget.h"

#include <QPointer>

class CNimVisualizationObject : public INimVisualization,
                                public IControlWindow,
                                public IConnectionPointContainer,
                                public component_shell::ControlShell {
public:
    // Visible, 2 x 2 inches at creation and resizable, saving its six drawing
    // properties, its extent and its two colours, also into a property bag.
    static const component_shell::ControlTraits kTraits;

    struct AudioFormat {
        LONG channels = 2;
        LONG samplesPerSec = 44100;
        LONG bitsPerSample = 16;
    };

    CNimVisualizationObject();
    virtual ~CNimVisualizationObject();
    CNimVisualizationObject(const CNimVisualizationObject&) = delete;
    CNimVisualizationObject& operator=(const CNimVisualizationObject&) = delete;

    void* InternalQueryInterface(REFIID iid);

    // IDispatch
    HRESULT GetIDsOfNames(const char* name, DISPID* dispId) override;
    HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result) override;

    // INimVisualization
    HRESULT put_BackColor(OLE_COLOR clr) override;
    HRESULT get_BackColor(OLE_COLOR* pclr) override;
    HRESULT put_FillColor(OLE_COLOR clr) override;
    HRESULT get_FillColor(OLE_COLOR* pclr) override;
    HRESULT SendData(SAFEARRAY** pSafeArrayData, LONG lArrayLength) override;
    HRESULT Clear() override;
    HRESULT get_style(LONG* pVal) override;
    HRESULT put_style(LONG newVal) override;
    HRESULT get_HighPosition(LONG* pVal) override;
    HRESULT put_HighPosition(LONG newVal) override;
    HRESULT get_MidPosition(LONG* pVal) override;
    HRESULT put_MidPosition(LONG newVal) override;
    HRESULT get_TickWidth(LONG* pVal) override;
    HRESULT put_TickWidth(LONG newVal) override;
    HRESULT get_TickHeight(LONG* pVal) override;
    HRESULT put_TickHeight(LONG newVal) override;
    HRESULT get_TickSeparate(LONG* pVal) override;
    HRESULT put_TickSeparate(LONG newVal) override;
    HRESULT Start() override;
    HRESULT SetAudioFormat(LONG lChannels, LONG lSamplesPerSec, LONG lBitsPerSample) override;
    HRESULT Stop() override;

    // IControlWindow
    HRESULT InPlaceActivate(HWND parent, LONG x, LONG y, LONG cx, LONG cy, HWND* controlWindow) override;
    HRESULT InPlaceDeactivate() override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // The draw request of the control's window: paints the meter into `target`.
    int OnDraw(nim_visualization::FrameTarget& target, const nim_visualization::MeterRect& bounds);

    [[nodiscard]] const nim_visualization::MeterRenderer& renderer() const { return renderer_; }
    [[nodiscard]] AudioFormat audioFormat() const { return format_; }
    // True once a colour was changed since creation or the last load or save that
    // cleared it (the colours are saved state).
    [[nodiscard]] bool isDirty() const { return requiresSave(); }
    [[nodiscard]] QWidget* window() const { return widget_.data(); }

protected:
    // The container's drawing: the meter, as in the control's own window.
    void OnDraw(QPainter& painter, const RECTL& bounds) override;

private:
    HRESULT GetProperty(int32_t nim_visualization::MeterSettings::*member, LONG* value) const;
    HRESULT PutProperty(int32_t nim_visualization::MeterSettings::*member, LONG value);
    // A property changed: the whole control is drawn again.
    void RequestRedraw();
    // New data or a stop: the meter area of the latest draw is painted again, without
    // erasing it first.
    void RequestMeterRepaint();

    component_shell::ConnectionPoint events_;
    nim_visualization::MeterRenderer renderer_;
    OLE_COLOR backColor_ = 0;
    OLE_COLOR fillColor_ = 0;
    AudioFormat format_;
    QPointer<nim_visualization::MeterWidget> widget_;
};
