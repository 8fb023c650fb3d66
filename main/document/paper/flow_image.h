// The work image of a document window: a plain 32-bit copy of one layer's tiled image and an
// 8-bit coverage channel of the same size. Strokes and most pixel operations paint into it
// instead of the tiled layer; at the end of an operation its pixels go back into the layer.
// Pixel (x, y) of the image is pixel (x, y) of the layer image; the image is at least as large as
// the largest layer image. The coverage channel is all zero between operations.
//
// Each document window makes one for its document, right after the document, and keeps it for
// its whole life.
#pragma once

#include "core/base/geometry.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/stroke/stroke_host.h"

#include <cstdint>
#include <memory>

class CBlockVMTC;
class TPaper;

enum class eFlowImageType : uint8_t
{
    fitEmpty,       // nothing valid
    fitActiveLayer, // a copy of layer m_layerIdx
};

class TFlowImage : public IStrokeFlow
{
  public:
    // Empty image and channel, no layer, fitEmpty. paper is borrowed.
    explicit TFlowImage(TPaper *paper);
    ~TFlowImage() override;
    TFlowImage(const TFlowImage &) = delete;
    TFlowImage &operator=(const TFlowImage &) = delete;

    // Loads layer idx, whose image is blk. The image grows (never shrinks) to hold blk; it is
    // (re)loaded when it grew, with force, for another layer or when it held nothing valid, and
    // then the answer is true. In every case that does not fail, viewPos and viewSize follow the
    // layer and the paper and the document's stroke is told its drawing layer. When the image
    // cannot grow the answer is false and nothing changes.
    bool SetFlow(int32_t idx, CBlockVMTC &blk, bool force);
    // Fits the image to the largest layer image of the document, or to the paper when it has no
    // layers (never smaller than now unless shrink): a new image of 0x00FFFFFF, the channel
    // cleared, fitEmpty, viewPos (0, 0), viewSize the paper size; true. False, nothing changed,
    // without layers and paper, when the size is already right or when the new image cannot be
    // made.
    bool changeSize(bool shrink);
    // Clears the coverage channel.
    void clearAlpha();

    TPaper *paper() const { return m_paper; }
    TMTC &image() { return *m_image; }
    const TMTC &image() const { return *m_image; }
    TChannel &alpha() { return *m_alpha; }
    const TChannel &alpha() const { return *m_alpha; }
    int32_t layerIdx() const { return m_layerIdx; }
    eFlowImageType imageType() const { return m_imageType; }

    // ---- IStrokeFlow
    TMTC &flowImage() override { return *m_image; }
    TChannel *flowAlpha() override { return m_alpha.get(); }
    sPos flowViewPos() const override { return viewPos; }

    sPos viewPos;
    sSize viewSize;

  private:
    // A new image and channel of size sz, the image filled with 0x00FFFFFF, the channel with 0;
    // false when either cannot be had.
    static bool makeBuffers(const sSize &sz, std::unique_ptr<TMTC> &img,
                            std::unique_ptr<TChannel> &ch);
    sSize paperSize() const;

    TPaper *m_paper;
    std::unique_ptr<TMTC> m_image;
    std::unique_ptr<TChannel> m_alpha;
    int32_t m_layerIdx = -1;
    eFlowImageType m_imageType = eFlowImageType::fitEmpty;
};
