// Fakes of what a document asks above itself: the process-wide application hooks (main window's
// stroke and renderers, tool window's nib and colour group), the event player's loan, and a
// headless document with its owner and flow image.
#pragma once

#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless.h"
#include "document/paper/headless_document.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"

#include <memory>

// The application hooks answering the given objects while the guard lives.
class ScopedPaperAppHooks
{
  public:
    ScopedPaperAppHooks(TStroke *stroke, CPenRender *render, CPenRender5 *render5,
                        CPenShapeObj *nib, const CColorSlotGroup *colors)
    {
        SPaperAppHooks h;
        h.mainStroke = [stroke] { return stroke; };
        h.mainPenRender = [render] { return render; };
        h.mainPenRender5 = [render5] { return render5; };
        h.selectedPenShape = [nib] { return nib; };
        h.selectedColorSlotGroup = [colors] { return colors; };
        m_previous = installPaperAppHooks(h);
    }
    ~ScopedPaperAppHooks() { installPaperAppHooks(m_previous); }
    ScopedPaperAppHooks(const ScopedPaperAppHooks &) = delete;
    ScopedPaperAppHooks &operator=(const ScopedPaperAppHooks &) = delete;

  private:
    SPaperAppHooks m_previous;
};

// What an event player lends: fixed objects.
struct FakePaperPlayback : IPaperPlayback
{
    CPenShapeObj *nib = nullptr;
    CPenRender *render = nullptr;
    CPenRender5 *render5 = nullptr;
    TStroke *stroke = nullptr;
    const CColorSlotGroup *colors = nullptr;
    CPenShapeObj *playedPenShape() const override { return nib; }
    CPenRender *playedPenRender() const override { return render; }
    CPenRender5 *playedPenRender5() const override { return render5; }
    TStroke *playedStroke() const override { return stroke; }
    const CColorSlotGroup *playedColorSlotGroup() const override { return colors; }
};
