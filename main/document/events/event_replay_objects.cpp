// The objects a replay paints with: its own stroke, nib objects, nib image list, renderers, tone
// set, textures and colour-range bytes. Made when a replay starts, freed when recording continues
// or the manager goes.
#include "document/events/event_manager.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"

#include <new>

CEventMngr::~CEventMngr() = default;

bool CEventMngr::createPlayObjects()
{
    freePlayObjects();
    try {
        playStroke = std::make_unique<TStroke>(5);
        playPenShapeObj = std::make_unique<CPenShapeObj>();
        playPenRender = std::make_unique<CPenRender>(playStroke.get());
        SPenParam round;
        initPenParam(round, 10);
        playPenRender->changePenParam(round);
        playPenRender5 = std::make_unique<CPenRender5>(playStroke.get());
        playToneMngr = std::make_unique<CToneMngr>();
    } catch (const std::exception &) {
        freePlayObjects();
        return false;
    }
    curGradGroup.reset(16);
    return true;
}

void CEventMngr::freePlayObjects()
{
    playPenShapeImg.reset();
    playPenShapeList.clear();
    playPenRender.reset();
    playPenRender5.reset();
    playPenShapeObj.reset();
    playToneMngr.reset();
    playTC0.reset();
    playTC1.reset();
    playColorRange.clear();
    playStroke.reset();
}
