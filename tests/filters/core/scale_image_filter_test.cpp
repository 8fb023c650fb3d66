// The resampler of the rotate and scale filters: the neutral colour outside the layer and outside
// the selection, and squares that hang over the layer's edge.
#include "filters/core/scale_image_filter.h"

#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

using filtertest::DirectParams;

namespace {

constexpr uint32_t kColour = 0xFF204060; // B 96, G 64, R 32, opaque

class ScaleImageFilter : public ::testing::Test
{
  protected:
    ScaleImageFilter() : layer(4, 4), d(fill())
    {
        d.p.layerMode = TLayerMode::LM_ADD; // neutral black
    }
    CBlockVMTC &fill()
    {
        layer.PixelFill(kColour);
        return layer;
    }
    CBlockVMTC layer;
    DirectParams d;
};

TEST_F(ScaleImageFilter, SquareWhollyOutsideTakesTheNeutralColour)
{
    struct Case
    {
        TLayerMode mode;
        bool prt;
        uint32_t colour;
    } cases[] = {{TLayerMode::LM_ADD, false, 0x00000000}, {TLayerMode::LM_ADD, true, 0xFF000000},
                 {TLayerMode::LM_MUL, false, 0x00FFFFFF}, {TLayerMode::LM_MUL, true, 0xFFFFFFFF}};
    for (const Case &c : cases) {
        d.p.layerMode = c.mode;
        d.p.layerPrt = c.prt;
        CScaleImageFilter s(d.p, eEdgeType::NoOutside, false);
        EXPECT_EQ(s.undefColour().all, c.colour);
        for (const sFXPos pos : {sFXPos{-0x50000, 0x10000}, sFXPos{0x90000, 0x20000},
                                 sFXPos{0x10000, 0x60000}, sFXPos{0x10000, -0x20000}}) {
            sBGRA col;
            s.GetColorAA(col, pos);
            EXPECT_EQ(col.all, c.colour) << int(c.mode) << " " << c.prt << " at " << pos.x;
            s.GetColorAA2(col, pos);
            EXPECT_EQ(col.all & 0xFF000000u, c.colour & 0xFF000000u);
        }
    }
}

TEST_F(ScaleImageFilter, SquareHalfOutsideAveragesWithTheNeutralColour)
{
    for (const bool prt : {false, true}) {
        d.p.layerPrt = prt;
        CScaleImageFilter s(d.p, eEdgeType::RepeatOutside, true);
        // Left of column 0, and right of column 3 (the source reaches one pixel past the layer).
        for (const sRect r : {sRect{-0x10000, 0, 0x10000, 0x10000},
                              sRect{0x30000, 0x20000, 0x50000, 0x30000}}) {
            sBGRA col;
            s.GetColorAA(col, r);
            EXPECT_EQ(col.all, prt ? 0xFF102030u : 0x7F102030u) << prt << " at " << r.x0;
            s.GetColorAA2(col, r);
            EXPECT_EQ(col.all, prt ? 0xFF102030u : 0x7F204060u) << "alpha-weighted";
        }
        sBGRA inside;
        s.GetColorAA(inside, sFXPos{0x18000, 0x18000});
        EXPECT_EQ(inside.all, kColour);
    }
}

TEST_F(ScaleImageFilter, OutsideTheSelectionIsNeutralAndEdgeTypeChangesNothing)
{
    CMaskData mask(0, 4, 4);
    sRect selected{1, 0, 4, 4};
    mask.maskTC->fillArea(selected, 255);
    d.useMask(mask);
    CScaleImageFilter s(d.p, eEdgeType::NoOutside, false);
    sBGRA col;
    s.GetColorAA(col, sRect{0, 0, 0x10000, 0x10000});
    EXPECT_EQ(col.all, 0u) << "column 0 is not selected";
    s.GetColorAA(col, sRect{0x10000, 0, 0x20000, 0x10000});
    EXPECT_EQ(col.all, kColour);

    const sRect r{-0x6000, 0x3000, 0x1C000, 0x25000};
    sBGRA first;
    s.GetColorAA(first, r);
    for (const eEdgeType e : {eEdgeType::UndefOutside, eEdgeType::RepeatOutside,
                              eEdgeType::WrapOutside}) {
        s.setEdgeType(e);
        s.setUseOutMask(!s.UseOutMask());
        s.GetColorAA(col, r);
        EXPECT_EQ(col.all, first.all);
    }
}

} // namespace
