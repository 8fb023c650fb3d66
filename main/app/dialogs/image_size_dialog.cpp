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

    GrpPixel = new QGroupBox(pixelGroupCaption(8, 8), this);
    GrpPixel->setGeometry(8, 40, 264, 80);
    const SSizeRow pixelW = addSizeRow(GrpPixel, 22, u8("幅(&W)"), FModel.NumPixelW, "%1.0f");
    const SSizeRow pixelH = addSizeRow(GrpPixel, 50, u8("高さ(&H)"), FModel.NumPixelH, "%1.0f");
    StaticPixelW = pixelW.label;
    EdtPixelW = pixelW.edit;
    StaticPixelH = pixelH.label;
    EdtPixelH = pixelH.edit;
    addLabel(GrpPixel, QStringLiteral("pixel"), QRect(164, 24, 60, 16));
    addLabel(GrpPixel, QStringLiteral("pixel"), QRect(164, 52, 60, 16));

    GrpImage = new QGroupBox(u8("画像サイズ"), this);
    GrpImage->setGeometry(8, 128, 264, 80);
    const SSizeRow width = addSizeRow(GrpImage, 22, u8("幅(&I)"), FModel.NumWidth, "%1.5g");
    const SSizeRow height = addSizeRow(GrpImage, 50, u8("高さ(&E)"), FModel.NumHeight, "%1.5g");
    StaticWidth = width.label;
    EdtWidth = width.edit;
    StaticHeight = height.label;
    EdtHeight = height.edit;
    CmbWidth = addUnitList(GrpImage, QRect(164, 20, 80, 22));
    CmbHeight = addUnitList(GrpImage, QRect(164, 48, 80, 22));

    ChkRelation = new QCheckBox(u8("相対(&R)"), this);
    ChkRelation->setGeometry(16, 236, 100, 18);

    BoxPosition = new QWidget(this);
    BoxPosition->setGeometry(144, 228, 84, 84);
    FPosition = new TSizePositionControl(BoxPosition->parentWidget());
    const QRect box = BoxPosition->geometry();
    FPosition->SetBounds(box.x(), box.y(), box.width(), box.height());
    BoxPosition->hide(); // a placeholder: the grid takes its rectangle

    FModel.OnParamChange = [this] { GrpPixel->setTitle(FModel.pixelCaption()); };
    connect(CmbWidth, &QComboBox::currentIndexChanged, this,
            [this](int i) { FModel.setWidthListUnit(sizeListUnit(i)); });
    connect(CmbHeight, &QComboBox::currentIndexChanged, this,
            [this](int i) { FModel.setHeightListUnit(sizeListUnit(i)); });
    connect(ChkRelation, &QCheckBox::toggled, this, [this](bool on) { FModel.setRelation(on); });

    setTabOrder(EdtPixelW, EdtPixelH);
    setTabOrder(EdtPixelH, EdtWidth);
    setTabOrder(EdtWidth, CmbWidth);
    setTabOrder(CmbWidth, EdtHeight);
    setTabOrder(EdtHeight, CmbHeight);
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
