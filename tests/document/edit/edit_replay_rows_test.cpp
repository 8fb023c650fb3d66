// The replay rows of the creation, the layer list and the attributes: packets with untrusted
// operands fail their step and change nothing; good ones play.
#include "document/edit/layer_attr.h"
#include "document/edit/layer_undo.h"
#include "edit_rig.h"

#include <gtest/gtest.h>

TEST(LayerListOps, ReplayRowsRefuseUntrustedOperands)
{
    LiveReplayApp app;
    SEvLayerCreate add;
    add.idx = 1;
    add.w = 48;
    add.h = 40;
    add.lm = 3;
    add.trn = 255;
    add.flags = 1;
    SEvLayerCreate addZero = add, addMode = add, addHuge = add;
    addZero.w = 0;
    addMode.lm = 22;
    addHuge.h = 10001;
    SEvLayerCreateEx ex;
    ex.idx = 1;
    ex.w = 48;
    ex.h = 40;
    ex.lm = 3;
    ex.nameLen = 3; // odd: no UTF-16 name
    SEvLayerCreateEx exLong = ex;
    exLong.nameLen = 40; // past the body
    SEvCanvasCreate2 create;
    create.pw = create.ph = create.lw = create.lh = 32;
    SEvCanvasCreate2 createBig = create;
    createBig.pw = 20000;
    const SEvNameHead nameLong{0, 200};
    const SEvIdxData groupNone{1, 4, 0u << 16 | 1u, 0};
    struct Case
    {
        const char *what;
        std::vector<uint8_t> bytes;
        int32_t layers;
    };
    const Case cases[] = {
        {"add of width 0", packet(4, 0, addZero), 4},
        {"add of mode 22", packet(4, 0, addMode), 4},
        {"add past the largest side", packet(4, 0, addHuge), 4},
        {"filled add with an odd name", packet(4, 14, ex, {'a', 0, 0}), 4},
        {"filled add with a name past the body", packet(4, 14, exLong, {'a', 0}), 4},
        {"delete of a missing layer", packet(4, 1, SEvIdxPair{4, 4}), 4},
        {"delete of the only layer", packet(4, 1, SEvIdxPair{0, 0}), 1},
        {"duplicate of a missing layer", packet(4, 3, SEvIdxPair{9, 9}), 4},
        {"move onto itself", packet(4, 4, SEvIdxPair{2, 2}), 4},
        {"alpha fill of a missing layer", packet(4, 24, SEvIdxPair{4, 100}), 4},
        {"alpha invert of a missing layer", packet(4, 25, SEvIdxPair{5, 0}), 4},
        {"rename with a name past the body", packet(4, 26, nameLong, {'a', 0}), 4},
        {"group visibility of no layers", packet(5, 16, groupNone), 4},
        {"show only a missing layer", packet(2, 25, SEvIdxPair{7, 0}), 4},
        {"a creation on a document that has layers", packet(2, 8, create), 4},
        {"a creation past the largest side", packet(2, 8, createBig), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const PlayedPacket p = playOnePacket(c.bytes, c.layers);
        EXPECT_EQ(p.result, eEvPlayStat::epsError);
        EXPECT_EQ(p.after, p.before);
    }
}

TEST(NewDocument, TheCreationRowMakesTheCanvasOfAnEmptyDocument)
{
    LiveReplayApp app;
    SEvCanvasCreate2 c;
    c.pw = 40;
    c.ph = 30;
    c.lw = 20;
    c.lh = 10;
    c.dpi = 200;
    c.ctp = canvasFlagByte(true);
    c.ltp = canvasFlagByte(false);
    const PlayedPacket p = playOnePacket(packet(2, 8, c), 0);
    EXPECT_EQ(p.result, eEvPlayStat::epsContinue) << p.error.toStdString();
    EXPECT_TRUE(
        p.after.contains(QStringLiteral("paper size=40x30 dpi=200 canvas=FFFFFF visCanvas=0")))
        << p.after.toStdString();
    EXPECT_TRUE(p.after.contains(QStringLiteral("image=20x10"))) << p.after.toStdString();
}

TEST(EditOps, AnEventUndoFailingAfterTheLayersChangedKeepsTheChangeAndDropsAllUndo)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    EditSession s{1};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(EventLayerTrans(p, 0, 10, true));
    ASSERT_TRUE(EventLayerTrans(p, 1, 20, true));
    // The last event's packet header is damaged: the recorder cannot step back over it.
    const uint32_t start = s.ev().evTopTable.getTopValue();
    uint32_t last = start;
    s.ev().walkPackets(start, s.ev().topEventPos, [&](const SEventPacketInfo &pk) {
        last = pk.pos;
        return true;
    });
    const uint8_t bad[2] = {0xEE, 0xEE};
    ASSERT_EQ(s.ev().writeAt(last, bad, 2), 2u);
    int32_t idx = 0;
    sRect rect;
    EXPECT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
    EXPECT_EQ(p.getLayerData(1)->trans, 255);
    EXPECT_EQ(app.messages.warnings, QStringList{QStringLiteral("failed to undo event!")});
    EXPECT_EQ(s.undo().getUndoCnt() + s.undo().getRedoCnt(), 0);
    EXPECT_EQ(s.ev().getUndoCnt() + s.ev().getRedoCnt(), 0);
}
