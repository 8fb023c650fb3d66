// The histogram of the levels and threshold dialogs (CHistogram) and the levels dialog's range
// bars (TLevelsTrackbar).
//
// CHistogram counts, once, the pixels of the effect rectangle of the layer's flow image, each
// weighted by its selection weight times its alpha (an opaque, fully selected pixel counts 1.0),
// into four 256-bin tables (red, green, blue, luminance), and draws a 258 x 102 view: a 1-pixel
// frame around a 256 x 100 plot. The counting and drawing need no widget (SHistogramTables).
//
// TLevelsTrackbar is an input bar with three handles (min, midtone, max) or an output bar with
// two. Places are 0..1 on the bar, except the midtone's, which is relative: 0 at the min handle,
// 1 at the max handle.
#pragma once

#include "core/base/geometry.h"
#include "core/image/canvas.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <array>
#include <cstdint>

class CMaskData;
class CFlt4Core;
class QWidget;

enum eHistogramType : uint8_t
{
    HISTOGRAM_RGB,
    HISTOGRAM_R,
    HISTOGRAM_G,
    HISTOGRAM_B,
    HISTOGRAM_Y,
};

// Table indices.
enum : int
{
    kHistRed = 0,
    kHistGreen = 1,
    kHistBlue = 2,
    kHistLuminance = 3,
};

struct SHistogramTables
{
    std::array<std::array<float, 256>, 4> HistogramTable{};
    std::array<float, 4> FMax{};
    float FSum = 0;
    std::array<int32_t, 4> FLevels{};
    std::array<int32_t, 4> FMinColor{255, 255, 255, 255};
    std::array<int32_t, 4> FMaxColor{};

    // Counts the pixels of r (image coordinates) of flow, weighted by the selection mask (none:
    // every pixel 255) at layerPos and by their alpha. An empty or outside rectangle counts
    // nothing.
    void Calculate(const TMTC &flow, sPos layerPos, const CMaskData *mask, sRect r);
};

// The 258 x 102 view of the tables: frame, white plot, then the channels of type.
void drawHistogramView(TMTC &view, const SHistogramTables &t, eHistogramType type, bool counted);

class CHistogram : public TGraphicControl
{
  public:
    explicit CHistogram(QWidget *parent = nullptr);
    // Takes the place of the paint box (which stays where it is).
    CHistogram(QWidget *parent, const QWidget *paintBox);

    // Counts the core's layer: its flow image, view position, active mask and effect rectangle.
    // False (nothing counted, the plot white) for an empty rectangle.
    bool SetParams(const CFlt4Core &core);
    bool SetParams(const TMTC *src, sPos ofs, const CMaskData *mask, sRect r);
    bool CheckParams() const;
    void SetHistogramType(eHistogramType t);
    eHistogramType HistogramType() const { return FType; }

    const SHistogramTables &tables() const { return FTables; }
    const TMTC &ViewTC() const { return FViewTC; }

  protected:
    void Paint(QPainter &painter) override;

  private:
    void UpdateView();

    TMTC FViewTC;
    const TMTC *FlowTC = nullptr;
    sPos LayerPos;
    const CMaskData *MaskData = nullptr;
    sRect MaskRect;
    SHistogramTables FTables;
    eHistogramType FType = HISTOGRAM_RGB;
};

enum TLevelsTrackbarType : uint8_t
{
    ltInput,
    ltOutput,
};

enum TLevelsChannel : uint8_t
{
    lcRGB,
    lcRed,
    lcGreen,
    lcBlue,
};

enum TLevelsTrackbarPart : uint8_t
{
    ltpMin,
    ltpMid,
    ltpMax,
    ltpNone,
};

class TLevelsTrackbar : public TGraphicControl
{
  public:
    explicit TLevelsTrackbar(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool value) override;

    TLevelsTrackbarType TrackbarType() const { return FType; }
    void setTrackbarType(TLevelsTrackbarType t);
    TLevelsChannel Channel() const { return FChannel; }
    void setChannel(TLevelsChannel c);
    float PositionMin() const { return FPositions[ltpMin]; }
    float PositionMid() const { return FPositions[ltpMid]; }
    float PositionMax() const { return FPositions[ltpMax]; }
    // Limited to 0..1; a value not above 0 (NaN included) becomes 0. A change redraws and fires
    // OnChange with ChangePart set.
    virtual void SetPosition(TLevelsTrackbarPart part, float value);
    TLevelsTrackbarPart ChangePart() const { return FChangePart; }
    const sRect &InnerRect() const { return FInnerRect; }
    const TMemoryGraphic &Image() const { return FImage; }

    // The handle under x (control coordinates): the nearer of min and max (max on a tie); on an
    // input bar the midtone wins when it is at least as near.
    TLevelsTrackbarPart PartAt(int x) const;
    // The place part takes when dragged to x.
    float PositionAt(TLevelsTrackbarPart part, int x) const;

    std::array<QWidget *, 3> FFocusControls{};
    TNotifyEvent OnChange;

  protected:
    virtual void Change(TLevelsTrackbarPart part);
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void UpdateImage();
    int placeOf(float p) const;

    TLevelsTrackbarType FType = ltInput;
    TLevelsChannel FChannel = lcRGB;
    std::array<float, 3> FPositions{0, 0.5f, 1};
    TLevelsTrackbarPart FDown = ltpNone;
    TLevelsTrackbarPart FChangePart = ltpNone;
    sRect FInnerRect{3, 0, 3, 3};
    TMemoryGraphic FImage;
};
