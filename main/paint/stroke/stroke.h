// The brush stroke in progress with the brush settings of the older engines (TStroke): draw mode,
// colours, opacity, pen size and pressure response, effect values, air map, screentone,
// gradation and transparency-protection switches, the last eight input samples, the area touched,
// the pen progress, the finger-tip textures and the watercolour mixing state. The stroke managers
// and dab renderers of both brush generations read its settings.
#pragma once

#include "core/image/canvas_draw.h"
#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/brush/legacy_pen_records.h"
#include "paint/render/pen_render_host.h"
#include "paint/stroke/stroke_data.h"

#include <array>
#include <cstdint>
#include <functional>

class CBlockVMTC;
class IPenRenderPaper;
class TChannel;
class TStroke;

// What the stroke asks of the document layer above. The document installs it at start-up; tests
// install fakes. With nothing installed neither call does anything.
struct SStrokeDocumentHooks
{
    // Re-chooses the stroke context's put procedures from the stroke's tone, gradation and
    // transparency switches (and the current selection mask).
    std::function<void(TStroke &)> selectStrokePutProcs;
    // True while the stroke context's window paints a document with the oldest draw procedure:
    // its strokes are then always fully opaque.
    std::function<bool()> strokeWindowUsesOldDrawProc;
};
// Installs hooks and returns the previous ones.
SStrokeDocumentHooks installStrokeDocumentHooks(SStrokeDocumentHooks hooks);

// An area in canvas pixels, bounds as Singles.
struct SUpdateRange
{
    float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    friend bool operator==(const SUpdateRange &, const SUpdateRange &) = default;
};

class TStroke : public IPenRenderStroke
{
  public:
    // Switches off, gamma 1, DM_PEN, ABMAP_LINEAR, black draw colour, white background, opacity 1,
    // the engine version ver; no finger-tip pick-up yet. Touches no process-wide state.
    explicit TStroke(int32_t ver);
    ~TStroke() override;
    TStroke(const TStroke &) = delete;
    TStroke &operator=(const TStroke &) = delete;

    // --- Colours, layer, opacity (virtual in this order) ---
    virtual void SetDrawColor(uint32_t color); // changed flag when different
    virtual void SetDrawLayer(int32_t index);
    virtual void setFgCol(uint32_t cc); // no changed flag
    virtual void setBgCol(uint32_t cc); // no changed flag
    virtual void setOpaque(float v);    // clamped to 0.01..1
    // Each sets its switch and answers whether it changed; with updt the stroke context
    // re-chooses its put procedures for this stroke. The tone and gradation switches set the
    // changed flag, the mask protection does not.
    virtual bool switchScreenTone(bool sw, bool updt);
    virtual bool switchGradation(bool sw, bool updt);
    virtual bool switchMaskProtection(bool sw, bool updt);
    virtual bool isScreenToneSupported() const;
    virtual bool isGradationSupported() const;

    // m_opaque; 1.0 (255) while the stroke context's window paints with the oldest draw
    // procedure. OpaqueDWORD is otherwise trunc(opacity * 255).
    float getOpaque() const;
    uint32_t OpaqueDWORD() const;

    // --- Pen settings ---
    void SetPenMin(float size); // changed flag when different (no clamp)
    void SetPenEffect(float v);
    void SetPenEnv(float v);
    void SetPenSpeed(float v);
    void SetPenWidth(float width); // then clamped to 0.1..500
    void SetPenGamma(float gamma); // when different: clamped to 0.01..6
    void SetPenMinAdd(float add);  // add, clamp 0..100, no changed flag
    void SetPenEffectAdd(float add);
    void SetPenEnvAdd(float add);
    void SetPenSpeedAdd(float add);
    void SetPenWidthAdd(float add); // add, clamp 0.1..500
    void SetDrawMode(TDrawMode dm);
    void SetPenIfSize(bool v);
    void SetPenIfTrans(bool v);
    void SetPenIfEdge(bool v);
    void SetChanged(bool ifChanged) { m_changed = ifChanged; }

    // Whether a setting applies to the current draw mode.
    bool IfPenMinEnabled() const;
    bool IfPenIfSizeEnabled() const;
    bool IfPenIfTransEnabled() const;
    bool IfPenIfEdgeEnabled() const;
    bool IfPenEffectEnabled() const;
    bool IfPenEnvEnabled() const;
    bool IfPenSpeedEnabled() const;
    bool IfPenWidthEnabled() const { return true; }
    bool IfPenGammaEnabled() const { return true; }

    void setPenSpacing(float sp); // clamped to 0.02..2
    // The draw mode's fixed spacing, or m_penSpacing where the mode has its own; at least 0.02.
    float getPenSpacing() const;
    // The dab width at pressure p: between width * m_penMin / 100 and the width when the mode
    // and the switch take size from pressure, else the width.
    float GetPenWidth(float p) const;

    void IncPenCount() { ++m_penCount; }
    void setPenProgress(float v) { m_penProgress = v; }
    void AddPenProgress(float add) { m_penProgress += add; }

    // --- Sample history and touched area ---
    void getLastSD(SStrokeData &sd) const { sd = strokeData[0]; }
    // Entry idx (0..7; others are clamped into that range).
    void getSD(SStrokeData &sd, int32_t idx) const;
    // Pushes a sample as entry 0; unless m_bRawPoint, entry 1 becomes the mean of entries 0 and 2.
    void AddStroke(float x, float y, float p);
    // Entry 2 := (x1, y1, p1), entry 1 := (x2, y2, p2).
    void setStrokePos(float x1, float y1, float p1, float x2, float y2, float p2);
    // updtRange := the area of the newest segment (entries 2 to 1, half side width + 2);
    // updtRangeAll grows by it.
    void MinimumRectUpdate();
    // updtRange / updtRangeAll as a box with even origin and even far edge.
    void GetMinimumMoveRange(sBox &box) const;
    void GetMinimumStrokeRange(sBox &box) const;

    // --- Stroke start ---
    // Starts a stroke at (x, y) on the canvas dst: counters and progress zeroed, the draw
    // layer's neutral colour taken from paper (LM_STD's without one), the history filled with
    // (x, y, 0); then the draw mode's start (watercolour pick-up, finger-tip pick-up, lightness
    // curve).
    void InitBeginStrokeOld(const IPenRenderPaper *paper, float x, float y, float p,
                            const TMTC &dst);
    // The same on a flow image placed at viewPos on the paper: the history takes (x, y) as given,
    // the draw mode's start works on image at (x + viewPos.x, y + viewPos.y).
    void initBeginStroke(const IPenRenderPaper *paper, const TMTC &image, const sPos &viewPos,
                         float x, float y, float p);

    // --- Finger-tip textures ---
    // actPenTC := 0, both textures cleared, texture 0 picked up at (x, y) with radius r.
    void initRubPen(const TMTC &dst, float x, float y, float p, float r);
    // False when the truncated position is the last pick-up's; else texture 0 is picked up there.
    bool nextSingleRubPen(const TMTC &dst, float x, float y, float r);
    // False when the truncated position is the last pick-up's; else the textures alternate.
    bool nextDoubleRubPen(const TMTC &dst, float x, float y, float r);
    bool nextDoubleRubPen(const TMTC &dst, float x, float y)
    {
        return nextDoubleRubPen(dst, x, y, m_penWidth);
    }
    CPenTC *getPenTC(int32_t idx);
    // The texture a finger tip lays down: nil before the second pick-up, else the one before the
    // newest (texture 0 after nextSingleRubPen).
    CPenTC *getLastPenTC();

    // --- Segment drawing of the paint levels 1 and 2 (paint/stroke/stroke_draw_line.cpp) ---
    // Walks the segment from (x1, y1) at pressure p1 to (x2, y2) at p2 (flow-image coordinates)
    // pixel by pixel along its major axis and puts a round dab every few steps by draw mode: a
    // pen disc into alphaflow, a watercolour disc that picks up and mixes canvas colour, a blur
    // dab from layerImage, an eraser disc in layerMode's neutral colour into imageflow, or the
    // second blur's strength into alphaflow. The other modes only count their steps.
    void DrawLine(float x1, float y1, float p1, float x2, float y2, float p2, TMTC &imageflow,
                  TChannel &alphaflow, const CBlockVMTC &layerImage, TLayerMode layerMode);

    // --- Built-in and legacy pen settings ---
    void initPenSetting(TDrawMode dm);
    // Slot index of draw mode dm in the key store (penSetting\<mode><index>): with updt the
    // built-in settings first; every value present is applied through the setters. False when
    // the key cannot be opened or the mode has no key.
    bool LoadPenSetting(TDrawMode dm, int32_t index, bool updt);
    // Writes the fourteen values of the slot; false when the store cannot take them.
    bool SavePenSetting(TDrawMode dm, int32_t index);

    // --- What the version-5 renderer reads ---
    uint32_t strokeDrawColor() const override { return m_drawColor; }
    uint32_t strokeBgColor() const override { return m_bgCol; }
    float strokeOpaque() const override { return getOpaque(); }
    bool strokePenIfTrans() const override { return m_penIfTrans; }
    float strokePenProgress() const override { return m_penProgress; }
    bool strokeProtectsTransparency() const override { return m_bProtectMask; }
    SWaterColorWork &strokeWaterColor() override { return m_wcWork; }

    // --- Fields (read by the stroke managers, renderers and the document) ---
    SUpdateRange updtRange, updtRangeAll;
    std::array<SStrokeData, 8> strokeData{}; // entry 0 the newest
    uint32_t m_bgCol = 0x00FFFFFF;
    float m_opaque = 1;
    eAirMap m_abMap = eAirMap::ABMAP_LINEAR;
    bool m_bUseTone = false;
    bool m_bUseGradation = false;
    bool m_bRawPoint = false;
    bool m_bDrawShape = false;
    bool m_bProtectMask = false;
    bool m_changed = false;
    uint32_t m_drawColor = 0; // an sBGRA value
    int32_t m_drawLayer = 0;
    TDrawMode m_drawMode = TDrawMode::DM_PEN;
    bool m_penIfSize = false, m_penIfTrans = false, m_penIfEdge = false;
    float m_penMin = 0;                                  // minimum size in percent of the width
    float m_penWidth = 0;                                // 0.1..500
    float m_penGamma = 1;                                // 0.01..6
    float m_penEffect = 0, m_penEnv = 0, m_penSpeed = 0; // 0..100
    int32_t m_penCount = 0;
    float m_penProgress = 0;
    float m_penSpacing = 0; // 0.02..2
    uint32_t m_penPutCount = 0;
    int32_t m_versionID = 0;
    sPos lastPos;       // the last finger-tip pick-up position
    sBGRA curLayerBG{}; // neutral colour of the draw layer's blend mode
    int32_t actPenTC = -1;
    std::array<CPenTC, 2> penTC;
    SWaterColorWork m_wcWork;

  private:
    void beginStroke(const IPenRenderPaper *paper, float x, float y);
    void startDrawMode(const TMTC &dst, float x, float y);
    void startWaterColor(const TMTC &dst, float x, float y);
    bool setFloat(float &field, float v);
    bool setBool(bool &field, bool v);
};
