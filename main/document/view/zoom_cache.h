// The zoom caches of a document: eight reduced copies of the display image, cache i at the scale
// 2/3, 1/2, 1/3, 1/4, 1/6, 1/8, 1/12 or 1/16 (i = 0 to 7). Reduced and smooth views read the cache
// of their zoom 1:1 instead of resampling the display image, and the navigator reduces from the
// cache nearest its size. Every recomposed box refreshes them over that box only, each level from
// the level of twice its size; between refreshes they match the display image.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <cstdint>

class TMTC;
class TPaper;

// The scale of each cache.
extern const std::array<TFraction, 8> kZoomCacheScales;

// Cache i becomes trunc(w s(i)) x trunc(h s(i)) (no pixels when a side is 0).
void resizeZoomCache(TPaper &paper, int32_t w, int32_t h);
// Every cache filled with 0xFFFFFFFF.
void clearZoomCache(TPaper &paper);
// Refreshes every cache over the whole display image, over a box of it, or over a box of another
// source of the display image's size. Averages weigh the colours by alpha while the canvas colour
// is hidden; taps past an uneven edge take the view background colour.
void updateZoomCache(TPaper &paper);
void updateZoomCache(TPaper &paper, const sBox &srcBox);
void updateZoomCache(TPaper &paper, const sBox &srcBox, const TMTC &src);
// The cache whose scale equals the zoom (as reduced fractions) and that has pixels; -1 when none.
int32_t getUseZoomCacheIndex(const TPaper &paper);
bool chkZoomCache(const TPaper &paper);
bool NeedZoomCache(const TPaper &paper);
// Draws box of dst from the cache of the zoom at zoom 1, srcO (a display image position) scaled by
// the cache scale: by TMTC::BltRotationPart or BltReversePart with the canvas colour shown, else
// by bltRotationMix or bltReverseMix. False, nothing drawn, when no cache matches the zoom or the
// view is turned by an angle that is not a multiple of 90 degrees.
bool useZoomCache(TPaper &paper, TMTC &dst, const TMTC &src, float zoom, float rot,
                  const sBox &box, const sPos &srcO);
