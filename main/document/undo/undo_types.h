// The vocabulary of undo records: what a record keeps (udDataType), which operation it takes back
// (udCmdName, 72 commands) and what the document must refresh after it was applied
// (udUpdateType, a set of 13 flags). One constant table gives every command its data kind and
// update set.
#pragma once

#include <cstdint>
#include <initializer_list>

// The kind of data a record keeps, in stored order.
enum class udDataType : uint8_t
{
    uddtNothing = 0,
    uddtImage = 1,   // pixels of an area
    uddtAlpha = 2,   // alpha bytes of an area
    uddtCmd = 3,     // a self-inverse pixel command to apply again
    uddtValue = 4,   // a layer or document attribute
    uddtComplex = 5, // layer-structure and canvas operations
    uddtMask = 6,    // selection-mask operations
};

// The members of udUpdateType, bit 0 to bit 12 of a 16-bit word.
enum class udUpdateFlag : uint8_t
{
    udutAll = 0,           // the whole layer changed
    udutCanvas = 1,        // the canvas size changed
    udutRepos = 2,         // with udutCanvas: scroll bars reset, window re-sized
    udutActSize = 3,       // refresh the active layer's whole image
    udutHeavy = 4,         // counts against the undo limit although it holds no image
    udutPtr = 5,           // the record carries a byte block
    udutLayer = 6,         // refresh the layer panel
    udutMask = 7,          // a selection mask changed
    udutAnts = 8,          // rebuild the marching ants
    udutNoActiveLayer = 9, // do not make the layer the active one
    udutNoRefreshFlow = 10,
    udutChgLayerView = 11, // recompose only the blocks the layer wrote
    udutNoChgView = 12,    // recompose nothing
};

// A set of udUpdateFlag.
class udUpdateType
{
  public:
    constexpr udUpdateType() = default;
    constexpr udUpdateType(std::initializer_list<udUpdateFlag> flags)
    {
        for (const udUpdateFlag f : flags)
            include(f);
    }
    static constexpr udUpdateType fromBits(uint16_t bits)
    {
        udUpdateType t;
        t.m_bits = bits & 0x1FFF;
        return t;
    }

    constexpr bool has(udUpdateFlag f) const { return (m_bits >> unsigned(f)) & 1u; }
    constexpr void include(udUpdateFlag f) { m_bits = uint16_t(m_bits | (1u << unsigned(f))); }
    constexpr void exclude(udUpdateFlag f) { m_bits = uint16_t(m_bits & ~(1u << unsigned(f))); }
    constexpr uint16_t bits() const { return m_bits; }
    constexpr bool empty() const { return m_bits == 0; }
    friend constexpr bool operator==(udUpdateType, udUpdateType) = default;

  private:
    uint16_t m_bits = 0;
};

enum class udCmdName : uint8_t
{
    udcnNothing = 0,
    udcnImageBox = 1,
    udcnImageAll = 2,
    udcnImageStroke = 3,
    udcnImageFont = 4,
    udcnImagePaste = 5,
    udcnImageFilter = 6,
    udcnCmdFlipLR = 7,
    udcnCmdFlipTB = 8,
    udcnCmdNot = 9,
    udcnCmdRot180 = 10,
    udcnCmdNotAlpha = 11,
    udcnCmdVisFlipLR = 12,
    udcnCmdVisFlipTB = 13,
    udcnCmdVisNot = 14,
    udcnCmdVisRot180 = 15,
    udcnAlphaFill = 16,
    udcnValuePaperColor = 17,
    udcnValueLayerTrans = 18,
    udcnValueLayerGroupTrans = 19,
    udcnValueLayerDither = 20,
    udcnValueLayerMode = 21,
    udcnValueLayerVisible = 22,
    udcnValueLayerPos = 23,
    udcnValueLayerSelectPos = 24,
    udcnValueLayerName = 25,
    udcnValueLayerMaskProtected = 26,
    udcnValueLayerClipping = 27,
    udcnComplexLayerBindClippingGroup = 28,
    udcnComplexLayerReleaseClippingGroup = 29,
    udcnComplexLayerFreeTransform = 30,
    udcnComplexLayerAndMaskFreeTransform = 31,
    udcnComplexAddLayer = 32,
    udcnComplexDelLayer = 33,
    udcnComplexDupLayer = 34,
    udcnComplexPasteLayer = 35,
    udcnComplexMoveLayer = 36,
    udcnComplexBindLayer = 37,
    udcnComplexBindAllLayers = 38,
    udcnComplexMoveLayerPos = 39,
    udcnComplexMoveLayerSelectPos = 40,
    udcnComplexReplaceLayer = 41,
    udcnComplexSplitWithMask = 42,
    udcnComplexLayerGroup = 43,
    udcnComplexDelLayerGroup = 44,
    udcnComplexBindLayerGroup = 45,
    udcnComplexDelGroupLayers = 46,
    udcnComplexMoveLayerGroup = 47,
    udcnComplexMoveLayerGroupPos = 48,
    udcnComplexMoveLayerGroupSelPos = 49,
    udcnComplexLinkLayer = 50,
    udcnComplexMoveLayerLinkPos = 51,
    udcnComplexMoveLayerLinkSelPos = 52,
    udcnComplexVisOnlyLayer = 53,
    udcnComplexVisAllLayer = 54,
    udcnComplexVisFlipLayer = 55,
    udcnComplexVisLayerGroup = 56,
    udcnComplexRot90All = 57,
    udcnComplexResize = 58,
    udcnComplexReso = 59,
    udcnComplexCrop = 60,
    udcnMaskInsert = 61,
    udcnMaskInsert2 = 62,
    udcnMaskRemove = 63,
    udcnMaskReplace = 64,
    udcnMaskActivate = 65,
    udcnMaskMove = 66,
    udcnMaskInvert = 67,
    udcnMaskMovePos = 68,
    udcnMaskState = 69,
    udcnMaskBind = 70,
    udcnMaskName = 71,
    udcnMaxNum = 72, // the count
};
constexpr int32_t kUndoCmdCount = int32_t(udCmdName::udcnMaxNum);

// The command's data kind and update set from the table; uddtNothing and the empty set for a
// value outside the table.
udDataType getUndoCmdDataType(udCmdName cn);
udUpdateType getUndoCmdUpdateType(udCmdName cn);

// The command as a number, and a number as a command (false outside 0..71).
constexpr int32_t cmdNumber(udCmdName cn)
{
    return int32_t(cn);
}
bool toUndoCmd(int32_t n, udCmdName &cn);
