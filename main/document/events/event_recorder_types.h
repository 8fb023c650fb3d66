// The small types of the recorder and player of CEventMngr: the manager's state, the set of
// recorded-state elements and flags (evEnbStat), the view updates a replay step asks for, and the
// map from a status packet code to the element it records.
#pragma once

#include <cstdint>

enum class eEvStat : uint8_t
{
    esNothing,
    esRecording,
    esPlaying,
    esEnd,
};

// One element per recorded state value (written while recording, read while replaying), then
// the state flags of the recorder and the player.
enum bEvEnbF : uint8_t
{
    enbAppStat,
    enbPaperColor,
    enbBgColor,
    enbGradPos,
    enbGradType,
    enbTrgtObj,
    enbEvFlags,
    enbPenFlags,
    enbPenAttr,
    enbPenSize,
    enbPenEffect,
    enbFontAttr,
    enbFontText,
    enbToneObj,
    enbGradGroup,
    enbPen4Map,
    enbPen4Color,
    enbPen4Param,
    enbPen4Attr,
    enbPen4ShapeID,
    enbPen4RenderMode,
    enbPen4RenderParam,
    enbPen4RenderOpt,
    enbPen4StrokeParam,
    enbPen5Map,
    enbPen5Color,
    enbPen5Param,
    enbPen5Attr,
    enbPen5ShapeID,
    enbPen5RenderMode,
    enbPen5RenderParam,
    enbPen5RenderOpt,
    enbPen5StrokeParam,
    // flags
    enbStroking,
    enbBreakHdr,
    enbPlayWait,
    enbPlayPause,
    enbPlaying,
    enbPlayEnding,
    enbPlayStroke,
    enbPlayStrokeWait,
    enbPlayStrokeEnd,
    enbPlayShape,
    kEvEnbCount,
};
// The elements that hold a recorded value (enbAppStat .. enbPen5StrokeParam).
inline constexpr int kEvValueCount = enbStroking;

class SEvEnbSet
{
  public:
    bool has(bEvEnbF e) const { return (m_bits >> e) & 1u; }
    void add(bEvEnbF e) { m_bits |= uint64_t(1) << e; }
    void remove(bEvEnbF e) { m_bits &= ~(uint64_t(1) << e); }
    void clear() { m_bits = 0; }
    bool empty() const { return m_bits == 0; }
    uint64_t bits() const { return m_bits; }
    friend bool operator==(const SEvEnbSet &, const SEvEnbSet &) = default;

  private:
    uint64_t m_bits = 0;
};

// The view updates the last replay step needs (a set of bits).
enum eEvPlayUpdt : uint16_t
{
    updtRefresh = 0x01,
    updtPreview = 0x02,
    updtCaption = 0x04,
    updtLayerWin = 0x08,
    updtSelectWin = 0x10,
    updtPenMtdWin = 0x20,
    updtPenShpWin = 0x40,
    updtSize = 0x80,
};

// The result of one replay step.
enum class eEvPlayStat : uint8_t
{
    epsContinue,
    epsWait,
    epsEnd,
    epsError,
};

// The result of starting a replay.
enum class eEvStartStat : uint8_t
{
    ersOK,
    ersErrOther,
    ersErrFile,
    ersErrVersion,
    ersErrHasImage, // declared for render mode; the player never answers it
};

// What a status code records.
enum class eStatusKind : uint8_t
{
    unknown,   // not a status code of the catalogue
    noElement, // a status that carries data for the next packet (128, 129, 136)
    element,   // a recorded value with its element
};
eStatusKind statusElementOf(uint8_t code, bEvEnbF &e);
