#include "document/paper/layer_header.h"

#include "document/paper/layer_data.h"

SOlyHeader makeOlyHeader(const CLayerData &ld)
{
    using enum TLayerMode;
    SOlyHeader h;
    h.index = ld.index;
    h.flags = kOlyExtended;
    if (ld.visible)
        h.flags |= kOlyVisible;
    if (ld.maskProtected)
        h.flags |= kOlyProtected;
    if (ld.ditherEnable)
        h.flags |= kOlyDither;
    h.mode = uint8_t(ld.mode);
    h.trans = ld.trans;
    if (const CBlockVMTC *img = ld.imageTC.get()) {
        h.blkSize = {img->blockUnit(), img->blockUnit()};
        h.repSize = img->getRepSize();
        h.imgSize = {img->width(), img->height()};
        h.bgCol = CBlockVMTC::kInitColor; // the colour of every block without memory
    }
    h.viewPos = ld.viewPos;
    h.viewSize = ld.viewSize;
    h.nameLength = uint16_t(ld.title.size() * 2 + 1);
    const bool oldMode =
        ld.mode == LM_MUL || ld.mode == LM_ADD || ld.mode == LM_SUB || ld.mode == LM_STD;
    h.version = oldMode ? 0 : 1;
    h.dither = ld.dither;
    h.groupLevel = uint8_t(ld.groupLevel);
    h.underLyrClip = ld.underLyrClip ? 1 : 0;
    h.dizSeed = ld.dizRand.val;
    h.linkID = uint16_t(ld.linkIndex);
    return h;
}
