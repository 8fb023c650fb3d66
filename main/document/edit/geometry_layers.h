// The steps every geometry builder shares when it makes a layer (internal to the edit family).
#pragma once

#include "core/base/geometry.h"
#include "document/files/new_document.h"

#include <QString>

#include <cstdint>
#include <memory>

class CBlockVMTC;
class CLayerData;

// The largest side a builder or a move makes a layer image: room for a layer of the largest paper
// moved by a paper's width or height either way. A larger one is refused as out of memory (its
// block table alone would not fit: a zoom of a layer placed far off the paper asked for 45 GB).
inline constexpr int64_t kMaxLayerSide = 4 * int64_t(kMaxPaperSide);

// A layer for src's place: src's index, no own history, a w x h image of src's mode. nullptr when
// a side is not in 1..kMaxLayerSide or the image cannot be made.
std::unique_ptr<CLayerData> newGeometryLayer(const CLayerData &src, int64_t w, int64_t h);
// src's attributes (with copyAttr, otherwise its title only), the paper as view size, uniform
// blocks released, the preview resized (to previewSize, or to the layer list's edge when it is
// empty) and redrawn. False when the preview cannot be had.
bool finishGeometryLayer(CLayerData &ld, const CLayerData &src, const sSize &paperSize,
                         bool copyAttr = true, const sSize &previewSize = {});
// src's box copied to dpos in dst; true also when nothing of it lands in dst (a layer beside the
// area keeps none of its pixels), false only when a block cannot be committed.
bool copyLayerImage(CBlockVMTC &dst, const CBlockVMTC &src, sPos dpos, sBox box);

// "メモリ不足により<what>の実行に失敗しました！" and "予期しない例外により<what>の実行に失敗しました！",
// the messages of a geometry command that could not be carried out.
QString memoryFailureMessage(const QString &what);
QString exceptionFailureMessage(const QString &what);

// Commits every block of img under box (clipped to the image): a resampler that writes every
// pixel of the box then cannot run out part-way. False when a block cannot be had.
bool commitLayerArea(CBlockVMTC &img, const sBox &box);
