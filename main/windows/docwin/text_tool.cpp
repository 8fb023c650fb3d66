// TDrawWindow: the text tool (group 9). A press opens the text window at the clicked canvas
// position; OK there commits the text through doFontDraw. Also the headless main window's hooked
// modal loop and the input-script step that places a text.
#include "core/profile/tool_kinds.h"
#include "document/edit/text_commit.h"
#include "document/paper/paper.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "ui/fields/num_mngr.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/input_script.h"
#include "windows/shell_host.h"
#include "windows/text/font_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

void TDrawWindow::textToolDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    const TToolSubKind kind = mainForm().toolForm().FToolSubMode();
    if (!pos || toolSubKindGroup(kind) != 9)
        return;
    {
        std::unique_ptr<TFontWindow> dlg = TFontWindow::create(&w);
        if (dlg) {
            sPos p;
            w.convToCanvasPos(p, *pos);
            dlg->setDstPos(p);
            if (kind == TToolSubKind::tskSelectText)
                dlg->setTargetMask(true);
            mainForm().showModalWithHook(*dlg);
        }
    }
    w.updateNavigatorImage();
    w.updateLayerView();
    w.updateMaskView();
}

bool TDrawWindow::doFontDraw(TStroke &strk, const sBox &box, bool trgtMask, bool undo)
{
    if (!flowImage)
        return false;
    const bool ok = ::doFontDraw(*paper, *flowImage, strk, box, trgtMask, undo);
    invalidate(false);
    return ok;
}

int CHeadlessMainForm::showModalWithHook(QDialog &dialog)
{
    ++hookedModalCount;
    dialog.setResult(0);
    if (modalScript)
        modalScript(dialog);
    if (dialog.result() == 0)
        dialog.done(kavrin::mrCancel);
    return dialog.result();
}

// ---- the input-script step

namespace {

// The values of the step set on the window's controls, in the order a user would set them:
// the face before vertical writing (which only some faces allow) and the face again after it.
void fillTextWindow(TFontWindow &fw, const SInputTextStep &t)
{
    fw.ChkVert->setChecked(false);
    const int face = fw.ComboBox1->findText(t.face, Qt::MatchFixedString);
    if (face >= 0)
        fw.ComboBox1->setCurrentIndex(face);
    if (t.vertical)
        fw.ChkVert->setChecked(true);
    const int again = fw.ComboBox1->findText(t.face, Qt::MatchFixedString);
    if (again >= 0)
        fw.ComboBox1->setCurrentIndex(again);
    fw.NumSize->setValue(float(t.size));
    fw.NumSpacing->setValue(float(t.spacing));
    fw.NumLeading->setValue(float(t.leading));
    fw.chkBoxBold->setChecked(t.bold);
    fw.chkBoxItalic->setChecked(t.italic);
    fw.memoText->setPlainText(t.text);
}

} // namespace

bool applyTextStep(TDrawWindow &w, const SInputStep &s)
{
    const SInputTextStep &t = s.textStep;
    const TToolSubKind kind = t.mask ? TToolSubKind::tskSelectText : TToolSubKind::tskFillText;
    mainForm().toolForm().ChangeToolSubMode(kind, true);
    auto *headless = dynamic_cast<CHeadlessMainForm *>(&mainForm());
    if (!headless || mainForm().toolForm().FToolSubMode() != kind)
        return false;
    bool answered = false;
    const std::function<void(QDialog &)> saved = headless->modalScript;
    headless->modalScript = [&](QDialog &d) {
        auto *fw = dynamic_cast<TFontWindow *>(&d);
        if (!fw)
            return;
        fillTextWindow(*fw, t);
        // A face the window does not offer (or no vertical face for it) refuses the step.
        if (fw->currentFace().compare(t.face, Qt::CaseInsensitive) != 0 ||
            fw->ChkVert->isChecked() != t.vertical)
            return;
        answered = true;
        fw->ButtonOK->click();
    };
    const int32_t x = int32_t(s.x), y = int32_t(s.y);
    setKeyDown(VK_LBUTTON, true);
    w.FormMouseDown(TMouseButton::mbLeft, TShiftState(TShiftState::ssLeft), x, y);
    setKeyDown(VK_LBUTTON, false);
    w.FormMouseUp(TMouseButton::mbLeft, TShiftState(), x, y);
    headless->modalScript = saved;
    return answered;
}
