// The per-pixel loops of the version-5 dab: for every pixel a dab touches they work out how much
// of the pixel the nib covers and how far the pixel lies from the dab centre, turn both into an
// alpha through the nib's fall-off table, and hand the pixel to the stroke context
// (gCanvasPutAt for 32-bit images, gChannelPutAt for 8-bit channels) with the alpha
// Round(alpha × pres), which may be 0 for faint edge pixels. They write nothing themselves.
//
// Four rasterisers, each for a canvas and for a channel: rows and columns (standard nibs; the
// footprint's chords run along rows or columns), small dabs (tested point by point) and image
// nibs (read from the nib's alpha map). Coverage is counted on six sub-rows (or sub-columns) per
// pixel from span lengths; the saturated core of a dab is filled without lookups.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CGradeMapObj5;
class CPenBitmapShape5;
class TChannel;
class TMTC;

// The footprint of a standard nib: half lengths A (horizontal) and B (vertical) and the shear s
// of the chords. Rows: each horizontal chord's middle lies s × (its y − centre y) to the side of
// the centre, A is the half width of the chord through the centre and B the half height. Columns
// (cols): each vertical chord's middle lies s × (its x − centre x) off the centre, A is the half
// width and B the half height of the chord through the centre. Pixels.
struct SDabFootprint5
{
    float A = 0, B = 0, s = 0;
    bool cols = false;
};

// D[i][j] = sqrt(i² + j²) / 512: the elliptic distance (1.0 on the rim) of two axis distances,
// each scaled so that the footprint's half axis is 512.
inline constexpr int kDistanceTableSide = 513;
using ADistanceTable = std::array<std::array<float, kDistanceTableSide>, kDistanceTableSide>;
std::unique_ptr<ADistanceTable> makeDistanceTable();

// The fall-off alpha of every pair of distance-table indexes, getAlpha(D[i][j]) (0..255), for
// one fall-off table: two table reads and a rounding per pixel become one byte read. Rows are
// filled when first read. The cache follows the map it was last prepared for: prepare() empties
// it when that map's parameters or size differ from those it was filled with (its table is a
// function of both), and answers false when the map cannot be cached (no table, or an entry
// outside 0..255), in which case the caller reads the map itself.
class CDabAlphaCache5
{
  public:
    bool prepare(const CGradeMapObj5 &map, const ADistanceTable &distance);
    // Row j (the across index): getAlpha(D[i][j]) for i = 0..512. After a successful prepare.
    const uint8_t *row(size_t j)
    {
        if (!m_filled[j])
            fill(j);
        return &m_alpha[j * kDistanceTableSide];
    }

  private:
    void fill(size_t j);

    const CGradeMapObj5 *m_map = nullptr;
    const ADistanceTable *m_distance = nullptr;
    int32_t m_maxIndex = -1, m_mapType = -1, m_flatRate = 0, m_addRate = 0;
    bool m_usable = false;
    std::vector<uint8_t> m_alpha;
    std::vector<uint8_t> m_filled;
};

// One dab of a standard nib. x, y: the dab position in image pixels (its centre is taken at
// (x + 0.5, y + 0.5)); pres the opacity factor; color the colour (or channel value) put.
struct SDabRaster5
{
    float x = 0, y = 0;
    float pres = 1;
    uint32_t color = 0;
    bool antiOff = false;
    SDabFootprint5 fp;
    const CGradeMapObj5 *map = nullptr;       // required
    const ADistanceTable *distance = nullptr; // required
    // Optional: with a cache the chord rasterisers take their fast path (the same pixels); without
    // one they read map and distance pixel by pixel, as the reference the fast path is tested
    // against.
    CDabAlphaCache5 *alphas = nullptr;
};

// Rows and columns: nothing for an empty clipped rectangle.
void rasterDabRows5(TMTC &tc, const SDabRaster5 &dab);
void rasterDabRows5(TChannel &ch, const SDabRaster5 &dab);
void rasterDabColumns5(TMTC &tc, const SDabRaster5 &dab);
void rasterDabColumns5(TChannel &ch, const SDabRaster5 &dab);
// Small dabs: 6 × 6 point samples per pixel; the footprint is read as a row footprint (chords
// shifting with y) whatever its cols flag says. Nothing when A or B is 0.
void rasterDabSmall5(TMTC &tc, const SDabRaster5 &dab);
void rasterDabSmall5(TChannel &ch, const SDabRaster5 &dab);

// One dab of an image nib over rect (already clipped to the target): for each pixel the map
// value v of its centre relative to (x, y) taken as a pixel corner; when v is not 0 the 16.16
// product h of v × 255 (255 × 65536 with anti-aliasing off) and pres is put as h >> 16 when it is
// at least 1.
struct SImageDab5
{
    float x = 0, y = 0;
    float pres = 1;
    uint32_t color = 0;
    bool antiOff = false;
    sRect rect;
    const CPenBitmapShape5 *shape = nullptr; // required
};
void rasterDabImage5(TMTC &tc, const SImageDab5 &dab);
void rasterDabImage5(TChannel &ch, const SImageDab5 &dab);
