// The in-process server entry points of libNimAudioRecorder.so.
#include "NimAudioRecorderObject.h"

#include "com_object.h"

COMPONENT_SERVER_EXPORTS(CNimAudioRecorderObject, CLSID_NimAudioRecorder)
