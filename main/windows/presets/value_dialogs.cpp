#include "windows/presets/value_dialogs.h"

#include "document/edit/edit_ops.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/selection_grow.h"
#include "platform/desktop/messages.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <exception>
#include <new>

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

} // namespace

// ---- TFormValue

TFormValue::TFormValue(QWidget *owner) : TFormValue(owner, TSetup{}) {}

TFormValue::TFormValue(QWidget *owner, const TSetup &setup) : TDialogBaseForm(owner)
{
    setWindowTitle(u8("数値入力"));
    setClientSize(296, 68);

    NumValue = new TNumMngr(this);
    NumValue->beginLoading();
    NumValue->setValueMin(0);
    NumValue->setValueMax(255);
    NumValue->endLoading();
    NumValue->Amount = 1;

    StaticValue = new QLabel(u8("値(&V)"), this);
    StaticValue->setGeometry(16, 20, 90, 16);
    EdtValue = new TNumEdit(this);
    EdtValue->setGeometry(112, 16, 48, 20);
    EdtValue->setAlignment(taRightJustify);
    EdtValue->setFormatString(QStringLiteral("%1.5g"));
    EdtValue->setAssociate(NumValue);
    StaticValue->setBuddy(EdtValue);
    StaticValueUnit = new QLabel(u8("%"), this);
    StaticValueUnit->setGeometry(164, 20, 24, 16);
    BoxValue = new TPaintBox(this);
    BoxValue->setGeometry(16, 42, 160, 12);
    BoxValue->hide(); // a placeholder: the track bar takes its rectangle

    if (setup)
        setup(*this);

    TrackValue = new TGraphicTrackbar(BoxValue->parentWidget());
    const QRect box = BoxValue->geometry();
    TrackValue->SetBounds(box.x(), box.y(), box.width(), box.height());
    TrackValue->OnChange = [this](QObject *) { TrackValueChange(); };
    NumValue->OnChange = [this](QObject *) { NumValueChange(); };
    NumValueChange();
    setTabOrder(EdtValue, ButtonOK);
}

int TFormValue::roundedValue() const
{
    return static_cast<int>(std::trunc(double(NumValue->Value()) + 0.5));
}

void TFormValue::NumValueChange()
{
    if (!TrackValue || m_syncing)
        return;
    m_syncing = true;
    TrackValue->setPosition(NumValue->Position());
    m_syncing = false;
}

void TFormValue::TrackValueChange()
{
    if (m_syncing)
        return;
    m_syncing = true;
    NumValue->setPosition(TrackValue->Position());
    m_syncing = false;
}

// ---- derived dialogs

TFormSplit::TFormSplit(QWidget *owner)
    : TFormValue(owner, [](TFormValue &f) {
          f.setWindowTitle(u8("分割"));
          f.StaticValue->setText(u8("分割数(&D)"));
          f.StaticValueUnit->setText(u8("個"));
          f.EdtValue->setFormatString(QStringLiteral("%1.0f"));
          f.NumValue->loadRange(2, 16, 2);
      })
{
}

TFormSelExt::TFormSelExt(QWidget *owner)
    : TFormValue(owner, [](TFormValue &f) {
          f.setWindowTitle(u8("選択範囲の拡張"));
          f.StaticValueUnit->setText(u8("px"));
          f.EdtValue->setFormatString(QStringLiteral("%1.0f"));
          f.NumValue->loadRange(1, kSelectionGrowMax, 1);
      })
{
}

bool askSplitCount(int &ACount, int AMax)
{
    if (AMax < 2)
        return false; // the range 2 .. AMax would be empty
    TFormSplit dialog;
    if (AMax < dialog.NumValue->ValueMax())
        dialog.NumValue->setValueMax(float(AMax));
    if (doShowModal(dialog) != kavrin::mrOk)
        return false;
    ACount = dialog.roundedValue();
    return true;
}

namespace {

bool askSelectionRadius(int &n, const char *caption)
{
    TFormSelExt dialog;
    dialog.setWindowTitle(u8(caption));
    dialog.NumValue->setValue(float(n));
    if (doShowModal(dialog) != kavrin::mrOk)
        return false;
    n = dialog.roundedValue();
    return true;
}

using TResizeOp = bool (*)(TPaper &, int32_t, int32_t, int32_t, int32_t, bool);

bool selectionResizeCmd(TPaper &paper, int32_t index, int32_t maskIndex, bool grow)
{
    IPaperOwner *dw = paper.owner();
    if (dw && !dw->canAcceptEditCmd(true, false, true))
        return false;
    try {
        int n = 1;
        if (grow ? !askSelectionGrow(n) : !askSelectionShrink(n))
            return false;
        const TResizeOp op = grow ? growSelection : shrinkSelection;
        return op(paper, index, maskIndex, n, 0, true);
    } catch (const std::bad_alloc &) {
        err_memHandler();
    } catch (const std::exception &e) {
        err_stdHandler(&e);
    }
    return false;
}

} // namespace

bool askSelectionGrow(int &n)
{
    return askSelectionRadius(n, "選択範囲の拡張");
}

bool askSelectionShrink(int &n)
{
    return askSelectionRadius(n, "選択範囲の縮小");
}

bool expandSelectionCmd(TPaper &paper, TFlowImage *, int32_t index, int32_t maskIndex)
{
    return selectionResizeCmd(paper, index, maskIndex, true);
}

bool shrinkSelectionCmd(TPaper &paper, TFlowImage *, int32_t index, int32_t maskIndex)
{
    return selectionResizeCmd(paper, index, maskIndex, false);
}
