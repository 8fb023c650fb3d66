#include "document/paper/headless.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/zoom_cache.h"
#include "document/undo/undo_manager.h"

#include <QStringList>

#include <zlib.h>

#include <vector>

namespace {

constexpr int32_t kDefaultDpi = 72;

// CRC-32 of the pixels row by row, each as four little-endian bytes (B, G, R, A).
uint32_t imageChecksum(const CBlockVMTC &img)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    std::vector<uint8_t> row(size_t(img.width()) * 4);
    for (int32_t y = 0; y < img.height(); ++y) {
        for (int32_t x = 0; x < img.width(); ++x) {
            const uint32_t c = img.getColor(x, y);
            for (int k = 0; k < 4; ++k)
                row[size_t(x) * 4 + size_t(k)] = uint8_t(c >> (8 * k));
        }
        crc = crc32(crc, row.data(), uInt(row.size()));
    }
    return uint32_t(crc);
}

uint32_t maskChecksum(const CBlockVCH &img)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    std::vector<uint8_t> row(size_t(img.width()));
    for (int32_t y = 0; y < img.height(); ++y) {
        for (int32_t x = 0; x < img.width(); ++x)
            row[size_t(x)] = img.getColor(x, y);
        crc = crc32(crc, row.data(), uInt(row.size()));
    }
    return uint32_t(crc);
}

QString hex8(uint32_t v)
{
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

QString sizeText(const sSize &s)
{
    return QStringLiteral("%1x%2").arg(s.x).arg(s.y);
}

QString posText(const sPos &p)
{
    return QStringLiteral("%1,%2").arg(p.x).arg(p.y);
}

QString layerLine(const CLayerData &ld)
{
    QString image = QStringLiteral("none");
    if (ld.imageTC)
        image = sizeText(ld.imageTC->FPSZ()) + QStringLiteral(" crc=") +
                hex8(imageChecksum(*ld.imageTC));
    return QStringLiteral("layer %1 \"%2\" mode=%3 trans=%4 visible=%5 protect=%6 dither=%7/%8 "
                          "group=%9 link=%10 clip=%11 view=%12 paper=%13 image=%14")
        .arg(ld.index)
        .arg(ld.title)
        .arg(int(ld.mode))
        .arg(ld.trans)
        .arg(int(ld.visible))
        .arg(int(ld.maskProtected))
        .arg(int(ld.ditherEnable))
        .arg(ld.dither)
        .arg(ld.groupLevel)
        .arg(ld.linkIndex)
        .arg(int(ld.underLyrClip))
        .arg(posText(ld.viewPos))
        .arg(sizeText(ld.viewSize))
        .arg(image);
}

QString maskLine(int32_t i, const CMaskData &md)
{
    QString image = QStringLiteral("none");
    if (md.maskTC && md.maskTC->isEnable())
        image =
            sizeText(md.maskTC->FPSZ()) + QStringLiteral(" crc=") + hex8(maskChecksum(*md.maskTC));
    return QStringLiteral("mask %1 \"%2\" view=%3 image=%4")
        .arg(i)
        .arg(md.title)
        .arg(posText(md.viewPos))
        .arg(image);
}

} // namespace

bool setupHeadlessPaper(TPaper &paper, const sSize &size, uint32_t canvasColor, int32_t layers)
{
    if (size.x <= 0 || size.y <= 0)
        return false;
    paper.m_paperSize = size;
    if (paper.m_paperDPI <= 0)
        paper.m_paperDPI = kDefaultDpi;
    paper.m_canvascolor = canvasColor & 0xFFFFFF;
    if (!paper.vram().Resize(size.x, size.y) || !paper.clipTempTC().Resize(size.x, size.y))
        return false;
    resizeZoomCache(paper, size.x, size.y);
    clearZoomCache(paper);
    CLayerMngr &lm = paper.layerMngr();
    lm.setPaperSize(size.x, size.y);
    for (int32_t i = 0; i < layers; ++i) {
        const int32_t idx = lm.addLayer(size.x, size.y, TLayerMode::LM_STD, false, 255, true);
        if (idx < 0)
            return false;
        lm.setDefaultCaption(idx, 1);
        lm.getLayer(idx)->updatePreview();
    }
    lm.setCurIndex(0);
    if (IPaperOwner *owner = paper.owner()) {
        if (TFlowImage *flow = owner->flow(); flow && layers > 0) {
            flow->changeSize(false);
            if (!paper.setFlow(*flow, paper.ActiveLayer(), true) &&
                flow->imageType() != eFlowImageType::fitActiveLayer)
                return false;
        }
    }
    paper.m_ready = true;
    paper.changeReadyState(true);
    return true;
}

QString dumpPaperState(const TPaper &paper)
{
    QStringList out;
    out << QStringLiteral("paper size=%1 dpi=%2 canvas=%3 visCanvas=%4 bgPattern=%5 mode=%6 "
                          "grid=%7 %8 draw=%9 level=%10/%11 ready=%12")
               .arg(sizeText(paper.m_paperSize))
               .arg(paper.m_paperDPI)
               .arg(
                   QStringLiteral("%1").arg(paper.m_canvascolor, 6, 16, QLatin1Char('0')).toUpper())
               .arg(int(paper.bVisCanvasCol))
               .arg(int(paper.bVisBGPat))
               .arg(int(paper.m_paperMode))
               .arg(int(paper.m_visGrid))
               .arg(sizeText(paper.m_gridSize))
               .arg(int(paper.m_fnDraw))
               .arg(int(paper.actPaintLevel))
               .arg(int(paper.maxPaintLevel))
               .arg(int(paper.m_ready));
    const CLayerMngr &lm = paper.layerMngr();
    out << QStringLiteral("layers count=%1 active=%2 names=%3")
               .arg(lm.getLayerCount())
               .arg(lm.getCurIndex())
               .arg(lm.getTotalNum());
    for (int32_t i = 0; i < lm.getLayerCount(); ++i)
        out << layerLine(*lm.getLayer(i));
    const CMaskMngr &mm = paper.maskMngr();
    out << QStringLiteral("masks count=%1 active=%2 visible=%3 enabled=%4")
               .arg(mm.getMaskCount())
               .arg(mm.getCurIndex())
               .arg(int(paper.bVisMask))
               .arg(int(paper.bEnbMask));
    for (int32_t i = 0; i < mm.getMaskCount(); ++i)
        out << maskLine(i, *mm.getMask(i));
    const CUndoMngrEx *um = paper.undoMngrEx();
    out << QStringLiteral("undo undo=%1 redo=%2")
               .arg(um ? um->getUndoCnt() : 0)
               .arg(um ? um->getRedoCnt() : 0);
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
