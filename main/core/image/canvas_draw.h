// The pen-tip canvas: the canvas area under a brush tip, captured for the smudge-type brushes.
// (The drawing and resampling operations of TMTC are declared with the class in canvas.h.)
#pragma once

#include "core/image/canvas.h"

// A TMTC holding the area of another canvas around a tip centre, edges repeated where the area
// reaches beyond that canvas. Reused from dab to dab: init reallocates only when the tip size
// changes.
class CPenTC : public TMTC
{
  public:
    CPenTC() = default;

    // Zeroes iszR, fszR and center (imgBox and fracOfs stay).
    void clear();
    // Tip of radius r at (x, y): half-size ceil(r) + 3, area around trunc(x), trunc(y); then
    // capture(tc). False when the radius is not usable or the image cannot be made.
    bool init(const TMTC &tc, float x, float y, float r);
    // Resizes to imgBox and copies tc's pixels under it, repeating tc's nearest edge pixel where
    // imgBox reaches beyond tc.
    bool capture(const TMTC &tc);
    // Offset inside the tip image of a smaller tip of radius r with the same centre; false when
    // it does not fit.
    bool getOffset(sSize &ofs, float r) const;
    // The same for a 16.16 size.
    bool getOffset(sSize &ofs, const sFXSize &fsz) const;

    sBox imgBox;   // the canvas area copied, in canvas coordinates
    sFPos center;  // the tip centre
    sSize iszR;    // integer half-size of the tip image
    sFSize fszR;   // the radius as given
    sFPos fracOfs; // fractional part of the centre
};
