#include "ui/lists/event_list_view.h"

#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using E = TEventCode;

// Counts how often the list is brought up to date.
class CountingEventList : public TEventListView
{
  public:
    using TEventListView::TEventListView;
    void UpdateDisplayPosition(bool Force) override
    {
        ++updates;
        TEventListView::UpdateDisplayPosition(Force);
    }
    int updates = 0;
};

// The n-th of a run of distinct operations that are all listed.
E distinct(int n)
{
    return E(int(E::ecImage_Create_New) + n);
}

QStringList names(const TEventListView &v)
{
    QStringList out;
    for (int i = 0; i < v.GetItemCount(); ++i)
        out << v.GetItemName(i);
    return out;
}

struct DocumentListsEvents : ::testing::Test
{
    DocumentListsEvents()
    {
        parent.resize(160, 300);
        view = new CountingEventList(&parent);
        view->SetBounds(0, 0, 140, 280);
        view->SetCanAppend(true);
    }
    QWidget parent;
    CountingEventList *view;
};

} // namespace

TEST_F(DocumentListsEvents, StrokeRunIsOneEntryRedrawnEveryTenth)
{
    const QString stroke = getEventCodeName(E::ecLayer_Draw_Stroke);
    ASSERT_TRUE(view->AppendItem(E::ecLayer_Draw_Stroke));
    view->updates = 0;
    for (int n = 2; n <= 12; ++n) {
        ASSERT_TRUE(view->AppendItem(E::ecLayer_Draw_Stroke));
        EXPECT_EQ(view->updates, n >= 10 ? 1 : 0) << "after stroke " << n;
    }
    EXPECT_EQ(names(*view), QStringList{stroke + QStringLiteral(" × 12")});
}

TEST_F(DocumentListsEvents, RepeatsCountAndUnlistedCodesAreSkipped)
{
    // Undo and the two activations are not listed, so they do not break a run.
    for (E c : {E::ecLayer_Draw_Stroke, E::ecEvent_Undo, E::ecLayer_Property_Activate,
                E::ecMask_Property_Activate, E::ecNop, E::ecLayer_Draw_Stroke})
        EXPECT_TRUE(view->AppendItem(c));
    ASSERT_EQ(view->GetItemCount(), 1);
    EXPECT_EQ(view->LastItem()->FCount, 2);

    // Another operation repeated counts into its own entry, redrawing each time.
    view->AppendItem(distinct(0));
    view->updates = 0;
    view->AppendItem(distinct(0));
    EXPECT_EQ(view->updates, 1);
    EXPECT_EQ(names(*view), (QStringList{getEventCodeName(E::ecLayer_Draw_Stroke) + " × 2",
                                         getEventCodeName(distinct(0)) + " × 2"}));
    EXPECT_EQ(view->SelectIndex(), 1);
    // A single entry shows its plain name.
    view->AppendItem(distinct(1));
    EXPECT_EQ(view->GetItemName(2), getEventCodeName(distinct(1)));
    EXPECT_EQ(view->GetItemName(3), QString());
}

TEST_F(DocumentListsEvents, FullListDropsTheOldest)
{
    for (int n = 0; n < 11; ++n)
        ASSERT_TRUE(view->AppendItem(distinct(n)));
    ASSERT_EQ(view->GetItemCount(), 10);
    EXPECT_EQ(view->Item(0)->FCode, distinct(1));
    EXPECT_EQ(view->Item(9)->FCode, distinct(10));
    EXPECT_EQ(view->SelectIndex(), 9);
}

TEST_F(DocumentListsEvents, Capacity)
{
    view->SetCapacity(60);
    EXPECT_EQ(view->Capacity(), 50);
    view->SetCapacity(-3);
    EXPECT_EQ(view->Capacity(), 0);

    view->SetCapacity(10);
    for (int n = 0; n < 8; ++n)
        view->AppendItem(distinct(n));
    view->SetSelectIndex(2);
    view->SetCapacity(3);
    ASSERT_EQ(view->GetItemCount(), 3);
    EXPECT_EQ(view->Item(0)->FCode, distinct(5));
    EXPECT_EQ(view->LastItem(), view->Item(2));
    EXPECT_EQ(view->SelectIndex(), 2);

    // Capacity 0 empties the list and refuses entries until it is raised.
    view->SetCapacity(0);
    EXPECT_EQ(view->GetItemCount(), 0);
    EXPECT_EQ(view->LastItem(), nullptr);
    EXPECT_FALSE(view->AppendItem(distinct(0)));
    EXPECT_EQ(view->GetItemCount(), 0);
    view->SetCapacity(2);
    EXPECT_TRUE(view->AppendItem(distinct(0)));
    // A new entry after the list was emptied does not count into a forgotten one.
    EXPECT_EQ(view->LastItem()->FCount, 1);
}

TEST_F(DocumentListsEvents, ClearAndCanAppend)
{
    view->AppendItem(distinct(0));
    view->Clear();
    EXPECT_EQ(view->GetItemCount(), 0);
    view->AppendItem(distinct(0));
    EXPECT_EQ(view->LastItem()->FCount, 1);

    view->SetCanAppend(false);
    EXPECT_FALSE(view->AppendItem(distinct(1)));
    EXPECT_FALSE(view->AppendItem(E::ecLayer_Draw_Stroke));
    EXPECT_EQ(view->GetItemCount(), 1);
}

TEST_F(DocumentListsEvents, EntriesCanOnlyBeSelected)
{
    for (int n = 0; n < 3; ++n)
        view->AppendItem(distinct(n));
    EXPECT_FALSE(view->CanMoveItem(0, 2));
    EXPECT_FALSE(view->CanDeleteItem(1));
    EXPECT_FALSE(view->CanEditItem(1));
    EXPECT_FALSE(view->DeleteItem(1, true));
    EXPECT_FALSE(view->CreateItem(true));
    EXPECT_FALSE(view->DuplicateItem(1, 0, true));
    EXPECT_FALSE(view->MoveItem(0, 2, true));
    EXPECT_EQ(view->GetItemCount(), 3);
    EXPECT_EQ(view->Item(0)->FCode, distinct(0));

    // A click selects the row under it; a drag moves nothing.
    parent.show();
    const QRect row0 = view->GetItemRect(0);
    const QRect row2 = view->GetItemRect(2);
    QTest::mouseClick(view, Qt::LeftButton, {}, row0.center());
    EXPECT_EQ(view->SelectIndex(), 0);
    QTest::mousePress(view, Qt::LeftButton, {}, row0.center());
    QTest::mouseMove(view, row2.center());
    QTest::mouseRelease(view, Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(view->Item(0)->FCode, distinct(0));
    EXPECT_EQ(view->Item(2)->FCode, distinct(2));
}
