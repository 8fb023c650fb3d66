// A headless document for the free transform: a paper with plain layers, content painted into
// the active layer, a selection set straight into the current mask, and scripted pointer drags
// through the document's driving (window coordinates, keys held through platform/keys).
#pragma once

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/stroke/paper_stroke.h"
#include "document/transform/select_transform.h"
#include "document/transform/transform_driving.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"
#include "support/paper_fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <random>

namespace transform_rig {

// Sizes the paper with `layers` plain layers at the newest paint level (document-wide undo).
inline bool startPaper(TPaper &paper, sSize size, int32_t layers = 1)
{
    return setupHeadlessPaper(paper, size, 0xFFFFFF, layers) && startPaintModeQZ5(paper);
}

// An opaque pixel whose colour tells its place.
inline uint32_t patternAt(int32_t x, int32_t y, uint32_t seed = 0)
{
    const uint32_t h = (uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u) ^ (seed * 83492791u);
    return 0xFF000000u | (h & 0x00FFFFFFu);
}

// Fills the rectangle of layer idx (layer coordinates) with the place pattern.
inline void paintPattern(TPaper &paper, int32_t idx, const sRect &r, uint32_t seed = 0)
{
    CBlockVMTC &img = *paper.getLayerData(idx)->imageTC;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x = r.x0; x < r.x1; ++x)
            img.setPixel(x, y, patternAt(x, y, seed));
}

// The current mask becomes a w x h image at viewPos holding value inside r (mask coordinates).
inline void selectRect(TPaper &paper, const sRect &r, uint8_t value = 255, sSize size = {},
                       sPos viewPos = {})
{
    CMaskData &md = *paper.getActiveMaskData();
    if (size.x == 0)
        size = paper.m_paperSize;
    ASSERT_TRUE(md.createMask(size.x, size.y));
    md.viewPos = viewPos;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x = r.x0; x < r.x1; ++x)
            md.maskTC->setPixel(x, y, value);
    paper.bEnbMask = paper.bVisMask = true;
}

// Keys held for the lifetime of the guard.
class ScopedKeys
{
  public:
    ScopedKeys(bool shift, bool ctrl, bool alt)
    {
        resetKeyState();
        setKeyDown(VK_SHIFT, shift);
        setKeyDown(VK_CONTROL, ctrl);
        setKeyDown(VK_MENU, alt);
    }
    ~ScopedKeys() { resetKeyState(); }
    ScopedKeys(const ScopedKeys &) = delete;
    ScopedKeys &operator=(const ScopedKeys &) = delete;
};

// The window point showing a document point (rounded).
inline sPos windowOf(const TPaper &paper, const sFPos &p)
{
    const sFPos w = convToViewPos(paper, p);
    return {int32_t(std::nearbyint(w.x)), int32_t(std::nearbyint(w.y))};
}

// A press at the window point, moves by the steps (window pixels) and the release.
inline void drag(TPaper &paper, sPos from, std::initializer_list<sPos> steps,
                 bool shift = false, bool ctrl = false, bool alt = false)
{
    const ScopedKeys keys(shift, ctrl, alt);
    doTransformDragStart(paper, from);
    for (const sPos &s : steps) {
        from = {from.x + s.x, from.y + s.y};
        doTransformDrag(paper, from, s.x, s.y);
    }
    doTransformDragEnd(paper);
}

// Drags the view marker m by a document displacement (one step).
inline void dragMarker(TPaper &paper, int32_t m, sFPos d, bool shift = false, bool ctrl = false,
                       bool alt = false)
{
    const TSelectTransform &t = *paper.FFreeTransformer;
    const float z = paper.GetZoomScale();
    const sPos from = windowOf(paper, t.FViewPoints[size_t(m)]);
    drag(paper, from, {sPos{int32_t(std::nearbyint(d.x * z)), int32_t(std::nearbyint(d.y * z))}},
         shift, ctrl, alt);
}

inline ::testing::AssertionResult near(const sFPos &a, const sFPos &b, float tol = 1e-3f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << a.x << ", " << a.y << ") vs (" << b.x << ", " << b.y << ")";
}

// Every pixel of a layer image.
inline std::vector<uint32_t> pixelsOf(const CBlockVMTC &img)
{
    std::vector<uint32_t> v;
    v.reserve(size_t(img.width()) * size_t(img.height()));
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

inline std::vector<uint8_t> bytesOf(const CBlockVCH &img)
{
    std::vector<uint8_t> v;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

} // namespace transform_rig
