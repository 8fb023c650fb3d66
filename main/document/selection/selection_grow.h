// Growing and shrinking a selection mask by a radius of 1 to 32 pixels: the grey-level dilation
// (maximum) or erosion (minimum) over an octagonal neighbourhood. The octagon of radius n holds
// the offsets (d, e) with |d| <= n and |e| <= octagonReach(n, d).
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TChannel;
class CMaskData;
class TPaper;

constexpr int32_t kSelectionGrowMax = 32;

// min(n, (n + 1) div 2 + n - |d|): the vertical reach of the octagon at horizontal offset d.
int32_t octagonReach(int32_t n, int32_t d);

// The extreme over the octagon of radius n (1..32) of every pixel of a w x h byte image (rows
// top-down, stride w); positions outside the image count as 0. grow takes the maximum, else the
// minimum. dst gets w x h bytes. Throws std::bad_alloc when its row buffers cannot be had.
void octagonExtreme(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n, bool grow,
                    std::span<uint8_t> dst);
// The same bytes by a window walk along each row over per-column extremes: the form the
// separable one replaced, kept as the reference of tests.
void octagonExtremeByRowWindow(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n,
                               bool grow, std::span<uint8_t> dst);

// The grown (or shrunk) image of a mask, ready to replace it: the channel and the view position
// it goes in at. False when the mask holds nothing non-zero, n is outside 1..32 or memory runs
// out.
struct SGrownMask
{
    std::unique_ptr<TChannel> channel;
    sPos viewPos;
};
bool makeGrownMask(const CMaskData &md, int32_t n, bool grow, SGrownMask &out);

// The commands: maskIndex < 0 means the current mask. The mask of layer index's document is
// replaced by its octagonal dilation (erosion) of radius n; variant is recorded and has no
// effect. With undo the event (codes 25 and 26) is recorded and the old mask kept for undo. The
// ants are rebuilt and the selection shown and enabled. Refused: n outside 1..32, an invalid
// layer or mask, a mask without selection.
bool growSelection(TPaper &paper, int32_t index, int32_t maskIndex, int32_t n, int32_t variant,
                   bool undo);
bool shrinkSelection(TPaper &paper, int32_t index, int32_t maskIndex, int32_t n, int32_t variant,
                     bool undo);
