#include "document/paper/headless_app.h"

#include "core/profile/app_profile.h"
#include "document/events/event_manager.h"
#include "document/paper/paper.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/render/stroke_context.h"

CHeadlessPaperApp::CHeadlessPaperApp()
{
    if (!gAppProfile) {
        initialiseAppProfile();
        m_madeProfile = true;
    }
    SPaperAppHooks h;
    h.mainStroke = [this] { return &stroke; };
    h.mainPenRender = [this] { return &render4; };
    h.mainPenRender5 = [this] { return &render5; };
    h.selectedPenShape = [this] { return &nib; };
    h.selectedColorSlotGroup = [this] { return &colors; };
    h.mainToneMngrFor = [this](const TPaper *p) -> CToneMngr * {
        if (p && p->isEventPlaying())
            return p->eventMngr().playToneMngr.get();
        return &tones;
    };
    h.mainGradMngr = [this] { return &grads; };
    m_previous = installPaperAppHooks(h);
}

CHeadlessPaperApp::~CHeadlessPaperApp()
{
    setCurrentDrawWindow(nullptr);
    initStrokePixelProcs();
    installPaperAppHooks(m_previous);
    if (m_madeProfile)
        finaliseAppProfile();
}
