// Small fixtures of the undo tests: layers with known pixels, a profile with an undo limit, and
// objects that count their destruction.
#pragma once

#include "core/profile/app_profile.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace undo_test {

// The pixel a fixture layer holds at (x, y): every pixel differs, alpha included.
inline uint32_t patternPixel(int32_t x, int32_t y)
{
    return 0xFF000000u - uint32_t(y) * 0x01000000u + uint32_t(x) * 0x010203u +
           uint32_t(y) * 0x3050u;
}

// A visible layer of w x h filled with patternPixel.
inline std::unique_ptr<CLayerData> patternLayer(int32_t w, int32_t h, bool ownUndo = false)
{
    auto ld = std::make_unique<CLayerData>(0, ownUndo);
    if (!ld->createLayer(w, h, TLayerMode::LM_STD))
        return nullptr;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            ld->imageTC->setPixel(x, y, patternPixel(x, y));
    return ld;
}

// Every pixel of an image, row by row.
inline std::vector<uint32_t> pixelsOf(const CBlockVMTC &img)
{
    std::vector<uint32_t> v;
    v.reserve(size_t(img.width()) * size_t(img.height()));
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

// gAppProfile with the given undo limit for the lifetime of the guard.
class ScopedUndoMax
{
  public:
    explicit ScopedUndoMax(int32_t undoMax)
    {
        if (!gAppProfile) {
            initialiseAppProfile();
            m_made = true;
        }
        m_previous = gAppProfile->undoMax;
        gAppProfile->undoMax = undoMax;
    }
    ~ScopedUndoMax()
    {
        if (m_made)
            finaliseAppProfile();
        else
            gAppProfile->undoMax = m_previous;
    }
    ScopedUndoMax(const ScopedUndoMax &) = delete;
    ScopedUndoMax &operator=(const ScopedUndoMax &) = delete;

  private:
    bool m_made = false;
    int32_t m_previous = 0;
};

// How many counted objects were destroyed.
inline int &destroyedLayers()
{
    static int n = 0;
    return n;
}
inline int &destroyedMasks()
{
    static int n = 0;
    return n;
}

// A layer that counts its destruction.
class CountedLayer : public CLayerData
{
  public:
    CountedLayer() : CLayerData(0, false) {}
    ~CountedLayer() override { ++destroyedLayers(); }
};

// A mask image that counts its destruction: a mask holding one counts the mask's.
class CountedMaskImage : public CBlockVCH
{
  public:
    CountedMaskImage() : CBlockVCH(4, 4) {}
    ~CountedMaskImage() override { ++destroyedMasks(); }
};

} // namespace undo_test
