#include "ui/lists/layer_list_views.h"

#include "core/mask/mask_manager.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "support/paper_fakes.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

// A document window over a real document; its gate is open unless a test closes it.
struct TestWindow : IDocumentListWindow
{
    explicit TestWindow(int layers)
    {
        EXPECT_TRUE(setupHeadlessPaper(*doc.paper, {40, 20}, 0xFFFFFF, layers));
    }
    TPaper *paper() const override { return doc.paper.get(); }
    TFlowImage *flowImage() const override { return const_cast<HeadlessDocument &>(doc).owner.flow(); }
    bool canAcceptEditCmd(bool, bool, bool) override { return gate; }
    void refreshAfterEvent(bool, bool, bool) override { ++refreshes; }
    bool isKeyOnly() const override { return false; }
    void updateEventProcs(bool) override {}
    bool doLayerVisAll(bool) override { return false; }
    void doLayerInfoWin() override {}
    void DoMaskInfoWin() override {}

    HeadlessDocument doc;
    bool gate = true;
    int refreshes = 0;
};

struct DocumentListsLayers : ::testing::Test
{
    DocumentListsLayers()
    {
        parent.resize(220, 260);
        view = new TLayerListView(&parent);
        view->SetSupportCommand({lvcSelect, lvcMove, lvcDrag, lvcDrop});
        view->SetBounds(0, 0, 200, 240);
    }
    CLayerMngr &layers() { return window.doc.paper->layerMngr(); }
    TestWindow window{5};
    QWidget parent;
    TLayerListView *view;
};

} // namespace

TEST_F(DocumentListsLayers, UnattachedViewIsEmpty)
{
    EXPECT_EQ(view->GetItemCount(), 0);
    EXPECT_EQ(view->SelectIndex(), -1);
    EXPECT_EQ(view->GetItemRef(0), nullptr);
    EXPECT_EQ(view->GetSelectItemRef(), nullptr);
    EXPECT_FALSE(view->CanDeleteItem(0));
    EXPECT_EQ(view->Detach(), nullptr);
}

TEST_F(DocumentListsLayers, RowsListTheLayersBottomUp)
{
    int managerChanges = 0;
    view->OnChangeManager = [&](QObject *) { ++managerChanges; };
    layers().setCurIndex(3);
    view->Attach(&window);
    EXPECT_EQ(managerChanges, 1);
    EXPECT_EQ(view->DrawWindow(), &window);
    ASSERT_EQ(view->GetItemCount(), 5);
    EXPECT_EQ(view->GetItemName(0), window.doc.paper->getLayerData(0)->title);
    EXPECT_EQ(view->SelectIndex(), 3);
    EXPECT_EQ(view->LastIndex(), 3);
    EXPECT_EQ(view->GetSelectItemRef(), window.doc.paper->getLayerData(3));
    // Layer 0 is the bottom row.
    EXPECT_GT(view->GetItemRect(0).top(), view->GetItemRect(4).top());
    EXPECT_EQ(view->GetItemRect(3).top() - view->GetItemRect(4).top(), view->GetItemSize().height());

    EXPECT_EQ(view->Detach(), &window);
    EXPECT_EQ(view->GetItemCount(), 0);
    EXPECT_EQ(view->LastIndex(), -1);
}

TEST_F(DocumentListsLayers, MarkColumnsAreTheirOwnArea)
{
    view->Attach(&window);
    const QRect row = view->GetItemRect(1);
    const int y = row.center().y();
    EXPECT_EQ(view->GetAreaType(5, y), kAreaCustom);
    EXPECT_EQ(view->GetAreaType(34, y), kAreaCustom);
    EXPECT_EQ(view->GetAreaType(35, y), kAreaItem);
}

TEST_F(DocumentListsLayers, ClosedGateFixesEveryItem)
{
    view->Attach(&window);
    EXPECT_TRUE(view->GetItemType(1).empty());
    EXPECT_TRUE(view->CanMoveItem(4, 1));
    EXPECT_TRUE(view->CanDeleteItem(1));
    EXPECT_TRUE(view->CanDuplicateItem(3, view, 1));
    EXPECT_TRUE(view->CanInsertItem(3, view, 1));
    // Another view is no source for these lists.
    TLayerListView other;
    EXPECT_FALSE(view->CanInsertItem(3, &other, 1));
    EXPECT_FALSE(view->CanDuplicateItem(3, &other, 1));

    window.gate = false; // a replay plays
    EXPECT_EQ(view->GetItemType(1), (TListViewItemTypes{lviFixedIndex, lviFixedName, lviFixedValue}));
    EXPECT_FALSE(view->CanMoveItem(4, 1));
    EXPECT_FALSE(view->CanDeleteItem(1));
    EXPECT_FALSE(view->CanDuplicateItem(3, view, 1));
    EXPECT_FALSE(view->CanInsertItem(3, view, 1));
    EXPECT_FALSE(view->CanAppendItem(view, 1));
    // A press selects nothing and deletes nothing.
    parent.show();
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, view->GetItemRect(1).center());
    QTest::mouseClick(view, Qt::LeftButton, {}, view->GetItemRect(1).center());
    EXPECT_EQ(view->GetItemCount(), 5);
    EXPECT_EQ(view->SelectIndex(), 0);
    EXPECT_EQ(window.refreshes, 0);
}

TEST(DocumentListsLayersOnly, TheOnlyLayerCannotBeDeleted)
{
    TestWindow window(1);
    TLayerListView view;
    view.Attach(&window);
    EXPECT_FALSE(view.CanDeleteItem(0));
}

TEST_F(DocumentListsLayers, GroupsMoveWhole)
{
    // Layer 1 heads a group of 1, 2 and 3.
    for (int i : {2, 3})
        layers().getLayer(i)->setGroupLevel(1);
    view->Attach(&window);
    ASSERT_TRUE(view->HasLayerGroup());
    EXPECT_EQ(view->LayerGroupCount(1), 3);
    struct Case
    {
        int dst;
        bool allowed;
    } cases[] = {{0, true}, {2, false}, {3, false}, {4, false}, {5, true}};
    for (const Case &c : cases)
        EXPECT_EQ(view->CanMoveItem(c.dst, 1), c.allowed) << c.dst;

    // While the head is pressed its members are drawn as drag targets.
    parent.show();
    const QPoint head = view->GetItemRect(1).center() + QPoint(40, 0);
    QTest::mousePress(view, Qt::LeftButton, {}, head);
    EXPECT_TRUE(view->GetItemState(2).contains(lviDragTarget));
    EXPECT_TRUE(view->GetItemState(3).contains(lviDragTarget));
    EXPECT_FALSE(view->GetItemState(4).contains(lviDragTarget));
    EXPECT_FALSE(view->GetItemState(0).contains(lviDragTarget));
    QTest::mouseRelease(view, Qt::LeftButton, {}, head);
    EXPECT_FALSE(view->GetItemState(2).contains(lviDragTarget));
}

TEST_F(DocumentListsLayers, ThumbnailsFollowTheRowHeight)
{
    view->Attach(&window);
    // Rows with a border and padding: the thumbnail side is the cell height - 7.
    const int side = view->GetItemSize().height() - 7;
    EXPECT_EQ(view->PreviewMax(), side);
    EXPECT_EQ(layers().getPreviewSize(), (sSize{side, side}));
    const TMTC *thumb = window.doc.paper->getLayerData(0)->previewTC.get();
    ASSERT_NE(thumb, nullptr);
    // The 40 x 20 document keeps its aspect, and the icon follows it.
    EXPECT_EQ(thumb->width(), side);
    EXPECT_EQ(view->GetPreviewIconSize(0), QSize(side, side * thumb->height() / thumb->width()));

    view->SetListType(lvListL);
    const int large = view->GetItemSize().height() - 7;
    EXPECT_NE(large, side);
    EXPECT_EQ(layers().getPreviewSize(), (sSize{large, large}));
    EXPECT_EQ(window.doc.paper->getLayerData(4)->previewTC->width(), large);
}

TEST(DocumentListsLayersText, OpacityWholePercent)
{
    struct Case
    {
        uint8_t trans;
        const char *text;
    } cases[] = {{255, "100%"}, {128, "50%"}, {0, "0%"}, {1, "0%"}, {2, "1%"}, {254, "100%"}};
    for (const Case &c : cases)
        EXPECT_EQ(layerOpacityText(c.trans), QString::fromLatin1(c.text)) << int(c.trans);
}

TEST_F(DocumentListsLayers, RowMarks)
{
    // Layer 2 hidden, layer 1 clipped to the layer below, layer 3 active.
    layers().getLayer(2)->visible = false;
    layers().getLayer(1)->ChangeUnderLyrClip(true);
    layers().setCurIndex(3);
    view->Attach(&window);
    const TMemoryGraphic &img = view->Image();
    const auto cellTop = [&](int i) { return view->GetItemRect(i).top() - view->InnerRect().top(); };
    const auto rowPixels = [&](int i, int x0, int x1) {
        QList<uint32_t> out;
        const int y = cellTop(i) + view->GetItemSize().height() / 2;
        for (int x = x0; x < x1; ++x)
            out << img.GetPixel(x, y).bgra;
        return out;
    };
    // The eye column differs between a visible and a hidden layer; the mark column between the
    // active layer and another.
    EXPECT_NE(rowPixels(2, 1, 14), rowPixels(0, 1, 14));
    EXPECT_EQ(rowPixels(4, 1, 14), rowPixels(0, 1, 14));
    EXPECT_NE(rowPixels(3, 17, 30), rowPixels(0, 17, 30));
    // The clipped layer's row is indented: its thumbnail starts further right.
    EXPECT_NE(rowPixels(1, 32, 60), rowPixels(0, 32, 60));
    // The marks and thumbnails of the five rows (the text starts right of them).
    const int rows = view->GetItemSize().height() * 5;
    EXPECT_GOLDEN(pictureOf(img).copy(0, 0, 64, rows), "documentlists-layer-marks");
}

namespace {

struct DocumentListsMasks : ::testing::Test
{
    DocumentListsMasks()
    {
        masks().insertMask(-1);
        masks().insertMask(-1);
        masks().setCurIndex(1);
        view.SetSupportCommand({lvcSelect, lvcMove, lvcDelete});
        view.SetBounds(0, 0, 160, 200);
    }
    CMaskMngr &masks() { return window.doc.paper->maskMngr(); }
    TestWindow window{2};
    TMaskListView view;
};

} // namespace

TEST_F(DocumentListsMasks, ListsTheMasksTopDown)
{
    view.Attach(&window);
    ASSERT_EQ(view.GetItemCount(), 3);
    EXPECT_EQ(view.SelectIndex(), 1);
    EXPECT_EQ(view.GetItemName(2), masks().getMask(2)->title);
    EXPECT_EQ(view.GetSelectItemRef(), masks().getMask(1));
    EXPECT_LT(view.GetItemRect(0).top(), view.GetItemRect(2).top());
    EXPECT_TRUE(view.CanDeleteItem(2));
    window.gate = false;
    EXPECT_FALSE(view.CanDeleteItem(2));
    EXPECT_FALSE(view.CanMoveItem(0, 2));
    EXPECT_EQ(view.GetItemType(0), (TListViewItemTypes{lviFixedIndex, lviFixedName, lviFixedValue}));
}

TEST_F(DocumentListsMasks, TheOnlyMaskCannotBeDeleted)
{
    TestWindow single(1); // a new document holds one mask
    TMaskListView v;
    v.Attach(&single);
    ASSERT_EQ(v.GetItemCount(), 1);
    EXPECT_FALSE(v.CanDeleteItem(0));
}

TEST_F(DocumentListsMasks, PreviewEdgeFollowsTheRows)
{
    view.Attach(&window);
    view.SetListType(lvListL);
    EXPECT_EQ(getMaskPreviewMax(), view.PreviewMax());
    view.SetListType(lvListS);
    EXPECT_EQ(getMaskPreviewMax(), view.PreviewMax());
    // An empty mask shows a grey icon.
    const QRect cell = view.GetItemRect(0);
    const TColor32 c = view.Image().GetPixel(cell.left() - view.InnerRect().left() +
                                                 cell.height() / 2,
                                             cell.top() - view.InnerRect().top() + cell.height() / 2);
    EXPECT_EQ(c.bgra & 0xFFFFFF, clGrayText32().bgra & 0xFFFFFF);
}
