#include "ui/preview/preview_frame.h"

#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/scale/scale_canvas.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/effect_rect.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/appearance.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// The zoom bar's mapping

float previewTrackInFilter(float mn, float mx, float p)
{
    p = std::clamp(p, 0.0f, 1.0f);
    if (mn == 1.0f)
        return p;
    const float k = (mx - 1.0f) / (1.0f - mn);
    const float z = mn + (mx - mn) * p;
    const float num = z * k - mn * k;
    const float den = z * (k - 1.0f) + (mx - mn * k);
    return den == 0.0f ? p : num / den;
}

float previewTrackOutFilter(float mn, float mx, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    if (mn == 1.0f)
        return t;
    const float k = (mx - 1.0f) / (1.0f - mn);
    const float den = k - t * (k - 1.0f);
    if (den == 0.0f || mx == mn)
        return t;
    const float z = (mn * k + (mx - mn * k) * t) / den;
    return (z - mn) / (mx - mn);
}

// ---------------------------------------------------------------------------------------------
// The paint box: shows the frame's view canvas and hands its mouse to the frame.

namespace {

class TPreviewPaintBox : public QWidget
{
  public:
    TPreviewPaintBox(TPreviewFrame *frame, const TMTC &view)
        : QWidget(frame), m_frame(frame), m_view(view)
    {
    }

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QImage img = m_view.imageView();
        if (!img.isNull())
            p.drawImage(0, 0, img);
    }
    void mousePressEvent(QMouseEvent *ev) override
    {
        const QPoint pt = ev->position().toPoint();
        m_frame->PaintBox1MouseDown(ev->button(), pt.x(), pt.y());
    }
    void mouseMoveEvent(QMouseEvent *ev) override
    {
        const QPoint pt = ev->position().toPoint();
        m_frame->PaintBox1MouseMove(ev->buttons(), pt.x(), pt.y());
    }
    void mouseReleaseEvent(QMouseEvent *) override { m_frame->PaintBox1MouseUp(); }

  private:
    TPreviewFrame *m_frame;
    const TMTC &m_view;
};

// The zoom bar tells the frame when it is held.
class TPreviewZoomBar : public TGraphicTrackbar
{
  public:
    TPreviewZoomBar(TPreviewFrame *frame) : TGraphicTrackbar(frame), m_frame(frame) {}

  protected:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override
    {
        m_frame->Track1MouseDown();
        TGraphicTrackbar::MouseDown(button, shift, x, y, dbl);
    }
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override
    {
        TGraphicTrackbar::MouseUp(button, shift, x, y);
        m_frame->Track1MouseUp();
    }

  private:
    TPreviewFrame *m_frame;
};

constexpr int kFrameWidth = 208;
constexpr int kFrameHeight = 230;
constexpr int kZoomBarHeight = 22;

} // namespace

// ---------------------------------------------------------------------------------------------
// TPreviewFrame

TPreviewFrame::TPreviewFrame(QWidget *parent) : QWidget(parent)
{
    setGeometry(0, 0, kFrameWidth, kFrameHeight);
    PaintBox1 = new TPreviewPaintBox(this, FViewTC);
    PaintBox1->setGeometry(0, 0, kFrameWidth, kFrameWidth);

    Num1 = new TNumMngr(this);
    Num1->beginLoading();
    Num1->setValueMin(6.25f);
    Num1->setValueMax(1600);
    Num1->setValueDefault(100);
    Num1->setValue(1600);
    Num1->endLoading();

    Track1 = new TPreviewZoomBar(this);
    Track1->SetBounds(28, 214, 129, 12);
    Track1->setCenterLine(true);
    Track1->setPosition(0.5f);
    Track1->OnInFilter = [this](QObject *, float &p) { Track1InFilter(p); };
    Track1->OnOutFilter = [this](QObject *, float &p) { Track1OutFilter(p); };

    Label1 = new TNumLabel(this);
    Label1->setFormatString(QStringLiteral("%1.1f"));
    Label1->setAlignment(taRightJustify);
    Label1->SetBounds(158, 212, 36, 14);
    Label1->setAssociate(Num1);

    Static1 = new QLabel(QString::fromUtf8("倍率"), this);
    Static1->setGeometry(0, 212, 26, 14);
    Static1Unit = new QLabel(QStringLiteral("%"), this);
    Static1Unit->setGeometry(196, 212, 12, 14);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    Num1->OnChange = [this](QObject *s) { ValueChange(s); };
    Track1->OnChange = [this](QObject *s) { ValueChange(s); };

    FViewTC.Resize(kFrameWidth, kFrameWidth);
    // Until something is attached the box shows the face colour.
    FViewTC.PixelFill(clBtnFace32().bgra | 0xFF000000u);
    FSrcTC.Resize(kFrameWidth - 2, kFrameWidth - 2);
    FDstTC.Resize(kFrameWidth - 2, kFrameWidth - 2);
}

TPreviewFrame::~TPreviewFrame() = default;

bool TPreviewFrame::Attach(IPaperOwner *dw, TFlowImage *flow, int32_t idx)
{
    if (!dw || !flow || !flow->paper())
        return false;
    const CLayerData *ld = flow->paper()->getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    SPreviewSource src;
    src.canvas = &flow->image();
    src.layerSize = ld->imageTC->FPSZ();
    src.smoothZoom = dw->isSmoothZoom();
    if (!getEffectRect(ld->imageTC.get(), ld->viewPos, flow->paper()->getActiveMaskData(),
                       src.effectRect))
        return false;
    return AttachSource(src);
}

bool TPreviewFrame::AttachSource(const SPreviewSource &src)
{
    if (!src.canvas || src.layerSize.x <= 0 || src.layerSize.y <= 0)
        return false;
    FSource = src;
    // The fit zoom: the whole layer in the shown area. A layer smaller than the area never
    // zooms below 100 %.
    const double f =
        std::min(double(DstWidth()) * 100 / SrcWidth(), double(DstHeight()) * 100 / SrcHeight());
    Num1->SetValues(this, 100, float(std::min(f, 100.0)), 1600);
    Track1->setCenterLine(Num1->ValueMin() != 100);
    const sRect &r = src.effectRect;
    setSrcLeft((r.x0 + r.x1 - SrcAdjWidth()) / 2);
    setSrcTop((r.y0 + r.y1 - SrcAdjHeight()) / 2);
    return true;
}

void TPreviewFrame::SetBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width, height);
    placePicture(0, height - kZoomBarHeight);
    DrawViewTC();
}

void TPreviewFrame::placePicture(int top, int height)
{
    PaintBox1->setGeometry(0, top, width(), std::max(height, 0));
    FViewTC.Resize(std::max(PaintBox1->width(), 1), std::max(PaintBox1->height(), 1));
    FViewTC.PixelFill(clBtnFace32().bgra | 0xFF000000u);
    setDstWidth(FViewTC.width() - 2);
    setDstHeight(FViewTC.height() - 2);
}

int32_t TPreviewFrame::SrcWidth() const
{
    return Attached() ? FSource.layerSize.x : PaintBox1->width() - 2;
}

int32_t TPreviewFrame::SrcHeight() const
{
    return Attached() ? FSource.layerSize.y : PaintBox1->height() - 2;
}

void TPreviewFrame::setSrcLeft(int32_t v)
{
    // A shown part wider than the layer pins the anchor at 0.
    FSrcPos.x = Attached() ? std::max(std::min(v, SrcWidth() - SrcAdjWidth()), 0) : 0;
}

void TPreviewFrame::setSrcTop(int32_t v)
{
    FSrcPos.y = Attached() ? std::max(std::min(v, SrcHeight() - SrcAdjHeight()), 0) : 0;
}

void TPreviewFrame::setDstWidth(int32_t v)
{
    v = std::clamp(v, 1, std::max(PaintBox1->width() - 2, 1));
    FDstTC.Resize(v, DstHeight());
}

void TPreviewFrame::setDstHeight(int32_t v)
{
    v = std::clamp(v, 1, std::max(PaintBox1->height() - 2, 1));
    FDstTC.Resize(DstWidth(), v);
}

int32_t TPreviewFrame::DstLeft() const
{
    return std::max(0, (PaintBox1->width() - DstWidth()) / 2);
}

int32_t TPreviewFrame::DstTop() const
{
    return std::max(0, (PaintBox1->height() - DstHeight()) / 2);
}

// ---- zoom

void TPreviewFrame::Track1InFilter(float &pos) const
{
    pos = previewTrackInFilter(Num1->ValueMin() / 100, Num1->ValueMax() / 100, pos);
}

void TPreviewFrame::Track1OutFilter(float &pos) const
{
    pos = previewTrackOutFilter(Num1->ValueMin() / 100, Num1->ValueMax() / 100, pos);
}

void TPreviewFrame::resizeSourceTo(int32_t w, int32_t h)
{
    const int32_t oldW = SrcAdjWidth(), oldH = SrcAdjHeight();
    FSrcTC.Resize(w, h);
    // The centre stays where it was.
    setSrcLeft(SrcLeft() - (w - oldW) / 2);
    setSrcTop(SrcTop() - (h - oldH) / 2);
}

void TPreviewFrame::ValueChange(QObject *Sender)
{
    if (UpdateValue)
        return;
    UpdateValue = true;
    if (Sender == Track1)
        Num1->setPosition(Track1->Position());
    else
        Track1->setPosition(Num1->Position());
    const double value = Num1->Value();
    const double z = value / 100;
    setDstWidth(std::min(PaintBox1->width() - 2, int32_t(std::trunc(SrcWidth() * z + 0.5))));
    setDstHeight(std::min(PaintBox1->height() - 2, int32_t(std::trunc(SrcHeight() * z + 0.5))));
    const int32_t w = std::max(int32_t(std::trunc(DstWidth() * (100 / value) + 0.5)), 1);
    const int32_t h = std::max(int32_t(std::trunc(DstHeight() * (100 / value) + 0.5)), 1);
    resizeSourceTo(w, h);
    DrawViewTC();
    UpdateValue = false;
}

// ---- mouse and timer

void TPreviewFrame::PaintBox1MouseDown(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    FLastX = x;
    FLastY = y;
    Timer1->start();
}

void TPreviewFrame::PaintBox1MouseMove(Qt::MouseButtons buttons, int x, int y)
{
    if (!(buttons & Qt::LeftButton))
        return;
    Drag = true;
    const int32_t oldLeft = SrcLeft(), oldTop = SrcTop();
    setSrcLeft(SrcLeft() + (FLastX - x) * SrcAdjWidth() / DstWidth());
    setSrcTop(SrcTop() + (FLastY - y) * SrcAdjHeight() / DstHeight());
    // At an edge the anchor stays, so a move back starts from where the edge was met.
    if (SrcLeft() != oldLeft)
        FLastX = x;
    if (SrcTop() != oldTop)
        FLastY = y;
}

void TPreviewFrame::PaintBox1MouseUp()
{
    Drag = false;
    Timer1->stop();
    DrawViewTC();
}

void TPreviewFrame::Track1MouseDown()
{
    Scale = true;
}

void TPreviewFrame::Track1MouseUp()
{
    Scale = false;
    Timer1->stop();
    DrawViewTC();
}

void TPreviewFrame::Timer1Timer()
{
    if (Timer1->isActive())
        DrawViewTC();
}

// ---- drawing

bool TPreviewFrame::LoadSource()
{
    // A part reaching past the layer (by rounding) shows transparency there.
    FSrcTC.PixelFill(0);
    sBox box = SourceBox();
    return FSrcTC.copyArea(*FSource.canvas, {0, 0}, box);
}

void TPreviewFrame::DrawViewTC()
{
    if (!FSource.canvas)
        return;
    if (!LoadSource())
        return;
    const uint32_t frameCol = clWindowFrame32().bgra | 0xFF000000u;
    const uint32_t backCol = clBtnFace32().bgra;
    if (Drag || Scale || !FSource.smoothZoom)
        FDstTC.stretchImage(FSrcTC, boxFromSize(FDstTC.FPSZ()), boxFromSize(FSrcTC.FPSZ()));
    else
        scaleCanvasInto(FDstTC, FSrcTC, false, 0);
    FViewTC.PixelFill(backCol | 0xFF000000u);
    const int32_t dl = DstLeft(), dt = DstTop(), dw = DstWidth(), dh = DstHeight();
    FViewTC.frameBox({dl - 1, dt - 1, dw + 2, dh + 2}, frameCol, 255, pixelPutSrcAlpha);
    sBox inside{dl, dt, dw, dh};
    FViewTC.fillCheckBoard(inside, {8, 8}, 0xFFE0E0E0u, 0xFFC8C8C8u);
    for (int32_t y = 0; y < dh; ++y)
        for (int32_t x = 0; x < dw; ++x)
            if (dl + x < FViewTC.width() && dt + y < FViewTC.height())
                pixelPutSrcAlpha(FViewTC.seek32(dl + x, dt + y), FDstTC.getColor(x, y), 255);
    PaintBox1->update();
}
