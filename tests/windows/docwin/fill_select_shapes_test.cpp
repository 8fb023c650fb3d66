#include "input_fixture.h"

#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/view/view_geometry.h"
#include "windows/docwin/figure_geometry.h"

namespace {

using input_test::InputFixture;

TEST(FillSelectShapesCorners, DragReachesTheFillAsItsPixels)
{
    struct Case
    {
        sPos p0, p1;
        bool square, centre;
        std::optional<std::array<sPos, 2>> expected;
    };
    const Case cases[] = {
        {{10, 10}, {20, 20}, false, false, {{{{10, 10}, {19, 19}}}}},
        {{10, 10}, {20, 20}, false, true, {{{{0, 0}, {19, 19}}}}},
        {{20, 20}, {10, 10}, false, false, {{{{19, 19}, {10, 10}}}}},
        {{10, 10}, {20, 14}, true, false, {{{{10, 10}, {19, 19}}}}},
        {{10, 10}, {20, 10}, false, false, {{{{10, 10}, {19, 10}}}}}, // a flat axis stays
        {{10, 10}, {10, 10}, false, false, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fillRectCorners(c.p0, c.p1, c.square, c.centre), c.expected)
            << c.p0.x << "," << c.p0.y << " " << c.p1.x << "," << c.p1.y;
}

struct FillSelectShapes : InputFixture
{
    sPos client(int32_t x, int32_t y) const { return convToViewPos(*w->paper, sPos{x, y}); }
};

TEST_F(FillSelectShapes, LayerCoordinatesFollowTheLayersViewPosition)
{
    sPos p;
    w->convToCanvasPosEx(p, client(10, 10));
    EXPECT_EQ(p, (sPos{10, 10}));
    // A drag over canvas (10, 10)-(20, 20) on a layer shown at (30, 20) fills the layer's
    // (40, 30)-(49, 39).
    w->paper->getLayerData(w->paper->ActiveLayer())->viewPos = {30, 20};
    sPos s, e;
    w->convToCanvasPosEx(s, client(10, 10));
    w->convToCanvasPosEx(e, client(20, 20));
    const std::array<sPos, 2> expected{sPos{40, 30}, sPos{49, 39}};
    EXPECT_EQ(fillRectCorners(s, e, false, false), expected);
}

TEST_F(FillSelectShapes, FillsRecordAndMarkOnlyWhenSomethingWasFilled)
{
    w->setModifiedFlag(false);
    const QString before = dumpPaperState(*w->paper);
    EXPECT_FALSE(w->fillRectExecute(client(10, 10), client(10, 10)));
    EXPECT_FALSE(w->fillEllipseExecute(client(10, 10), client(10, 10)));
    EXPECT_EQ(dumpPaperState(*w->paper), before);
    EXPECT_TRUE(w->fillRectExecute(client(10, 10), client(20, 20)));
    const QString afterRect = dumpPaperState(*w->paper);
    EXPECT_NE(afterRect, before);
    EXPECT_TRUE(w->fillEllipseExecute(client(30, 10), client(50, 30)));
    EXPECT_NE(dumpPaperState(*w->paper), afterRect);
}

} // namespace
