// The in-process server entry points of libNimAudioRecorder.so.
#include "NimAudioRecorderObject.h"
#include "NimAudioRecorderResources.h"

#include "com_object.h"

COMPONENT_SERVER_EXPORTS(CNimAudioRecorderObject, CLSID_NimAudioRecorder,
                         nim_audio_recorder::kServerRegistration)
