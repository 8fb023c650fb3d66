#include "ui/preview/preview_layer.h"

#include "core/image/display_canvas.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/effect_rect.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/trackbar.h"

#include <QComboBox>
#include <QLabel>

#include <algorithm>

namespace {
constexpr int kWidth = 192;
constexpr int kHeight = 244;
constexpr int kPictureTop = 26;
// The combo box above and the zoom bar below take this much of the frame's height.
constexpr int kPictureLess = 48;
} // namespace

TPreviewLayer::TPreviewLayer(QWidget *parent) : TPreviewFrame(parent)
{
    Label2 = new QLabel(QString::fromUtf8("対象(&T)"), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItem(QString::fromUtf8("アクティブレイヤ"));
    ComboBox1->addItem(QString::fromUtf8("表示画像"));
    ComboBox1->setCurrentIndex(0);
    Label2->setBuddy(ComboBox1);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { DrawViewTC(); });
    SetBounds(0, 0, kWidth, kHeight);
}

TPreviewLayer::~TPreviewLayer() = default;

bool TPreviewLayer::Attach(IPaperOwner *dw, TFlowImage *flow, int32_t idx)
{
    if (!dw || !flow || !flow->paper())
        return false;
    const TPaper &paper = *flow->paper();
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    sRect eff;
    if (!getEffectRect(ld->imageTC.get(), ld->viewPos, paper.getActiveMaskData(), eff))
        return false;
    m_flow = flow;
    m_idx = idx;
    SPreviewSource src;
    src.canvas = &flow->image();
    src.layerSize = paper.m_paperSize;
    // The effect rectangle is in layer coordinates; the frame works in paper coordinates.
    src.effectRect = {eff.x0 - ld->viewPos.x, eff.y0 - ld->viewPos.y, eff.x1 - ld->viewPos.x,
                      eff.y1 - ld->viewPos.y};
    src.smoothZoom = dw->isSmoothZoom();
    if (!AttachSource(src))
        return false;
    DrawViewTC();
    return true;
}

void TPreviewLayer::SetBounds(int left, int top, int width, int height)
{
    TPreviewFrame::SetBounds(left, top, width, height);
    Label2->setGeometry(0, 4, 44, 16);
    ComboBox1->setGeometry(48, 0, std::max(width - 48, 1), 22);
    placePicture(kPictureTop, height - kPictureLess);
    // The zoom bar keeps its place under the picture.
    const int bar = height - 18;
    Static1->setGeometry(0, bar, 26, 14);
    Track1->SetBounds(28, bar + 2, std::max(width - 79, 1), 12);
    Label1->SetBounds(width - 50, bar, 36, 14);
    Static1Unit->setGeometry(width - 12, bar, 12, 14);
    DrawViewTC();
}

int32_t TPreviewLayer::FDisp() const
{
    return ComboBox1->currentIndex();
}

void TPreviewLayer::setFDisp(int32_t disp)
{
    ComboBox1->setCurrentIndex(std::clamp(disp, 0, 1));
}

bool TPreviewLayer::LoadSource()
{
    TPaper *paper = m_flow ? m_flow->paper() : nullptr;
    const CLayerData *ld = paper ? paper->getLayerData(m_idx) : nullptr;
    if (!ld)
        return false;
    // What lies outside the source shows as transparency.
    FSrcTC.PixelFill(0);
    sBox box = SourceBox();
    if (FDisp() == 0) {
        // The work image holds the layer in its own coordinates.
        box.x += ld->viewPos.x;
        box.y += ld->viewPos.y;
        FSrcTC.copyArea(m_flow->image(), {0, 0}, box);
        return true;
    }
    FSrcTC.copyArea(paper->vram(), {0, 0}, box);
    // With the canvas colour shown the display image is opaque whatever its alpha says.
    if (paper->bVisCanvasCol)
        FSrcTC.FilterOr(0xFF000000u);
    return true;
}
