// Off Windows there is no metafile player: the library has no rendering
// device, and the metafile codec declines every file (detection moves on).
#include "ximage/render/cx_render_device.h"

CxRenderDevice* CxPlatformRenderDevice() { return nullptr; }
