#include "ui/fields/popup_sliders.h"

#include "core/image/display_canvas.h"
#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QEvent>
#include <QInputEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <cmath>

int verticalPopupAnchorY(int y, float p)
{
    return y - (int(std::trunc((1 - p) * 102 + 0.5f)) + 8);
}

// ---- TTrackPopupForm

TTrackPopupForm::TTrackPopupForm(QWidget *owner) : TPopupBaseForm(owner)
{
    setClientSize(128, 24);
    setDragClose(true);
    FTrackBar = new TGraphicTrackbar(this);
    FTrackBar->OnChange = [this](QObject *) { TrackBarChange(); };
}

void TTrackPopupForm::ShowPopUp(int X, int Y, const sRect *Exclude)
{
    FTrackBar->setOrientation(FOrientation);
    FTrackBar->setCenterLine(FCenterLine);
    switch (FOrientation) {
    case gtHorizontal:
        FTrackBar->SetBounds(2, 4, 109, 14);
        break;
    case gtVertical:
        FTrackBar->SetBounds(2, 2, 14, 109);
        break;
    default:
        FTrackBar->SetBounds(2, 2, 32, 32);
        break;
    }
    if (FOrientation == gtVertical) {
        float p = FAssociate ? FAssociate->Position() : 0.0f;
        if (FTrackBar->OnInFilter)
            FTrackBar->OnInFilter(this, p);
        Y = verticalPopupAnchorY(Y, p);
    }
    setClientSize(FTrackBar->width() + 10, FTrackBar->height() + 10);
    TPopupBaseForm::ShowPopUp(X, Y, Exclude);
    FDragPhase = dragClose() && Down();
    if (FOrientation != gtVertical)
        UpdateValues();
}

void TTrackPopupForm::UpdateValues()
{
    if (FAssociate)
        FTrackBar->setPosition(FAssociate->Position());
}

void TTrackPopupForm::TrackBarChange()
{
    // Live: the value and every bound control follow the slider.
    if (FAssociate)
        FAssociate->setPosition(FTrackBar->Position());
}

void TTrackPopupForm::DragPhaseMove(QPoint global)
{
    if (!FDragPhase)
        return;
    const QPoint p = FTrackBar->mapFromGlobal(global);
    if (!FTrackBar->Down() && p.y() >= 0)
        FTrackBar->setDown(true);
    FTrackBar->DragTo(p.x(), p.y());
}

void TTrackPopupForm::EndDragPhase()
{
    if (!FDragPhase)
        return;
    FDragPhase = false;
    FTrackBar->setDown(false);
}

void TTrackPopupForm::AppMessage(TMsg &Msg, bool &Handled)
{
    const bool press = Msg.message == WM_LBUTTONDOWN || Msg.message == WM_RBUTTONDOWN ||
                       Msg.message == WM_LBUTTONDBLCLK || Msg.message == WM_RBUTTONDBLCLK;
    FClosingPress = press ? Msg.event : nullptr;
    FClosingPressTime =
        press && Msg.event ? static_cast<const QInputEvent *>(Msg.event)->timestamp() : 0;
    TPopupBaseForm::AppMessage(Msg, Handled);
}

// ---- TCustomNumPopupButton

TCustomNumPopupButton::TCustomNumPopupButton(QWidget *parent) : TGraphicControl(parent)
{
    SetBounds(x(), y(), 16, 16);
}

TCustomNumPopupButton::~TCustomNumPopupButton()
{
    if (FForm) {
        TTrackPopupForm *f = FForm;
        f->closeWithResult(kavrin::mrCancel);
        delete f;
    }
    rebindNumAssociate(FAssociate, nullptr, this);
    FStatus = nudInactive;
}

void TCustomNumPopupButton::setAssociate(TNumMngr *model)
{
    rebindNumAssociate(FAssociate, model, this);
    UpdateValues();
}

void TCustomNumPopupButton::setReadOnly(bool on)
{
    if (on == FReadOnly)
        return;
    FReadOnly = on;
    if (on)
        setNoStdEvents(true);
    else if (isEnabled())
        setNoStdEvents(false);
}

void TCustomNumPopupButton::UpdateValues()
{
    UpdateStatus();
}

void TCustomNumPopupButton::UpdateStatus()
{
    const eNUDStatus s = !FAssociate || !isEnabled() ? nudInactive
                         : IsPopupOpen()             ? nudPushed
                         : FHover                    ? nudHot
                                                     : nudNone;
    if (s == FStatus)
        return;
    FStatus = s;
    update();
}

void TCustomNumPopupButton::DrawButton(QPainter &painter)
{
    // The platform's scroll-bar arrow button, pointing right.
    QStyleOption opt;
    opt.initFrom(this);
    opt.rect = rect();
    opt.state = QStyle::State_Raised;
    if (FStatus != nudInactive)
        opt.state |= QStyle::State_Enabled;
    if (FStatus == nudPushed)
        opt.state = (opt.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &opt, &painter, this);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowRight, &opt, &painter, this);
}

void TCustomNumPopupButton::Paint(QPainter &painter)
{
    DrawButton(painter);
}

void TCustomNumPopupButton::OpenPopup(int y)
{
    auto *f = new TTrackPopupForm(nullptr);
    FForm = f;
    f->setAssociate(FAssociate);
    f->setOrientation(FOrientation);
    f->setCenterLine(FCenterLine);
    f->setOnInFilter(OnInFilter);
    f->setOnOutFilter(OnOutFilter);
    f->OnPopupOpen = [this](QObject *) { PopupOpened(); };
    f->OnPopupClose = [this](QObject *) { PopupClosed(); };
    if (FOrientation == gtVertical) {
        // The popup for a vertical slider lies beside the pointer, thumb under it: nothing to
        // avoid.
        const QPoint g = mapToGlobal(QPoint(width() - height() + 2, y));
        f->ShowPopUp(g.x(), g.y(), nullptr);
    } else {
        const QPoint g = mapToGlobal(QPoint(0, height()));
        const QPoint tl = mapToGlobal(QPoint(0, 0));
        const sRect exclude{tl.x(), tl.y(), tl.x() + width(), tl.y() + height()};
        f->ShowPopUp(g.x(), g.y(), &exclude);
    }
}

void TCustomNumPopupButton::PopupOpened()
{
    if (!FForm)
        return;
    if (FAssociate) {
        FOldValue = FAssociate->Value();
        FForm->TrackBar()->setPosition(FAssociate->Position());
    }
    UpdateStatus();
    if (OnPopupOpen)
        OnPopupOpen(this);
}

void TCustomNumPopupButton::PopupClosed()
{
    TTrackPopupForm *f = FForm;
    if (!f)
        return;
    if (f->PopupResult() != kavrin::mrOk && FAssociate)
        FAssociate->setValue(FOldValue); // the slider's live changes are undone
    FClosingPress = f->ClosingPress();
    FClosingPressTime = f->ClosingPressTime();
    if (OnPopupClose)
        OnPopupClose(this);
    f->OnPopupOpen = {};
    f->OnPopupClose = {};
    // The popup is inside its own close chain: it goes once that has returned.
    f->deleteLater();
    FForm = nullptr;
    QPoint p;
    getCursorPosInControl(this, p);
    FHover = rect().contains(p);
    UpdateStatus();
}

void TCustomNumPopupButton::mousePressEvent(QMouseEvent *ev)
{
    const bool closedThePopup = FClosingPress == ev && FClosingPressTime == ev->timestamp();
    FClosingPress = nullptr;
    if (closedThePopup)
        return;
    TGraphicControl::mousePressEvent(ev);
}

void TCustomNumPopupButton::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int y,
                                      bool)
{
    if (button != Qt::LeftButton || !acceptMouseDown(this) || !parentWidget() || !FAssociate ||
        IsPopupOpen() || !MayOpen())
        return;
    OpenPopup(y);
}

void TCustomNumPopupButton::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FForm && FForm->InDragPhase())
        FForm->DragPhaseMove(mapToGlobal(QPoint(x, y)));
}

void TCustomNumPopupButton::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton && FForm)
        FForm->EndDragPhase();
}

void TCustomNumPopupButton::MouseEnter()
{
    if (acceptMouseEnter(this)) {
        FHover = true;
        UpdateStatus();
    }
    TGraphicControl::MouseEnter();
}

void TCustomNumPopupButton::MouseLeave()
{
    if (acceptMouseLeave(this)) {
        FHover = false;
        UpdateStatus();
    }
    TGraphicControl::MouseLeave();
}

void TCustomNumPopupButton::changeEvent(QEvent *ev)
{
    TGraphicControl::changeEvent(ev);
    if (ev->type() == QEvent::EnabledChange)
        UpdateStatus();
}

// ---- TCustomNumLabelEditPopup

TNumPopupLayout numPopupLayout(int W, int H)
{
    return {{2, 2, 2 + (W - H), 2 + (H - 4)}, {W - H + 2, 2, W - H + 2 + (H - 4), 2 + (H - 4)}};
}

TCustomNumLabelEditPopup::TCustomNumLabelEditPopup(QWidget *parent)
    : TCustomNumPopupButton(parent), FImage(clBtnFace32())
{
    SetBounds(x(), y(), 60, 20);
}

TCustomNumLabelEditPopup::~TCustomNumLabelEditPopup()
{
    if (FEditing && gCaptureNumEdit) {
        releaseInPlaceEditor(gCaptureNumEdit);
        gCaptureNumEdit->setAssociate(nullptr);
    }
}

void TCustomNumLabelEditPopup::SetBounds(int left, int top, int width, int height)
{
    TCustomNumPopupButton::SetBounds(left, top, width, height);
    const TNumPopupLayout l = numPopupLayout(width, height);
    FLabelRect = l.label;
    FButtonRect = l.button;
    FImage.SetSize(width, height);
    Redraw();
}

void TCustomNumLabelEditPopup::setFormatString(const QString &pattern)
{
    if (pattern == FFormatString)
        return;
    FFormatString = pattern;
    UpdateValues();
}

void TCustomNumLabelEditPopup::UpdateValues()
{
    UpdateStatus();
    FText = formatNumber(FFormatString, FAssociate ? FAssociate->Value() : 0.0f);
    Redraw();
}

void TCustomNumLabelEditPopup::UpdateStatus()
{
    const eNUDStatus before = Status();
    TCustomNumPopupButton::UpdateStatus();
    if (Status() != before)
        Redraw();
}

bool TCustomNumLabelEditPopup::MayOpen() const
{
    return !FDown && !FEditing;
}

void TCustomNumLabelEditPopup::EditEnter()
{
    if (OnEditEnter)
        OnEditEnter(this);
}

void TCustomNumLabelEditPopup::EditExit()
{
    if (OnEditExit)
        OnEditExit(this);
}

namespace {

bool inside(const sRect &r, int x, int y)
{
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

void hLine(TMemoryGraphic &g, int x0, int x1, int y, TColor32 c)
{
    g.FillRectangle({x0, y, x1 + 1, y + 1}, c, blendCopy, blendCopy);
}

void vLine(TMemoryGraphic &g, int x, int y0, int y1, TColor32 c)
{
    g.FillRectangle({x, y0, x + 1, y1 + 1}, c, blendCopy, blendCopy);
}

// The edges of a pen path round r: top-left colour up the left side and along the top, the
// bottom-right colour down the right side and back along the bottom.
void drawEdge(TMemoryGraphic &g, const sRect &r, TColor32 topLeft, TColor32 bottomRight)
{
    vLine(g, r.x0, r.y0, r.y1 - 1, topLeft);
    hLine(g, r.x0, r.x1 - 2, r.y0, topLeft);
    vLine(g, r.x1 - 1, r.y0, r.y1 - 2, bottomRight);
    hLine(g, r.x0 + 1, r.x1 - 1, r.y1 - 1, bottomRight);
}

} // namespace

void TCustomNumLabelEditPopup::drawButtonPart()
{
    const sRect b = FButtonRect;
    FImage.FillRectangle({b.x0 + 1, b.y0 + 1, b.x1 - 1, b.y1 - 1}, clBtnFace32(), blendCopy,
                         blendCopy);
    TColor32 tl = clWindow32(), br = clWindow32(), arrow = clWindowText32();
    switch (Status()) {
    case nudHot:
        tl = clBtnHighlight32();
        br = clBtnShadow32();
        break;
    case nudPushed:
        tl = clBtnShadow32();
        br = clBtnHighlight32();
        break;
    case nudNone:
        arrow = isEnabled() ? clWindowText32() : clGrayText32();
        break;
    case nudInactive:
        arrow = clGrayText32();
        break;
    }
    drawEdge(FImage, b, tl, br);
    const int cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
    vLine(FImage, cx - 1, cy - 2, cy + 2, arrow);
    vLine(FImage, cx, cy - 1, cy + 1, arrow);
    vLine(FImage, cx + 1, cy, cy, arrow);
}

void TCustomNumLabelEditPopup::Redraw()
{
    if (!FImage.Prepared())
        return;
    FImage.setColor(clBtnFace32());
    FImage.Clear();
    drawButtonPart();
    const sRect all{0, 0, width(), height()};
    if (FHover)
        drawEdge(FImage, all, clBtnShadow32(), clBtnHighlight32());
    else
        FImage.DrawRectangle(all, 1, clBtnFace32(), blendCopy, blendCopy);
    FImage.DrawRectangle({1, 1, width() - 1, height() - 1}, 1, clBtnFace32(), blendCopy, blendCopy);
    FImage.FillRectangle(FLabelRect, clWindow32(), blendCopy, blendCopy);
    sRect text = FLabelRect;
    FImage.DrawText(FText, text, font(), isEnabled() ? clWindowText32() : clGrayText32(),
                    DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    update();
}

void TCustomNumLabelEditPopup::DrawButton(QPainter &)
{
    // The field draws its button into its picture (drawButtonPart).
}

void TCustomNumLabelEditPopup::Paint(QPainter &painter)
{
    if (FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TCustomNumLabelEditPopup::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                         int y, bool dbl)
{
    if (!acceptMouseDown(this))
        return;
    if (!inside(FButtonRect, x, y) && !IsPopupOpen() && !FEditing) {
        FDown = true;
        TCustomNumPopupButton::MouseDown(button, shift, x, y, dbl); // opens nothing
        FDown = false;
        if (button == Qt::LeftButton && inside(FLabelRect, x, y) && !IsPopupOpen())
            StartEdit();
        return;
    }
    // A press on the button opens the slider; while one is open or an edit runs, nothing.
    TCustomNumPopupButton::MouseDown(button, shift, x, y, dbl);
}

void TCustomNumLabelEditPopup::StartEdit()
{
    if (!FAssociate || !isEnabled() || !gCaptureNumEdit || !gCaptureNumEdit->isHidden())
        return;
    FEditing = true;
    FOldValue = FAssociate->Value();
    gCaptureNumEdit->setAssociate(FAssociate);
    gCaptureNumEdit->setFormatString(FFormatString);
    const QRect bounds(x() + FLabelRect.x0, y() + FLabelRect.y0, FLabelRect.x1 - FLabelRect.x0,
                       FLabelRect.y1 - FLabelRect.y0);
    placeInPlaceEditor(gCaptureNumEdit, parentWidget(), bounds, false, font(), FMaxLength, FText,
                       [this](QObject *) { EndEdit(); });
    EditEnter();
}

void TCustomNumLabelEditPopup::EndEdit()
{
    FEditing = false;
    EditExit();
    TCaptureNumEdit *e = gCaptureNumEdit;
    if (FAssociate) {
        if (e->EditResult() == kavrin::mrOk)
            FAssociate->SetString(this, e->text(), 10);
        else
            FAssociate->setValue(FOldValue);
    }
    e->OnExit = {};
    e->hide();
    e->setParent(nullptr);
    e->setAssociate(nullptr);
}

void TCustomNumLabelEditPopup::MouseEnter()
{
    if (acceptMouseEnter(this))
        FOldCursor = cursor();
    TCustomNumPopupButton::MouseEnter();
    Redraw();
}

void TCustomNumLabelEditPopup::MouseLeave()
{
    if (acceptMouseLeave(this))
        setCursor(FOldCursor);
    TCustomNumPopupButton::MouseLeave();
    Redraw();
}
