#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"

#include "core/image/canvas.h"
#include "paint/stroke/stroke.h"
#include "paint/brush/shape_image_param.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/brush_previews.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const TListViewCommandTypes kEdit{lvcSelect, lvcMove, lvcAppend, lvcInsert,
                                  lvcDelete, lvcDrag, lvcDrop,   lvcEditDialog};

// A brush set from a pattern such as "PEP": P a version-5 pencil, E a version-5 eraser, named
// "P0", "E1", "P2" by their place.
void fillMethods(CPenMethodMngr &m, const char *kinds)
{
    CPenMethodMngr defaults;
    defaults.makeDefault();
    const CPenMethodObj *pencil = nullptr, *eraser = nullptr;
    for (int i = 0; i < defaults.count(); ++i) {
        const TPenMethodType t = getPenMethodType(*defaults.getObj(i));
        if (t == TPenMethodType::pmtPencil5)
            pencil = defaults.getObj(i);
        if (t == TPenMethodType::pmtEraser5)
            eraser = defaults.getObj(i);
    }
    ASSERT_TRUE(pencil && eraser);
    for (int i = 0; kinds[i]; ++i) {
        const int idx = m.appendMethodDup(kinds[i] == 'P' ? *pencil : *eraser);
        m.getObj(idx)->methodName = QStringLiteral("%1%2").arg(QChar(kinds[i])).arg(i);
    }
    m.setCurIndex(0);
    m.setModified(false);
}

// A nib set of the given radii.
void fillNibs(CPenShapeMngr &m, std::initializer_list<float> radii)
{
    for (float r : radii) {
        auto nib = std::make_unique<CPenShapeObj>();
        nib->enable = true;
        nib->setRadiusSingle(r);
        m.appendShape(std::move(nib));
    }
    m.setCurIndex(0);
    m.setModified(false);
}

} // namespace

TEST(ListsBrush, LegacyLevelsListFiveFixedSlots)
{
    CPenMethodMngr m;
    fillMethods(m, "PPE");
    TPenMethodListView v;
    v.SetSupportCommand(kEdit);
    TPenParamQZ2Array pens{};
    for (int k = 0; k < kPenSlotQZ2Count; ++k)
        pens[size_t(TPenParamQZ2Type::pp2Eraser)][k].width = float(10 + k);
    TStroke stroke(2);
    v.Attach(&m, &stroke, &pens);
    v.SetPaintMode(TPaintMode::pmEraser1);
    ASSERT_TRUE(isLegacyPaintLevel(v.PaintLevel()));
    EXPECT_EQ(v.ItemCount(), 5);
    EXPECT_EQ(v.PenParamType(), TPenParamQZ2Type::pp2Eraser);

    EXPECT_FALSE(v.CanMoveItem(3, 0));
    EXPECT_FALSE(v.CanDeleteItem(1));
    EXPECT_FALSE(v.DeleteItem(1, true));
    v.SetItemName(1, "x");
    EXPECT_EQ(v.GetItemName(1), QString());
    bool asked = false;
    const auto saved = listViewHooks().createPenMethodPopup;
    listViewHooks().createPenMethodPopup = [&](TPenMethodListView &, CPenMethodMngr *) {
        asked = true;
        return nullptr;
    };
    EXPECT_FALSE(v.CreatePopupForm());
    EXPECT_FALSE(asked);
    listViewHooks().createPenMethodPopup = saved;

    // Selecting a slot reads it into the alias and writes the alias into the stroke.
    v.SetSelectIndex(3);
    EXPECT_EQ(v.SelectIndex(), 3);
    EXPECT_FLOAT_EQ(v.AliasRef().Radius(), 13.0f);
    EXPECT_EQ(m.count(), 3);
}

TEST(ListsBrush, AliasParametersReachTheStrokeOnLegacyLevelsOnly)
{
    TPenParamQZ2Array pens{};
    TStroke stroke(2);
    TPenMethodListView v;
    v.SetSupportCommand({lvcSelect});
    CPenMethodMngr m;
    v.Attach(&m, &stroke, &pens);
    v.SetPaintMode(TPaintMode::pmPencil1);
    int changes = 0;
    v.OnChange = [&](QObject *) { ++changes; };

    v.SetAliasParam(TPaintParamType::ppDensity, 0.25f);
    EXPECT_FLOAT_EQ(v.AliasRef().Density(), 0.25f);
    EXPECT_FLOAT_EQ(stroke.getOpaque(), 0.25f);
    v.SetAliasParam(TPaintParamType::ppSmoothLevel, 2.6f);
    EXPECT_EQ(v.AliasRef().SmoothLevel(), 3);
    v.SetAliasParam(TPaintParamType::ppPrsRadius, true);
    EXPECT_TRUE(v.AliasRef().PrsRadius());
    v.SetAliasParam(TPaintParamType::ppItemName, QStringLiteral("n"));
    EXPECT_EQ(v.AliasRef().ItemName(), "n");
    v.SetAliasParam(TPaintParamType::ppAirMap, TPaintAirMap::pamFlat);
    EXPECT_EQ(v.AliasRef().AirMap(), TPaintAirMap::pamFlat);
    v.SetAliasParam(TPaintParamType::ppInterpolateType, TInterpolateType::itBSpline);
    EXPECT_EQ(v.AliasRef().InterpolateType(), TInterpolateType::itBSpline);
    v.SetAliasParam(TPaintParamType::ppRadius, true); // a type of another value: nothing
    EXPECT_EQ(changes, 7);

    // The user icon changes the alias, not the stroke.
    v.AliasRef().setDensity(0.75f);
    TMTC icon(4, 4);
    icon.fillAll(0xFF102030u);
    v.SetAliasParam(TPaintParamType::ppUserIcon, &icon);
    EXPECT_TRUE(v.AliasRef().UserIcon());
    EXPECT_FLOAT_EQ(stroke.getOpaque(), 0.25f);

    // A mode from outside the table changes nothing.
    v.SetPaintMode(TPaintMode(200));
    EXPECT_EQ(v.PaintMode(), TPaintMode::pmPencil1);

    // On a new level the stroke is never written.
    v.SetPaintMode(TPaintMode::pmPencil5);
    v.SetAliasParam(TPaintParamType::ppDensity, 0.5f);
    EXPECT_FLOAT_EQ(v.AliasRef().Density(), 0.5f);
    EXPECT_FLOAT_EQ(stroke.getOpaque(), 0.25f);
}

TEST(ListsBrush, KindFilteredListsAndTheAlias)
{
    CPenMethodMngr m;
    fillMethods(m, "PEPEP");
    TPenMethodListView v;
    v.SetSupportCommand(kEdit);
    int modeChanges = 0;
    v.OnChangePaintMode = [&](QObject *) { ++modeChanges; };
    v.Attach(&m, nullptr, nullptr);
    EXPECT_EQ(itemNames(v), "P0 P2 P4");

    // A move places the method there in the filtered list.
    EXPECT_TRUE(v.MoveItem(0, 2, true));
    EXPECT_EQ(itemNames(v), "P4 P0 P2");
    EXPECT_EQ(v.SelectIndex(), 0);
    EXPECT_EQ(m.getCurObj()->methodName, "P4");

    // The last method of a kind stays.
    v.SetPaintMode(TPaintMode::pmEraser5);
    EXPECT_EQ(modeChanges, 1);
    EXPECT_EQ(v.PenMtdType(), TPenMethodType::pmtEraser5);
    EXPECT_EQ(itemNames(v), "E1 E3");
    EXPECT_EQ(m.getCurObj()->methodName, "E1") << "the alias follows the kind's selection";
    EXPECT_TRUE(v.DeleteItem(1, true));
    EXPECT_FALSE(v.DeleteItem(0, true));
    EXPECT_EQ(itemNames(v), "E1");

    // The alias goes back into the selected method.
    v.SetAliasParam(TPaintParamType::ppDensity, 0.4f);
    m.setModified(false);
    EXPECT_TRUE(v.SaveAlias());
    EXPECT_TRUE(m.Modified());
    TPaintParam check(TPaintMode::pmEraser5);
    EXPECT_TRUE(check.Read(m.getCurObj()));
    EXPECT_FLOAT_EQ(check.Density(), 0.4f);

    // Sorting by name, both ways.
    v.SetShowAll(true);
    v.SortItemByName(true, true);
    EXPECT_EQ(itemNames(v), "P4 P2 P0 E1");
    v.SortItemByName(false, true);
    EXPECT_EQ(itemNames(v), "E1 P0 P2 P4");
    EXPECT_EQ(m.getCurObj()->methodName, "E1");
}

TEST(ListsNib, AliasItemAndDeletes)
{
    CPenShapeMngr m;
    fillNibs(m, {1, 2, 3});
    TPenNibListView v;
    v.SetSupportCommand(kEdit);
    v.Attach(&m);
    EXPECT_EQ(v.ItemCount(), 4);
    EXPECT_EQ(v.GetItemType(0), (TListViewItemTypes{lviDisableDrag, lviFixedIndex, lviFixedName,
                                                     lviFixedValue}));
    EXPECT_EQ(v.GetItemName(2), QString::fromUtf8("半径 2px, 最小 100%"));

    // Switching the alias off keeps the nib selected.
    v.SetSelectIndex(3);
    EXPECT_EQ(m.curIndex(), 2);
    v.SetUseAlias(false);
    EXPECT_EQ(v.SelectIndex(), 2);
    EXPECT_EQ(m.curIndex(), 2);
    v.SetUseAlias(true);
    EXPECT_EQ(v.SelectIndex(), 3);

    // The set keeps one nib, with or without the alias.
    EXPECT_TRUE(v.DeleteItem(1, true));
    EXPECT_TRUE(v.DeleteItem(1, true));
    EXPECT_FALSE(v.DeleteItem(1, true));
    v.SetUseAlias(false);
    EXPECT_FALSE(v.DeleteItem(0, true));
    EXPECT_EQ(m.count(), 1);

    // A recoloured nib can be saved: the set is marked modified.
    m.setModified(false);
    CPenShapeObj other;
    other.enable = true;
    other.setRadiusSingle(9);
    v.SetItem(0, other);
    EXPECT_FLOAT_EQ(m.getObj(0)->getRadiusSingle(), 9.0f);
    EXPECT_TRUE(m.Modified());
}

TEST(ListsNib, CopiedNibLandsWhereDropped)
{
    CPenShapeMngr small, large;
    fillNibs(small, {1, 2, 3});
    fillNibs(large, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
    TPenNibListView from, to;
    from.SetSupportCommand(kEdit);
    to.SetSupportCommand(kEdit);
    from.Attach(&small);
    to.Attach(&large);
    EXPECT_TRUE(from.DuplicateItem(&to, 7, 2, true));
    EXPECT_EQ(large.count(), 11);
    EXPECT_FLOAT_EQ(to.GetItemRef(7)->getRadiusSingle(), 2.0f);
    EXPECT_EQ(to.SelectIndex(), 7);
    EXPECT_FALSE(to.AcceptDropItem(3, &from, 0)) << "the alias is not dragged";
}

TEST(ListsNib, RadiusPrintedOnNibsTooLargeForTheirIcon)
{
    EXPECT_FLOAT_EQ(nibIconScale(25, 100), 11.0f / 100);
    EXPECT_FLOAT_EQ(nibIconScale(25, 5), 1.0f);
    EXPECT_EQ(nibIconScale(4, 5), 0.0f);

    CPenShapeMngr m;
    fillNibs(m, {100});
    TPenNibListView v;
    v.SetSupportCommand({lvcSelect});
    v.SetUseAlias(false);
    v.Attach(&m);
    auto icon = [&](bool drawRadius) {
        v.SetDrawRadius(drawRadius);
        TMemoryGraphic g(25, 25, clBtnFace32());
        g.Clear();
        v.DrawPreviewIcon(g, QRect(0, 0, 25, 25), 0, {});
        return pictureOf(g);
    };
    const QImage with = icon(true), without = icon(false);
    // Without the number the icon is the nib at 11 / 100 of its size.
    TMemoryGraphic ref(25, 25, clBtnFace32());
    TShapeImageParam p;
    initShapeImageParam(p);
    shapeObjToShapeImageParam(m.getObj(0), p);
    drawBrushShape(ref, p, clWindowText32(), clWindowText32(), true, 11.0f / 100);
    EXPECT_EQ(without, pictureOf(ref));
    EXPECT_NE(with, without) << "the radius printed";
}
