#include "stored_control_data.h"

#include "identity.h"
#include "persistence.h"

#include <QFile>

// The resources live in the program's static library: make sure they are linked in.
static void InitControlResources() { Q_INIT_RESOURCE(controls); }

namespace stored_control_data {

QByteArray For(const CLSID& clsid)
{
    static const bool resources = (InitControlResources(), true);
    (void)resources;
    const identity::ControlIdentity* control = identity::FindControl(clsid);
    if (!control) return {};
    QFile file(QStringLiteral(":/controls/%1.dat").arg(QLatin1String(control->name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

HRESULT Load(IUnknown* control)
{
    if (!control) return E_POINTER;
    ComPtr<IPersist> persist;
    if (HRESULT hr = control->QueryInterface(IID_IPersist, persist.putVoid()); FAILED(hr)) return hr;
    CLSID clsid{};
    if (HRESULT hr = persist->GetClassID(&clsid); FAILED(hr)) return hr;
    const QByteArray data = For(clsid);
    if (data.isEmpty()) return S_OK;
    return component_shell::LoadControlData(
        control, std::span(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size())));
}

}  // namespace stored_control_data
