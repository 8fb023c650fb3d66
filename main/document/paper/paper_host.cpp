#include "document/paper/paper_host.h"

#include <utility>

namespace {

SPaperAppHooks gPaperAppHooks;

template <class T> T *ask(const std::function<T *()> &f)
{
    return f ? f() : nullptr;
}

} // namespace

SPaperAppHooks installPaperAppHooks(SPaperAppHooks hooks)
{
    std::swap(gPaperAppHooks, hooks);
    return hooks;
}

TStroke *appMainStroke()
{
    return ask(gPaperAppHooks.mainStroke);
}

CPenRender *appMainPenRender()
{
    return ask(gPaperAppHooks.mainPenRender);
}

CPenRender5 *appMainPenRender5()
{
    return ask(gPaperAppHooks.mainPenRender5);
}

CPenShapeObj *appSelectedPenShape()
{
    return ask(gPaperAppHooks.selectedPenShape);
}

const CColorSlotGroup *appSelectedColorSlotGroup()
{
    return ask(gPaperAppHooks.selectedColorSlotGroup);
}

void appRefreshLayerRow(TPaper &paper, int32_t idx)
{
    if (gPaperAppHooks.refreshLayerRow)
        gPaperAppHooks.refreshLayerRow(paper, idx);
}

CToneMngr *appMainToneMngrFor(const TPaper *paper)
{
    return gPaperAppHooks.mainToneMngrFor ? gPaperAppHooks.mainToneMngrFor(paper) : nullptr;
}

CGradMngr *appMainGradMngr()
{
    return ask(gPaperAppHooks.mainGradMngr);
}

ePaintLevel appMainPaintLevel()
{
    return gPaperAppHooks.mainPaintLevel ? gPaperAppHooks.mainPaintLevel()
                                         : ePaintLevel::PAINT_LEVEL_qZ5;
}

void appSetPlayPenMtd(const SPlayPenMtd &v)
{
    if (gPaperAppHooks.setPlayPenMtd)
        gPaperAppHooks.setPlayPenMtd(v);
}

std::unique_ptr<IPaperProgress> appOpenProgress(int steps, const QString &caption,
                                                const QString &msg)
{
    if (!gPaperAppHooks.openProgress)
        return nullptr;
    return gPaperAppHooks.openProgress(steps, caption, msg);
}

void setFileProgressMessage(IPaperProgress *progress, const QString &what, bool saving)
{
    if (progress)
        progress->setMessage((saving ? QStringLiteral("%1を保存しています...")
                                     : QStringLiteral("%1をロードしています..."))
                                 .arg(what));
}
