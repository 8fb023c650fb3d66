// The document's ordered list of layers (index 0 is the bottom one) with the current layer, the
// running number of default layer names and the rules of layer groups, link groups and clipping
// groups. The list owns its layers; operations that take a layer out hand it to the caller.
//
// Layer groups are expressed by group levels alone: a layer at level L followed (upwards) by
// consecutive layers of levels above L heads a group of them. Link groups: layers with the same
// non-zero link number move together. Clipping groups: an unclipped layer (the base) followed by
// consecutive clipped layers.
//
// Indices are validated: a bad one answers -1, nullptr or false and changes nothing. Operations
// never record events or undo; the document's operations record around them. Warnings go to the
// common warning box.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"
#include "document/paper/layer_data.h"
#include "document/undo/undo_types.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CUndoMngrEx;

class CLayerMngr
{
  public:
    static constexpr int32_t kLimitNum = 10000;

    // Room for limit layers before the list grows; no current layer; the layer list's preview
    // edge as the thumbnail size.
    explicit CLayerMngr(int32_t limit);
    ~CLayerMngr();
    CLayerMngr(const CLayerMngr &) = delete;
    CLayerMngr &operator=(const CLayerMngr &) = delete;

    // ---- list and index
    int32_t getLayerCount() const { return int32_t(m_list.size()); }
    int32_t getMaxIndex() const { return getLayerCount() - 1; }
    bool chkIndex(int32_t idx) const { return idx >= 0 && idx < getLayerCount(); }
    // nullptr for a bad index.
    CLayerData *getLayer(int32_t idx) const;
    bool canAddLayer() const { return getLayerCount() < limitNum; }
    // Makes a valid index current; answers the current index.
    int32_t setCurIndex(int32_t idx);
    int32_t getCurIndex() const { return curIndex; }
    // A current index at or past the count becomes count - 1.
    void chkCurIndex();
    // Every layer's index := its position.
    void renumberIndex();
    void setPaperSize(int32_t w, int32_t h) { wholeSize = {w, h}; }
    const sSize &getPaperSize() const { return wholeSize; }
    const sSize &getPreviewSize() const { return prevSize; }
    int32_t getTotalNum() const { return totalNum; }
    void setTotalNum(int32_t n) { totalNum = n; }

    // ---- captions
    // "レイヤ" followed by totalNum + d.
    QString makeDefaultCaption(int32_t d) const;
    QString getNextCaption() const { return makeDefaultCaption(1); }
    // For a valid index: totalNum += d, and the layer is named makeDefaultCaption(0).
    bool setDefaultCaption(int32_t idx, int32_t d);
    bool copyCaption(int32_t dst, int32_t src);

    // ---- insertion and removal
    // Inserts at a valid index, otherwise appends; answers the position (-1, ld kept by the
    // caller, for a nullptr ld or when the list cannot grow).
    int32_t insertAt(int32_t idx, std::unique_ptr<CLayerData> &ld);
    // A new w x h layer of mode lm inserted at idx (appended past the end), with opacity trans,
    // visibility vis and the paper size as view size; clipped when the layer right above it is.
    // -1 with a warning for idx < 0, an image that cannot be made, or any failure. The layer
    // limit is the caller's to ask (canAddLayer).
    int32_t insertLayer(int32_t idx, int32_t w, int32_t h, TLayerMode lm, bool undo, uint8_t trans,
                        bool vis);
    int32_t addLayer(int32_t w, int32_t h, TLayerMode lm, bool undo, uint8_t trans, bool vis)
    {
        return insertLayer(getLayerCount(), w, h, lm, undo, trans, vis);
    }
    int32_t addLayerAt(int32_t idx, int32_t w, int32_t h, TLayerMode lm, bool undo, uint8_t trans,
                       bool vis)
    {
        return insertLayer(idx, w, h, lm, undo, trans, vis);
    }
    // Inserts an existing layer (taken only on success); -1 with a warning for idx < 0.
    int32_t insertLayer(int32_t idx, std::unique_ptr<CLayerData> &ld);
    // Room for extra more layers, so that that many insertions cannot fail; false when the
    // memory cannot be had (nothing changed).
    bool reserve(int32_t extra);
    // Frees a valid layer, fixes the current index, renumbers.
    bool deleteLayer(int32_t idx);
    // Frees and removes a valid layer; nothing else.
    bool deleteAt(int32_t idx);
    // Frees every layer; answers how many there were.
    int32_t deleteAll();
    // Takes a valid layer out without freeing it; nullptr for a bad index.
    std::unique_ptr<CLayerData> popAt(int32_t idx);
    // popAt, then fixes the current index and renumbers.
    std::unique_ptr<CLayerData> removeAt(int32_t idx);
    // Puts ld at a valid index and hands back the previous layer; for a bad index or a nullptr
    // ld nothing changes and ld stays with the caller (nullptr is answered).
    std::unique_ptr<CLayerData> replaceLayerData(int32_t idx, std::unique_ptr<CLayerData> &ld);
    // Exchanges layer idx0 of this list with layer idx1 of mngr; renumbers this list, and mngr
    // with renum.
    bool swapLayer(int32_t idx0, CLayerMngr &mngr, int32_t idx1, bool renum);
    bool copyLayer(int32_t dst, int32_t src);
    // -1 when dst = src or src is invalid; otherwise dst clamped into the list, the layer moved
    // there, renumbered; answers dst.
    int32_t moveLayer(int32_t dst, int32_t src);
    bool resizeLayerPreview(int32_t idx);
    bool resizeLayerPreview(int32_t idx, int32_t w, int32_t h);
    // Redraws every preview; answers the count.
    int32_t updatePreviewAll();

    // ---- visibility
    int32_t getVisibleCount() const;
    int32_t getFirstVisIndex() const;
    // One byte per layer holding its visibility; false for an empty list or when memory fails.
    bool makeVisBackup(std::vector<uint8_t> &bk) const;
    bool visFlip();
    bool visAll(bool vis);
    bool visOnly(int32_t idx);
    // Sets cnt layers from idx (cut at the list end); answers how many.
    int32_t changeVis(int32_t idx, int32_t cnt, bool vis);

    // ---- layer groups. mk: rebuild the level array from the layers first; otherwise the array
    // as last built is used, and one never built, or built for another layer count, fails.
    bool initGroupAry(bool mk);
    const std::vector<uint8_t> &getGroupAry() const { return groupAry; }
    // The largest level (-1 without layers).
    int32_t getMaxGroupLevel();
    // Consecutive layers above idx with a level above idx's; -1 for a bad index or no array.
    int32_t countGroupMember(int32_t idx, bool mk);
    // The nearest layer below idx with a smaller level, -1 when none; when found, *lvlmax (if
    // given) receives the largest level from that head + 1 up to idx.
    int32_t findGroupParent(int32_t idx, int32_t *lvlmax, bool mk);
    bool canGroupIn(int32_t idx, bool mk);
    bool canGroupOut(int32_t idx, bool mk);
    // The layer and its members one level deeper (in) or shallower (out), when allowed.
    bool doGroup(int32_t idx, bool in, bool mk);
    // Adds d to the levels of cnt layers from idx (cut at the list end); answers cnt, 0 on
    // failure.
    int32_t modifyGroup(int32_t idx, int32_t cnt, int32_t d, bool mk);
    // Levels of cnt layers from idx := tbl[layer index], each at most 250. False when the range or
    // the table does not cover them.
    bool changeGroupLevel(const std::vector<uint8_t> &tbl, int32_t idx, int32_t cnt);
    int32_t findGroupVisibleParent(int32_t idx, bool mk);
    bool isTopParentVis(int32_t idx, bool mk);
    bool canBindBelow(int32_t idx);
    bool canMoveLayers(int32_t dst, int32_t src, int32_t cnt, bool mk);
    // Moves a whole group (see canMoveLayers) re-levelled for its new place; answers its new
    // position or -1.
    int32_t moveLayers(int32_t dst, int32_t src, int32_t cnt);

    // ---- link groups
    bool setLinkIndex(int32_t idx, int32_t index);
    bool linkLayer(int32_t primary, int32_t secondary);
    bool unlinkLayer(int32_t primary, int32_t secondary);
    int32_t countLinkLayers(int32_t idx) const;
    bool isLinked(int32_t idx) const { return countLinkLayers(idx) > 0; }
    bool isLinked(int32_t idx1, int32_t idx2) const;
    // Records of the link numbers the coming linkLayer / unlinkLayer changes: pairs of (layer
    // index, link number) as 16-bit values, 12 bytes for linking and 8 for unlinking, the unused
    // pairs zero; changeLayerCount receives the number of pairs.
    bool makeLinkBackup(int32_t primary, int32_t secondary, std::vector<uint8_t> &bk,
                        int32_t &changeLayerCount) const;
    bool makeUnlinkBackup(int32_t primary, int32_t secondary, std::vector<uint8_t> &bk,
                          int32_t &changeLayerCount) const;

    // ---- clipping groups
    int32_t countClipMember(int32_t idx) const;
    int32_t getClipParent(int32_t idx) const;
    bool isUnderLayerClip(int32_t idx) const;
    bool isClippingLayer(int32_t idx) const { return isUnderLayerClip(idx); }
    bool isClippingOfUpperLayer(int32_t idx) const;
    bool isClippingGroup(int32_t idx) const;
    bool releaseClipGroup(int32_t idx);
    // A new layer: the base of idx's clipping group with every visible member clipped onto it.
    // nullptr with a warning when it cannot be made.
    std::unique_ptr<CLayerData> bindClipGroup(int32_t idx);

    // ---- merging
    // Merges layer src into layer dst, in a copy of dst grown to the union of both rectangles
    // that then replaces dst. The old dst is handed to *oldDst with undo (the caller's undo record
    // keeps it), otherwise freed. src stays in the list. ver's low 16 bits (0: mixWith, 1..3:
    // mixWithEx) and bit 0x20000 (all of dst's attributes, else title and opacity) choose how.
    // False, nothing changed, for a bad index or version or when the merge fails.
    bool bindLayer(int32_t dst, int32_t src, uint32_t ver, bool undo,
                   std::unique_ptr<CLayerData> *oldDst = nullptr);

    // ---- document-wide undo dispatch
    // Undoes the newest record of um: ut := its update set, idx := the index of the layer it
    // names. A complex record, or one whose layer exists, is applied (rect := the changed box in
    // layer coordinates); when that fails the warning "アンドゥに失敗しました!\rすべてのアンドゥは
    // クリアされます!" is shown and both lists are emptied. A record whose layer is gone (and not
    // complex) is dropped and the answer is false, without a message.
    bool doUndo(CUndoMngrEx &um, int32_t &idx, sRect &rect, udUpdateType &ut);
    // The same on the newest redo record, without the message.
    bool doRedo(CUndoMngrEx &um, int32_t &idx, sRect &rect, udUpdateType &ut);
    // Over every layer's own history: any kept, free them all, the bytes they hold.
    bool hasUndoMngr() const;
    void freeUndoMngrAll();
    uint64_t calcUndoMemSize() const;

    uint32_t calcMemSize() const;
    int32_t index2id(int32_t idx) const;
    int32_t findLayer(int32_t id) const;
    bool findLayer(int32_t id, int32_t &idx, CLayerData *&ld) const;

  private:
    int32_t levelOf(int32_t idx) const { return m_list[size_t(idx)]->groupLevel; }
    // The group array for mk: rebuilt, or the one last built when it still fits the list.
    bool groupAryReady(bool mk);
    void fixCurIndexAfterInsert();
    int32_t freeLinkNumber() const;
    bool applyUndo(bool redo, CUndoMngrEx &um, int32_t &idx, sRect &rect, udUpdateType &ut);

    std::vector<std::unique_ptr<CLayerData>> m_list;
    int32_t limitNum = kLimitNum;
    int32_t curIndex = -1;
    sSize wholeSize;
    sSize prevSize;
    int32_t totalNum = 0;
    std::vector<uint8_t> groupAry;
    bool groupAryBuilt = false;
};
