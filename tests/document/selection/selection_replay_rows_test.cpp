// The replay rows of the fills, the selection figures and commands, the flood fills and the cut:
// packets whose operands the document cannot take fail their step and change nothing, while the
// same packets with sound operands play.
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "document/events/event_packets.h"
#include "selection_rig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The start of playOnePacket with a 12 x 10 selection at (8, 6) in its current mask 0 and a
// 6 x 6 one at (30, 20) in mask 1.
void selectBox(TPaper &paper)
{
    CMaskMngr &mm = paper.maskMngr();
    ASSERT_GE(mm.insertMask(1), 0);
    for (int32_t m : {1, 0}) {
        TChannel ch(48, 40);
        ch.PixelFill(0);
        if (m == 0)
            ch.fillBox(8, 6, 12, 10, 255);
        else
            ch.fillBox(30, 20, 6, 6, 255);
        std::unique_ptr<CMaskData> old;
        ASSERT_TRUE(mm.replaceMask(m, ch, {48, 40}, {0, 0}, old, eMaskAddType::matNew));
    }
    mm.setCurIndex(0);
    ASSERT_EQ(paper.getActiveMaskIndex(), 0);
    paper.bEnbMask = paper.bVisMask = true;
}

// Little-endian bytes of the given floats, as the point lists follow their heads.
std::vector<uint8_t> points(std::initializer_list<float> xy)
{
    std::vector<uint8_t> b(xy.size() * 4);
    size_t at = 0;
    for (float v : xy) {
        std::memcpy(b.data() + at, &v, 4);
        at += 4;
    }
    return b;
}

SEvIdxData data(uint16_t idx, uint16_t d0, uint32_t d1, uint32_t d2)
{
    SEvIdxData d;
    d.idx = idx;
    d.d0 = d0;
    d.d1 = d1;
    d.d2 = d2;
    return d;
}

SEvFillFigure fillFigure(uint16_t idx)
{
    SEvFillFigure f;
    f.idx = idx;
    f.colour = 0xFF204080;
    f.p0 = {2, 3};
    f.p1 = {20, 18};
    return f;
}

SEvMaskFigure maskFigure(uint16_t midx, uint8_t mat)
{
    SEvMaskFigure f;
    f.idx = 0;
    f.midx = midx;
    f.mat = mat;
    f.p0 = {2, 3};
    f.p1 = {20, 18};
    return f;
}

SEvFloodFill flood(uint8_t target, uint8_t mat)
{
    SEvFloodFill f;
    f.idx = 0;
    f.seed = {10, 8};
    f.target = target;
    f.limit = 40;
    f.mat = mat;
    return f;
}

struct RowCase
{
    const char *what;
    std::vector<uint8_t> bad;  // refused
    std::vector<uint8_t> good; // the same packet with operands the document takes
};

} // namespace

TEST(SelectionMask, ReplayRowsRefuseUntrustedOperands)
{
    LiveReplayApp app;
    const uint16_t cur = 0xFFFF;
    const float nan = std::nanf("");
    const SEvPolygonHead fill2{0, 2}, fill3{0, 3}, fillOff{4, 3};
    SEvMaskPolygonHead sel2;
    sel2.midx = cur;
    sel2.cnt = 2;
    SEvMaskPolygonHead sel3 = sel2;
    sel3.cnt = 3;
    const std::vector<uint8_t> tri = points({2, 2, 30, 5, 12, 30});
    const RowCase cases[] = {
        {"make current two past the list", packet(10, 5, SEvIdxPair{0, 3}),
         packet(10, 5, SEvIdxPair{0, 2})},
        {"insert on a missing layer", packet(10, 0, SEvIdxPair{4, cur}),
         packet(10, 0, SEvIdxPair{0, cur})},
        {"invert of a missing mask", packet(10, 3, SEvIdxPair{0, 3}),
         packet(10, 3, SEvIdxPair{0, 0})},
        {"mask to alpha of a missing mask", packet(10, 21, SEvIdxPair{0, 5}),
         packet(10, 21, SEvIdxPair{0, 0})},
        {"combine of type 4", packet(10, 9, data(0, 1, 0, 4)), packet(10, 9, data(0, 1, 0, 1))},
        {"inflate of direction 2", packet(10, 10, data(0, cur, 2, 0)),
         packet(10, 10, data(0, cur, 1, 0))},
        {"inflate of generation 2", packet(10, 10, data(0, cur, 1, 2)),
         packet(10, 10, data(0, cur, 1, 1))},
        {"selection shown as 2", packet(10, 13, data(0, cur, 0, 2)),
         packet(10, 13, data(0, cur, 0, 0))},
        {"from layer by conversion 2", packet(10, 22, data(1, cur, 2, 0)),
         packet(10, 22, data(1, cur, 1, 0))},
        {"split of version 2", packet(10, 24, data(0, cur, 2, 0)),
         packet(10, 24, data(0, cur, 1, 0))},
        {"grow by 65535", packet(10, 25, data(0, cur, 65535, 0)),
         packet(10, 25, data(0, cur, 2, 0))},
        {"shrink by 0", packet(10, 26, data(0, cur, 0, 0)), packet(10, 26, data(0, cur, 1, 0))},
        {"rectangle fill on a missing layer", packet(6, 1, fillFigure(4)),
         packet(6, 1, fillFigure(0))},
        {"polygon fill of two points", packet(6, 4, fill2, points({2, 2, 30, 5})),
         packet(6, 4, fill3, tri)},
        {"polygon fill with a point not a number",
         packet(6, 4, fill3, points({2, 2, 30, nan, 12, 30})), packet(6, 4, fill3, tri)},
        {"polygon fill on a missing layer", packet(6, 4, fillOff, tri), packet(6, 4, fill3, tri)},
        {"rectangle selection of type 4", packet(10, 16, maskFigure(cur, 4)),
         packet(10, 16, maskFigure(cur, 1))},
        {"ellipse selection into a mask not current", packet(10, 19, maskFigure(1, 1)),
         packet(10, 19, maskFigure(0, 1))},
        {"polygon selection of two points", packet(10, 18, sel2, points({2, 2, 30, 5})),
         packet(10, 18, sel3, tri)},
        {"flood fill of target 2", packet(6, 7, flood(2, 0)), packet(6, 7, flood(0, 0))},
        {"flood wand of type 4", packet(6, 9, flood(0, 4)), packet(6, 9, flood(0, 1))},
        {"cut of a missing layer", packet(4, 9, SEvIdxPair{4, cur}),
         packet(4, 9, SEvIdxPair{0, cur})},
        {"name of an odd length", packet(10, 15, SEvNameHead{0, 3}, {'a', 0, 'b'}),
         packet(10, 15, SEvNameHead{0, 4}, {'a', 0, 'b', 0})},
    };
    for (const RowCase &c : cases) {
        SCOPED_TRACE(c.what);
        const PlayedPacket bad = playOnePacket(c.bad, 4, selectBox);
        EXPECT_EQ(bad.result, eEvPlayStat::epsError);
        EXPECT_EQ(bad.after.toStdString(), bad.before.toStdString());
        const PlayedPacket good = playOnePacket(c.good, 4, selectBox);
        EXPECT_NE(good.result, eEvPlayStat::epsError) << good.error.toStdString();
        EXPECT_NE(good.after, good.before);
    }
}
