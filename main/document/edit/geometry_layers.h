// The steps every geometry builder shares when it makes a layer (internal to the edit family).
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstdint>
#include <memory>

class CBlockVMTC;
class CLayerData;

// A layer for src's place: src's index, no own history, a w x h image of src's mode. nullptr when
// a side is not in 1..INT32_MAX or the image cannot be made.
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
