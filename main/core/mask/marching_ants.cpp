#include "core/mask/marching_ants.h"

#include "core/image/channel.h"
#include "core/base/numeric.h"

#include <algorithm>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------------------------
// CPointList

CPointList::CPointList(int32_t cap)
{
    m_blocks.reserve(size_t(std::max(cap, 0)));
}

bool CPointList::addBlock()
{
    MemArray<sPos> block;
    if (!tryGetMem(block, sizeof(sPos) * kBlockCount) || !block)
        return false;
    std::fill_n(block.get(), kBlockCount, sPos{});
    try {
        m_blocks.push_back(std::move(block));
    } catch (const std::bad_alloc &) {
        return false;
    }
    posTop = m_blocks.back().get();
    remain = kBlockCount;
    return true;
}

bool CPointList::start()
{
    deleteAll();
    return addBlock();
}

bool CPointList::addPos(const sPos &pos)
{
    if (remain <= 0 && !addBlock())
        return false;
    *posTop++ = pos;
    --remain;
    return true;
}

int32_t CPointList::getTopCount() const
{
    return m_blocks.empty() ? 0 : kBlockCount - remain;
}

int32_t CPointList::getCount() const
{
    if (m_blocks.empty())
        return 0;
    return getTopCount() + kBlockCount * (int32_t(m_blocks.size()) - 1);
}

const sPos *CPointList::getTable(int32_t idx) const
{
    if (idx < 0 || idx >= int32_t(m_blocks.size()))
        return nullptr;
    return m_blocks[size_t(idx)].get();
}

int32_t CPointList::getTableCount(int32_t idx) const
{
    if (idx < 0 || idx >= int32_t(m_blocks.size()))
        return 0;
    return idx == int32_t(m_blocks.size()) - 1 ? getTopCount() : kBlockCount;
}

bool CPointList::offsetList(const sPos &pos)
{
    if (getCount() == 0)
        return false;
    for (int32_t b = 0; b < int32_t(m_blocks.size()); ++b) {
        sPos *p = m_blocks[size_t(b)].get();
        for (int32_t i = 0, n = getTableCount(b); i < n; ++i) {
            p[i].x += pos.x;
            p[i].y += pos.y;
        }
    }
    return true;
}

int32_t CPointList::deleteAll()
{
    const int32_t n = int32_t(m_blocks.size());
    m_blocks.clear();
    remain = 0;
    posTop = nullptr;
    return n;
}

// ---------------------------------------------------------------------------------------------
// CAntPoints: extraction

CAntPoints::CAntPoints(const IViewTransform *view, uint8_t pat)
    : ownerDW(view), patMask(pat), curMask(pat)
{
}

bool CAntPoints::rewindLists()
{
    bool ok = xonList.start();
    ok = xoffList.start() && ok;
    ok = yonList.start() && ok;
    return yoffList.start() && ok;
}

void CAntPoints::clear()
{
    rewindLists();
    viewOfs = {0, 0};
}

bool CAntPoints::hasPoint() const
{
    return xonList.getCount() > 0 && xoffList.getCount() > 0 && yonList.getCount() > 0 &&
           yoffList.getCount() > 0;
}

bool CAntPoints::findEdge(const TChannel &ch, bool add)
{
    viewOfs = {0, 0};
    bool ok = add || rewindLists();
    if (!ch.isEnable())
        return false;
    const int32_t w = ch.width(), h = ch.height();
    const int32_t before[4] = {xonList.getCount(), xoffList.getCount(), yonList.getCount(),
                               yoffList.getCount()};
    // Rows top to bottom, left to right: a run starts at its first non-zero byte and ends at the
    // first zero after it (or at the width).
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t *row = ch.seek8(0, y);
        bool inside = false;
        for (int32_t x = 0; x < w; ++x) {
            const bool sel = row[x] != 0;
            if (sel != inside)
                ok = (sel ? xonList : xoffList).addPos({x, y}) && ok;
            inside = sel;
        }
        if (inside)
            ok = xoffList.addPos({w, y}) && ok;
    }
    // Columns left to right, top to bottom; seek8 follows the channel's row order.
    for (int32_t x = 0; x < w; ++x) {
        bool inside = false;
        for (int32_t y = 0; y < h; ++y) {
            const bool sel = *ch.seek8(x, y) != 0;
            if (sel != inside)
                ok = (sel ? yonList : yoffList).addPos({x, y}) && ok;
            inside = sel;
        }
        if (inside)
            ok = yoffList.addPos({x, h}) && ok;
    }
    return ok && xonList.getCount() > before[0] && xoffList.getCount() > before[1] &&
           yonList.getCount() > before[2] && yoffList.getCount() > before[3];
}

void CAntPoints::nextPattern()
{
    curMask = uint8_t((curMask >> 1) | (curMask << 7));
}

// ---------------------------------------------------------------------------------------------
// CAntPoints: drawing

uint32_t CAntPoints::dashColor(int32_t x, int32_t y, uint8_t mask)
{
    const int32_t b = (x + y) & 7;
    return (mask & (128 >> b)) ? 0x000000u : 0xFFFFFFu;
}

bool CAntPoints::showAnts(IPixelSink &dc, const sBox &box)
{
    if (!hasPoint())
        return false;
    static const CIdentityView identity;
    const IViewTransform &view = ownerDW ? *ownerDW : identity;
    dstDC = &dc;
    clipBox = box;
    scale = floatToFix(view.GetZoomScale());
    curSin = floatToFix(view.viewSin());
    curCos = floatToFix(view.viewCos());
    reversed = view.viewReversed();
    drawList(xonList, Axis::X, true);
    drawList(yonList, Axis::Y, true);
    drawList(xoffList, Axis::X, false);
    drawList(yoffList, Axis::Y, false);
    dstDC = nullptr;
    return true;
}

void CAntPoints::drawList(const CPointList &list, Axis axis, bool on)
{
    static const CIdentityView identity;
    const IViewTransform &view = ownerDW ? *ownerDW : identity;
    const bool zoomIn = scale >= 0x10000;
    // Pixels per dash: the zoom rounded up from a fraction of 0.375.
    const int32_t n = zoomIn ? (scale + 0xA000) >> 16 : 1;
    // The dash runs along the border: down a vertical border (x lists), right along a horizontal
    // one (y lists), turned with the view.
    int64_t stepX = axis == Axis::X ? curSin : curCos;
    const int64_t stepY = axis == Axis::X ? curCos : -int64_t(curSin);
    if (reversed)
        stepX = -stepX;
    for (int32_t b = 0; b < list.getTableTotal(); ++b) {
        const sPos *tbl = list.getTable(b);
        for (int32_t k = 0, cnt = list.getTableCount(b); k < cnt; ++k) {
            sPos p = view.convToViewPos(tbl[k]);
            p.x += viewOfs.x;
            p.y += viewOfs.y;
            if (!boxContainsPoint(clipBox, p))
                continue;
            if (!on) { // an off position lies one pixel past its run: put the dash on the run
                const int32_t d = zoomIn ? -1 : 1;
                (axis == Axis::X ? p.x : p.y) += d;
            }
            int64_t ax = int64_t(p.x) * 65536, ay = int64_t(p.y) * 65536;
            for (int32_t i = 0; i < n; ++i) {
                dstDC->SetPixel(p.x, p.y, dashColor(p.x, p.y, curMask));
                ax += stepX;
                ay += stepY;
                p.x = int32_t((ax + 0x6000) / 65536); // truncating toward zero
                p.y = int32_t((ay + 0x6000) / 65536);
            }
        }
    }
}
