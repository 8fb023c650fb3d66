#include "document/paper/layer_header.h"

#include "document/paper/layer_data.h"
#include "support/packed_value.h"

#include <gtest/gtest.h>

namespace {

TEST(LayerHeader, EveryFieldComesFromTheLayer)
{
    CLayerData ld(3, false);
    ASSERT_TRUE(ld.createLayer(70, 40, TLayerMode::LM_OVLY));
    ld.viewPos = {3, 4};
    ld.viewSize = {60, 30};
    ld.maskProtected = true;
    ld.ditherEnable = true;
    ld.dither = 77;
    ld.trans = 128;
    ld.setGroupLevel(2);
    ld.ChangeUnderLyrClip(true);
    ld.setLinkIndex(5);
    ld.title = QStringLiteral("abc");
    const SOlyHeader h = makeOlyHeader(ld);
    EXPECT_EQ(valueOf(h.index), 3);
    EXPECT_EQ(valueOf(h.flags), 0x01 | 0x02 | 0x10 | 0x20);
    EXPECT_EQ(h.mode, uint8_t(TLayerMode::LM_OVLY));
    EXPECT_EQ(h.trans, 128);
    EXPECT_EQ(valueOf(h.blkSize), (sSize{32, 32}));
    EXPECT_EQ(valueOf(h.repSize), (sSize{3, 2}));
    EXPECT_EQ(valueOf(h.imgSize), (sSize{70, 40}));
    EXPECT_EQ(valueOf(h.viewPos), (sPos{3, 4}));
    EXPECT_EQ(valueOf(h.viewSize), (sSize{60, 30}));
    EXPECT_EQ(valueOf(h.bgCol), 0x00FFFFFFu);
    EXPECT_EQ(valueOf(h.nameLength), 7);
    EXPECT_EQ(valueOf(h.version), 1);
    EXPECT_EQ(h.dither, 77);
    EXPECT_EQ(h.groupLevel, 2);
    EXPECT_EQ(h.underLyrClip, 1);
    EXPECT_EQ(valueOf(h.dizSeed), ld.dizRand.val);
    EXPECT_EQ(valueOf(h.linkID), 5);

    ld.mode = TLayerMode::LM_STD;
    ld.visible = false;
    ld.maskProtected = false;
    ld.ditherEnable = false;
    const SOlyHeader std = makeOlyHeader(ld);
    EXPECT_EQ(valueOf(std.version), 0);
    EXPECT_EQ(valueOf(std.flags), 0x10);
}

} // namespace
