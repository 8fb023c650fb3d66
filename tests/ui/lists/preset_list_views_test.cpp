#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/tone_list_view.h"

#include "core/image/channel.h"
#include "platform/desktop/messages.h"
#include "support/preset_fixtures.h"
#include "support/captured_messages.h"
#include "ui/base/drag_manager.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

const TListViewCommandTypes kEdit{lvcSelect, lvcMove,   lvcAppend, lvcInsert, lvcDelete,
                                  lvcDrag,   lvcDrop,   lvcEditDialog};

} // namespace

TEST(ListsPresets, ReselectAfterDeleteAndTheLastItemStays)
{
    struct Case
    {
        int selected, deleted, expected;
    } cases[] = {
        {3, 1, 2}, // below the selection: it moves up with its item
        {1, 3, 1}, // above: unchanged
        {4, 4, 3}, // the last, selected: the new last
        {2, 2, 2}, // the selected one: its follower
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.selected << " " << c.deleted);
        CGradMngr gm;
        fillGradients(gm, 5);
        TGradientListView gv;
        gv.SetSupportCommand(kEdit);
        gv.Attach(&gm);
        gv.SetSelectIndex(c.selected);
        const QString kept = gv.GetItemName(c.expected + (c.deleted <= c.expected ? 1 : 0));
        EXPECT_TRUE(gv.DeleteItem(c.deleted, true));
        EXPECT_EQ(gv.SelectIndex(), c.expected);
        EXPECT_EQ(gm.getActiveGrad()->crsg->name, kept);
        EXPECT_TRUE(gv.Modified());

        CToneMngr tm;
        fillPatterns(tm, 5);
        TToneListView tv;
        tv.SetSupportCommand(kEdit);
        tv.Attach(&tm);
        tv.SetSelectIndex(c.selected);
        EXPECT_TRUE(tv.DeleteItem(c.deleted, true));
        EXPECT_EQ(tv.SelectIndex(), c.expected);
        EXPECT_EQ(tm.getCurPat()->name(), kept.isEmpty() ? QString() : 'p' + kept.mid(1));
    }

    // A one-item set keeps its item.
    CGradMngr gm;
    fillGradients(gm, 1);
    TGradientListView gv;
    gv.SetSupportCommand(kEdit);
    gv.Attach(&gm);
    EXPECT_FALSE(gv.DeleteItem(0, true));
    CToneMngr tm;
    fillPatterns(tm, 1);
    TToneListView tv;
    tv.SetSupportCommand(kEdit);
    tv.Attach(&tm);
    EXPECT_FALSE(tv.DeleteItem(0, true));
    EXPECT_EQ(gm.count() + tm.count(), 2);
    EXPECT_FALSE(gm.Modified() || tm.Modified());
}

TEST(ListsPresets, TheFixedGradientStaysInPlace)
{
    CGradMngr m(true);
    fillGradients(m, 3); // fixed, g0, g1, g2
    TGradientListView v;
    v.SetSupportCommand(kEdit);
    v.Attach(&m);
    const QString fixed = v.GetItemName(0);

    EXPECT_FALSE(v.CanMoveItem(3, 0)) << "moved";
    EXPECT_FALSE(v.CanMoveItem(0, 2)) << "moved before";
    EXPECT_FALSE(v.AcceptDropItem(0, &v, 2)) << "dropped on";
    EXPECT_TRUE(v.AcceptDropItem(1, &v, 3));
    EXPECT_FALSE(v.CanEditItem(0));
    EXPECT_FALSE(v.DeleteItem(0, true));
    v.SetItemName(0, "renamed");
    EXPECT_EQ(v.GetItemName(0), fixed);
    v.SetItemName(1, "renamed");
    EXPECT_EQ(v.GetItemName(1), "renamed");
    EXPECT_FALSE(v.InsertItem(0, std::make_unique<CGradObj>(*m.getGrad(1)), true));
    EXPECT_TRUE(v.MoveItem(1, 3, true));
    EXPECT_EQ(itemNames(v), fixed + " g2 renamed g1");
    EXPECT_TRUE(m.isSpecialIdx(0));

    // Alone, even inserting before it is refused.
    CGradMngr alone(true);
    v.Attach(&alone);
    EXPECT_FALSE(v.InsertItem(0, std::make_unique<CGradObj>(*m.getGrad(1)), true));
    EXPECT_FALSE(v.CanDuplicateItem(0, &v, 0));
    EXPECT_EQ(alone.count(), 1);
}

TEST(ListsPresets, GradientAttributesAndColours)
{
    CGradMngr m;
    fillGradients(m, 3);
    TGradientListView v;
    v.SetSupportCommand({lvcSelect});
    int changes = 0;
    v.OnChange = [&](QObject *) { ++changes; };

    SGradAttr attr;
    attr.gradType = gtGrade;
    attr.gradMap = gmReturn;
    attr.gradRep = grEndless;
    attr.gradRepCnt = 4;
    m.setCommonAttr(attr);
    v.Attach(&m); // takes the set's common attribute
    EXPECT_EQ(v.CommonType(), gtCircular);
    EXPECT_TRUE(v.CommonRound());
    EXPECT_TRUE(v.CommonInfinity());
    EXPECT_EQ(v.CommonRepeat(), 4);

    attr.gradType = gtRot;
    attr.gradRepCnt = 2;
    v.SetCommonAttr(attr);
    EXPECT_EQ(m.CommonAttr(), v.CommonAttr());
    EXPECT_EQ(m.getGrad(2)->attr.gradType, gtRot);
    v.SetCommonRepeat(7); // a single field is not handed to the set
    EXPECT_EQ(m.CommonAttr().gradRepCnt, 2);
    attr.gradType = 9; // out of range: the standard shape, for the set too
    v.SetCommonAttr(attr);
    EXPECT_EQ(v.CommonType(), gtStandard);
    EXPECT_EQ(m.CommonAttr().gradType, gtLinear);

    changes = 0;
    EXPECT_TRUE(v.SetColor(makeColor32(30, 20, 10, 0), makeColor32(60, 50, 40, 0)));
    EXPECT_EQ(changes, 1);
    for (int i = 0; i < m.count(); ++i) {
        SCOPED_TRACE(i);
        const sRGBA first = m.getGrad(i)->crsg->getColor(0);
        EXPECT_EQ(int(first.R), 10);
        EXPECT_EQ(int(first.B), 30);
        const sRGBA last = m.getGrad(i)->crsg->getColor(0x10000);
        EXPECT_EQ(int(last.R), 40);
    }
    EXPECT_EQ(int(m.getModGrad()->crsg->getColor(0).R), 10) << "working copy rebuilt";
    TGradientListView unbound;
    EXPECT_FALSE(unbound.SetColor(clBlack32, clWhite32));

    // An attribute of the gradient's own stays with it; one without becomes the common one.
    attr.enbAttr = true;
    attr.gradType = gtGrade;
    v.SetAliasAttr(attr);
    EXPECT_TRUE(m.getActiveGrad()->attr.enbAttr);
    EXPECT_EQ(m.getActiveGrad()->attr.gradType, gtGrade);
    EXPECT_EQ(v.AliasAttr().gradType, gtGrade);
    EXPECT_EQ(v.CommonType(), gtStandard);
    attr.enbAttr = false;
    attr.gradType = gtRot;
    v.SetAliasAttr(attr);
    EXPECT_EQ(v.CommonType(), gtRadial);
    EXPECT_EQ(m.CommonAttr().gradType, gtRot);
}

TEST(ListsPresets, ToneAliasAttributes)
{
    CToneMngr m;
    fillPatterns(m, 2);
    TToneListView v;
    v.SetSupportCommand({lvcSelect});
    v.Attach(&m);
    int changes = 0;
    v.OnChange = [&](QObject *) { ++changes; };
    ASSERT_NE(v.AliasRef(), nullptr);

    v.SetAliasAttr(QPoint(0, 0), 100, false); // all equal: nothing
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(m.Modified());

    v.SetAliasAttr(QPoint(1, 2), 100, true);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(m.Modified());
    EXPECT_EQ(v.AliasRef()->ofs.x, 1);
    EXPECT_TRUE(v.AliasRef()->Fnega);

    v.SetAliasAttr(QPoint(1, 2), 200, true); // a new zoom rebuilds the working copy
    EXPECT_EQ(v.AliasRef()->size.x, 8);

    v.SetSupportCommand({lvcMove});
    EXPECT_EQ(v.AliasRef(), nullptr);
}

TEST(ListsPresets, ItemsCopiedBetweenViewsOfOneClassOnly)
{
    const TListViewCommandTypes cmds{lvcSelect, lvcDrag, lvcDrop};
    QWidget window;
    window.resize(400, 200);
    CGradMngr ga, gb;
    fillGradients(ga, 3);
    fillGradients(gb, 2);
    CToneMngr ta;
    fillPatterns(ta, 2);
    TGradientListView a, b;
    TToneListView t;
    a.Attach(&ga);
    b.Attach(&gb);
    t.Attach(&ta);
    int x = 0;
    for (TqZListView *v : std::initializer_list<TqZListView *>{&a, &b, &t}) {
        v->SetSupportCommand(cmds);
        v->setParent(&window);
        v->SetBounds(x, 0, 118, 94);
        x += 130;
    }
    window.show();

    auto drag = [](TqZListView &from, QPoint p, TqZListView &to, QPoint q) {
        QTest::mousePress(&from, Qt::LeftButton, {}, p);
        QTest::mouseMove(&from, p + QPoint(QApplication::startDragDistance() + 1, 0));
        ASSERT_TRUE(TDragManager::instance().dragging());
        TDragManager::instance().drop(to.mapToGlobal(q));
        QTest::mouseRelease(&from, Qt::LeftButton, {}, p);
    };
    // Cell 2 of a (x 66..98) onto the left edge of cell 1 of b.
    drag(a, QPoint(2 + 64 + 16, 18), b, QPoint(2 + 32 + 2, 18));
    EXPECT_EQ(itemNames(b), "g0 g2 g1");
    EXPECT_EQ(gb.getGradIdx(), 1);
    EXPECT_EQ(itemNames(a), "g0 g1 g2");
    // Gradient onto tone: refused.
    drag(a, QPoint(18, 18), t, QPoint(18, 18));
    EXPECT_EQ(itemNames(t), "p0 p1");
    // A brush dragged over a gradient view is refused.
    TPenMethodListView brushes;
    bool accept = true;
    a.DragOver(&brushes, QPoint(18, 18), accept);
    EXPECT_FALSE(accept);
    // Within a view the gradient moves.
    drag(a, QPoint(18, 18), a, QPoint(2 + 64 + 30, 18));
    EXPECT_EQ(itemNames(a), "g1 g2 g0");
    // A tone copied into another tone view stays a tone of the same pixels.
    CToneMngr tb;
    fillPatterns(tb, 1);
    TToneListView t2;
    t2.SetSupportCommand(cmds);
    t2.Attach(&tb);
    EXPECT_TRUE(t.DuplicateItem(&t2, 0, 1, true));
    EXPECT_EQ(itemNames(t2), "p1 p0");
    EXPECT_EQ(tb.getActiveTone()->getValue(0, 0), 40);
}

namespace {

// A popup that holds a list view over the owner's set.
class FakeGradientPopup : public IListPopup
{
  public:
    FakeGradientPopup(CGradMngr *m, int old) : m_old(old)
    {
        m_list.SetSupportCommand({lvcSelect});
        m_list.Attach(m);
    }
    TPopupBaseForm *Form() override { return &m_form; }
    TqZListView *ListView() override { return &m_list; }
    int OldIndex() const override { return m_old; }
    void ReadGradAttr() override { ++reads; }

    TPopupBaseForm m_form;
    TGradientListView m_list;
    int m_old;
    int reads = 0;
};

} // namespace

TEST(ListsPresets, DropButtonHandsOverToThePopup)
{
    HooksScope hooks;
    FakeGradientPopup *open = nullptr;
    std::vector<std::unique_ptr<IListPopup>> freed; // freed late, as the popups' owners do
    listViewHooks().createGradientPopup = [&](TGradientListView &view, CGradMngr *m) {
        return open = new FakeGradientPopup(m, view.SelectIndex());
    };
    listViewHooks().freeGradientPopup = [&](IListPopup *p) {
        freed.emplace_back(p);
        open = nullptr;
    };

    for (int result : {kavrin::mrOk, kavrin::mrCancel}) {
        SCOPED_TRACE(result);
        CGradMngr m;
        fillGradients(m, 4);
        TGradientListView v;
        v.SetSupportCommand({lvcSelect});
        v.SetListType(lvDrop);
        v.SetBounds(0, 0, 120, 36);
        v.Attach(&m);
        v.show();
        int changes = 0;
        v.OnChange = [&](QObject *) { ++changes; };

        QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(120 - 6, 18)); // the drop button
        ASSERT_NE(open, nullptr);
        EXPECT_TRUE(open->m_form.Down());
        FakeGradientPopup *popup = open;
        EXPECT_FALSE(v.CreatePopupForm()) << "one popup at a time";

        popup->m_list.SetSelectIndex(2); // the pick shows in the owner at once
        EXPECT_EQ(v.SelectIndex(), 2);
        EXPECT_EQ(popup->reads, 1);
        EXPECT_GT(changes, 0);
        changes = 0;

        popup->m_form.closeWithResult(result);
        EXPECT_EQ(v.SelectIndex(), result == kavrin::mrOk ? 2 : 0);
        EXPECT_GT(changes, 0);
        EXPECT_EQ(open, nullptr);
        EXPECT_EQ(v.PopupForm(), nullptr);
    }
    EXPECT_EQ(freed.size(), 2u);

    // Without a factory the press is an ordinary one.
    listViewHooks().createGradientPopup = nullptr;
    CGradMngr m;
    fillGradients(m, 2);
    TGradientListView v;
    v.SetSupportCommand({lvcSelect});
    v.SetListType(lvDrop);
    v.SetBounds(0, 0, 120, 36);
    v.Attach(&m);
    v.show();
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(120 - 6, 18));
    EXPECT_EQ(v.PopupForm(), nullptr);
    EXPECT_EQ(v.SelectIndex(), 0);
}

TEST(ListsPresets, EditorsComeFromTheHooks)
{
    HooksScope hooks;
    CGradMngr m;
    fillGradients(m, 2);
    TGradientListView v;
    v.SetSupportCommand(kEdit);
    v.Attach(&m);
    EXPECT_FALSE(v.CreateItem(true)) << "no editor installed";
    EXPECT_FALSE(v.EditItemValue(0));

    listViewHooks().duplicateAndEditGradient = [](TGradientListView &view) {
        view.AppendItem(std::make_unique<CGradObj>(*view.GetSelectItemRef()), false);
        return true;
    };
    int shown = 0;
    listViewHooks().showGradientEditor = [&](TGradientListView &) { return ++shown, true; };
    EXPECT_TRUE(v.CreateItem(true));
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(v.SelectIndex(), 2);
    EXPECT_TRUE(v.EditItemValue(2));
    EXPECT_EQ(shown, 1);
}
