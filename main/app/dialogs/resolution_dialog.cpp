#include "app/dialogs/resolution_dialog.h"

#include "app/dialogs/image_size_dialog_fields.h"
#include "app/dialogs/image_size_dialog_model.h"
#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "windows/shell_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <memory>
#include <new>

using namespace sizedlg;

TFormResolution::TFormResolution(QWidget *owner) : TDialogBaseForm(owner)
{
    setWindowTitle(u8("画像解像度"));
    setClientSize(kClientWidth, kClientHeight);

    StaticSize = addLabel(this, u8("現在のサイズ"), QRect(16, 14, 72, 16));
    LblSize = addLabel(this, QString(), QRect(96, 14, 176, 16));

    GrpPixel = new QGroupBox(u8("ピクセル"), this);
    GrpPixel->setGeometry(8, 40, 264, 80);
    EdtPixelW = addSizeRow(GrpPixel, 22, u8("幅(&W)"), FModel.NumPixelW, "%1.0f").edit;
    EdtPixelH = addSizeRow(GrpPixel, 50, u8("高さ(&H)"), FModel.NumPixelH, "%1.0f").edit;
    addLabel(GrpPixel, QStringLiteral("pixel"), QRect(164, 24, 60, 16));
    addLabel(GrpPixel, QStringLiteral("pixel"), QRect(164, 52, 60, 16));

    GrpImage = new QGroupBox(u8("画像サイズ"), this);
    GrpImage->setGeometry(8, 128, 264, 80);
    EdtWidth = addSizeRow(GrpImage, 22, u8("幅(&I)"), FModel.NumWidth, "%1.5g").edit;
    EdtHeight = addSizeRow(GrpImage, 50, u8("高さ(&E)"), FModel.NumHeight, "%1.5g").edit;
    CmbWidth = addUnitList(GrpImage, QRect(164, 20, 80, 22));
    CmbHeight = addUnitList(GrpImage, QRect(164, 48, 80, 22));

    ChkConstraint = new QCheckBox(u8("縦横比を固定(&C)"), this);
    ChkConstraint->setGeometry(16, 216, 160, 18);
    ChkConstraint->setChecked(FModel.constraint());

    // The last row, so that hiding it in the scaling mode leaves no gap.
    const int y = kClientHeight - kResolutionRowHeight - 2;
    StaticResolution = addLabel(this, u8("解像度(&R)"), QRect(20, y + 2, 68, 16));
    EdtResolution = new TNumEdit(this);
    EdtResolution->setGeometry(88, y, 76, 20);
    EdtResolution->setAlignment(taRightJustify);
    EdtResolution->setFormatString(QStringLiteral("%1.0f"));
    EdtResolution->setAssociate(&FModel.NumResolution);
    StaticResolution->setBuddy(EdtResolution);
    StaticResolutionUnit = addLabel(this, QStringLiteral("pixels/inch"), QRect(172, y + 2, 80, 16));

    connect(CmbWidth, &QComboBox::currentIndexChanged, this,
            [this](int i) { FModel.setWidthListUnit(sizeListUnit(i)); });
    connect(CmbHeight, &QComboBox::currentIndexChanged, this,
            [this](int i) { FModel.setHeightListUnit(sizeListUnit(i)); });
    connect(ChkConstraint, &QCheckBox::toggled, this,
            [this](bool on) { FModel.setConstraint(on); });

    setTabOrder(EdtPixelW, EdtPixelH);
    setTabOrder(EdtPixelH, EdtWidth);
    setTabOrder(EdtWidth, CmbWidth);
    setTabOrder(CmbWidth, EdtHeight);
    setTabOrder(EdtHeight, CmbHeight);
    setTabOrder(CmbHeight, ChkConstraint);
    setTabOrder(ChkConstraint, EdtResolution);
    setTabOrder(EdtResolution, ButtonOK);
}

void TFormResolution::setup(int32_t width, int32_t height, int32_t dpi)
{
    FModel.setup(width, height, dpi);
    LblSize->setText(currentSizeText(width, height));
}

void TFormResolution::setScalingMode()
{
    setWindowTitle(u8("拡大縮小"));
    StaticResolution->hide();
    EdtResolution->hide();
    StaticResolutionUnit->hide();
    setClientSize(kClientWidth, kClientHeight - kResolutionRowHeight);
}

bool showResolutionDialog(SResolutionValue &value, int32_t mode)
{
    // Percent of an empty side has no meaning.
    if (value.Width <= 0 || value.Height <= 0)
        return false;
    try {
        auto form = std::make_unique<TFormResolution>();
        form->setup(value.Width, value.Height, value.DPI);
        if (mode == rdmScaling)
            form->setScalingMode();
        if (doShowModal(*form) != kavrin::mrOk)
            return false;
        const CResolutionModel &m = form->model();
        const SResolutionValue result{m.newWidth(), m.newHeight(), m.newResolution(value.DPI)};
        if (result.Width == value.Width && result.Height == value.Height && result.DPI == value.DPI)
            return false;
        value = result;
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}
