#include "ui/fields/label_fields.h"

#include "core/image/display_canvas.h"
#include "platform/desktop/messages.h"
#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

// ---- TCustomLabelBase

TCustomLabelBase::TCustomLabelBase(QWidget *parent)
    : TGraphicControl(parent), FColor(clBtnFace32()), FImage(clBtnFace32())
{
}

void TCustomLabelBase::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FImage.SetSize(width, height);
    Redraw();
}

void TCustomLabelBase::setCaption(const QString &caption)
{
    if (caption == FCaption)
        return;
    FCaption = caption;
    Redraw();
}

void TCustomLabelBase::setAlignment(TAlignment a)
{
    FAlignment = a;
    Redraw();
}

void TCustomLabelBase::setWordWrap(bool on)
{
    FWordWrap = on;
    Redraw();
}

void TCustomLabelBase::setTransparent(bool on)
{
    FTransparent = on;
    Redraw();
}

void TCustomLabelBase::setColor(TColor32 c)
{
    FColor = c;
    Redraw();
}

uint32_t TCustomLabelBase::TextFlags() const
{
    const uint32_t align = FAlignment == taRightJustify ? DT_RIGHT
                           : FAlignment == taCenter     ? DT_CENTER
                                                        : DT_LEFT;
    return align | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
}

sRect TCustomLabelBase::CaptionRect() const
{
    return {0, 0, width(), height()};
}

void TCustomLabelBase::Redraw()
{
    if (!FImage.Prepared())
        return;
    FImage.setColor(FTransparent ? clNone32 : FColor);
    FImage.Clear();
    sRect r = CaptionRect();
    if (!FCaption.isEmpty())
        FImage.DrawText(FCaption, r, font(), isEnabled() ? clWindowText32() : clGrayText32(),
                        TextFlags());
    DrawFrame(FImage);
    update();
}

void TCustomLabelBase::Paint(QPainter &painter)
{
    if (!FImage.Prepared())
        return;
    if (FTransparent)
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0, blendNormal, blendKeep);
    else
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TCustomLabelBase::changeEvent(QEvent *ev)
{
    TGraphicControl::changeEvent(ev);
    if (ev->type() == QEvent::EnabledChange || ev->type() == QEvent::FontChange)
        Redraw();
}

// ---- TCustomNumLabel

TCustomNumLabel::TCustomNumLabel(QWidget *parent) : TCustomLabelBase(parent)
{
    setAlignment(taRightJustify);
    SetBounds(x(), y(), 36, 16);
    UpdateValues();
}

TCustomNumLabel::~TCustomNumLabel()
{
    rebindNumAssociate(FAssociate, nullptr, this);
}

void TCustomNumLabel::setAssociate(TNumMngr *model)
{
    rebindNumAssociate(FAssociate, model, this);
    UpdateValues();
}

void TCustomNumLabel::UpdateValues()
{
    setCaption(FAssociate ? formatNumber(FFormatString, FAssociate->Value()) : QStringLiteral("0"));
}

// ---- shared pieces of the editing fields

sRect editFieldCaptionRect(const sRect &client, TAlignment a)
{
    sRect r = client;
    r.y0 += 2;
    const int w = client.x1 - client.x0;
    if (a == taLeftJustify) {
        r.x0 += 3;
        r.x1 = std::min(r.x1 + 3, w - 4);
    } else if (a == taRightJustify) {
        r.x0 = std::max(r.x0 - 3, 4);
        r.x1 -= 3;
    }
    return r;
}

namespace {

void drawFieldFrame(TMemoryGraphic &g)
{
    g.DrawRectangle({0, 0, g.Width(), g.Height()}, 1, clGrayText32(), blendCopy, blendCopy);
}

} // namespace

void placeInPlaceEditor(TCustomEditEx *editor, QWidget *parent, const QRect &bounds, bool frame,
                        const QFont &font, int maxLength, const QString &text, TNotifyEvent onExit)
{
    editor->setGeometry(bounds);
    editor->setFrame(frame);
    editor->setFont(font);
    editor->setMaxLength(maxLength);
    editor->setText(text);
    editor->OnExit = std::move(onExit);
    editor->setParent(parent);
    editor->show();
    editor->raise();
    editor->setGeometry(bounds);
    editor->setFocus();
    editor->selectAll(); // as an edit given the focus by the keyboard: typing replaces the text
    editor->DoEnter();
}

void releaseInPlaceEditor(TCustomEditEx *editor)
{
    editor->OnExit = {};
    editor->DoExit();
    editor->hide();
    editor->setParent(nullptr);
}

// ---- TCustomLabelEdit

TCustomLabelEdit::TCustomLabelEdit(QWidget *parent) : TCustomLabelBase(parent)
{
    setColor(clWindow32());
}

TCustomLabelEdit::~TCustomLabelEdit()
{
    // The editor lives on in its parent: it must not keep calling a field that is gone.
    if (FEditing && gCaptureEdit)
        releaseInPlaceEditor(gCaptureEdit);
}

bool TCustomLabelEdit::IsEditing() const
{
    return gCaptureEdit && !gCaptureEdit->isHidden();
}

void TCustomLabelEdit::EditEnter()
{
    if (OnEditEnter)
        OnEditEnter(this);
}

void TCustomLabelEdit::EditExit()
{
    if (OnEditExit)
        OnEditExit(this);
}

void TCustomLabelEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

sRect TCustomLabelEdit::CaptionRect() const
{
    return editFieldCaptionRect({0, 0, width(), height()}, Alignment());
}

void TCustomLabelEdit::DrawFrame(TMemoryGraphic &g)
{
    drawFieldFrame(g);
}

void TCustomLabelEdit::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int, bool)
{
    if (button != Qt::LeftButton || !acceptMouseDown(this) || !isEnabled() || IsEditing() ||
        !gCaptureEdit)
        return;
    FEditing = true;
    placeInPlaceEditor(gCaptureEdit, parentWidget(), geometry(), true, font(), FMaxLength,
                       Caption(), [this](QObject *) { EndEdit(); });
    EditEnter();
}

void TCustomLabelEdit::EndEdit()
{
    FEditing = false;
    EditExit();
    if (gCaptureEdit->EditResult() == kavrin::mrOk && gCaptureEdit->text() != Caption()) {
        setCaption(gCaptureEdit->text());
        Change();
    }
    gCaptureEdit->OnExit = {};
    gCaptureEdit->hide();
    gCaptureEdit->setParent(nullptr);
}

void TCustomLabelEdit::MouseEnter()
{
    if (acceptMouseEnter(this)) {
        FOldCursor = cursor();
        setCursor(Qt::IBeamCursor);
    }
    TCustomLabelBase::MouseEnter();
}

void TCustomLabelEdit::MouseLeave()
{
    if (acceptMouseLeave(this))
        setCursor(FOldCursor);
    TCustomLabelBase::MouseLeave();
}

// ---- TCustomNumLabelEdit

TCustomNumLabelEdit::TCustomNumLabelEdit(QWidget *parent) : TCustomNumLabel(parent)
{
    setColor(clWindow32());
}

TCustomNumLabelEdit::~TCustomNumLabelEdit()
{
    if (FEditing && gCaptureNumEdit) {
        releaseInPlaceEditor(gCaptureNumEdit);
        gCaptureNumEdit->setAssociate(nullptr);
    }
}

void TCustomNumLabelEdit::setReadOnly(bool on)
{
    if (on == FReadOnly)
        return;
    FReadOnly = on;
    if (on)
        setNoStdEvents(true);
    else if (isEnabled())
        setNoStdEvents(false);
}

bool TCustomNumLabelEdit::IsEditing() const
{
    return gCaptureNumEdit && !gCaptureNumEdit->isHidden();
}

void TCustomNumLabelEdit::EditEnter()
{
    if (OnEditEnter)
        OnEditEnter(this);
}

void TCustomNumLabelEdit::EditExit()
{
    if (OnEditExit)
        OnEditExit(this);
}

sRect TCustomNumLabelEdit::CaptionRect() const
{
    return editFieldCaptionRect({0, 0, width(), height()}, Alignment());
}

void TCustomNumLabelEdit::DrawFrame(TMemoryGraphic &g)
{
    drawFieldFrame(g);
}

void TCustomNumLabelEdit::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int, bool)
{
    if (button != Qt::LeftButton || !acceptMouseDown(this) || !isEnabled() || IsEditing() ||
        !Associate() || !gCaptureNumEdit)
        return;
    FEditing = true;
    FOldValue = Associate()->Value();
    // Bound, the editor changes the model live while the user types; this field follows.
    gCaptureNumEdit->setAssociate(Associate());
    gCaptureNumEdit->setFormatString(FormatString());
    placeInPlaceEditor(gCaptureNumEdit, parentWidget(), geometry(), true, font(), FMaxLength,
                       Caption(), [this](QObject *) { EndEdit(); });
    EditEnter();
}

void TCustomNumLabelEdit::EndEdit()
{
    FEditing = false;
    EditExit();
    TCaptureNumEdit *e = gCaptureNumEdit;
    if (Associate()) {
        if (e->EditResult() == kavrin::mrOk)
            Associate()->SetString(this, e->text(), 10);
        else
            Associate()->setValue(FOldValue); // undoes what live typing changed
    }
    e->OnExit = {};
    e->hide();
    e->setParent(nullptr);
    e->setAssociate(nullptr);
}

void TCustomNumLabelEdit::MouseEnter()
{
    if (acceptMouseEnter(this)) {
        FOldCursor = cursor();
        setCursor(Qt::IBeamCursor);
    }
    TCustomNumLabel::MouseEnter();
}

void TCustomNumLabelEdit::MouseLeave()
{
    if (acceptMouseLeave(this))
        setCursor(FOldCursor);
    TCustomNumLabel::MouseLeave();
}
