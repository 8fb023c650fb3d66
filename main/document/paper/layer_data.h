// One layer of a document: a tiled 32-bit image with a small preview, its place on the paper
// (the view position: paper point (x, y) is image pixel (x + viewPos.x, y + viewPos.y)), its blend
// mode, opacity, visibility, group level, link group, clipping flag and dither setting. The
// image may be larger than the paper (an extended layer); viewSize stays the paper size.
//
// Layers live in the document's layer list (CLayerMngr), which owns them. Every layer has a
// process-wide unique identifier that survives moves: undo records and event packets find layers
// by it.
#pragma once

#include "core/base/geometry.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/layer_composite.h"

#include <QString>

#include <cstdint>
#include <memory>

class CUndoMngr;
class TMTC;

// The edge of the layer thumbnails in the layer list: installed by the list view whenever its item
// size changes; 25 until then. Returns the previous value.
int32_t setLayerPreviewMax(int32_t edge);
int32_t getLayerPreviewMax();

// The process-wide identifier counter: each new layer increments it and takes the result, so no
// layer has the identifier 0. Sets the counter (tests) and returns the previous value.
int32_t resetLayerUniqueID(int32_t counter);

class CLayerData : public ILayerBlendAttr, public IMaskLayer
{
  public:
    // index idx, the next unique identifier, invisible, not protected, opacity 255, mode value 0,
    // group level 0, dithering off with density 255 and its random state seeded from the
    // millisecond clock over 0..255; no image or preview yet. With undo the layer keeps its own
    // history (level-1 documents): 8 undo and 8 redo steps.
    CLayerData(int32_t idx, bool undo);
    ~CLayerData() override;
    CLayerData(const CLayerData &) = delete;
    CLayerData &operator=(const CLayerData &) = delete;

    // Invisible; frees the image and the preview; clears the own history.
    void destroyLayer();
    // A new w x h image of the mode's background colour, view position (0, 0), view size (w, h),
    // visible, not protected, opacity 255, mode lm, a new preview, not clipped. False, the layer
    // as it was, when the image cannot be made.
    bool createLayer(int32_t w, int32_t h, TLayerMode lm);
    // A layer of ld's image size and mode, then copy(ld).
    bool createLayer(const CLayerData &ld);
    // A new layer (same index) with an image of size and this mode, its view position this one's
    // plus pos, its view size this one's, and this whole image copied in at pos. nullptr when it
    // cannot be made. Only the mode is taken over.
    std::unique_ptr<CLayerData> createResizeLayer(const sSize &size, const sPos &pos) const;
    // Installs another image and hands back the previous one.
    std::unique_ptr<CBlockVMTC> replaceImage(std::unique_ptr<CBlockVMTC> tc);
    // The whole image to the mode's clear colour.
    bool clearImage();
    // The alpha of every pixel := cc.
    bool fillAlpha(uint8_t cc);
    // Inverts every pixel's alpha.
    bool notAlpha();

    // ---- preview
    // Both sides at most the layer list's preview edge.
    bool resizePreview();
    // Keeps the aspect of viewSize inside w x h (each side at least 1; a zero view size gives
    // 1 x 1) and fills the preview with 0x00FFFFFF. False when it cannot be resized.
    bool resizePreview(int32_t w, int32_t h);
    // The paper area of the image reduced into the whole preview.
    void updatePreview();
    // The preview filled with the mode's background colour, alpha 0 with tp, else 255.
    void initPreview(bool tp);

    // ---- position
    // 0 <= viewPos <= image size - viewSize on both axes; with correct the position is clamped
    // into those ranges.
    bool checkViewPos(bool correct);
    // Moves the content by ofs (viewPos -= ofs), refreshes the preview; answers
    // checkViewPos(false) and keeps the moved position either way.
    bool moveParallel(const sPos &ofs);
    // The image is wider or taller than the paper.
    bool hasExtendSize() const;
    // The image rectangle in paper coordinates.
    void getLayerRect(sRect &r) const;
    sRect getLayerRect() const;

    // ---- attributes
    // Title, visibility, opacity, protection, mode, group level, dither density, enable and state,
    // clipping flag and link index; never the index, identifier, position or image.
    void copyAttr(const CLayerData &src);
    // The image (same block layout), the preview, the attributes, view position and size; when
    // both layers keep their own history, this one copies src's.
    bool copy(const CLayerData &src);
    // Stores v kept to 0..250 and returns it.
    int32_t setGroupLevel(int32_t v);
    int32_t addGroupLevel(int32_t d) { return setGroupLevel(groupLevel + d); }
    void setLinkIndex(int32_t idx) { linkIndex = idx; }
    void unlink() { linkIndex = 0; }
    // Reseeds the dither state with val over 0..255.
    void setDitherState(uint32_t val);
    void setIndex(int32_t idx) { index = idx; }
    void setUniqueID(int32_t id) { uniqueID = id; }
    // Sets the clipping flag; answers the previous one.
    bool ChangeUnderLyrClip(bool clip);
    bool getUnderLyrClip() const { return underLyrClip; }
    // Bytes of image data plus preview.
    uint32_t calcMemSize() const;

    // ---- own undo history (level-1 documents)
    bool hasUndo() const { return undoMngr != nullptr; }
    bool canUndo() const;
    bool canRedo() const;
    // Frees the history.
    void freeUndo();
    // Clears its entries.
    void disposeUndo();
    // Bytes held by the history; 0 without one.
    uint64_t calcUndoMemSize() const;
    // The whole image, or a box of it (widened to 32-pixel blocks in place), stored as an undo
    // step of this index and unique id; false without a history.
    bool pushImageAll();
    bool pushImagePart(sBox &box);
    // Restores the last step (or the last undone one) into the image; with view, that box is
    // copied from the image into view at the same position. r receives the box.
    bool doUndo(TMTC *view, sRect &r);
    bool doRedo(TMTC *view, sRect &r);

    // ---- output
    // The image (or its box) into a canvas at the same position, opacity 255.
    bool copyTo(TMTC &dst) const;
    bool copyTo(TMTC &dst, const sBox &box) const;
    // The image (or the box x, y, w, h of it) composed into dst at (x, y) by the mode, opacity
    // and dithering.
    bool bltTo(TMTC &dst, int32_t x, int32_t y) const;
    bool bltPartTo(TMTC &dst, int32_t x, int32_t y, int32_t w, int32_t h) const;
    // The same with the level-1 rules.
    bool oldBltTo(TMTC &dst, int32_t x, int32_t y) const;
    bool oldBltPartTo(TMTC &dst, int32_t x, int32_t y, int32_t w, int32_t h) const;
    bool oldBltTo(CBlockVMTC &dst, int32_t x, int32_t y) const;

    // ---- merging (ld is the upper layer)
    // The box of ld's image blended into this image at pos by the merge function of ld's mode,
    // with ld's opacity and this one's; afterwards this opacity is 255. The first form merges the
    // whole of ld at the place its view position gives.
    bool mixWith(const CLayerData &ld);
    bool mixWith(const CLayerData &ld, const sPos &pos, const sBox &box);
    // The versioned merge: ver's low 16 bits (0..3) choose how many special pairs apply; bit 0
    // of the high word adds mtfNopSrcTP. A subtract-mode result is inverted in colour.
    bool mixWithEx(const CLayerData &ld, const sPos &pos, const sBox &box, uint32_t ver);
    // The box of this image blended at pos into a canvas that keeps transparency, at this
    // layer's opacity or the one given: the special pair (LM_STD, mode) of merge version ver
    // when there is one (the image's mixTo), else the image's mixToEx with the mode's mix
    // parameters (bit 0 of ver's high word adds mtfNopSrcTP). The canvas keeps its alpha scale.
    bool mixToEx(TMTC &dst, const sPos &pos, const sBox &box, uint32_t ver) const;
    bool mixToEx(TMTC &dst, const sPos &pos, const sBox &box, uint32_t ver, uint8_t opacity) const;
    // Where this whole layer meets src_ld's on the paper, src_ld is composed into this image as a
    // clipped layer: only where this image has alpha.
    bool clipBltToLayer(const CLayerData &src_ld);

    // ---- ILayerBlendAttr
    uint8_t layerTrans() const override { return trans; }
    TLayerMode layerMode() const override { return mode; }
    bool layerDitherEnable() const override { return ditherEnable; }
    uint8_t layerDither() const override { return dither; }
    const SRand &layerDizRand() const override { return dizRand; }
    SOldBltProcs layerOldBltProcs() const override;

    // ---- IMaskLayer
    CBlockVMTC *maskLayerImage() const override { return imageTC.get(); }
    sPos maskLayerViewPos() const override { return viewPos; }
    sSize maskLayerViewSize() const override { return viewSize; }
    QString maskLayerTitle() const override { return title; }

    // The whole image as a box; empty without an image.
    sBox imageBox() const;

    int32_t index = 0;
    int32_t uniqueID = 0;
    QString title;
    sPos viewPos;
    sSize viewSize;
    bool maskProtected = false;
    uint8_t trans = 255;
    TLayerMode mode = TLayerMode::LM_MUL;
    bool ditherEnable = false;
    uint8_t dither = 255;
    bool visible = false;
    SRand dizRand;
    int32_t groupLevel = 0;
    int32_t linkIndex = 0;
    std::unique_ptr<CBlockVMTC> imageTC;
    std::unique_ptr<TMTC> previewTC;
    uint32_t previewPos = 0;
    std::unique_ptr<CUndoMngr> undoMngr;
    bool underLyrClip = false;

  private:
    bool restoreStep(bool redo, TMTC *view, sRect &r);
};
