#include "document/undo/undo_data.h"

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "platform/system/debug_output.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

using enum udCmdName;

uint64_t imageBytes(const std::unique_ptr<CBlockVMTC> &img)
{
    return img ? img->getImageDataBytes() : 0;
}

uint64_t layerBytes(const CLayerData *ld)
{
    return ld ? ld->calcMemSize() : 0;
}

// Summed here in 64 bits: a document may hold more than 4 GiB.
uint64_t layerMngrBytes(const CLayerMngr *mngr)
{
    uint64_t n = 0;
    if (mngr)
        for (int32_t i = 0; i < mngr->getLayerCount(); ++i)
            n += layerBytes(mngr->getLayer(i));
    return n;
}

uint64_t layerListBytes(const TUndoLayerList *list)
{
    uint64_t n = 0;
    if (list)
        for (const auto &ld : *list)
            n += layerBytes(ld.get());
    return n;
}

uint64_t imageArea(const CLayerData *ld)
{
    if (!ld || !ld->imageTC)
        return 0;
    return uint64_t(ld->imageTC->width()) * uint64_t(ld->imageTC->height());
}

uint64_t complexBytes(const CUndoData &u)
{
    const CUndoObj &obj = u.dataObj;
    switch (u.cmdName) {
    case udcnComplexLayerBindClippingGroup:
    case udcnComplexBindLayerGroup:
    case udcnComplexDelGroupLayers:
    case udcnComplexMoveLayerGroupPos:
    case udcnComplexMoveLayerGroupSelPos:
    case udcnComplexMoveLayerLinkPos:
    case udcnComplexMoveLayerLinkSelPos:
        return layerListBytes(obj.layerList());
    case udcnComplexLayerAndMaskFreeTransform:
        return obj.mask() ? obj.mask()->calcMemSize() : 0;
    case udcnComplexAddLayer:
    case udcnComplexDupLayer:
    case udcnComplexPasteLayer:
        return u.bNowRedo ? layerBytes(obj.layer()) : 0;
    case udcnComplexDelLayer:
    case udcnComplexDelLayerGroup:
        return u.bNowRedo ? 0 : layerBytes(obj.layer());
    case udcnComplexMoveLayerPos:
    case udcnComplexMoveLayerSelectPos:
    case udcnComplexReplaceLayer:
        return layerBytes(obj.layer());
    case udcnComplexBindLayer:
        return layerBytes(obj.layer()) + (u.bNowRedo ? 0 : layerBytes(u.dataLayer2));
    case udcnComplexBindAllLayers:
        return u.dataVal1 == 0 ? layerMngrBytes(obj.layerMngr()) : 0;
    case udcnComplexResize:
    case udcnComplexCrop:
        return layerMngrBytes(obj.layerMngr());
    case udcnComplexReso:
        return layerMngrBytes(obj.layerMngr()) + (u.dataMasks ? u.dataMasks->calcMemSize() : 0);
    case udcnComplexSplitWithMask:
        // The layer while it is out of the document, and always the saved alpha bytes (counted
        // from the block itself when there is one: the layer may be the document's).
        return (u.bNowRedo ? layerBytes(obj.layer()) : 0) +
               (u.dataBytes.empty() ? imageArea(obj.layer()) : u.dataBytes.size());
    default:
        return 0;
    }
}

} // namespace

// ---- the object slot

void CUndoObj::destroy()
{
    struct Deleter
    {
        void operator()(std::monostate) const {}
        void operator()(CLayerData *p) const { delete p; }
        void operator()(TUndoLayerList *p) const { delete p; }
        void operator()(CLayerMngr *p) const { delete p; }
        void operator()(CMaskData *p) const { delete p; }
        void operator()(CMaskMngr *p) const { delete p; }
        // The document is only ever referred to.
        void operator()(TPaper *) const {}
    };
    std::visit(Deleter{}, m_value);
    clear();
}

SUndoOwnership undoOwnership(udCmdName cn, bool bNowRedo, int32_t dataVal1)
{
    SUndoOwnership own;
    switch (cn) {
    case udcnComplexLayerBindClippingGroup:
    case udcnComplexLayerAndMaskFreeTransform:
    case udcnComplexMoveLayerPos:
    case udcnComplexMoveLayerSelectPos:
    case udcnComplexReplaceLayer:
    case udcnComplexBindLayerGroup:
    case udcnComplexDelGroupLayers:
    case udcnComplexMoveLayerGroupPos:
    case udcnComplexMoveLayerGroupSelPos:
    case udcnComplexMoveLayerLinkPos:
    case udcnComplexMoveLayerLinkSelPos:
    case udcnComplexResize:
    case udcnComplexCrop:
    case udcnMaskInsert:
    case udcnMaskRemove:
    case udcnMaskReplace:
    case udcnMaskBind:
        own.obj = true;
        break;
    // Taken out of the document by the undo.
    case udcnComplexAddLayer:
    case udcnComplexDupLayer:
    case udcnComplexPasteLayer:
    case udcnComplexSplitWithMask:
    case udcnMaskInsert2:
        own.obj = bNowRedo;
        break;
    // Out of the document until the record is undone.
    case udcnComplexDelLayer:
    case udcnComplexDelLayerGroup:
        own.obj = !bNowRedo;
        break;
    case udcnComplexBindLayer:
        own.obj = true;
        own.layer2 = !bNowRedo;
        break;
    case udcnComplexBindAllLayers:
        own.obj = true;
        own.detachShared = dataVal1 != 0;
        break;
    case udcnComplexReso:
        own.obj = true;
        own.masks = true;
        break;
    default:
        break;
    }
    return own;
}

// ---- construction and destruction

CUndoData::CUndoData(int32_t id) : layerID(id) {}

CUndoData::CUndoData(int32_t id, sBox &box, udCmdName cn) : layerID(id), cmdName(cn)
{
    boxAlignToBlocks(box);
    setBox(box);
    image = std::make_unique<CBlockVMTC>(box.w, box.h);
}

CUndoData::CUndoData(const CUndoData &src)
    : enable(src.enable), pos(src.pos), size(src.size), layerID(src.layerID),
      dataType(src.dataType), cmdName(src.cmdName), dataBytes(src.dataBytes),
      dataVal0(src.dataVal0), dataVal1(src.dataVal1), dataVal2(src.dataVal2),
      dataVal3(src.dataVal3), dataText(src.dataText), dataTables(src.dataTables),
      dataIds(src.dataIds)
{
    // The images are copied anew (two records never share a block).
    for (auto [dst, from] :
         {std::pair{&image, &src.image}, std::pair{&dataImage, &src.dataImage}}) {
        if (!*from)
            continue;
        *dst = std::make_unique<CBlockVMTC>(**from);
        if (!(*dst)->isEnable())
            throw std::bad_alloc();
    }
}

CUndoData::~CUndoData()
{
    enable = false;
    image.reset();
    dataImage.reset();
    const SUndoOwnership own = undoOwnership(cmdName, bNowRedo, dataVal1);
    if (own.detachShared) {
        // Those layers are the document's: they leave the saved manager without being freed.
        if (CLayerMngr *mngr = dataObj.layerMngr())
            for (int32_t i = mngr->getMaxIndex(); i >= 1; --i)
                static_cast<void>(mngr->popAt(i).release());
    }
    if (own.obj)
        dataObj.destroy();
    dataObj.clear();
    if (own.layer2)
        delete dataLayer2;
    dataLayer2 = nullptr;
    if (own.masks)
        delete dataMasks;
    dataMasks = nullptr;
}

// ---- filling

void CUndoData::beginKind(udDataType dt, udCmdName cn)
{
    image.reset();
    enable = true;
    dataType = dt;
    cmdName = cn;
}

void CUndoData::setImage(int32_t idx, int32_t id, std::unique_ptr<CBlockVMTC> tc, const sBox &box,
                         udCmdName cn)
{
    beginKind(udDataType::uddtImage, cn);
    image = std::move(tc);
    setBox(box);
    layerIdx = idx;
    layerID = id;
}

void CUndoData::setCmd(int32_t id, const sBox &box, udCmdName cn)
{
    beginKind(udDataType::uddtCmd, cn);
    layerID = id;
    setBox(box);
}

void CUndoData::setValue(int32_t id, udCmdName cn, int32_t val0, int32_t val1, int32_t val2,
                         int32_t val3)
{
    beginKind(udDataType::uddtValue, cn);
    layerID = id;
    dataVal0 = val0;
    dataVal1 = val1;
    dataVal2 = val2;
    dataVal3 = val3;
}

void CUndoData::setAttr(bool enb, int32_t id, udDataType dt, udCmdName cn, int32_t val0,
                        int32_t val1, int32_t val2, int32_t val3)
{
    enable = enb;
    layerID = id;
    dataType = dt;
    cmdName = cn;
    dataVal0 = val0;
    dataVal1 = val1;
    dataVal2 = val2;
    dataVal3 = val3;
}

bool CUndoData::setAlpha(int32_t id, const CBlockVMTC &tc, sBox &box, udCmdName cn)
{
    sByteImage bytes;
    if (!byteImageFromAlpha(bytes, tc, box))
        return false;
    beginKind(udDataType::uddtAlpha, cn);
    layerID = id;
    pos = box.pos();
    size = {bytes.w, bytes.h};
    const size_t n = size_t(bytes.w) * size_t(bytes.h);
    dataBytes.assign(bytes.data.get(), bytes.data.get() + n);
    return true;
}

void CUndoData::setBox(const sBox &box)
{
    pos = box.pos();
    size = box.size();
}

int32_t CUndoData::replaceLayerID(int32_t id)
{
    std::swap(layerID, id);
    return id;
}

// ---- reading and applying

void CUndoData::getBox(sBox &box) const
{
    box = {pos.x, pos.y, size.x, size.y};
    if (image) {
        box.w = image->width();
        box.h = image->height();
    }
}

sBox CUndoData::getBox() const
{
    sBox box;
    getBox(box);
    return box;
}

bool CUndoData::isHeavy() const
{
    return hasImage() || getUpdateType().has(udUpdateFlag::udutHeavy);
}

void CUndoData::swapValue01()
{
    std::swap(dataVal0, dataVal1);
}

bool CUndoData::copyInto(std::unique_ptr<CBlockVMTC> &dst, const CBlockVMTC &src, sBox &box)
{
    boxAlignToBlocks(box);
    return dst && dst->simpleCopy(src, {0, 0}, box);
}

bool CUndoData::copy(const CBlockVMTC &src, sBox &box)
{
    enable = true;
    return copyInto(image, src, box);
}

bool CUndoData::copyOptImage(const CBlockVMTC &src, sBox &box)
{
    return copyInto(dataImage, src, box);
}

bool CUndoData::copyTo(CBlockVMTC &dst) const
{
    return image && dst.simpleCopy(*image, pos, {0, 0, image->width(), image->height()});
}

bool CUndoData::copyOptImageTo(CBlockVMTC &dst) const
{
    return dataImage &&
           dst.simpleCopy(*dataImage, pos, {0, 0, dataImage->width(), dataImage->height()});
}

bool CUndoData::makeInto(std::unique_ptr<CBlockVMTC> &dst, int32_t w, int32_t h,
                         const CBlockVMTC &tc, sBox box)
{
    try {
        auto img = std::make_unique<CBlockVMTC>(w, h);
        if (!img->isEnable() || !img->copyArea(tc, {0, 0}, box))
            throw std::bad_alloc();
        dst = std::move(img);
        return true;
    } catch (const std::bad_alloc &) {
        debugOut(QStringLiteral("CUndoData::makeImage: out of memory!"));
        return false;
    }
}

bool CUndoData::makeImage(int32_t w, int32_t h, const CBlockVMTC &tc, sBox box)
{
    if (!makeInto(image, w, h, tc, box))
        return false;
    enable = true;
    return true;
}

bool CUndoData::makeOptImage(int32_t w, int32_t h, const CBlockVMTC &tc, sBox box)
{
    return makeInto(dataImage, w, h, tc, box);
}

bool CUndoData::doAlpha(CBlockVMTC &tc) const
{
    const size_t n = size_t(std::max(size.x, 0)) * size_t(std::max(size.y, 0));
    if (!enable || dataType != udDataType::uddtAlpha || n == 0 || dataBytes.size() != n)
        return false;
    sByteImage bytes;
    if (!byteImageAlloc(bytes, size.x, size.y))
        return false;
    std::memcpy(bytes.data.get(), dataBytes.data(), n);
    return byteImageToAlpha(bytes, tc, {pos.x, pos.y, size.x, size.y});
}

bool CUndoData::doCmd(CLayerData &layer) const
{
    if (dataType != udDataType::uddtCmd || !layer.imageTC)
        return false;
    return applyLayerCmd(layer, cmdName, *layer.imageTC, getBox());
}

bool CUndoData::doCmd(CLayerMngr &mngr) const
{
    if (dataType != udDataType::uddtCmd)
        return false;
    for (int32_t i = 0; i < mngr.getLayerCount(); ++i) {
        CLayerData &ld = *mngr.getLayer(i);
        const bool turned = dataIds.empty() ||
                            std::find(dataIds.begin(), dataIds.end(), ld.uniqueID) != dataIds.end();
        if (!turned || !ld.imageTC)
            continue;
        applyLayerCmd(ld, cmdName, *ld.imageTC, ld.imageBox());
        ld.updatePreview();
    }
    return true;
}

uint64_t CUndoData::getUsedMemSize() const
{
    if (!enable)
        return 0;
    uint64_t n = imageBytes(image) + imageBytes(dataImage);
    switch (dataType) {
    case udDataType::uddtAlpha:
        if (!dataBytes.empty())
            n += uint64_t(std::max(size.x, 0)) * uint64_t(std::max(size.y, 0));
        break;
    case udDataType::uddtComplex:
        n += complexBytes(*this);
        break;
    case udDataType::uddtMask:
        if (cmdName == udcnMaskInsert2 && dataObj.mask())
            n += dataObj.mask()->calcMemSize();
        break;
    default:
        break;
    }
    return n;
}

bool applyLayerCmd(CLayerData &layer, udCmdName cn, CBlockVMTC &image, sBox box)
{
    // The whole-image forms act on each layer as the single-layer commands.
    if (cn >= udcnCmdVisFlipLR && cn <= udcnCmdVisRot180)
        cn = udCmdName(int32_t(cn) - 5);
    const auto flipX = [&] {
        layer.viewPos.x = image.width() - layer.viewPos.x - layer.viewSize.x;
    };
    const auto flipY = [&] {
        layer.viewPos.y = image.height() - layer.viewPos.y - layer.viewSize.y;
    };
    switch (cn) {
    case udcnCmdFlipLR:
        flipX();
        return image.flipLR(box);
    case udcnCmdFlipTB:
        flipY();
        return image.flipTB(box);
    case udcnCmdNot:
        return image.effectXor(box, 0x00FFFFFF);
    case udcnCmdRot180:
        flipX();
        flipY();
        return image.rot180(box);
    case udcnCmdNotAlpha:
        return image.effectXor(box, 0xFF000000);
    default:
        return false;
    }
}
