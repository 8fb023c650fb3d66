// The colour that pickers, cells and the colour dialog exchange: one colour held as RGB, HSV and
// HSL at once (three Singles each) with the space the user works in, and TColorManager, which
// keeps the three consistent whichever of them is written.
//
// Hues are radians: rgbToHSVSingle gives -pi..pi, pickers write 0..2pi. S, V, L and the RGB
// channels are 0..1.
#pragma once

#include "ui/base/app_hooks.h"
#include "ui/graphics/colour32.h"

#include <QObject>

#include <cstdint>

// The first letter is what a picker puts on its slider, the second and third the horizontal and
// vertical axes of its field. The model itself only tells the three families apart.
enum TColorPickerSpace : uint8_t
{
    cpRGB = 0,
    cpGRB = 1,
    cpBRG = 2,
    cpHSV = 3,
    cpSHV = 4,
    cpVHS = 5,
    cpHSL = 6,
    cpSHL = 7,
    cpLHS = 8,
};
constexpr int kColorPickerSpaceCount = 9;

// A set of spaces: bit n stands for space n.
using TColorPickerSpaces = uint16_t;
constexpr TColorPickerSpaces kAllColorPickerSpaces = 511;
constexpr TColorPickerSpaces spaceBit(TColorPickerSpace s)
{
    return TColorPickerSpaces(1u << s);
}
constexpr bool spaceIn(TColorPickerSpace s, TColorPickerSpaces set)
{
    return s < kColorPickerSpaceCount && (set & spaceBit(s)) != 0;
}

enum TColorPickerFamily : uint8_t
{
    cfRGB,
    cfHSV,
    cfHSL,
};
constexpr TColorPickerFamily spaceFamily(TColorPickerSpace s)
{
    return s <= cpBRG ? cfRGB : s <= cpVHS ? cfHSV : cfHSL;
}

#pragma pack(push, 1)
struct TRGBSingle
{
    float r = 0, g = 0, b = 0;
};
struct THSVSingle
{
    float h = 0, s = 0, v = 0;
};
struct THSLSingle
{
    float h = 0, s = 0, l = 0;
};
struct TColorPickerValue
{
    TColorPickerSpace space = cpRGB;
    TRGBSingle rgb;
    THSVSingle hsv;
    THSLSingle hsl;
};
#pragma pack(pop)
static_assert(sizeof(TColorPickerValue) == 37);

// The family's triple of a value in its fixed order: (r, g, b), (h, s, v) or (h, s, l).
void familyComponents(const TColorPickerValue &Value, TColorPickerFamily Family, float C[3]);

class TColorManager : public QObject
{
  public:
    explicit TColorManager(QObject *owner = nullptr);
    ~TColorManager() override;

    TColorPickerSpace ColorSpace() const { return FSpace; }
    TRGBSingle RGB() const { return FRGB; }
    THSVSingle HSV() const { return FHSV; }
    THSLSingle HSL() const { return FHSL; }
    // Each write stores the triple when any component differs, recomputes the other two through
    // RGB (an HSV or HSL write copies its hue into the other hue triple) and notifies.
    void setRGB(const TRGBSingle &Value);
    void setHSV(const THSVSingle &Value);
    void setHSL(const THSLSingle &Value);
    // By the family of AType the components are (r, g, b), (h, s, v) or (h, s, l), whatever
    // the order of the space's name; the stored space stays.
    void SetValues(float AC0, float AC1, float AC2, TColorPickerSpace AType);

    TColorPickerValue Colors() const;
    // Stored unconverted and without notification: the space alone when only it differs.
    void setColors(const TColorPickerValue &Value);

    // Red, green and blue bytes of the colour; the alpha byte means nothing.
    TColor32 Color32() const;
    void setColor32(TColor32 C);

    TNotifyEvent OnChange;

  private:
    void Change();

    TColorPickerSpace FSpace = cpRGB;
    TRGBSingle FRGB;
    THSVSingle FHSV;
    THSLSingle FHSL;
};

// 0: spaces and all nine Singles equal; 1: only the spaces differ; 2: a Single differs.
int compareColorPickerValues(const TColorPickerValue &A, const TColorPickerValue &B);
// A channel 0..1 as a byte: Trunc(c * 255 + 0.5) of c clamped into 0..1.
uint8_t colourChannelByte(float c);
TColor32 colorPickerValueToColor32(const TColorPickerValue &Value, uint8_t Alpha);
void color32ToColorPickerValue(TColor32 Color, TColorPickerValue &Value);
void rgbToColorPickerValue(const TRGBSingle &RGB, TColorPickerValue &Value);
// Runs the colour picker dialog on Value; on confirmation writes the chosen colour back. False
// when cancelled (Value unchanged).
bool executeColorPickerDialog(TColorPickerValue &Value);
