// Brush pictures drawn into a memory graphic: the fall-off profile, the nib preview and the
// brush's icon.
#pragma once

#include "paint/brush/paint_param.h"
#include "paint/brush/shape_image_param.h"
#include "ui/graphics/memory_graphic.h"

#include <vector>

// Rows of the 4 x 4 sub-cell grid of each sub-column of a W-pixel-wide, H-pixel-high profile:
// entry i is how many of the 4H sub-cells of sub-column i are set, counted from the bottom.
std::vector<int32_t> airMapProfileColumns(int32_t W, int32_t H, TPaintAirMap airMap, float flat,
                                          float add);
// The fall-off curve mirrored about the middle of rect, full in the middle: each pixel's colour
// moves toward colour by its share of set sub-cells, alpha 255. False when rect is empty or not
// wholly inside the graphic.
bool drawAirMapProfile(TMemoryGraphic &graphic, const sRect &rect, TPaintAirMap airMap, float flat,
                       float add, TColor32 colour);

// The nib preview centred in the graphic (cleared to its background first): heavy for the dense
// part, light for the rest (outside MinRadius), with gradient the fall-off profile, at scale.
bool drawBrushShape(TMemoryGraphic &graphic, const TShapeImageParam &p, TColor32 heavy,
                    TColor32 light, bool gradient, float scale);

// drawBrushShape with the brush's own nib.
bool DrawShape(const TPaintParam &param, TMemoryGraphic &graphic, TColor32 heavy, TColor32 light,
               bool gradient, float scale);
// The brush's icon scaled into rect; the rectangle's alpha becomes that of the graphic's
// background colour.
bool DrawIcon(const TPaintParam &param, TMemoryGraphic &graphic, const sRect &rect);
