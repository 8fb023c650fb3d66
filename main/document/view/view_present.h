// Presenting a document in its window: the display image copied for whole zooms, scaled, rotated
// or mirrored through the window-sized rotation image, and with the canvas colour hidden put over
// a checker board or white through the window-sized mixed image. The window's screen surface
// (IPaperOwner::viewSurface) is the "device context" every path paints into; each painted
// rectangle is reported to the owner (surfacePainted).
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

class IPaperOwner;
class TMTC;
class TPaper;
union sBGRA;

// The checker board under transparent pixels: 8 x 8 cells, kCheckerEven where (x div 8 + y div 8)
// is even, counted from the phase; without the checker, plain white.
constexpr uint32_t kCheckerEven = 0xFFC8C8C8;
constexpr uint32_t kCheckerOdd = 0xFFE0E0E0;
constexpr uint32_t kPlainViewBack = 0xFFFFFFFF;
constexpr int32_t kCheckerCell = 8;

// The colour of the view outside the paper: the owner's, or gViewBackColor without an owner.
uint32_t viewBackColor(const TPaper &paper);

// ---- painting a part of the window

// Only when wnd is the document's owner: the brush outline erased, r clipped to the paper and
// painted by the view kind; afterwards (also after an exception) the grid when it is shown.
void updateViewPart(TPaper &paper, const IPaperOwner *wnd, const sRect &r);
void updateViewPart(TPaper &paper, const IPaperOwner *wnd, int32_t left, int32_t top,
                    int32_t right, int32_t bottom);
// Whole zooms: the box of src copied (1/1) or stretched into dst at its view position.
void updateViewSTD(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box);
// Any zoom, canvas colour hidden: the box of vramTC stretched into viewTC at its view position,
// the paper part of it put over the background, then copied into dst when there is one. False
// when nothing could be stretched.
bool updateViewMixSTD(TPaper &paper, TMTC *dst, TMTC &viewTC, const TMTC &vramTC,
                      const sBox &box);
// True at once with the canvas colour shown; otherwise the mixed image sized to the client area
// (filled with the view background when it was resized).
bool prepareMixView(TPaper &paper);
// Every pixel of r that is not opaque put over the checker board (phase at phase) or white; false,
// nothing done, with the canvas colour shown.
bool mixViewBackground(const TPaper &paper, TMTC &tc, sRect r, const sPos &phase);
// One pixel that is not opaque put over white or, with pattern, the checker cell of (x, y).
void mixCheckerPixel(sBGRA *pixel, int32_t x, int32_t y, bool pattern);

// ---- rotated and mirrored views

// The window square covering box after rotation rendered into the rotation image from src and
// copied into dst (when there is one).
void updateViewROT(TPaper &paper, TMTC *dst, const TMTC &src, const sBox &box);
void updateViewREV(TPaper &paper, TMTC *dst, const TMTC &src, const sBox &box);
// Renders the whole view into the rotation image (turned or scaled views) or the mixed image
// (simple views with the canvas colour hidden).
void makeRotVRAM2(TPaper &paper);
// With mk makeRotVRAM2 first; then the window painted at once during event playback, else
// invalidated.
void UpdateView(TPaper &paper, IPaperOwner *handle, bool mk);
void UpdateView(TPaper &paper);
// The whole view into dc (nothing for nullptr).
void blitVRAM(TPaper &paper, TMTC *dc);
void invalidateView(TPaper &paper, bool clr);

// ---- renderers (box of dst; srcO the source point at the middle of dst)

// Area-averaged: from the cache of the zoom when useZoomCache draws it; else from the cache at
// zoom 1 when the zoom is a cache scale; else from src. ocol outside the source.
void stretchZoomRot2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                     float rot, const sBox &bx, const sPos &srcO);
void stretchZoomRotRev2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                        float rot, const sBox &bx, const sPos &srcO);
// The same over the checker board.
void stretchZoomRotMix2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                        float rot, const sBox &bx, const sPos &srcO);
void stretchZoomRotRevMix2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                           float rot, const sBox &bx, const sPos &srcO);
// Nearest neighbour at the document's zoom and angle, each pixel put over the checker board at
// its own position; outside the source the view background.
void bltRotationMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box, const sPos &srcO);
void bltReverseMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box, const sPos &srcO);
// Area-averaged variants: each pixel the mean of the source square of side 1 / zoom (1 when the
// zoom is a cache scale) its centre maps to.
void bltRotationSmoothMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box,
                          const sPos &srcO);
void bltReverseSmoothMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box,
                         const sPos &srcO);
