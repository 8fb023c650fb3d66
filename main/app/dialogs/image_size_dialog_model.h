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

// The four size fields both size dialogs show, the units of their lists and the size each side
// stores. A list's new unit goes to the dialog's own change handler through listUnitChanged.
class CSizeFields
{
  public:
    CSizeFields(const CSizeFields &) = delete;
    CSizeFields &operator=(const CSizeFields &) = delete;

    // Pixels, 8..10000.
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

    int32_t initWidth() const { return FInitW; }
    int32_t initHeight() const { return FInitH; }
    float width() const { return FWidth; }
    TUnitType widthUnit() const { return FWidthUnit; }
    float height() const { return FHeight; }
    TUnitType heightUnit() const { return FHeightUnit; }

  protected:
    CSizeFields();
    ~CSizeFields() = default;
    // Both sides start as width x height pixels.
    void startFrom(int32_t width, int32_t height);
    // A stored side in whole pixels at dpi.
    int32_t wholePixels(bool vertical, float dpi) const;
    virtual void listUnitChanged(bool vertical) = 0;

    int32_t FInitW = 8, FInitH = 8;
    float FWidth = 8, FHeight = 8;
    TUnitType FWidthUnit = utpixel, FHeightUnit = utpixel;
    TUnitType m_widthList = utpercent, m_heightList = utpercent;
};

// Loads a field with a range and a value without raising a change; steps by 1.
void initNum(TNumMngr &num, float value, float lo, float hi);

} // namespace sizedlg

class CImageSizeModel final : public sizedlg::CSizeFields
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

    // The pixel fields' ranges shrink by the current size with relative entry.
    // Relative entry: every field shows the difference from the current size.
    bool relation() const { return m_relation; }
    void setRelation(bool on);

    // The new size in whole pixels, as OK takes it.
    int32_t newWidth() const;
    int32_t newHeight() const;

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

    void listUnitChanged(bool vertical) override;

    bool FParamChanging = false;
    int32_t FDPI = 72;
    bool m_relation = false;
    QString m_pixelCaption;
};
