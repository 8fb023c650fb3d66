// Giving a document its paper and first layer: a new document, the paper size every re-sizing
// operation sets through changePaperSize, and the canvas colour.
#pragma once

#include <QString>

#include <cstdint>

class TFlowImage;
class TPaper;

// The largest side of a paper or layer a document is made with.
constexpr int32_t kMaxPaperSide = 10000;

// A new document of pw x ph with one layer of lw x lh (the paper size, mode multiply and opaque
// with the level-1 procedure); ctp hides the canvas colour, ltp makes the layer transparent
// (newer procedures only). Records the creation and the begin packet, then the document is
// ready. False, nothing recorded, for a size outside 1..kMaxPaperSide, a negative dpi or when the
// layer cannot be made.
bool eventEditCreate(TPaper &paper, const QString &name, TFlowImage *flow, int32_t pw, int32_t ph,
                     int32_t lw, int32_t lh, int32_t dpi, bool ctp, bool ltp);
// The same with the layer as large as the paper.
bool EventEditCreate(TPaper &paper, const QString &filename, TFlowImage *flow, int32_t x, int32_t y,
                     int32_t dpi, bool ctp, bool ltp);
// The level-1 start: a transparent-layer document of width x height at dpi 0.
bool LayerCreate(TPaper &paper, const QString &filename, TFlowImage *flow, int32_t width,
                 int32_t height);
// Records the begin packet.
bool eventBeginRecording(TPaper &paper);
// The paper becomes w x h: the layer list told, the mask previews and panel refreshed, the work
// image (nullptr: the window's), the display image, the clipping image and the zoom caches
// re-sized, the window's scroll bars reset.
void changePaperSize(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h);
// The canvas colour only.
void changePaperColor(TPaper &paper, uint32_t col);
// The canvas colour as an edit: recorded and undoable, the display recomposed.
bool EventEditPC(TPaper &paper, uint32_t color, bool undo);
