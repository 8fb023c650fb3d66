#include "ui/lists/list_view.h"

#include "platform/desktop/messages.h"
#include "support/captured_messages.h"
#include "ui/base/drag_manager.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A view over a list of names that counts the editors it opens.
class FakeView : public TqZListView
{
  public:
    using TqZListView::DuplicateItem;
    struct Item
    {
        QString name;
        TListViewItemTypes types;
    };
    std::vector<Item> items;
    bool failCopies = false;
    int nameEdits = 0, valueEdits = 0;

    explicit FakeView(int count, TListViewCommandTypes commands)
    {
        for (int i = 0; i < count; ++i)
            items.push_back({QString(QChar('a' + i)), {}});
        FSupportTypes = {lvIconS, lvIconM, lvIconL,     lvListS,    lvListM,
                         lvListL, lvText,  lvCheckDrop, lvDropMulti};
        SetSupportCommand(commands);
        SetListType(lvIconM);
    }
    int GetItemCount() const override { return int(items.size()); }
    TListViewItemTypes GetItemType(int i) const override { return items[size_t(i)].types; }
    QString GetItemName(int i) const override { return items[size_t(i)].name; }
    bool DeleteItem(int Dst, bool Updt) override
    {
        if (!CanDeleteItem(Dst))
            return false;
        items.erase(items.begin() + Dst);
        if (Updt)
            UpdateDisplayPosition(true);
        return true;
    }
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override
    {
        auto *dst = dynamic_cast<FakeView *>(DstView);
        if (failCopies || !dst || !dst->CanDuplicateItem(Dst, this, Src))
            return false;
        Dst = std::clamp(Dst, 0, dst->GetItemCount());
        dst->items.insert(dst->items.begin() + Dst, items[size_t(Src)]);
        if (Updt)
            dst->SelectItem(Dst, true);
        return true;
    }
    // Like the swatch view, an append puts a new item rather than a copy of the pressed one.
    bool PutItem(int Dst, bool Updt) override
    {
        if (IsValidIndex(Dst))
            return TqZListView::PutItem(Dst, Updt);
        if (failCopies)
            return false;
        items.push_back({"z", {}});
        SelectItem(GetItemCount() - 1, Updt);
        return true;
    }
    bool EditItemName(int) override { return ++nameEdits, true; }
    bool EditItemValue(int) override { return ++valueEdits, true; }
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &R, int, TListViewItemStatus) override
    {
        AImage.FillRectangle({R.left(), R.top(), R.right() + 1, R.bottom() + 1}, clRed32, blendCopy,
                             blendCopy);
    }
    QString names() const
    {
        QString s;
        for (const Item &i : items)
            s += i.name;
        return s;
    }
    using TqZListView::FDisplayFirst;
};

// The centre of cell (column, row) of a 32-pixel grid in control coordinates.
QPoint cell(int column, int row)
{
    return QPoint(2 + column * 32 + 16, 2 + row * 32 + 16);
}

const TListViewCommandTypes kAll{lvcSelect,  lvcAppend, lvcInsert, lvcReplace,
                                 lvcDelete, lvcDrag,   lvcDrop,   lvcEditDialog};

} // namespace

TEST(ListsView, LayoutScrollAndTypes)
{
    QWidget parent;
    FakeView v(7, {lvcSelect});
    v.setParent(&parent);
    v.SetBounds(0, 0, 118, 94); // item area 100 x 90
    EXPECT_EQ(v.InnerRect(), QRect(2, 2, 100, 90));
    EXPECT_EQ(v.Geometry().Columns(), 3);
    EXPECT_TRUE(v.ScrollEnabled());
    EXPECT_EQ(v.VertScroll()->pageStep(), 3);
    EXPECT_EQ(v.VertScroll()->maximum(), 1); // range 0..3 with a page of 3
    EXPECT_EQ(v.VertScroll()->geometry(), QRect(102, 2, 14, 90));

    v.SetBounds(0, 0, 118, 99); // 100 x 95: everything fits
    EXPECT_FALSE(v.ScrollEnabled());
    v.items.resize(9);
    v.SetSupportCommand({lvcSelect, lvcAppend});
    v.UpdateDisplayPosition(true);
    EXPECT_TRUE(v.ScrollEnabled());

    v.SetListType(lvDrop); // not supported
    EXPECT_EQ(v.ListType(), lvIconM);
    v.SetListType(lvListM);
    EXPECT_EQ(v.GetItemSize(), QSize(100, 32));
    EXPECT_EQ(v.GetPreviewIconSize(0), QSize(25, 25));
    v.SetSupportCommand({lvcAppend});
    EXPECT_EQ(v.GetPreviewIconSize(0), QSize(31, 31));
}

TEST(ListsView, BottomUpAndEmptyDrawing)
{
    FakeView v(5, {lvcSelect});
    v.SetListType(lvListM);
    v.SetDirection(lvdBottomUp);
    v.SetBounds(0, 0, 118, 94);
    EXPECT_EQ(v.GetIndexAtNormal(10, 3), 5 - 1 - v.FirstRow());
    EXPECT_EQ(v.GetItemRect(0).top(), 4 * 32 - v.FirstRow() * 32);

    FakeView empty(0, {lvcSelect});
    empty.SetBounds(0, 0, 118, 94);
    empty.DrawItems();
    const TMemoryGraphic &img = empty.Image();
    for (int y = 0; y < img.Height(); y += 7)
        for (int x = 0; x < img.Width(); x += 7)
            ASSERT_EQ(px(img.GetPixel(x, y)), px(clGrayText32())) << x << "," << y;
}

TEST(ListsView, ClickGestures)
{
    struct Case
    {
        const char *what;
        TListViewCommandTypes commands;
        Qt::KeyboardModifiers mods;
        QPoint at;
        const char *after;
        int selected;
    } cases[] = {
        {"plain click selects", kAll, {}, cell(1, 0), "abcd", 1},
        {"ctrl deletes", kAll, Qt::ControlModifier, cell(1, 0), "acd", -1},
        {"ctrl without delete", {lvcSelect}, Qt::ControlModifier, cell(1, 0), "abcd", -1},
        {"ctrl shift inserts", kAll, Qt::ControlModifier | Qt::ShiftModifier, cell(1, 0), "abbcd", 1},
        {"ctrl shift without insert", {lvcSelect}, Qt::ControlModifier | Qt::ShiftModifier, cell(1, 0), "abcd", -1},
        {"shift replaces with the last pressed", kAll, Qt::ShiftModifier, cell(2, 0), "abcd", -1},
        {"alt does nothing", kAll, Qt::AltModifier, cell(1, 0), "abcd", -1},
        {"empty area appends", kAll, {}, cell(1, 1), "abcdz", 4},
        {"empty area without append", {lvcSelect}, {}, cell(1, 1), "abcd", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FakeView v(4, c.commands);
        v.SetBounds(0, 0, 118, 94);
        v.show();
        v.SetLastIndex(3);
        QTest::mousePress(&v, Qt::LeftButton, c.mods, c.at);
        QTest::mouseRelease(&v, Qt::LeftButton, c.mods, c.at);
        EXPECT_EQ(v.names(), c.after);
        EXPECT_EQ(v.SelectIndex(), c.selected);
    }
}

TEST(ListsView, AppendFailureWarnsAndEditorsOpenOnlyWhereAllowed)
{
    CapturedMessages catcher;
    FakeView v(4, kAll);
    v.SetBounds(0, 0, 118, 94);
    v.show();
    v.failCopies = true;
    v.SetLastIndex(0);
    QTest::mouseClick(&v, Qt::LeftButton, {}, cell(2, 1));
    EXPECT_EQ(catcher.warnings, QStringList{QString::fromUtf8("操作に失敗しました！")});
    EXPECT_EQ(v.names(), "abcd");

    // Double-click opens the editor only on the item pressed first.
    QTest::mouseClick(&v, Qt::LeftButton, {}, cell(1, 0));
    QTest::mouseDClick(&v, Qt::LeftButton, {}, cell(1, 0));
    EXPECT_EQ(v.valueEdits, 1);
    v.SetLastIndex(2);
    QTest::mouseDClick(&v, Qt::LeftButton, {}, cell(0, 0));
    EXPECT_EQ(v.valueEdits, 1);
    v.items[1].types = {lviFixedValue};
    v.SetLastIndex(1);
    QTest::mouseDClick(&v, Qt::LeftButton, {}, cell(1, 0));
    EXPECT_EQ(v.valueEdits, 1);

    // A name edit starts only inside the name of a row that may be renamed.
    v.SetListType(lvListM);
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(2 + 32 + 3 + 2, 2 + 16));
    EXPECT_EQ(v.nameEdits, 1);
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(2 + 90, 2 + 16));
    EXPECT_EQ(v.nameEdits, 1);
    v.items[0].types = {lviFixedName};
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(2 + 32 + 3 + 2, 2 + 16));
    EXPECT_EQ(v.nameEdits, 1);
    EXPECT_EQ(v.SelectIndex(), 0);
}

TEST(ListsView, WheelHintAndAutoScroll)
{
    QWidget parent;
    parent.resize(200, 200);
    FakeView v(30, {lvcSelect});
    v.setParent(&parent);
    v.SetBounds(0, 0, 118, 94);
    parent.show();
    const QPoint inside = v.mapToGlobal(cell(1, 1));
    EXPECT_TRUE(v.Scroll({}, -120, inside));
    EXPECT_EQ(v.FirstRow(), 1);
    EXPECT_TRUE(v.Scroll({}, 120, inside));
    EXPECT_EQ(v.FirstRow(), 0);
    EXPECT_FALSE(v.Scroll({}, -120, v.mapToGlobal(QPoint(300, 300))));

    v.UpdateHint(cell(1, 0).x(), cell(1, 0).y());
    EXPECT_EQ(v.hint(), QString::fromUtf8("b|クリック: [ b ] を選択"));
    v.items[1].name.clear();
    v.UpdateHint(cell(2, 0).x(), cell(2, 0).y());
    v.UpdateHint(cell(1, 0).x(), cell(1, 0).y());
    EXPECT_EQ(v.hint(), QString::fromUtf8("(未定義)|クリック: [ (未定義) ] を選択"));

    v.AutoScrollTick(QPoint(10, 2)); // on the top edge: at the first row nothing moves
    EXPECT_EQ(v.ScrollTimer()->interval(), 20);
    v.AutoScrollTick(QPoint(10, 92 - 31)); // b - 1 from the bottom edge
    EXPECT_EQ(v.ScrollTimer()->interval(), 500);
    EXPECT_EQ(v.FirstRow(), 1);
}

TEST(ListsView, DropStripFollowsSelection)
{
    FakeView v(20, {lvcSelect});
    v.SetListType(lvDropMulti);
    v.SetBounds(0, 0, 111 + 14, 24); // item area 111 x 20: 9 cells of 22
    EXPECT_EQ(v.GetDropCapacity(), 9);
    v.SelectItem(10, true);
    EXPECT_EQ(v.DisplayFirst(), 3);
    EXPECT_EQ(v.GetDropDisplayLast(), 11);
    EXPECT_EQ(v.GetItemState(10), TListViewItemStatus{lviSelect});
    // The current cell is drawn last and undimmed.
    const QRect r = v.GetItemRectDrop(10);
    EXPECT_EQ(px(v.Image().GetPixel(r.center().x(), r.center().y())), px(clRed32));
}

// The strip's arrows show exactly on the sides where items are hidden.
TEST(ListsView, DropStripArrowsOnlyOverHiddenItems)
{
    ASSERT_NE(gAppearanceManager, nullptr);
    const TMemoryGraphic *left = gAppearanceManager->GetArrowImage(2, gsNone);
    const TMemoryGraphic *right = gAppearanceManager->GetArrowImage(3, gsNone);
    ASSERT_TRUE(left && right);
    // An opaque pixel of an arrow and where it lands in the strip picture.
    const auto opaquePixel = [](const TMemoryGraphic &a) {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.GetPixel(x, y).a == 255)
                    return QPoint(x, y);
        return QPoint(-1, -1);
    };
    const QPoint l = opaquePixel(*left), r = opaquePixel(*right);
    ASSERT_GE(l.x(), 0);
    ASSERT_GE(r.x(), 0);
    const auto shows = [&](const FakeView &v, bool atRight) {
        const TMemoryGraphic &img = v.Image();
        const TMemoryGraphic &a = atRight ? *right : *left;
        const QPoint p = atRight ? r : l;
        const int x0 = atRight ? img.Width() - a.Width() - 1 : 1;
        return px(img.GetPixel(x0 + p.x(), (img.Height() - a.Height()) / 2 + p.y())) ==
               px(a.GetPixel(p.x(), p.y()));
    };
    struct Case
    {
        int count, selected;
        bool leftShown, rightShown;
    } cases[] = {
        {9, 4, false, false},  // all nine fit
        {5, 0, false, false},  // fewer than fit
        {20, 0, false, true},  // hidden on the right only
        {20, 10, true, true},  // items 3..11 shown
        {20, 19, true, false}, // the end reached
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items, " << c.selected << " selected");
        FakeView v(c.count, {lvcSelect});
        v.SetListType(lvDropMulti);
        v.SetBounds(0, 0, 111 + 14, 24);
        v.SelectItem(c.selected, true);
        v.DrawItems();
        EXPECT_EQ(shows(v, false), c.leftShown);
        EXPECT_EQ(shows(v, true), c.rightShown);
    }
}

TEST(ListsView, CheckBoxAndHoverStates)
{
    QWidget window;
    window.resize(300, 100);
    FakeView v(3, {lvcSelect});
    v.setParent(&window);
    v.SetListType(lvCheckDrop);
    v.SetBounds(0, 0, 120, 24);
    window.show();
    const QPoint box(2 + 1 + 5, 12);
    QTest::mouseClick(&v, Qt::LeftButton, {}, box);
    EXPECT_TRUE(v.Checked());
    QTest::mouseClick(&v, Qt::LeftButton, {}, box);
    EXPECT_FALSE(v.Checked());

    // Entering over the box lights it; leaving puts every hover state out.
    QTest::mouseMove(&window, v.mapTo(&window, box));
    v.MouseEnter();
    EXPECT_EQ(v.CheckState(), gsActive);
    v.MouseLeave();
    EXPECT_EQ(v.CheckState(), gsNone);

    FakeView strip(20, {lvcSelect});
    strip.setParent(&window);
    strip.SetListType(lvDropMulti);
    strip.SetBounds(0, 40, 111 + 14, 24);
    strip.show();
    strip.SelectItem(10, true); // items 3..11 shown
    QTest::mouseMove(&window, strip.mapTo(&window, strip.GetItemRectDrop(3).center() + QPoint(2, 2)));
    strip.MouseEnter();
    EXPECT_EQ(strip.LeftArrowState(), gsActive);
    EXPECT_EQ(strip.RightArrowState(), gsNone);
    strip.MouseLeave();
    EXPECT_EQ(strip.LeftArrowState(), gsNone);
}

namespace {

// Another class of view: drops between the two are refused.
class OtherView : public FakeView
{
  public:
    using FakeView::FakeView;
};

// Drags from a point of one view to a point of another through the manager.
void dragBetween(FakeView &from, QPoint a, TqZListView &to, QPoint b)
{
    QTest::mousePress(&from, Qt::LeftButton, {}, a);
    QTest::mouseMove(&from, a + QPoint(QApplication::startDragDistance() + 1, 0));
    ASSERT_TRUE(TDragManager::instance().dragging());
    TDragManager::instance().drop(to.mapToGlobal(b));
    QTest::mouseRelease(&from, Qt::LeftButton, {}, a);
}

} // namespace

TEST(ListsView, DragAndDrop)
{
    const TListViewCommandTypes cmds{lvcSelect, lvcDrag, lvcDrop};
    QWidget window;
    window.resize(400, 200);
    FakeView a(4, cmds), b(2, cmds);
    OtherView c(2, cmds);
    for (auto [v, x] : {std::pair<TqZListView *, int>{&a, 0}, {&b, 130}, {&c, 260}}) {
        v->setParent(&window);
        v->SetBounds(x, 0, 118, 94);
    }
    window.show();

    // Within a view the item moves; a drop at itself or just after it is refused without a mark.
    dragBetween(a, cell(0, 0), a, cell(2, 0) - QPoint(10, 0));
    EXPECT_EQ(a.names(), "bacd");
    EXPECT_EQ(a.SelectIndex(), 1);
    QTest::mousePress(&a, Qt::LeftButton, {}, cell(1, 0));
    QTest::mouseMove(&a, cell(1, 0) + QPoint(QApplication::startDragDistance() + 1, 0));
    TDragManager::instance().moveTo(a.mapToGlobal(cell(1, 0) + QPoint(12, 0))); // before item 2
    EXPECT_FALSE(a.LastAccept());
    TDragManager::instance().drop(a.mapToGlobal(cell(1, 0) + QPoint(12, 0)));
    QTest::mouseRelease(&a, Qt::LeftButton, {}, cell(1, 0));
    EXPECT_EQ(a.names(), "bacd");
    EXPECT_FALSE(a.Dragging());

    // Between two views of one class the item is copied; another class refuses.
    dragBetween(a, cell(2, 0), b, cell(0, 0) - QPoint(10, 0)); // left half of cell 0: before it
    EXPECT_EQ(b.names(), "cab");
    dragBetween(a, cell(0, 0), c, cell(0, 0));
    EXPECT_EQ(c.names(), "ab");
    EXPECT_FALSE(TDragManager::instance().dragging());
}

// A real drag: the pointer is followed through the source's grab, the release drops on the view
// under it, Esc cancels; the source hears of the start and of the end.
TEST(ListsView, DragEndsOnReleaseOrEscape)
{
    const TListViewCommandTypes cmds{lvcSelect, lvcDrag, lvcDrop};
    QWidget window;
    window.resize(300, 120);
    FakeView a(4, cmds), b(2, cmds);
    a.setParent(&window);
    a.SetBounds(0, 0, 118, 94);
    b.setParent(&window);
    b.SetBounds(130, 0, 118, 94);
    window.show();
    QStringList log;
    a.OnStartDrag = [&](QObject *) { log << "start"; };
    a.OnEndDrag = [&](QObject *, QObject *target) {
        log << (target == &b ? "end on b" : target ? "end elsewhere" : "end nowhere");
    };
    const QPoint from = cell(2, 0);
    const QPoint beyond = from + QPoint(QApplication::startDragDistance() + 1, 0);
    // Left half of b's first cell, in a's coordinates: the pointer is still a's.
    const QPoint overB = a.mapFromGlobal(b.mapToGlobal(cell(0, 0) - QPoint(10, 0)));

    QTest::mousePress(&a, Qt::LeftButton, {}, from);
    QTest::mouseMove(&a, beyond);
    ASSERT_TRUE(TDragManager::instance().dragging());
    EXPECT_TRUE(a.Dragging());
    QTest::mouseMove(&a, overB);
    EXPECT_TRUE(b.LastAccept());
    QTest::mouseRelease(&a, Qt::LeftButton, {}, overB);
    EXPECT_FALSE(TDragManager::instance().dragging());
    EXPECT_FALSE(a.Dragging());
    EXPECT_EQ(b.names(), "cab");
    EXPECT_EQ(log, (QStringList{"start", "end on b"}));

    // Esc ends the drag with nothing dropped, even over an accepting view.
    log.clear();
    QTest::mousePress(&a, Qt::LeftButton, {}, from);
    QTest::mouseMove(&a, beyond);
    QTest::mouseMove(&a, overB);
    ASSERT_TRUE(TDragManager::instance().dragging());
    QTest::keyClick(&a, Qt::Key_Escape);
    EXPECT_FALSE(TDragManager::instance().dragging());
    QTest::mouseRelease(&a, Qt::LeftButton, {}, overB);
    EXPECT_EQ(b.names(), "cab");
    EXPECT_EQ(a.names(), "abcd");
    EXPECT_EQ(log, (QStringList{"start", "end nowhere"}));
}

// The scroll bar lives on the parent: either may go first.
TEST(ListsView, ScrollBarAndParentDestroyedInEitherOrder)
{
    {
        auto parent = std::make_unique<QWidget>();
        auto *bar = new QScrollBar(parent.get()); // an older sibling
        (void)bar;
        auto *v = new FakeView(3, {lvcSelect});
        v->setParent(parent.get());
        v->VertScroll()->setParent(nullptr);
        v->VertScroll()->setParent(parent.get()); // now after the view among the children
        parent.reset();
    }
    {
        QWidget parent;
        FakeView v(3, {lvcSelect});
        v.setParent(&parent);
        delete v.VertScroll();
        EXPECT_EQ(v.VertScroll(), nullptr);
    }
}
