// The objects of the main and tool windows a document paints with (the stroke and renderers, the
// selected nib, colours, tones and gradients), installed as the document's application hooks
// while this object lives: what tests and tools stand in for the windows with. A replaying
// document paints with the recording's tones. The application profile is made when none exists.
#pragma once

#include "document/paper/paper_host.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/gradient/gradient_stops.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"

class CHeadlessPaperApp
{
  public:
    CHeadlessPaperApp();
    ~CHeadlessPaperApp();
    CHeadlessPaperApp(const CHeadlessPaperApp &) = delete;
    CHeadlessPaperApp &operator=(const CHeadlessPaperApp &) = delete;

    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
    CPenShapeObj nib;
    CColorSlotGroup colors;
    CToneMngr tones;
    CGradMngr grads;

  private:
    SPaperAppHooks m_previous;
    bool m_madeProfile = false;
};
