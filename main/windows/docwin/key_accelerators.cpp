// TDrawWindow: the document window's own keys, asked before the current tool's key handler:
// fixed document keys first, then the shortcut commands that act on the window itself.
#include "core/profile/tool_kinds.h"
#include "document/edit/layer_list_ops.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "platform/desktop/keys.h"
#include "windows/docwin/draw_window.h"
#include "paint/stroke/stroke.h"
#include "windows/shell_host.h"

namespace {

constexpr uint32_t kRepeatBit = 1u << 30;

// Shortcut commands that act on the document window.
enum : int32_t
{
    cmdFilterRepeat = 1280,
    cmdWindowPrevious = 1312,
    cmdWindowNext = 1313,
    cmdZoomIn = 1328,
    cmdZoomOut = 1329,
    cmdFillBackground = 1330,
    cmdNewLayer = 1364,
};

bool isKeyMoveKind(TToolSubKind kind)
{
    return kind == TToolSubKind::tskSelectKeyMove || kind == TToolSubKind::tskLayerKeyMove ||
           kind == TToolSubKind::tskLayerKeyMoveWithSelection;
}

} // namespace

bool TDrawWindow::checkKeyboardAccelarator(uint32_t vkey, uint32_t data)
{
    // An auto-repeat is never an accelerator: the tool's key handler still gets it.
    if (data & kRepeatBit)
        return false;
    const bool minimised = placement.state == eWindowState::wsMinimized;
    const bool ctrl = isKeyDown(VK_CONTROL), shift = isKeyDown(VK_SHIFT), alt = isKeyDown(VK_MENU);
    const sPos centre{clnSize.x / 2, clnSize.y / 2};
    syncObjects();
    IMainForm &main = mainForm();
    const bool keysFree = !drawState.has(BDrawStateBit::stForceEnd) && !m_hasFocus;
    switch (int32_t(vkey)) {
    case VK_BACK:
    case VK_DELETE: {
        if (isFreeTransform())
            break;
        // The selected part is cleared in the canvas colour.
        if (canDeleteWithSelect()) {
            doSelectDelete(paper->ActiveLayer(), 0xFF000000u | paper->m_canvascolor, true, true);
            return true;
        }
        if (canAcceptEditCmd(true, false, true)) {
            EventLayerClear(*paper, flowImage.get(), paper->ActiveLayer(), true);
            refreshAfterEvent(false, true, true);
            return true;
        }
        break;
    }
    case VK_RETURN:
    case VK_ESCAPE:
        if (m_eventPlaying && !ctrl) {
            pauseEventPlay(!isEventPlayPaused());
            return true;
        }
        // A free transform takes Enter and Esc before any tool: apply or cancel.
        if (isFreeTransform()) {
            transformEnd(vkey == VK_RETURN);
            return true;
        }
        if (keysFree && isKeyMoveKind(main.toolForm().FToolSubMode())) {
            callKeyProc(vkey, data, eventProcs->onKeyDown);
            return true;
        }
        break;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (keysFree) {
            callKeyProc(vkey, data, eventProcs->onKeyDown);
            return true;
        }
        break;
    case VK_INSERT:
        if (isFreeTransform())
            break;
        if (const TStroke *stroke = main.Stroke())
            return doSelectFill(paper->ActiveLayer(), shift ? stroke->m_bgCol : stroke->m_drawColor,
                                true, true);
        break;
    default:
        break;
    }
    int32_t command = 0;
    if (!main.getCommandFromKey(vkey, shift, command, alt, ctrl))
        return false;
    switch (command) {
    case cmdFilterRepeat:
        main.repeatFilter();
        return true;
    case cmdWindowPrevious:
        main.mdiPrevious();
        return true;
    case cmdWindowNext:
        main.mdiNext();
        return true;
    case cmdZoomIn:
    case cmdZoomOut:
        if (minimised)
            return false;
        doZoom(centre, command == cmdZoomIn, true);
        return true;
    case cmdFillBackground: {
        const TStroke *stroke = main.Stroke();
        if (isFreeTransform() || !stroke)
            return false;
        return doSelectFill(paper->ActiveLayer(), stroke->m_bgCol, true, true);
    }
    case cmdNewLayer:
        createLayer(TLayerMode::LM_STD);
        return true;
    default:
        return false;
    }
}

bool TDrawWindow::checkSysKeyAccelarator(uint32_t vkey, uint32_t)
{
    if (int32_t(vkey) != VK_F1 + 3)
        return false;
    // Alt+F4 on a document window closes the application, not only the document.
    mainForm().postClose();
    return true;
}
