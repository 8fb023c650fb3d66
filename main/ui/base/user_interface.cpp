#include "ui/base/user_interface.h"

#include "ui/base/app_hooks.h"
#include "ui/fields/edit_boxes.h"
#include "ui/forms/mru_list.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_manager.h"

#include <QApplication>

void initialiseUserInterface()
{
    installApplicationHooks();
    if (!gAppearanceManager)
        gAppearanceManager = new TAppearanceManager;
    if (!gGradMarkerImages[0][0])
        createGradMarkerImages();
    if (!gGlyphManager)
        gGlyphManager = new TqZGlyphManager;
    if (!gMRUMenuCanvas)
        gMRUMenuCanvas = new TMRUMenuCanvas{QApplication::font("QMenu")};
    createCaptureEdits();
}

void finaliseUserInterface()
{
    freeCaptureEdits();
    delete gMRUMenuCanvas;
    gMRUMenuCanvas = nullptr;
    delete gGlyphManager;
    gGlyphManager = nullptr;
    freeGradMarkerImages();
    delete gAppearanceManager;
    gAppearanceManager = nullptr;
}
