// The selection masks of a document. CMaskData is one mask: its image (a CBlockVCH), thumbnail,
// title, position on the paper and two identities (list index and a process-wide unique number
// that undo records refer to). CMaskMngr is the document's list of masks, one of them current
// (the active selection): it builds masks from 8-bit channels combined with the existing mask,
// inverts, binds, crops and trims masks that reach past the paper, resizes them for a new
// resolution, and keeps the marching-ants outline of one mask.
//
// Coordinates: mask pixel (mx, my) lies at document position (mx - viewPos.x, my - viewPos.y),
// so a mask's document rectangle is (-viewPos, image size - viewPos). Masks may be larger than
// the paper and reach past any of its edges.
//
// Ownership: the manager owns the masks in its list. Every operation that takes a mask out or
// replaces one hands the old object to the caller through a std::unique_ptr (to keep in an undo
// record or to drop); the manager never keeps or frees what it handed out. Operations that take a
// mask from the caller through a std::unique_ptr reference move it only when they succeed.
#pragma once

#include "core/tiles/block_channel.h"
#include "core/image/display_canvas.h"
#include "core/mask/marching_ants.h"
#include "core/scale/scale_image.h"
#include "core/mask/view_surface.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CBlockVMTC;
class TChannel;
class TMTC;

// How a new selection combines with the existing one; the numbers are stored in events.
enum class eMaskAddType : uint8_t
{
    matNew = 0, // replace
    matAdd = 1, // maximum of both
    matSub = 2, // the old one less the new one
    matAnd = 3, // product of both
};
constexpr int kMaskAddTypeCount = 4;

// The menu text of a combine type; empty for any other value.
QString maskAddTypeCaption(eMaskAddType mat);

// The edge length in pixels of the mask list's thumbnails. The tool window's mask list sets it
// whenever its item size changes; 25 (the list's medium rows) until then. Returns the previous.
int32_t setMaskPreviewMax(int32_t edge);
int32_t getMaskPreviewMax();

// The process-wide counter that gives every new mask its unique number (the first mask of the
// process gets 0). Sets the next number to give and returns the one it replaces (tests).
int32_t resetMaskUniqueID(int32_t next);

// What the mask code needs of a layer; the document's layer record implements it.
class IMaskLayer
{
  public:
    virtual ~IMaskLayer() = default;
    // The layer's image; may be nullptr.
    virtual CBlockVMTC *maskLayerImage() const = 0;
    // Layer pixel = document position + viewPos.
    virtual sPos maskLayerViewPos() const = 0;
    // The document size the layer is shown in.
    virtual sSize maskLayerViewSize() const = 0;
    virtual QString maskLayerTitle() const = 0;
};

// What the mask manager needs of its document.
class IMaskOwner
{
  public:
    virtual ~IMaskOwner() = default;
    virtual sSize maskPaperSize() const = 0;
    // The view of the document's window, through which the ants are drawn; may be nullptr.
    virtual const IViewTransform *maskView() const = 0;
};

// The area-average resampler between two mask images (neither owned). The source is read without
// committing its tiles; destination tiles are committed as they are written.
class CScaleMaskImage : public CScaleImage8
{
  public:
    CScaleMaskImage(const CBlockVCH *src, CBlockVCH *dst);

    // False when a destination tile could not be committed during the last scale.
    bool allStored() const { return !m_failed; }

    const CBlockVCH *srcImg;
    CBlockVCH *dstImg;

  protected:
    // The footprint walk reads a run of bytes to the right of the address it is given before it
    // asks for the next one; the run is gathered from the tiles into a buffer of this object.
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    uint8_t *seekDst(int32_t x, int32_t y) override;

  private:
    std::vector<uint8_t> m_run;
    uint8_t m_spare = 0;
    bool m_failed = false;
};

class CMaskData
{
  public:
    // An empty mask (no image), a 1 x 1 thumbnail, a new unique number, viewPos (0, 0), no title.
    explicit CMaskData(int32_t idx);
    // The same with a new w x h image, all 0.
    CMaskData(int32_t idx, int32_t w, int32_t h);
    // A deep copy with a new unique number: image, thumbnail, index, viewPos and title. Throws
    // std::bad_alloc when the image cannot be copied.
    explicit CMaskData(const CMaskData &src);
    CMaskData &operator=(const CMaskData &) = delete;
    ~CMaskData();

    // Replaces the image by a new w x h one (all 0); an out-of-memory exception shows the
    // warning "CMaskData::createMask: exception!". Answers hasMask.
    bool createMask(int32_t w, int32_t h);
    // A new image of the layer image's size holding L * alpha / 255 (L the luma, 255 - L with
    // inv), the thumbnail for the layer's view size, the layer's viewPos and the title
    // "明度(<layer title>)". False, the mask unchanged, when it cannot be built.
    bool createMaskFromValue(const IMaskLayer &ld, bool inv);
    // The same from the layer's alpha, titled "マスク(<layer title>)".
    bool createMaskFromLayerMask(const IMaskLayer &ld);
    // Sets the alpha of the whole layer image to 0, then writes the mask's bytes into the alpha of
    // the layer pixels at the same document positions. True without an image; false when the two
    // do not overlap or the layer has no image.
    bool copyTo(const IMaskLayer &ld) const;
    // Scales the alpha of every canvas pixel by the mask value at the same document position
    // (canvas origin = document origin): alpha := value * alpha / 255. True without an image;
    // false when they do not overlap.
    bool effectTo(TMTC &tc) const;
    // The mask has a usable image: the test that a selection exists.
    bool hasMask() const;
    // The same for a mask that may not exist.
    static bool hasMask(const CMaskData *md) { return md && md->hasMask(); }
    // Bytes of the image's committed tiles; 0 without an image.
    uint32_t calcMemSize() const;
    void setIndex(int32_t idx) { index = idx; }
    void setUniqueID(int32_t id) { uniqueID = id; }

    // The document rectangle; false (r untouched) without an image.
    bool getMaskRect(sRect &r) const;
    // The bounding rectangle of the non-zero values in document coordinates; false when none.
    bool getMaskEnbRect(sRect &r) const;
    // findBlockRect with its right and bottom edges limited to the image, in document
    // coordinates; false when none.
    bool getMaskEnbBlkRect(sRect &r) const;
    // The value 0..255 at a document position; -1 outside the image or without one.
    int32_t getMaskValue(int32_t x, int32_t y) const;
    // a * value / 255 at mask coordinates (x, y); 0 outside the image. The NC form skips the
    // bounds test (positions outside the tile grid still read 0).
    uint32_t effectMask(int32_t x, int32_t y, uint32_t a) const;
    uint32_t effectMaskNC(int32_t x, int32_t y, uint32_t a) const;

    // The thumbnail of the document area (0, 0, pw, ph) at the mask list's thumbnail size.
    bool makePreview(int32_t pw, int32_t ph);
    // The thumbnail keeps the aspect of pw x ph inside w x h (each side at least 1); resized
    // and cleared when its size changes (false when it cannot be), then redrawn.
    bool makePreview(int32_t pw, int32_t ph, int32_t w, int32_t h);
    // Redraws the thumbnail: the document area (0, 0, pw, ph) of the mask, grey and opaque,
    // over a cleared thumbnail.
    void updatePreview(int32_t pw, int32_t ph);

    int32_t index = 0;
    int32_t uniqueID = 0;
    std::unique_ptr<CBlockVCH> maskTC; // nullptr: no selection
    std::unique_ptr<TTC> previewTC;
    QString title;
    sPos viewPos;

  private:
    // Builds a new image of the layer's size with build(image, layer image), then takes it.
    template <class Build>
    bool createFromLayer(const IMaskLayer &ld, const QString &word, Build build);
};

class CMaskMngr
{
  public:
    // The list with room for cap masks, holding one empty current mask titled "マスク1".
    // obj (not owned) gives the paper size and the window view; it may be nullptr (tests).
    CMaskMngr(IMaskOwner *obj, int32_t cap);
    CMaskMngr(const CMaskMngr &) = delete;
    CMaskMngr &operator=(const CMaskMngr &) = delete;
    ~CMaskMngr();

    IMaskOwner *getOwner() const { return ownerObj; }
    // The owner's paper size; 0 x 0 without an owner.
    sSize paperSize() const;

    // ---- list and indices
    // When idx is valid: totalNum += d and the title becomes "マスク" followed by totalNum.
    bool setDefaultCaption(int32_t idx, int32_t d);
    // Sets totalNum; returns the old value.
    int32_t resetTotalNum(int32_t n);
    int32_t getTotalNum() const { return totalNum; }
    bool chkIndex(int32_t idx) const;
    // idx = count first appends a new empty mask (no default title); a valid idx becomes
    // current; other values are ignored. Returns curIndex.
    int32_t setCurIndex(int32_t idx);
    int32_t getCurIndex() const { return curIndex; }
    // A curIndex at or past the count becomes count - 1.
    void chkCurIndex();
    int32_t getMaskCount() const { return int32_t(m_list.size()); }
    int32_t getMaxIndex() const { return getMaskCount() - 1; }
    // nullptr for a bad index.
    CMaskData *getMask(int32_t idx) const;
    CMaskData *getActiveMask() const { return getMask(curIndex); }
    // A mask object exists at idx (with or without an image).
    bool hasMask(int32_t idx) const { return chkIndex(idx); }
    bool hasActiveMask() const { return chkIndex(curIndex); }
    // The list is not empty.
    bool hasMask() const { return !m_list.empty(); }
    // The highest index whose mask has an image; -1 when none.
    int32_t findLastIndexMaskImage() const;
    // (idx < 0: the current mask) the mask's image is wider or taller than the paper.
    bool hasExtendSize(int32_t idx) const;
    uint32_t calcMemSize() const;
    // Every mask's index := its position.
    void renumberIndex();
    // Room for extra more masks, so that that many insertions cannot fail; false when the memory
    // cannot be had (nothing changed).
    bool reserve(int32_t extra);
    // Takes the mask out and hands it over; nullptr for a bad index.
    std::unique_ptr<CMaskData> removeAt(int32_t idx);
    void deleteAt(int32_t idx);
    // Frees every mask, fixes curIndex (-1), returns the old count.
    int32_t deleteAll();
    // Inserts md at a valid idx or appends it at idx = count, taking it (md becomes nullptr);
    // -1, md kept by the caller, for another idx or a nullptr md.
    int32_t insertAt(int32_t idx, std::unique_ptr<CMaskData> &md);
    // Puts md at a valid idx and returns the old mask; for a bad idx md is appended and nullptr
    // returned. A nullptr md changes nothing.
    std::unique_ptr<CMaskData> replaceAt(int32_t idx, std::unique_ptr<CMaskData> md);

    // ---- building and combining. The source is an 8-bit channel whose area (0, 0, sz) is the
    // new shape; its origin lies at document position -ofs (ofs plays the part of viewPos).
    // A new, unlisted mask combining the shape with the mask at idx (read, never changed) by
    // mat, with its thumbnail for the paper size; nullptr on failure or for another mat.
    std::unique_ptr<CMaskData> createMask(int32_t idx, const TChannel &src, const sSize &sz,
                                          const sPos &ofs, eMaskAddType mat);
    // (idx < 0: the current index) inserts a new empty mask with a default title; the index
    // or -1.
    int32_t insertMask(int32_t idx);
    // Inserts md (taken only on success); the index or -1.
    int32_t insertMask(int32_t idx, std::unique_ptr<CMaskData> &md);
    // Inserts a mask built by createMask.
    bool insertMask(int32_t idx, const TChannel &src, const sSize &sz, const sPos &ofs,
                    eMaskAddType mat);
    // (idx < 0: current) inserts a deep copy of the mask before it; the copy's index or -1.
    int32_t duplicateMask(int32_t idx);
    // Both valid and different: the mask at src moves to dst; dst, else -1.
    int32_t moveMask(int32_t dst, int32_t src);
    // Builds with createMask and puts the result at idx with the old title; the old mask is
    // handed out in mask. After matAdd the mask is trimmed with shrinkSize.
    bool replaceMask(int32_t idx, const TChannel &src, const sSize &sz, const sPos &ofs,
                     std::unique_ptr<CMaskData> &mask, eMaskAddType mat);
    // Exchanges md with the mask at a valid idx.
    bool replaceMask(int32_t idx, std::unique_ptr<CMaskData> &md);
    // Replaces the mask at a valid idx by an empty one with the same title; the old handed out.
    bool deleteMask(int32_t idx, std::unique_ptr<CMaskData> &md);
    // Takes the mask out of the list and hands it out.
    bool removeMask(int32_t idx, std::unique_ptr<CMaskData> &md);
    // A deep copy of src replaces dst, keeping dst's title; the old dst handed out.
    bool copyMask(int32_t dst, int32_t src, std::unique_ptr<CMaskData> &md);
    // Combines mask src into mask dst by mat, keeping dst's title; the old dst handed out.
    bool bindMask(int32_t dst, int32_t src, std::unique_ptr<CMaskData> &md, eMaskAddType mat);

    // ---- the paper's edges (the paper rectangle is (0, 0, paper size))
    // r := the mask's document rectangle; true when md has an image lying wholly inside the
    // paper.
    bool getMaskRect(const CMaskData *md, sRect &r) const;
    // Grows ar by the document rectangle of every mask with an image; returns their count.
    int32_t findMaxRect(sRect &ar) const;
    // A new mask covering md's rectangle and the paper with md's image at its place and md's
    // title. An out-of-memory exception shows the warning "makeExtendMask: exception!".
    bool makeExtendMask(const CMaskData &md, std::unique_ptr<CMaskData> &nmd) const;
    // Inverts the mask at idx in place.
    bool invertMask(int32_t idx);
    // Inverts over the whole paper: a mask reaching past the paper is first extended to cover
    // it, and the old mask is then handed out in omd (untouched otherwise).
    bool invertMaskEx(int32_t idx, std::unique_ptr<CMaskData> &omd);
    // A mask reaching past the paper becomes a paper-sized one; the old handed out (or freed).
    bool cutOutside(int32_t idx, std::unique_ptr<CMaskData> &md);
    bool cutOutside(int32_t idx);
    // A mask reaching past the paper is trimmed to its content, but kept at least the paper's
    // size; the old handed out (or freed).
    bool shrinkSize(int32_t idx, std::unique_ptr<CMaskData> &md);
    bool shrinkSize(int32_t idx);

    // ---- thumbnails, for the paper size at the mask list's thumbnail size
    bool updatePreview(CMaskData *md);
    bool updatePreview();
    void updatePreviewAll();

    // ---- resolution change
    // A resized copy of mask idx for a new paper size (nullptr for a bad index or on failure):
    // 4 x 4 sampling (Old) or the area average (HQ).
    std::unique_ptr<CMaskData> makeResizeMaskOld(int32_t idx, const sSize &size) const;
    std::unique_ptr<CMaskData> makeResizeMaskHQ(int32_t idx, const sSize &size) const;
    // Replaces every mask by its resized copy. All copies are built first: on failure every
    // mask stays as it was and the answer is false.
    bool changeResolutionOld(const sSize &size);
    bool changeResolutionHQ(const sSize &size);
    // A new manager of the same owner holding the resized copies, with the same current index
    // and its own title count; this manager is untouched. nullptr on failure.
    std::unique_ptr<CMaskMngr> makeResizeMngrOld(const sSize &size) const;
    std::unique_ptr<CMaskMngr> makeResizeMngrHQ(const sSize &size) const;

    // ---- the marching ants
    // (idx < 0: current) the outline of the mask's part on a paper of size sz; an empty mask
    // empties the outline and answers true.
    bool createAnts(const sSize &sz, int32_t idx);
    // The outline of the mask's whole image, offset by -viewPos (document pixels).
    bool createAntsEx(int32_t idx);
    bool hasAnts() const;
    // Empties the outline (idxAnts kept); answers whether it had points.
    bool deleteAnts();
    void setAntsOfs(const sPos &ofs);
    void getAntsOfs(sPos &ofs) const;
    // Draws the outline onto dc clipped to (0, 0, sz); false without a surface or outline.
    bool showAnts(IPixelSink *dc, const sSize &sz);
    // Advances the dash pattern one step when there is an outline.
    void walkAnts();
    int32_t getAntsIndex() const { return idxAnts; }
    const CAntPoints &getAnts() const { return *curAnts; }

  private:
    // replaceAt, then renumberIndex: how every operation swaps a new mask into the list.
    std::unique_ptr<CMaskData> swapInMask(int32_t idx, std::unique_ptr<CMaskData> md);
    std::unique_ptr<CMaskData> createNewMask(int32_t idx, const TChannel &src, const sSize &sz,
                                             const sPos &ofs) const;
    std::unique_ptr<CMaskData> createAddMask(int32_t idx, const TChannel &src, const sSize &sz,
                                             const sPos &ofs) const;
    std::unique_ptr<CMaskData> createSubMask(int32_t idx, const TChannel &src, const sSize &sz,
                                             const sPos &ofs) const;
    std::unique_ptr<CMaskData> createAndMask(int32_t idx, const TChannel &src, const sSize &sz,
                                             const sPos &ofs) const;
    std::unique_ptr<CMaskData> makeResizeMask(int32_t idx, const sSize &size, bool hq) const;
    bool changeResolution(const sSize &size, bool hq);
    std::unique_ptr<CMaskMngr> makeResizeMngr(const sSize &size, bool hq) const;
    int32_t currentIfNegative(int32_t idx) const { return idx < 0 ? curIndex : idx; }

    IMaskOwner *ownerObj;
    std::vector<std::unique_ptr<CMaskData>> m_list;
    int32_t curIndex = -1;
    int32_t totalNum = 0;
    int32_t idxAnts = -1;
    std::unique_ptr<CAntPoints> curAnts;
};
