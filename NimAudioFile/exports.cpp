// The library's in-process server entry points for its one control.
#include "com_object.h"
#include "identity.h"
#include "nim_audio_file_object.h"
#include "nim_audio_file_resources.h"

COMPONENT_SERVER_EXPORTS(CNimAudioFileObject, identity::CLSID_NimAudioFile, nim_audio_file::kServerRegistration)
