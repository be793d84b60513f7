// The library's in-process server entry points for its one control class.
#include "NimVisualizationObject.h"
#include "NimVisualizationResources.h"
#include "com_object.h"

COMPONENT_SERVER_EXPORTS(CNimVisualizationObject, CLSID_NimVisualization, nim_visualization::kServerRegistration)
