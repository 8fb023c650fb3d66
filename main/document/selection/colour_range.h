// The colour-range selection without its dialog: the records that carry the picked colours into
// the event stream, the renderer that turns them into a selection channel, the document
// operations that render and commit it as the current mask (one event, one undo record), and the
// dialog's widget-free half (the pick list, the source area and preview size, the preview
// pictures and the remembered settings), over which the dialog is a thin widget.
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

class CBlockVMTC;
class CLayerData;
class CMaskData;
class TChannel;
class TFlowImage;
class TMTC;
class TPaper;
class TTC;

#pragma pack(push, 1)
struct SColorMask
{
    int32_t cnt = 0;      // picked colours, 0..256
    uint8_t isVRAM = 0;   // source: 0 the active layer, 1 the composed display image
    uint8_t resv0 = 0;
    uint16_t resv1 = 0;
    int32_t mode = 0;
    uint32_t resv2 = 0;
    uint32_t resv3 = 0;
};
struct SPicCol
{
    uint32_t col = 0;  // sBGRA
    uint8_t sign = 1;  // 1 adds to the selection, 0 removes
    uint8_t range = 0; // tolerance 1..255
    uint16_t resv2 = 0;
};
#pragma pack(pop)
static_assert(sizeof(SColorMask) == 20 && sizeof(SPicCol) == 8);

constexpr int32_t kColorRangeMaxPicks = 256;

enum class ePicMode : uint8_t
{
    modeNomal = 0, // a pick starts a new list
    modePlus = 1,  // adds the colour
    modeMinus = 2, // adds the colour as a removing one
};

// The selection value of a colour at squared distance d for T = 2 x range^2: 255 within
// range x sqrt(2), falling linearly to 0 at range x sqrt(3).
uint32_t colorRangeFalloff(uint32_t d, uint32_t T);

// The record and its colours as status 136 carries them (20 + 8 x cnt bytes), and back. The
// reading refuses a count above 256 or a length other than 20 + 8 x cnt.
std::vector<uint8_t> packColorRange(const SColorMask &param, std::span<const SPicCol> pcol);
bool unpackColorRange(std::span<const uint8_t> bytes, SColorMask &param,
                      std::vector<SPicCol> &pcol);

class CColorMask
{
  public:
    // Source pixels (x, y) are rendered into destination byte (x, y); mask value at
    // (x, y) + ofsPos limits them when the mask has an image. Nothing is owned.
    void setParam(const SColorMask &param, const CBlockVMTC *src, TChannel *dest,
                  const CMaskData *mask, const sPos &ofsPos);
    // Adds the picked colours' contributions to the destination; true.
    bool Rendering(std::span<const SPicCol> pcol);

    int32_t m_mode = 0;
    int32_t m_range = 0;
    const CBlockVMTC *m_src = nullptr;
    TChannel *m_dest = nullptr;
    const CMaskData *m_mask = nullptr;
    sPos m_mofs;
    uint32_t m_selectCnt = 0, m_lowCnt = 0, m_highCnt = 0;
};

// ---- document operations
// Renders the picks of the source (the layer idx, or the display image with isVRAM) into dest,
// limited by mask; count := the pixels selected. False when the layer has no effect rectangle
// or memory runs out.
bool renderColorRange(TPaper &paper, const CLayerData &ld, TChannel &dest, const CMaskData *mask,
                      const SColorMask &param, std::span<const SPicCol> pcol, int32_t &count);
// The channel becomes mask maskIdx (negative: the current one), at the display image's size or at
// the layer image's size and position; with undo one event and one undo record. Refuses a count
// outside 0..256 or one that does not match pcol.
bool commitColorRange(TPaper &paper, const TChannel &channel, int32_t idx, int32_t maskIdx,
                      const SColorMask &param, std::span<const SPicCol> pcol, bool undo);
// Renders into the work image's coverage channel and commits; true without change when nothing
// is selected, false when the rendering fails.
bool applyColorRange(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t maskIdx,
                     const SColorMask &param, std::span<const SPicCol> pcol, bool undo);

// The replay row of the committed colour range (13/32).
void registerColourRangeReplayRows();

// ---- the dialog's widget-free half

// The settings kept from one opening to the next (stored on OK).
struct SColorRangeSettings
{
    int32_t tolerance = 50;
    int32_t display = 0; // 0 grey, 1 colour on white, 2 colour on black
    int32_t source = 0;  // 0 the active layer, 1 the display image
};
SColorRangeSettings &colorRangeSettings();

// The list of picked colours and the pick rules.
class CColorPickList
{
  public:
    // What a pick asks of the preview.
    enum class eUpdate : uint8_t
    {
        none,        // nothing picked (a transparent colour, or the list is full)
        incremental, // render the new last entry onto the preview
        full,        // clear the preview and render the whole list
    };
    // A picked colour (alpha 0 picks nothing): modeNomal restarts the list; modePlus and
    // modeMinus first drop an entry of the same colour and kind, then append. A full list warns
    // "これ以上色を追加できません！" and appends nothing.
    eUpdate pick(uint32_t col, ePicMode mode, int32_t tolerance);
    // The last entry takes the new tolerance; false without entries.
    bool setLastTolerance(int32_t tolerance);
    // One adding entry of the stroke's colour with the tolerance.
    void reset(uint32_t strokeColor, int32_t tolerance);
    std::span<const SPicCol> entries() const { return m_list; }
    SColorMask param(bool isVRAM) const;

  private:
    std::vector<SPicCol> m_list;
};

// The area of the source the dialog shows: for the layer its view position and the layer's view
// size, for the display image the paper; with a selection clamped into the display, without it
// the effect rectangle clamped into the area.
sBox colorRangeSourceArea(const TPaper &paper, int32_t idx, bool isVRAM);
// The preview size fitting the area's aspect into 192 x 192 (short side trunc(short / long x 192)).
sSize colorRangePreviewSize(const sSize &area);
// The preview picture from the reduced source and the preview channel: grey (display 0), or the
// source over white (1) or black (2) at the channel's opacity.
void makeColorRangePreview(const TMTC &source, const TChannel &ch, int32_t display, TMTC &out);
