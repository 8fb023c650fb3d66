// The canvas size dialog without widgets: the four size fields (pixels, and a length or percent
// per side), their unit lists and relative entry, kept consistent by one change handler, and the
// geometry of the 3 x 3 anchor grid. Also what the resolution dialog shares with it: the
// unit lists, the rounding of a size to whole pixels and the two size texts.
//
// Each side is stored once, as a Single in its own unit (FWidth in FWidthUnit); the fields only
// show it. A width typed in percent is stored in pixels, never as percent.
#pragma once

#include "core/base/geometry.h"
#include "ui/base/units.h"
#include "ui/fields/num_mngr.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// Where the current image sits in the new canvas: row * 3 + column, rows from the top.
enum TImageSizePosition : int32_t
{
    ispLeftTop = 0,
    ispCenterTop = 1,
    ispRightTop = 2,
    ispLeftMiddle = 3,
    ispCenterMiddle = 4,
    ispRightMiddle = 5,
    ispLeftBottom = 6,
    ispCenterBottom = 7,
    ispRightBottom = 8,
};
inline constexpr int kImageSizePositionCount = 9;

// The cells of a W x H anchor grid, indexed like TImageSizePosition (right and bottom exclusive).
std::array<sRect, kImageSizePositionCount> sizePositionCells(int W, int H);
// The first cell (in index order) that holds (x, y); -1 in the margin around the grid.
int sizePositionAt(const std::array<sRect, kImageSizePositionCount> &cells, int x, int y);

// What the canvas size, resolution and JPEG dialogs share.
namespace sizedlg {

// The unit lists of the size fields: item i shows kSizeListNames[i] and stands for
// kSizeListUnits[i].
inline constexpr std::array<TUnitType, 4> kSizeListUnits = {utpercent, utinch, utcm, utmm};
inline constexpr std::array<const char *, 4> kSizeListNames = {"%", "inch", "cm", "mm"};

// Trunc(v + 0.5) of a Single, computed in extended precision as the dialogs round.
int32_t truncHalfUp(float v);
// Gives a field a new range; its value is clamped into it (a change the handler's guard takes).
void setNumRange(TNumMngr &num, long double lo, long double hi);
// "640 × 480 pixel": the current size beside "現在のサイズ".
QString currentSizeText(int32_t width, int32_t height);
// "ピクセル ( 320 × 480 px )": the pixel group's caption for a size in pixels.
QString pixelGroupCaption(float width, float height);

} // namespace sizedlg

class CImageSizeModel
{
  public:
    // Who raised a change: one of the four numbers, a unit list or the relative switch.
    enum class TSender : uint8_t
    {
        NumPixelW,
        NumPixelH,
        NumWidth,
        NumHeight,
        CmbWidth,
        CmbHeight,
        ChkRelation,
    };

    CImageSizeModel();
    CImageSizeModel(const CImageSizeModel &) = delete;
    CImageSizeModel &operator=(const CImageSizeModel &) = delete;

    // Starts from the current canvas, width x height pixels at dpi: both pixel fields show it,
    // both size fields 100 %, every range is filled.
    void setup(int32_t width, int32_t height, int32_t dpi);

    // Pixels, 8..10000 (less the current size with relative entry).
    TNumMngr NumPixelW;
    TNumMngr NumPixelH;
    // In the unit of its list.
    TNumMngr NumWidth;
    TNumMngr NumHeight;

    // The lists' units (utpercent, utinch, utcm or utmm); a change re-shows the side in it.
    TUnitType widthListUnit() const { return m_widthList; }
    TUnitType heightListUnit() const { return m_heightList; }
    void setWidthListUnit(TUnitType unit);
    void setHeightListUnit(TUnitType unit);
    // Relative entry: every field shows the difference from the current size.
    bool relation() const { return m_relation; }
    void setRelation(bool on);

    // The new size in whole pixels, as OK takes it.
    int32_t newWidth() const;
    int32_t newHeight() const;

    int32_t initWidth() const { return FInitW; }
    int32_t initHeight() const { return FInitH; }
    float width() const { return FWidth; }
    TUnitType widthUnit() const { return FWidthUnit; }
    float height() const { return FHeight; }
    TUnitType heightUnit() const { return FHeightUnit; }
    // The pixel group's caption, rewritten by every change.
    const QString &pixelCaption() const { return m_pixelCaption; }

    // After every change the handler made (the form rewrites the caption).
    std::function<void()> OnParamChange;

    // The one change handler. A change it raises itself (a value clamped by a new range) is
    // swallowed by its guard.
    void ParamChange(TSender Sender);

  private:
    struct SSide;
    SSide side(bool vertical);
    void setRanges(const SSide &s);
    float shown(const SSide &s) const;

    bool FParamChanging = false;
    int32_t FInitW = 8, FInitH = 8;
    float FWidth = 8, FHeight = 8;
    TUnitType FWidthUnit = utpixel, FHeightUnit = utpixel;
    int32_t FDPI = 72;
    TUnitType m_widthList = utpercent, m_heightList = utpercent;
    bool m_relation = false;
    QString m_pixelCaption;
};
