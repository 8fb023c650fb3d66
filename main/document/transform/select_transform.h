// The free transform of a document: a frame with eight handles and a movable centre marker over
// the selection, the layer pixels inside it, or a layer's whole content. TSelectTransform keeps
// the frame's geometry, interprets every drag (Shift, Ctrl and Alt read from platform/keys at
// each step), draws the frame by XOR on the owner window's screen surface, lifts the pixels into
// work buffers and maps them back through the frame after every drag, takes typed values from the
// tool window, and finally commits (one event packet and one undo record) or cancels.
//
// The document owns the one running transform (TPaper::FFreeTransformer) from start to end; the
// transform refers to its document and reaches the window through the document's owner. It owns
// its work objects, which commit, cancel or destruction free.
//
// Coordinates. Points (sFPos) are document pixels unless a parameter says window pixels. The
// marker numbers index every point array: 0-3 the corners (top-left, top-right, bottom-right,
// bottom-left), 4-7 the middles of the edges 0-1, 1-2, 2-3, 3-0, 8 the centre marker, 9 the
// frame centre (the crossing of the lines 7-5 and 4-6). FTransPoints is the frame in its own
// unrotated axes, FFrameAngle its rotation (radians, in (-pi, pi], clockwise on the screen) about
// FDatumPos; FViewPoints is the frame as shown and mapped. Rotations and scalings of points run
// in 16.16 fixed point.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <cstdint>
#include <memory>

class CBlockVMTC;
class CLayerData;
class CMaskData;
class TChannel;
class TMTC;
class TPaper;
class TTC;

// The kinds of drag (FTransformType).
enum : int32_t
{
    kTransMove = 12,
    kTransHandle = 13,
    kTransRotate = 14,
    kTransShear = 15,
    kTransDatum = 16,
    kTransAnchorScale = 17,
    kTransNone = 99,
};

// Marker numbers beyond the points (FMarkerTypeNow).
enum : int32_t
{
    kMarkerCentre = 8,
    kMarkerFrameCentre = 9,
    kMarkerInside = 10,
    kMarkerOutside = 11,
    kMarkerNone = 99,
};

using TTransPoints = std::array<sFPos, 10>;

class TSelectTransform
{
  public:
    explicit TSelectTransform(TPaper &paper);
    ~TSelectTransform();
    TSelectTransform(const TSelectTransform &) = delete;
    TSelectTransform &operator=(const TSelectTransform &) = delete;

    // ---- set-up
    // The frame from the current mask's non-zero rectangle, or without a selection from the
    // active layer's visible content; drawn on the window. False when neither exists.
    bool createFreeTransform();
    // Lifts the selection (when the current mask holds one); keeps a copy of the mask. False only
    // when memory runs out.
    bool setTransMask();
    // Lifts the active layer's pixels (inside the selection when one is transformed). False when
    // there is nothing to lift or memory runs out.
    bool setTransImage();
    // The tool window shows the datum, 100 x 100 % and 0 degrees.
    void initOptionFormValue();
    void initParam();

    // ---- hit testing and queries (document coordinates)
    void setMarkerTypeInPos(const sFPos &pos);
    static int32_t getSymmetricMarker(int32_t marker);
    // The angle of pos about the centre marker (of pos1 about pos2); false when it cannot be had.
    bool getAngle(float &angle, const sFPos &pos) const;
    static bool getAngle(float &angle, const sFPos &pos1, const sFPos &pos2);
    // Minus the angle of view marker m1 about view marker m2.
    bool getCurAngle(int32_t m1, int32_t m2, float &angle) const;
    sFPos getMarkerPoints(int32_t markerType) const;
    // The pixel is inside the frame (the mapping finds its parameters).
    bool isInsideFrame(const sFPos &pos) const;

    // ---- dragging (window coordinates)
    void dragStart(const sPos &pos);
    void saveTransStartPoints();
    void transform(const sPos &pos, int32_t dx, int32_t dy);
    void dragEnd();
    // Arrow keys: the frame moves by ofs document pixels.
    void setTransformOfs(const sFPos &ofs);

    // ---- drawing (XOR: drawing the same frame twice removes it)
    void drawDc(TMTC *dc);
    void drawWnd();
    // Only the centre marker.
    void drawCentreWnd();

    // ---- update areas (document coordinates)
    sBox getUpdateBox() const { return FLastUdtBox; }
    static sBox getUpdateBox(const sBox &nowBox, const sBox &lastBox);
    void getTransformRect(sRect &r) const;
    sBox getTransformBox() const;
    void setLastUdtBox();

    // ---- pixels
    bool transformMask();
    bool transformImage(bool aa);
    bool simpleMoveImage(CBlockVMTC &dst, const TMTC &src);
    bool transformImage(CBlockVMTC &dst, const TMTC &src, bool aa);

    // ---- typed values, commit, cancel, replay
    void changeTransformParam(int32_t activeType, float dx, float dy, float angle);
    void setOptionFormValue(float dx, float dy);
    // All or nothing: false (the document as before the transform, nothing recorded) when a copy
    // cannot be made.
    bool transformApply(bool undo);
    void transformCancel();
    void setTransformPoints(const sFPos &topLeft, const sFPos &topRight, const sFPos &bottomRight,
                            const sFPos &bottomLeft);

    TPaper &paper() const { return m_paper; }
    bool holdsWorkObjects() const;
    // A window point in document coordinates.
    sFPos toCanvas(const sPos &pos) const;
    // Repaints the update box (clipped to the paper) from the document's display image.
    void repaintUpdateBox();
    // Gives the document back what was lifted and frees the work objects, drawing nothing (a
    // start that failed half-way, a replay that could not apply).
    void abandon();

    // ---- state (the frame's fields; tests read them)
    bool FIsFreeTransform = false;
    bool FIsTransformSelect = false;
    bool FIsTransformImage = false;
    TTransPoints FViewPoints{};
    TTransPoints FTransPoints{};
    TTransPoints FFirstPoints{};
    TTransPoints FDragStartTransPoints{};
    int32_t FTransformType = kTransNone;
    int32_t FLastTransformType = kTransNone;
    int32_t FLastPressMarker = kMarkerNone;
    float FScaleW = 100, FScaleH = 100;
    int32_t FFirstWidth = 0, FFirstHeight = 0;
    sBox FLastUdtBox;
    float FDistortionH = 0, FDistortionV = 0;
    int32_t FMarkerTypeNow = kMarkerNone;
    float FFrameAngle = 0;
    float FLastAngle = 0;
    float FLastOptAngle = 0;
    float FRotateAngle = 0;
    bool FIsMovedAnchor = false;
    float FMoveDx = 0, FMoveDy = 0;
    sFPos FVanishingPoint1, FVanishingPoint2;
    bool FIsVanishingPoint = false;
    int32_t FMarkerTypeOnAnchor = kMarkerFrameCentre;
    sFPos FDatumPos, FLastDatumPos;
    // The work objects of the pixel mapping.
    std::unique_ptr<TChannel> FTrnsChannel;
    std::unique_ptr<TChannel> FTrnsResultChannel;
    std::unique_ptr<CMaskData> FBaseMask;
    sRect FBeforeMaskRect, FTrnsMaskRect;
    sPos FTrnsMaskPos, FTrnsMaskViewPos;
    std::unique_ptr<TTC> FTrnsImage;
    sPos FTrnsImagePos, FTrnsImageViewPos;
    std::unique_ptr<CLayerData> FBaseLayer;
    std::unique_ptr<CLayerData> FDelLayer;
    int32_t FLyrTrans = 255;
    bool FModify = false;
    bool FIsSimpleMove = true;

  private:
    // Points 4-7 and 9 from the corners.
    static void updateMidPoints(TTransPoints &p);
    // FViewPoints from FTransPoints, the rotations and the centre marker's attachment.
    void rebuildViewPoints();
    void computeVanishingPoints();
    // The handle rules of one step (types 12, 13 and 17); false when an intersection fails.
    bool applyHandleRules(int32_t marker, bool shift, bool ctrl, bool alt);
    bool applyCornerRule(int32_t k, sFPos d, bool shift, bool ctrl, bool alt, TTransPoints &n);
    bool applyEdgeRule(int32_t e, sFPos d, bool shift, bool ctrl, bool alt, TTransPoints &n);
    // The centre marker at drag start in the frame's axes.
    sFPos anchorInFrame() const;
    // The centre marker placed at pos with its snapping (type 16).
    void placeCentreMarker(const sFPos &pos);
    // Within n screen pixels of m.
    bool isNear(const sFPos &pos, const sFPos &m, float n) const;
    // The release sequence after a typed change: mappings, repaint, dragEnd.
    void releaseSequence();
    // The live mask and layer back from the copies kept (no recording).
    void restoreFromBase();
    void freeWorkObjects();
    void finishTransform();
    bool commitSelectionOnly(bool undo);
    bool commitImage(bool undo);

    TPaper &m_paper;
};

// Wraps an angle into (-pi, pi] by adding or subtracting 2 pi.
float wrapTransformAngle(float a);
// The line A-D crossed with the line B-C: A + t (D - A), t = f / (f + g), f = ((B - C) x (A - C)) / 2,
// g = ((B - C) x (C - D)) / 2; false when f + g is exactly 0 (parallel lines).
bool transformLineCross(const sFPos &A, const sFPos &D, const sFPos &B, const sFPos &C, sFPos &out);
// p turned by angle about pivot and scaled by (sx, sy) in its own axes, in 16.16 fixed point.
sFPos transformRotatePoint(const sFPos &p, const sFPos &pivot, float angle, float sx = 1,
                           float sy = 1);
