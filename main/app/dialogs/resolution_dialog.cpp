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

    const SSizeGroups g = addSizeGroups(this, u8("ピクセル"), FModel);
    GrpPixel = g.pixel;
    EdtPixelW = g.pixelW.edit;
    EdtPixelH = g.pixelH.edit;
    GrpImage = g.image;
    EdtWidth = g.width.edit;
    EdtHeight = g.height.edit;
    CmbWidth = g.widthList;
    CmbHeight = g.heightList;

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

    connect(ChkConstraint, &QCheckBox::toggled, this,
            [this](bool on) { FModel.setConstraint(on); });

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
