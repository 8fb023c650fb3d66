// One selection mask (CMaskData), the mask resampler and the process-wide values of the masks.
// The list of masks is in mask_manager.cpp.
#include "core/mask/mask_manager.h"

#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <new>

namespace {

int32_t gMaskPreviewMax = 25;
int32_t gNextMaskUniqueID = 0;

} // namespace

QString maskAddTypeCaption(eMaskAddType mat)
{
    switch (mat) {
    case eMaskAddType::matNew:
        return QStringLiteral(u"選択範囲をコピー(&C)");
    case eMaskAddType::matAdd:
        return QStringLiteral(u"選択範囲に加える(&A)");
    case eMaskAddType::matSub:
        return QStringLiteral(u"選択範囲から取り除く(&R)");
    case eMaskAddType::matAnd:
        return QStringLiteral(u"共通部分に置き換える(&E)");
    }
    return {};
}

int32_t setMaskPreviewMax(int32_t edge)
{
    const int32_t previous = gMaskPreviewMax;
    gMaskPreviewMax = edge;
    return previous;
}

int32_t getMaskPreviewMax()
{
    return gMaskPreviewMax;
}

int32_t resetMaskUniqueID(int32_t next)
{
    const int32_t previous = gNextMaskUniqueID;
    gNextMaskUniqueID = next;
    return previous;
}

// ---------------------------------------------------------------------------------------------
// CScaleMaskImage

CScaleMaskImage::CScaleMaskImage(const CBlockVCH *src, CBlockVCH *dst) : srcImg(src), dstImg(dst)
{
    srcSize = src->FPSZ();
    dstSize = dst->FPSZ();
}

const uint8_t *CScaleMaskImage::seekSrc(int32_t x, int32_t y)
{
    // A footprint row reads at most its whole pixels plus a partial one at each end.
    const int32_t run = std::min((rate.x >> 16) + 3, srcSize.x - x);
    m_run.resize(size_t(std::max(run, 1)));
    if (srcImg->getLine(x, y, m_run.data(), run) <= 0)
        m_run[0] = srcImg->PixelGet(x, y);
    return m_run.data();
}

uint8_t *CScaleMaskImage::seekDst(int32_t x, int32_t y)
{
    // Once a tile could not be had, the rest of the walk is written nowhere (and the user is
    // not warned again for every pixel).
    uint8_t *p = m_failed ? nullptr : dstImg->seekPixel(x, y);
    if (p)
        return p;
    m_failed = true;
    return &m_spare;
}

// ---------------------------------------------------------------------------------------------
// CMaskData

CMaskData::CMaskData(int32_t idx)
    : index(idx), uniqueID(gNextMaskUniqueID++), previewTC(std::make_unique<TTC>(1, 1, true))
{
}

CMaskData::CMaskData(int32_t idx, int32_t w, int32_t h) : CMaskData(idx)
{
    maskTC = std::make_unique<CBlockVCH>(w, h);
}

CMaskData::CMaskData(const CMaskData &src)
    : index(src.index), uniqueID(gNextMaskUniqueID++), title(src.title), viewPos(src.viewPos)
{
    if (src.maskTC) {
        maskTC = std::make_unique<CBlockVCH>(src.maskTC->width(), src.maskTC->height());
        if (maskTC->isEnable() && !maskTC->copyArea(*src.maskTC, 0, 0))
            throw std::bad_alloc();
    }
    previewTC = std::make_unique<TTC>(src.previewTC->width(), src.previewTC->height(), true);
    previewTC->copyImage(*src.previewTC);
}

CMaskData::~CMaskData() = default;

bool CMaskData::createMask(int32_t w, int32_t h)
{
    maskTC.reset();
    try {
        auto img = std::make_unique<CBlockVCH>(w, h);
        if (img->isEnable())
            maskTC = std::move(img);
    } catch (const std::bad_alloc &) {
        showWarning(QStringLiteral("CMaskData::createMask: exception!"));
    }
    return hasMask();
}

template <class Build>
bool CMaskData::createFromLayer(const IMaskLayer &ld, const QString &word, Build build)
{
    const CBlockVMTC *layer = ld.maskLayerImage();
    if (!layer || !layer->isEnable())
        return false;
    auto img = std::make_unique<CBlockVCH>(layer->width(), layer->height());
    if (!img->isEnable() || !build(*img, *layer))
        return false;
    img->shrinkMemory();
    maskTC = std::move(img);
    viewPos = ld.maskLayerViewPos();
    title = word + u'(' + ld.maskLayerTitle() + u')';
    const sSize vs = ld.maskLayerViewSize();
    makePreview(vs.x, vs.y);
    return true;
}

bool CMaskData::createMaskFromValue(const IMaskLayer &ld, bool inv)
{
    return createFromLayer(ld, QStringLiteral(u"明度"), [inv](CBlockVCH &img, const CBlockVMTC &l) {
        return img.makeFromValue(l, inv);
    });
}

bool CMaskData::createMaskFromLayerMask(const IMaskLayer &ld)
{
    return createFromLayer(ld, QStringLiteral(u"マスク"),
                           [](CBlockVCH &img, const CBlockVMTC &l) { return img.makeFromMask(l); });
}

bool CMaskData::copyTo(const IMaskLayer &ld) const
{
    CBlockVMTC *layer = ld.maskLayerImage();
    if (!layer || !layer->isEnable())
        return false;
    layer->setAlphaAll(0);
    if (!hasMask())
        return true;
    // Mask pixel (0, 0) lies at document -viewPos, which is layer pixel layerViewPos - viewPos.
    const sPos lvp = ld.maskLayerViewPos();
    sPos dpos{lvp.x - viewPos.x, lvp.y - viewPos.y};
    sBox box = boxFromSize(maskTC->FPSZ());
    if (!clipBlt(layer->FPSZ(), maskTC->FPSZ(), dpos, box))
        return false;
    bool ok = true;
    for (int32_t j = 0; j < box.h && ok; ++j) {
        for (int32_t i = 0; i < box.w && ok; ++i) {
            const uint8_t v = maskTC->getColor(box.x + i, box.y + j);
            if (v == 0) // the alpha is 0 already
                continue;
            const uint32_t old = layer->getColor(dpos.x + i, dpos.y + j);
            ok = layer->setPixel(dpos.x + i, dpos.y + j, (old & 0x00FFFFFFu) | uint32_t(v) << 24);
        }
    }
    layer->shrinkMemory();
    return ok;
}

bool CMaskData::effectTo(TMTC &tc) const
{
    if (!hasMask())
        return true;
    sPos dpos{-viewPos.x, -viewPos.y};
    sBox box = boxFromSize(maskTC->FPSZ());
    if (!tc.isEnable() || !clipBlt(tc.FPSZ(), maskTC->FPSZ(), dpos, box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *p = tc.seek32(dpos.x, dpos.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            p[i].A = gMulTable[uint32_t(maskTC->getColor(box.x + i, box.y + j)) << 8 | p[i].A];
    }
    return true;
}

bool CMaskData::hasMask() const
{
    return maskTC && maskTC->isEnable();
}

uint32_t CMaskData::calcMemSize() const
{
    return maskTC ? maskTC->getImageDataBytes() : 0;
}

bool CMaskData::getMaskRect(sRect &r) const
{
    if (!hasMask())
        return false;
    r = {-viewPos.x, -viewPos.y, maskTC->width() - viewPos.x, maskTC->height() - viewPos.y};
    return true;
}

bool CMaskData::getMaskEnbRect(sRect &r) const
{
    if (!hasMask() || !maskTC->findRect(r))
        return false;
    rectOffset(r, -viewPos.x, -viewPos.y);
    return true;
}

bool CMaskData::getMaskEnbBlkRect(sRect &r) const
{
    if (!hasMask() || !maskTC->findBlockRect(r))
        return false;
    r.x1 = std::min(r.x1, maskTC->width());
    r.y1 = std::min(r.y1, maskTC->height());
    rectOffset(r, -viewPos.x, -viewPos.y);
    return true;
}

int32_t CMaskData::getMaskValue(int32_t x, int32_t y) const
{
    if (!hasMask())
        return -1;
    const int32_t mx = x + viewPos.x, my = y + viewPos.y;
    if (!ptInSize(mx, my, maskTC->width(), maskTC->height()))
        return -1;
    return maskTC->getColor(mx, my);
}

uint32_t CMaskData::effectMask(int32_t x, int32_t y, uint32_t a) const
{
    if (!hasMask() || !ptInSize(x, y, maskTC->width(), maskTC->height()))
        return 0;
    return effectMaskNC(x, y, a);
}

uint32_t CMaskData::effectMaskNC(int32_t x, int32_t y, uint32_t a) const
{
    if (!maskTC)
        return 0;
    return uint32_t(uint64_t(a) * maskTC->getColor(x, y) / 255);
}

bool CMaskData::makePreview(int32_t pw, int32_t ph)
{
    const int32_t m = getMaskPreviewMax();
    return makePreview(pw, ph, m, m);
}

bool CMaskData::makePreview(int32_t pw, int32_t ph, int32_t w, int32_t h)
{
    if (pw <= 0 || ph <= 0 || w <= 0 || h <= 0)
        return false;
    int32_t tw = w, th = h;
    if (ph < pw)
        th = std::max(int32_t(int64_t(ph) * w / pw), 1);
    else
        tw = std::max(int32_t(int64_t(pw) * h / ph), 1);
    if ((previewTC->width() != tw || previewTC->height() != th) && !previewTC->Resize(tw, th))
        return false;
    updatePreview(pw, ph);
    return true;
}

void CMaskData::updatePreview(int32_t pw, int32_t ph)
{
    if (!previewTC->isEnable())
        return;
    // Thumbnail pixels whose place lies outside the mask show "not selected".
    previewTC->PixelFill(0);
    if (hasMask())
        maskTC->makePreviewImg(*previewTC, boxFromSize(previewTC->FPSZ()),
                               {viewPos.x, viewPos.y, pw, ph});
}
