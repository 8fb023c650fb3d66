#include "app/dialogs/image_size_dialog.h"

#include "app/dialogs/image_size_dialog_fields.h"
#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/graphics/appearance.h"
#include "windows/shell_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <memory>
#include <new>

using namespace sizedlg;

// ---- TSizePositionControl

TSizePositionControl::TSizePositionControl(QWidget *parent) : TGraphicControl(parent) {}

void TSizePositionControl::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FPositionRect = sizePositionCells(width, height);
    Redraw();
}

void TSizePositionControl::setPosition(TImageSizePosition position)
{
    if (position == FPosition)
        return;
    FPosition = position;
    Redraw();
}

void TSizePositionControl::Redraw()
{
    if (width() <= 0 || height() <= 0)
        return;
    if (FImage.size() != size())
        FImage = QImage(size(), QImage::Format_ARGB32);
    FImage.fill(QColor(clBtnFace32().r, clBtnFace32().g, clBtnFace32().b));
    QPainter p(&FImage);
    drawSunkenFrame(p, FImage.rect(), -1);
    for (int i = 0; i < kImageSizePositionCount; ++i) {
        const QRect cell = qRectOf(FPositionRect[size_t(i)]);
        if (i == FPosition)
            drawEdgeRect(p, cell, colorRefOf(clHighlight32()), colorRefOf(clHighlight32()),
                         colorRefOf(clHighlightText32()));
        else
            drawRaisedPanel(p, cell, colorRefOf(clBtnFace32()));
    }
    p.end();
    update();
}

void TSizePositionControl::Paint(QPainter &painter)
{
    painter.drawImage(0, 0, FImage);
}

void TSizePositionControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                     int y, bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (button != Qt::LeftButton)
        return;
    // A click between the cells and the frame chooses nothing.
    const int cell = sizePositionAt(FPositionRect, x, y);
    if (cell >= 0)
        setPosition(TImageSizePosition(cell));
}

// ---- TFormImageSize

TFormImageSize::TFormImageSize(QWidget *owner) : TDialogBaseForm(owner)
{
    setWindowTitle(u8("画像サイズ"));
    setClientSize(kClientWidth, kClientHeight);

    StaticSize = addLabel(this, u8("現在のサイズ"), QRect(16, 14, 72, 16));
    LblSize = addLabel(this, QString(), QRect(96, 14, 176, 16));

    const SSizeGroups g = addSizeGroups(this, pixelGroupCaption(8, 8), FModel);
    GrpPixel = g.pixel;
    StaticPixelW = g.pixelW.label;
    EdtPixelW = g.pixelW.edit;
    StaticPixelH = g.pixelH.label;
    EdtPixelH = g.pixelH.edit;
    GrpImage = g.image;
    StaticWidth = g.width.label;
    EdtWidth = g.width.edit;
    StaticHeight = g.height.label;
    EdtHeight = g.height.edit;
    CmbWidth = g.widthList;
    CmbHeight = g.heightList;

    ChkRelation = new QCheckBox(u8("相対(&R)"), this);
    ChkRelation->setGeometry(16, 236, 100, 18);

    BoxPosition = new QWidget(this);
    BoxPosition->setGeometry(144, 228, 84, 84);
    FPosition = new TSizePositionControl(BoxPosition->parentWidget());
    const QRect box = BoxPosition->geometry();
    FPosition->SetBounds(box.x(), box.y(), box.width(), box.height());
    BoxPosition->hide(); // a placeholder: the grid takes its rectangle

    FModel.OnParamChange = [this] { GrpPixel->setTitle(FModel.pixelCaption()); };
    connect(ChkRelation, &QCheckBox::toggled, this, [this](bool on) { FModel.setRelation(on); });

    setTabOrder(CmbHeight, ChkRelation);
    setTabOrder(ChkRelation, ButtonOK);
}

void TFormImageSize::setup(int32_t width, int32_t height, int32_t dpi)
{
    FModel.setup(width, height, dpi);
    LblSize->setText(currentSizeText(width, height));
}

bool showImageSizeDialog(SImageSizeValue &value, int32_t dpi)
{
    // Percent of an empty side has no meaning.
    if (value.Width <= 0 || value.Height <= 0)
        return false;
    try {
        auto form = std::make_unique<TFormImageSize>();
        form->setup(value.Width, value.Height, dpi);
        if (doShowModal(*form) != kavrin::mrOk)
            return false;
        const int32_t w = form->model().newWidth(), h = form->model().newHeight();
        if (w == value.Width && h == value.Height)
            return false;
        value.Width = w;
        value.Height = h;
        value.Anchor = form->FPosition->Position();
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}
