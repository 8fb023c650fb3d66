// Popup slider fields: TCustomNumPopupButton is a 16 x 16 arrow button that opens a slider
// (TTrackPopupForm: a borderless popup holding one TGraphicTrackbar wired to a TNumMngr);
// TCustomNumLabelEditPopup / TNumLabelEditPopup is a number field with that button at its
// right end: a click on the number edits it in place, a click on the button opens the slider.
// The slider changes the value live; unless the popup closes with mrOk the value returns to
// what it was when the popup opened.
//
// A press on the button opens the popup and keeps Qt's implicit grab: while the press lasts the
// button hands the moves on to the popup's trackbar, which starts dragging once the pointer is
// at or below its top. Releasing the press after the drag-close time closes the popup (mrOk).
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/memory_graphic.h"

#include <QCursor>
#include <QPointer>

#include <cstdint>
#include <optional>

enum eNUDStatus : uint8_t
{
    nudInactive,
    nudNone,
    nudHot,
    nudPushed,
};

// How far a vertical slider popup is raised so that the thumb of position p lies under a
// pointer at screen y.
int verticalPopupAnchorY(int y, float p);

class TTrackPopupForm : public TPopupBaseForm
{
  public:
    explicit TTrackPopupForm(QWidget *owner = nullptr);

    TNumMngr *Associate() const { return FAssociate; }
    void setAssociate(TNumMngr *model) { FAssociate = model; }
    TGraphicTrackbarOrientation Orientation() const { return FOrientation; }
    void setOrientation(TGraphicTrackbarOrientation o) { FOrientation = o; }
    bool CenterLine() const { return FCenterLine; }
    void setCenterLine(bool on) { FCenterLine = on; }
    void setOnInFilter(TPositionFilterEvent f) { FTrackBar->OnInFilter = std::move(f); }
    void setOnOutFilter(TPositionFilterEvent f) { FTrackBar->OnOutFilter = std::move(f); }
    TGraphicTrackbar *TrackBar() const { return FTrackBar; }

    void ShowPopUp(int X, int Y, const sRect *Exclude) override;
    // The trackbar shows the model's position.
    virtual void UpdateValues();

    // The press that opened the popup is still held.
    bool InDragPhase() const { return FDragPhase; }
    // A move of that press, at a screen point.
    void DragPhaseMove(QPoint global);
    // Its release.
    void EndDragPhase();

    // The press (event and time) that closed the popup, when a press did.
    const QEvent *ClosingPress() const { return FClosingPress; }
    quint64 ClosingPressTime() const { return FClosingPressTime; }

  protected:
    void AppMessage(TMsg &Msg, bool &Handled) override;

  private:
    void TrackBarChange();

    QPointer<TNumMngr> FAssociate;
    TGraphicTrackbar *FTrackBar;
    TGraphicTrackbarOrientation FOrientation = gtVertical;
    bool FCenterLine = false;
    bool FDragPhase = false;
    const QEvent *FClosingPress = nullptr;
    quint64 FClosingPressTime = 0;
};

class TCustomNumPopupButton : public TGraphicControl, public INumAssociate
{
  public:
    explicit TCustomNumPopupButton(QWidget *parent = nullptr);
    ~TCustomNumPopupButton() override;

    TNumMngr *Associate() const { return FAssociate; }
    void setAssociate(TNumMngr *model);
    eNUDStatus Status() const { return FStatus; }
    bool Hover() const { return FHover; }
    bool ReadOnly() const { return FReadOnly; }
    virtual void setReadOnly(bool on);
    TGraphicTrackbarOrientation Orientation() const { return FOrientation; }
    void setOrientation(TGraphicTrackbarOrientation o) { FOrientation = o; }
    bool CenterLine() const { return FCenterLine; }
    void setCenterLine(bool on) { FCenterLine = on; }
    // The open popup, or null.
    TTrackPopupForm *Form() const { return FForm; }

    void UpdateValues() override;
    void DetachAssociate() override { setAssociate(nullptr); }
    virtual bool IsPopupOpen() const { return FForm != nullptr; }

    TNotifyEvent OnPopupOpen;
    TNotifyEvent OnPopupClose;
    TPositionFilterEvent OnInFilter;
    TPositionFilterEvent OnOutFilter;

  protected:
    virtual void DrawButton(QPainter &painter);
    virtual void PopupOpened();
    virtual void PopupClosed();
    virtual void UpdateStatus();
    // Whether a press on the button may open the popup now.
    virtual bool MayOpen() const { return true; }
    void OpenPopup(int y);

    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void mousePressEvent(QMouseEvent *ev) override;
    void changeEvent(QEvent *ev) override;

    QPointer<TNumMngr> FAssociate;
    bool FHover = false;

  private:
    TTrackPopupForm *FForm = nullptr;
    float FOldValue = 0;
    eNUDStatus FStatus = nudInactive;
    bool FReadOnly = false;
    TGraphicTrackbarOrientation FOrientation = gtHorizontal;
    bool FCenterLine = false;
    // The press that closed the popup: it reaches this control too, and must not reopen it.
    const QEvent *FClosingPress = nullptr;
    quint64 FClosingPressTime = 0;
};

// The two parts of a number field with its button (client W x H).
struct TNumPopupLayout
{
    sRect label;
    sRect button;
};
TNumPopupLayout numPopupLayout(int W, int H);

class TCustomNumLabelEditPopup : public TCustomNumPopupButton
{
  public:
    explicit TCustomNumLabelEditPopup(QWidget *parent = nullptr);
    ~TCustomNumLabelEditPopup() override;

    void SetBounds(int left, int top, int width, int height) override;
    QString Text() const { return FText; }
    QString FormatString() const { return FFormatString; }
    void setFormatString(const QString &pattern);
    int MaxLength() const { return FMaxLength; }
    void setMaxLength(int n) { FMaxLength = n; }
    const sRect &LabelRect() const { return FLabelRect; }
    const sRect &ButtonRect() const { return FButtonRect; }
    const TMemoryGraphic &Image() const { return FImage; }
    // This field's in-place edit runs.
    bool Editing() const { return FEditing; }

    void UpdateValues() override;

    TNotifyEvent OnEditEnter;
    TNotifyEvent OnEditExit;

  protected:
    virtual void EditEnter();
    virtual void EditExit();
    void DrawButton(QPainter &painter) override;
    void UpdateStatus() override;
    bool MayOpen() const override;
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseEnter() override;
    void MouseLeave() override;

  private:
    void Redraw();
    void drawButtonPart();
    void StartEdit();
    void EndEdit();

    QString FText = QStringLiteral("0");
    QString FFormatString = QStringLiteral("%1.0f");
    bool FDown = false;
    sRect FLabelRect{};
    sRect FButtonRect{};
    QCursor FOldCursor;
    int FMaxLength = 16;
    bool FEditing = false;
    float FOldValue = 0;
    TMemoryGraphic FImage;
};

class TNumLabelEditPopup : public TCustomNumLabelEditPopup
{
  public:
    using TCustomNumLabelEditPopup::TCustomNumLabelEditPopup;
};
