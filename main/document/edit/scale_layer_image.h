// The area-average resampler between two layer images (neither owned): the zooms of one layer and
// the resolution change read and write tiled images through it.
#pragma once

#include "core/scale/scale_image.h"

#include <vector>

class CBlockVMTC;

class CScaleLayerImage : public CScaleImage
{
  public:
    // Source and destination sizes are the two images' sizes.
    CScaleLayerImage(const CBlockVMTC *src, CBlockVMTC *dst);

    // False when a destination block could not be committed during the last scale.
    bool allStored() const { return !m_failed; }

    const CBlockVMTC *srcImg;
    CBlockVMTC *dstImg;

  protected:
    // The walk reads a run of pixels to the right of the address it is given; a block holds only
    // 32 of them, so the run is gathered into a buffer of this object (without committing the
    // source's blocks).
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    // The destination pixel, its block committed; once a block could not be had, the rest of the
    // walk writes into a spare pixel.
    uint8_t *seekDst(int32_t x, int32_t y) override;

  private:
    std::vector<uint32_t> m_run;
    uint32_t m_spare = 0;
    bool m_failed = false;
};
