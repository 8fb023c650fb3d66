// Gradient presets: the gradient attribute (shape, mapping, repetition), the 24-byte colour stop,
// the stop group CColorSlotGroup with its layout (each stop's position and segment length as
// 16.16 fractions of the whole) and its colour lookup, and the preset CGradObj (a named stop group
// with an attribute and an identity). The evaluator over a start and an end point is CGradation
// (paint/gradient/gradation.h); the preset list and the set files are paint/gradient/gradient_manager.h and
// paint/gradient/gradient_set_file.h.
//
// A stop is enabled when both its `used` and `enable` bytes are set. A group is refreshed when it
// has an enabled stop and its first and last enabled stops lie inside the slots in use; it is
// packed when refreshed and every slot in use is enabled. The colour lookup and the file writer
// need packed groups.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

class TMTC;

// Stored as one byte in stops' attributes, set files and events; the numbers never change.
enum eGradType : uint8_t
{
    gtLinear = 0, // along the start-to-end vector
    gtRot = 1,    // by angle around the start point
    gtGrade = 2,  // by elliptical distance from the start point
    gtMaxNum = 3,
};

enum eGradMap : uint8_t
{
    gmNormal = 0, // the position as computed
    gmReturn = 1, // there and back within one unit
    gmMaxNum = 2,
};

enum eGradRep : uint8_t
{
    grTimes = 0,   // repeat gradRepCnt times, then hold the end
    grEndless = 1, // repeat without end in both directions
    grMaxNum = 2,
};

#pragma pack(push, 1)

// A gradient's shape and repetition; also the payload of gradient events, byte for byte.
struct SGradAttr
{
    bool enbAttr = false; // the gradient's own attribute is in force (else the common one)
    uint8_t gradType = gtLinear;
    uint8_t gradMap = gmNormal;
    uint8_t gradRep = grTimes;
    int32_t gradRepCnt = 1; // repeat count, at least 1
    friend bool operator==(const SGradAttr &, const SGradAttr &) = default;
};

// One colour stop. The stop array is written to set files and events byte for byte, so this
// layout is a file format.
struct sCRSlot
{
    uint8_t enable = 0; // the stop takes part in the gradient
    uint8_t used = 0;   // the slot holds a stop
    uint8_t union_ = 0; // editor state (`union` in the files); 1 in an empty slot
    uint8_t opaque = 0; // opacity of the stop, 0..255
    int32_t id = 0;     // editor identity; an empty slot holds its own index
    sRGBA col{};        // R, G, B, then the kind byte (kCrsKind*)
    int32_t width = 0;  // distance to the next enabled stop, any unit (only ratios count)
    int32_t left = 0;   // position of the stop, 16.16 fraction of the whole (computed)
    int32_t rate = 0;   // length of the segment to the next stop, 16.16 fraction (computed)
};

#pragma pack(pop)

static_assert(sizeof(SGradAttr) == 8 && std::is_trivially_copyable_v<SGradAttr>);
static_assert(sizeof(sCRSlot) == 24 && std::is_trivially_copyable_v<sCRSlot>);

// The fourth byte of a stop's colour: where the colour comes from.
inline constexpr uint8_t kCrsKindForeground = 0; // follows the foreground colour
inline constexpr uint8_t kCrsKindBackground = 1; // follows the background colour
inline constexpr uint8_t kCrsKindOwn = 255;      // the stop's own colour

// The most slots a group can hold (their bytes stay below 64 KB); a request for more fails.
inline constexpr int32_t kCrsMaxSlots = 2729;

// False, gtLinear, gmNormal, grTimes, 1.
void initGradAttr(SGradAttr &attr);

// An empty slot at index idx: not enabled, not used, union 1, opacity 255, id idx, black of kind
// 255, width, left and rate 0.
sCRSlot emptyCrSlot(int32_t idx);
inline bool isSlotEnabled(const sCRSlot &s)
{
    return s.used != 0 && s.enable != 0;
}

class CColorSlotGroup
{
  public:
    // An empty group with the capacity step max(gr, 4), one step of empty slots and the name
    // "untitled".
    explicit CColorSlotGroup(int32_t gr = 4);

    // Frees the slots and starts again as the constructor does; gr <= 0 keeps the current step.
    void reset(int32_t gr);
    void setName(const QString &t) { name = t; }

    // Copies a stop into slot idx, growing the capacity in steps of growNum (new slots empty);
    // raises slotMaxIdx to idx. False, with the group unchanged, for a negative idx, for
    // idx + 1 > kCrsMaxSlots, or when memory fails.
    bool setColor(int32_t idx, const sCRSlot &slot);
    // Stores the enabled stop {colour c with its kind byte, opacity a, width w, left and rate 0,
    // union 1, id idx} as above.
    bool setColor(int32_t idx, sRGBA c, int32_t w, uint8_t a);
    // Stops of kind 0 take f's R, G, B, stops of kind 1 take b's (the kind bytes stay); then
    // refresh. False when the group has fewer than two slots.
    bool setColors(sRGBA f, sRGBA b);

    // The raw slots 0..slotMaxIdx and their byte count; false (nullptr, 0) when empty.
    bool getSlotImage(const uint8_t *&data, int32_t &bytes) const;
    // The slot at idx, nullptr outside 0..slotMaxIdx.
    const sCRSlot *getSlot(int32_t idx) const;
    // Next / previous enabled stop; -1 when none or idx outside 0..slotMaxIdx.
    int32_t findNext(int32_t idx) const;
    int32_t findPrev(int32_t idx) const;

    // Recomputes topIdx, endIdx, enbNum, widthSum and every enabled stop's left and rate. False
    // (and enbNum 0) when no stop is enabled or, with two or more, when a width is negative or
    // the widths do not sum above 0 (the last stop's width is not used).
    bool refresh();
    bool isRefreshed() const;
    bool isPacked() const;
    // A refreshed group of only the enabled stops, in order and unchanged (same step and name);
    // nullptr when this group cannot be refreshed.
    std::unique_ptr<CColorSlotGroup> makePacked() const;
    // Both refreshed, the same slotMaxIdx and byte-equal slots.
    bool compare(const CColorSlotGroup &obj) const;
    // When this group is packed, dst takes exactly its name and stops and is refreshed. False
    // when this group is not packed.
    bool CopyAll(CColorSlotGroup &dst) const;

    // The colour at a 16.16 position of a packed group: R, G, B and the opacity as 4th byte.
    sRGBA getColor(int32_t n) const;

    // Field access for an index in topIdx..endIdx; 0 (or nothing done) outside.
    int32_t getWidth(int32_t idx) const;
    int32_t getLeft(int32_t idx) const;
    void setWidth(int32_t idx, int32_t w);
    void setLeft(int32_t idx, int32_t fx);
    // R, G, B with the opacity as 4th byte; 0 outside topIdx..endIdx.
    sRGBA getSlotColor(int32_t idx) const;
    // The stop's colour := c with kind 255; opacity := c's 4th byte when trans, else 255.
    void setSlotColor(int32_t idx, sRGBA c, bool trans);
    // Moves an inner stop (enabled stops on both sides) to fx, kept between its neighbours; the
    // two widths around it follow, and the layout is recomputed. False for a stop without both
    // neighbours. The editing operations work in 16.16 widths: a group whose widths sum to
    // another total first takes its rates as widths.
    bool changeLeft(int32_t idx, int32_t fx);

    // The first enabled stop whose left >= fx, minus one, at least 0; topIdx when none.
    int32_t getPrevIdx_Pos(int32_t fx) const;
    // The first enabled stop whose left >= fx; endIdx when none.
    int32_t getNextIdx_Pos(int32_t fx) const;
    // The nearer of getPrevIdx_Pos(fx) and the stop after it; a tie goes to the later stop.
    int32_t getNearIdx_Pos(int32_t fx) const;
    // Lowest and highest enabled stop whose left lies in fromFx..toFx; false (both -1) when none.
    bool getIdxRange(int32_t fromFx, int32_t toFx, int32_t &fromIdx, int32_t &toIdx) const;

    // Inserts an enabled stop of colour c at idx (topIdx..endIdx), the slots from idx on moving
    // up one, and places it at fx. False, unchanged, outside that range or when full.
    bool InsertSlot(int32_t idx, int32_t fx, sRGBA c, bool trans);
    // Removes an inner stop (never the first or last enabled one); the stop before it then
    // reaches the stop after it. False for any other index.
    bool DeleteSlot(int32_t idx);

    // Fills the box (clipped to the canvas; false when nothing is left) with the gradient from
    // left to right, every row alike, in sBGRA order with the opacity as alpha.
    bool drawPreview(TMTC &tc, sBox box) const;

    int32_t capacity() const { return int32_t(slotList.size()); }

    int32_t growNum = 4;           // capacity step, at least 4
    int32_t slotMaxIdx = -1;       // highest slot in use, -1 when none
    std::vector<sCRSlot> slotList; // the slots; its size is the capacity
    int32_t widthSum = 0;
    int32_t topIdx = -1; // first enabled stop, -1 when none
    int32_t endIdx = -1; // last enabled stop, -1 when none
    int32_t enbNum = 0;  // enabled stops
    QString name;

  private:
    bool reserveSlots(int32_t count);
    sCRSlot &slot(int32_t idx) { return slotList[size_t(idx)]; }
    const sCRSlot &slot(int32_t idx) const { return slotList[size_t(idx)]; }
    bool inStopRange(int32_t idx) const { return topIdx >= 0 && idx >= topIdx && idx <= endIdx; }
    void recomputeEnds();
    void normaliseWidths();
};

// One gradient preset.
class CGradObj
{
  public:
    // An empty group (capacity step 16), the attribute of initGradAttr, a fresh identity.
    CGradObj();
    // A copy of src's attribute and stops with a fresh identity.
    explicit CGradObj(const CGradObj &src);
    // Two stops c0 and c1 (their 4th bytes are the kind bytes), width 0x10000 each, opacity 255,
    // named, refreshed.
    CGradObj(sRGBA c0, sRGBA c1, const QString &name);
    CGradObj &operator=(const CGradObj &) = delete;

    // "untitled" followed by idx in decimal.
    void setDefaultName(int32_t idx);
    bool refresh() { return crsg->refresh(); }
    // The attribute, a repeat count <= 0 becoming 1.
    void copyGradAttr(const SGradAttr &a);
    // src's attribute and (when src's group is packed) its stops; the identity stays.
    void copy(const CGradObj &src);
    // A fresh identity; returns the old one.
    int32_t setNewID();
    // Sets enbAttr; returns the old value.
    bool switchEnbGradAttr(bool sw);

    int32_t Fid = 0;
    std::unique_ptr<CColorSlotGroup> crsg; // never null
    SGradAttr attr;
};

// The next value of the process-wide gradient identity counter (one more each call).
int32_t newGradObjId();
