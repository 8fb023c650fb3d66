#include "ui/lists/swatch_list_view.h"

#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TColor32 grey(uint8_t v)
{
    return makeColor32(v, v, v, 255);
}

// A palette of n greys 0, 10, 20, ...
void fill(TSwatchMngr &m, int n)
{
    for (int i = 0; i < n; ++i)
        m.InsertItem(i, grey(uint8_t(i * 10)));
    m.setModified(false);
}

QString greys(const TSwatchMngr &m)
{
    QString s;
    for (int i = 0; i < m.ItemCount(); ++i)
        s += QString::number(m.GetItem(i)->FColor.r / 10);
    return s;
}

// The centre of a 12-pixel icon cell in control coordinates.
QPoint cellAt(int column, int row)
{
    return QPoint(2 + column * 12 + 6, 2 + row * 12 + 6);
}

} // namespace

TEST(ListsSwatch, ReselectAfterDelete)
{
    struct Case
    {
        int count, selected, deleted, expected;
    } cases[] = {
        {5, 3, 1, 2}, // below the selection: the selection moves up with its swatch
        {5, 1, 3, 1}, // above: unchanged
        {5, 4, 4, 3}, // the last, selected: the new last
        {5, 2, 2, 2}, // the selected one: its follower
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.selected << " " << c.deleted);
        TSwatchMngr m;
        fill(m, c.count);
        TSwatchListView v;
        v.SetSupportCommand({lvcSelect, lvcDelete});
        v.Attach(&m);
        v.SetSelectIndex(c.selected);
        EXPECT_TRUE(v.DeleteItem(c.deleted, true));
        EXPECT_EQ(v.SelectIndex(), c.expected);
        EXPECT_TRUE(m.Modified());
        v.Detach();
    }
}

TEST(ListsSwatch, NamesPutAndSelectColor)
{
    TSwatchMngr m;
    fill(m, 3);
    TSwatchListView v;
    v.SetSupportCommand({lvcSelect, lvcReplace, lvcAppend});
    v.SetBounds(0, 0, 18 + 60, 4 + 36); // 5 columns of 12
    v.Attach(&m);
    v.show();
    m.GetItem(1)->FColor = makeColor32(3, 2, 1, 255);
    EXPECT_EQ(v.GetItemName(1), "R 001, G 002, B 003");
    EXPECT_EQ(m.ItemSize(), (sSize{12, 12}));
    EXPECT_EQ(m.RepeatSize(), (sSize{5, 3}));

    v.OnPutItem = [](QObject *, TColor32 &c) { c = grey(90); };
    QTest::mouseClick(&v, Qt::LeftButton, Qt::ShiftModifier, cellAt(1, 0)); // inserts before
    EXPECT_EQ(greys(m), "0902"); // 0, the put 90, the recoloured 1, 20
    EXPECT_EQ(v.SelectIndex(), 1);
    QTest::mouseClick(&v, Qt::LeftButton, {}, cellAt(2, 2)); // empty area appends
    EXPECT_EQ(m.ItemCount(), 5);
    EXPECT_EQ(m.GetItem(4)->FColor.r, 90);
    EXPECT_EQ(v.SelectIndex(), 4);

    m.setModified(false);
    v.SetSelectColor(grey(70));
    EXPECT_EQ(v.SelectColor().r, 70);
    EXPECT_TRUE(m.Modified()); // the recolour can be saved
    v.SetSupportCommand({});
    v.SetSelectColor(grey(50));
    EXPECT_EQ(v.SelectColor().r, 50);
    EXPECT_EQ(m.GetItem(4)->FColor.r, 70);
    v.Detach();
}

TEST(ListsSwatch, AttachedManagersAreNotOwned)
{
    auto shared = std::make_unique<TSwatchMngr>();
    fill(*shared, 2);
    {
        TSwatchListView a, b;
        a.Attach(shared.get());
        a.Attach(shared.get()); // re-attaching the bound manager keeps it
        b.Attach(shared.get());
        EXPECT_EQ(a.Manager(), shared.get());
        // The views go without freeing the shared manager.
    }
    EXPECT_EQ(shared->ItemCount(), 2);
    TSwatchListView v;
    TSwatchMngr *own = v.Manager();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(v.Detach(), nullptr); // its own manager is never handed out
    v.Attach(shared.get());
    EXPECT_EQ(v.Detach(), shared.get());
    EXPECT_EQ(v.ItemCount(), 0);
}

TEST(ListsSwatch, DragCopiesIntoAnotherSwatchView)
{
    TSwatchMngr m1, m2;
    fill(m1, 3);
    fill(m2, 1);
    TSwatchListView a, b;
    a.Attach(&m1);
    b.Attach(&m2);
    EXPECT_TRUE(a.DuplicateItem(&b, 0, 2, true));
    EXPECT_EQ(greys(m2), "20");
    EXPECT_TRUE(m2.Modified());
    a.Detach();
    b.Detach();
}
