// The library's in-process server entry points for its one control.
#include "NimDXVideoPlayerObject.h"
#include "NimDXVideoPlayerResources.h"

#include "com_object.h"

COMPONENT_SERVER_EXPORTS(CNimDXVideoPlayerObject, CLSID_NimDXVideoPlayer,
                         nim_dx_video_player::kServerRegistration)
