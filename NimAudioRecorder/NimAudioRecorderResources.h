#pragma once
// The resources of libNimAudioRecorder.so: its registration scripts (registry resources 101
// and 103, in the registrar's script language) and its toolbox bitmap (resource 103).

#include "server_registration.h"
#include "toolbox_bitmap.h"

namespace nim_audio_recorder {

extern const char kAppIdScript[];  // registry resource 101
extern const char kClassScript[];  // registry resource 103
// What DllRegisterServer and DllUnregisterServer run.
extern const component_shell::ServerRegistration kServerRegistration;
// Toolbox bitmap 103.
extern const component_shell::ToolboxBitmap kToolboxBitmap;

}  // namespace nim_audio_recorder
