// TPreviewFrame: a zoomable, pannable view of one layer inside a dialog. It shows a part of the
// document's flow image (the layer's pixels) scaled into a 208 x 208 paint box, with a zoom bar
// beneath (a trackbar bent so that its minimum sits at the left end, 100 % in the middle and the
// maximum at the right end). Dragging in the box pans; while panning or zooming the picture is a
// plain stretch, otherwise the area-average scaler when the window smooths its zoom.
//
// Coordinates: SrcLeft/SrcTop are layer pixels; the shown part is SrcAdjWidth x SrcAdjHeight
// layer pixels drawn as DstWidth x DstHeight screen pixels, centred in the box.
#pragma once

#include "core/base/geometry.h"
#include "core/image/canvas.h"

#include <QWidget>

class IPaperOwner;
class QLabel;
class QTimer;
class TFlowImage;
class TGraphicTrackbar;
class TNumLabel;
class TNumMngr;

// The trackbar mapping of the zoom bar, in Single precision. mn and mx are the zoom range as
// factors (minimum / 100, maximum / 100); p is the linear place of the value in [mn, mx] and t
// the trackbar's place. Both clamp their argument to [0, 1] and pass it through when mn is 1.
float previewTrackInFilter(float mn, float mx, float p);
float previewTrackOutFilter(float mn, float mx, float t);

// What the frame shows: the canvas whose pixel (x, y) is layer pixel (x, y), the layer's size, the
// effect rectangle to centre on (layer coordinates) and the window's smooth-zoom setting.
struct SPreviewSource
{
    const TMTC *canvas = nullptr;
    sSize layerSize;
    sRect effectRect;
    bool smoothZoom = false;
};

class TPreviewFrame : public QWidget
{
  public:
    explicit TPreviewFrame(QWidget *parent = nullptr);
    ~TPreviewFrame() override;

    // The document window's layer idx: flow image, layer size, effect rectangle of the active
    // mask, smooth zoom. False (nothing shown) without a window, flow image or layer, or when the
    // layer has no effect rectangle.
    virtual bool Attach(IPaperOwner *dw, TFlowImage *flow, int32_t idx);
    // The same from a described source; false without a canvas or for an empty layer.
    bool AttachSource(const SPreviewSource &src);

    // Places the frame: the paint box takes the frame's size less the zoom bar (22 pixels).
    void SetBounds(int left, int top, int width, int height);

    int32_t SrcWidth() const;
    int32_t SrcHeight() const;
    int32_t SrcAdjWidth() const { return FSrcTC.width(); }
    int32_t SrcAdjHeight() const { return FSrcTC.height(); }
    int32_t SrcLeft() const { return FSrcPos.x; }
    int32_t SrcTop() const { return FSrcPos.y; }
    // Clamped to 0 .. SrcWidth - SrcAdjWidth (resp. heights).
    void setSrcLeft(int32_t v);
    void setSrcTop(int32_t v);
    int32_t DstWidth() const { return FDstTC.width(); }
    int32_t DstHeight() const { return FDstTC.height(); }
    // Clamped to 1 .. paint box size - 2.
    void setDstWidth(int32_t v);
    void setDstHeight(int32_t v);
    int32_t DstLeft() const;
    int32_t DstTop() const;

    // Redraws the view canvas from the source.
    virtual void DrawViewTC();

    bool Attached() const { return FSource.canvas != nullptr; }
    const TMTC &ViewTC() const { return FViewTC; }
    const TMTC &SrcTC() const { return FSrcTC; }
    TNumMngr *Num1 = nullptr;
    TGraphicTrackbar *Track1 = nullptr;
    QWidget *PaintBox1 = nullptr;
    TNumLabel *Label1 = nullptr;
    QLabel *Static1 = nullptr;
    QLabel *Static1Unit = nullptr;
    QTimer *Timer1 = nullptr;

    // The user is panning / holds the zoom bar.
    bool Drag = false;
    bool Scale = false;

    // The paint box's mouse, in its coordinates (also what its events call).
    void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
    void PaintBox1MouseMove(Qt::MouseButtons buttons, int x, int y);
    void PaintBox1MouseUp();
    void Track1MouseDown();
    void Track1MouseUp();
    void Timer1Timer();

  protected:
    // Puts the paint box at (0, top) with the frame's width and the given height; the view canvas
    // follows it (at least 1 x 1) and the shown part takes the view canvas less its frame.
    void placePicture(int top, int height);
    // Step 2 of drawing: the shown part of the layer into FSrcTC; false stops the drawing and
    // keeps the previous picture.
    virtual bool LoadSource();
    // The shown part in layer coordinates.
    sBox SourceBox() const { return {FSrcPos.x, FSrcPos.y, SrcAdjWidth(), SrcAdjHeight()}; }
    const SPreviewSource &Source() const { return FSource; }
    TMTC FSrcTC;

  private:
    void ValueChange(QObject *Sender);
    void Track1InFilter(float &pos) const;
    void Track1OutFilter(float &pos) const;
    void resizeSourceTo(int32_t w, int32_t h);

    SPreviewSource FSource;
    TMTC FViewTC;
    TMTC FDstTC;
    sPos FSrcPos;
    int32_t FZoomPos = 8;
    int32_t FLastX = 0, FLastY = 0;
    bool UpdateValue = false;
};
