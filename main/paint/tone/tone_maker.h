// Screentones: the dot shapes, the tone's parameters (SToneAttr, stored in tone set files and
// events) and CToneMaker, which turns a pitch, an angle, a dot shape, a density and an edge band
// into an 8-bit tile from which the tone of any pixel of the plane is read.
//
// The screen is a square grid of cells of pitch d pixels turned by the angle. The angle is fitted
// so that n cells make a "super-cell" whose side vector (A, B) is whole pixels; the tile holds one
// super-cell, (A + B) x max(A, B) pixels, and every pixel of the plane folds into it. Each tile
// pixel gets a threshold from the dot shape at its place in its cell; a density of p percent
// inks the pixels whose threshold ranks in the lowest p percent (with a soft edge of `band`
// percentage steps).
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TChannel;

// Dot shapes; stored as an Integer in files and events. The numbers never change.
enum eTonePatType : int32_t
{
    tptRound = 0,     // circular dots that become circular holes past the cell diagonal
    tptSimpleDot = 1, // circular dots
    tptCosDot = 2,    // (cos(pi U) + cos(pi V)) / 2
    tptLine = 3,      // lines along the rotated x axis
    tptLineX = 4,     // a ramp along the rotated x axis
    tptLineY = 5,     // a ramp along the rotated y axis
    tptSquare = 6,
    tptCross = 7,
    tptDiamond = 8,
    tptRhomboid = 9,
    tptMaxNum = 10,
};

// The shape's display name; "???" for a value outside the enumeration.
QString getTonePatTypeName(int32_t type);
// A stored shape number as a shape: above 9 is 9, below 0 is 0.
eTonePatType tonePatTypeOf(int32_t value);

// A screentone's parameters. The pitch in pixels is dpi / line.
struct SToneAttr
{
    int32_t pattern = tptRound; // an eTonePatType
    float dpi = 0;              // resolution, dots per inch
    float line = 0;             // screen ruling, lines per inch
    float percent = 0;          // density 0..100
    float degree = 0;           // screen angle in degrees
    int32_t band = 0;           // width of the soft edge in percentage steps; 0 = hard
    bool genName = true;        // the name is generated from the parameters
    QString name;
    friend bool operator==(const SToneAttr &, const SToneAttr &) = default;
};

// Everything 0, an empty name, genName true.
void initToneAttr(SToneAttr &attr);
// Whether a tone can be built from the attribute at all: dpi and line finite and above 0, the
// density and the angle finite. Attributes from files and events are checked with this.
bool isToneAttrUsable(const SToneAttr &attr);

// One whole percentage of the threshold map.
struct SToneMapEntry
{
    int32_t percent = 0;
    float value = 0;  // the threshold at the rank of this percentage
    int32_t num = 0;  // tile pixels with this threshold
    int32_t back = 0; // neighbouring percentages below with the same threshold
    int32_t fwd = 0;  // neighbouring percentages above with the same threshold
};

class CToneMaker
{
  public:
    // Pattern tptRound, no tile.
    CToneMaker();
    ~CToneMaker();
    CToneMaker(const CToneMaker &) = delete;
    CToneMaker &operator=(const CToneMaker &) = delete;

    // Fits the geometry when the pitch _d (pixels) or the angle deg (degrees) differs from the
    // last request, rebuilds the threshold map when the geometry or the shape changed, and always
    // rewrites the tile for the density per (clamped to 0..100) and the band ba. False, with the
    // maker unchanged, when the fitted pitch lies outside 3..128, the angle outside 0..90 degrees
    // leaves the super-cell's side vector outside the first quadrant, a value is not finite, or the
    // tile cannot be had.
    bool buildTone(int32_t pat, float _d, float deg, float per, int32_t ba);
    // The tone at pixel (x, y) of the plane: 255 full ink, 0 none (0 before the first build).
    uint32_t getTone(int32_t x, int32_t y) const;
    // Every pixel (x, y) of ch := getTone(dx + x, dy + y). True.
    bool fill(TChannel &ch, int32_t dx, int32_t dy) const;

    bool hasTile() const;
    const TChannel *tile() const { return tileCH.get(); }

    // The geometry in force (after fitting).
    float d = 0;      // pitch in pixels
    float degree = 0; // requested angle
    float radian = 0; // fitted angle
    float sn = 0;     // sine and cosine of the fitted angle
    float cn = 1;
    float fa = 0; // pitch x sine, pitch x cosine
    float fb = 0;
    sFPos cp;      // centre of the first cell
    float U = 0;   // side of the super-cell (n cells)
    int32_t A = 0; // the super-cell side vector in whole pixels
    int32_t B = 0;
    int32_t n = 0;     // cells per super-cell side
    float k = 0;       // row offset of the tile
    float trueDeg = 0; // fitted angle in degrees
    eTonePatType patType = tptRound;
    float percent = 0;
    int32_t band = 0;
    std::array<SToneMapEntry, 101> mapTbl{};
    float limitL = 0; // the threshold window in force
    float limitR = 0;
    float range = 0;

  private:
    struct SGeometry;
    static bool fitGeometry(float reqD, float deg, SGeometry &g);
    void applyGeometry(const SGeometry &g);
    void buildThresholdMap();
    void buildPercentTable();
    void writeTile();

    std::unique_ptr<TChannel> tileCH; // (A + B) x max(A, B)
    std::vector<float> valAry;        // normalised threshold of every tile pixel, row by row
    std::vector<uint32_t> sortKeys;   // the thresholds' sort keys, and the sort's work buffer:
    std::vector<uint32_t> sortWork;   // kept, since a new tone sorts a tile of the same size
    float reqD = 0;                   // the pitch last requested (the cache key)
    bool hasGeometry = false;
    bool mapValid = false;
    eTonePatType mapType = tptRound; // the shape the map was built for
};
