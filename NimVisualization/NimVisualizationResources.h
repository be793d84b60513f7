#pragma once
// The resources of libNimVisualization.so: its registration scripts (registry resources 101
// and 103, in the registrar's script language) and its toolbox bitmap (resource 102).

#include "server_registration.h"
#include "toolbox_bitmap.h"

namespace nim_visualization {

extern const char kAppIdScript[];  // registry resource 101
extern const char kClassScript[];  // registry resource 103
// What DllRegisterServer and DllUnregisterServer run.
extern const component_shell::ServerRegistration kServerRegistration;
// Toolbox bitmap 102.
extern const component_shell::ToolboxBitmap kToolboxBitmap;

}  // namespace nim_visualization
