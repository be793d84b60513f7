#pragma once
// The data the main window stores for its four controls, as each control's saved
// stream: the meter's grid and colours and every control's extent. The streams are
// resources of the program (":/controls/<control>.dat"); each control loads its own
// right after it is created, so these values, not the creation values, are the ones
// in effect.

#include "com.h"

#include <QByteArray>

namespace stored_control_data {

// The stored stream of the control class; empty for a class with none.
[[nodiscard]] QByteArray For(const CLSID& clsid);

// Loads the stored stream of the control's class (asked through IPersist) into it.
// S_OK for a class without stored data; otherwise the control's result of the load.
[[nodiscard]] HRESULT Load(IUnknown* control);

}  // namespace stored_control_data
