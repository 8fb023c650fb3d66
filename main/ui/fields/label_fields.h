// Fields drawn as labels: TCustomNumLabel / TNumLabel shows a TNumMngr's value as text;
// TCustomLabelEdit / TLabelEdit is a text label and TCustomNumLabelEdit / TNumLabelEdit a
// number label that turn into an edit box when clicked. The editing fields borrow the shared
// in-place editors (gCaptureEdit for text, gCaptureNumEdit for numbers), lay them exactly over
// themselves for one edit and take or drop the typed text by how the edit ended.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/graphics/memory_graphic.h"

#include <QCursor>
#include <QPointer>

// The windowless label all three draw from: a caption in the control's font on its colour.
class TCustomLabelBase : public TGraphicControl
{
  public:
    explicit TCustomLabelBase(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;

    QString Caption() const { return FCaption; }
    void setCaption(const QString &caption);
    TAlignment Alignment() const { return FAlignment; }
    void setAlignment(TAlignment a);
    bool WordWrap() const { return FWordWrap; }
    void setWordWrap(bool on);
    bool Transparent() const { return FTransparent; }
    void setTransparent(bool on);
    TColor32 Color() const { return FColor; }
    void setColor(TColor32 c);
    // The text flags the caption is drawn with (alignment, line breaking).
    virtual uint32_t TextFlags() const;
    const TMemoryGraphic &Image() const { return FImage; }

  protected:
    // Redraws the picture: background and caption, then DrawFrame.
    void Redraw();
    // Where the caption goes.
    virtual sRect CaptionRect() const;
    virtual void DrawFrame(TMemoryGraphic &) {}
    void Paint(QPainter &painter) override;
    void changeEvent(QEvent *ev) override;

  private:
    QString FCaption;
    TAlignment FAlignment = taLeftJustify;
    bool FWordWrap = false;
    bool FTransparent = false;
    TColor32 FColor;
    TMemoryGraphic FImage;
};

class TCustomNumLabel : public TCustomLabelBase, public INumAssociate
{
  public:
    explicit TCustomNumLabel(QWidget *parent = nullptr);
    ~TCustomNumLabel() override;

    TNumMngr *Associate() const { return FAssociate; }
    void setAssociate(TNumMngr *model);
    // Written straight to the field: a new pattern shows at the next refresh.
    QString FormatString() const { return FFormatString; }
    void setFormatString(const QString &pattern) { FFormatString = pattern; }

    // Caption := the value through the pattern; "0" when unbound.
    void UpdateValues() override;
    void DetachAssociate() override { setAssociate(nullptr); }

  private:
    QPointer<TNumMngr> FAssociate;
    QString FFormatString = QStringLiteral("%1.0f");
};

class TNumLabel : public TCustomNumLabel
{
  public:
    using TCustomNumLabel::TCustomNumLabel;
};

// The caption placement and frame of both editing fields.
sRect editFieldCaptionRect(const sRect &client, TAlignment a);

class TCustomLabelEdit : public TCustomLabelBase
{
  public:
    explicit TCustomLabelEdit(QWidget *parent = nullptr);
    ~TCustomLabelEdit() override;

    int MaxLength() const { return FMaxLength; }
    void setMaxLength(int n) { FMaxLength = n; }
    // An in-place edit is running (of any text field: the editor is shared).
    virtual bool IsEditing() const;

    TNotifyEvent OnEditEnter;
    TNotifyEvent OnEditExit;
    TNotifyEvent OnChange;

  protected:
    virtual void EditEnter();
    virtual void EditExit();
    virtual void Change();
    sRect CaptionRect() const override;
    void DrawFrame(TMemoryGraphic &g) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseEnter() override;
    void MouseLeave() override;

  private:
    void EndEdit();

    QCursor FOldCursor;
    int FMaxLength = 0;
    bool FEditing = false; // this field placed the editor
};

class TLabelEdit : public TCustomLabelEdit
{
  public:
    using TCustomLabelEdit::TCustomLabelEdit;
};

class TCustomNumLabelEdit : public TCustomNumLabel
{
  public:
    explicit TCustomNumLabelEdit(QWidget *parent = nullptr);
    ~TCustomNumLabelEdit() override;

    bool ReadOnly() const { return FReadOnly; }
    // Read-only refuses all mouse input (noStdEvents); clearing it does so only while enabled.
    virtual void setReadOnly(bool on);
    int MaxLength() const { return FMaxLength; }
    void setMaxLength(int n) { FMaxLength = n; }
    virtual bool IsEditing() const;

    TNotifyEvent OnEditEnter;
    TNotifyEvent OnEditExit;

  protected:
    virtual void EditEnter();
    virtual void EditExit();
    sRect CaptionRect() const override;
    void DrawFrame(TMemoryGraphic &g) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseEnter() override;
    void MouseLeave() override;

  private:
    void EndEdit();

    bool FReadOnly = false;
    QCursor FOldCursor;
    float FOldValue = 0;
    int FMaxLength = 16;
    bool FEditing = false;
};

class TNumLabelEdit : public TCustomNumLabelEdit
{
  public:
    using TCustomNumLabelEdit::TCustomNumLabelEdit;
};

// Lays a shared in-place editor over a rectangle of parent for one edit: bounds, frame, font,
// maximum length, text, exit handler; shown, focused and started. Ends an edit that did not end
// properly, for fields that go away while editing.
void placeInPlaceEditor(TCustomEditEx *editor, QWidget *parent, const QRect &bounds, bool frame,
                        const QFont &font, int maxLength, const QString &text, TNotifyEvent onExit);
void releaseInPlaceEditor(TCustomEditEx *editor);
