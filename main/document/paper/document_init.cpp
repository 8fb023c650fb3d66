#include "document/paper/document_init.h"

#include "document/paper/layer_blend_table.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/brush/user_blend_modes.h"

void initialiseDocument()
{
    installLayerModeNameProc(static_cast<void (*)(TLayerMode, QString &)>(getLayerModeName));
    initialiseDocumentStrokes();
}
