#include "ui/controls/item_picker.h"

#include "ui/base/popup_menu.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void moveTo(QWidget *w, QPoint at)
{
    QMouseEvent ev(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

// A picker that counts its popups.
class CountingPicker : public TItemButton
{
  public:
    using TItemButton::TItemButton;
    int popups = 0;

  protected:
    bool DoPopup(int Index) override
    {
        ++popups;
        return TItemButton::DoPopup(Index);
    }
};

class ControlsItemPicker : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window.setGeometry(50, 50, 200, 100);
        for (int i = 0; i < 3; ++i) {
            p[i] = new CountingPicker(&window);
            p[i]->SetBounds(10 + 32 * i, 10, 30, 20);
            p[i]->OnDown = [this, i](QObject *) { ++downs[i]; };
        }
        window.show();
    }

    QWidget window;
    CountingPicker *p[3] = {};
    int downs[3] = {};
};

} // namespace

TEST_F(ControlsItemPicker, WithoutGroupNeverDown)
{
    p[0]->setDown(true);
    EXPECT_FALSE(p[0]->Down());
    EXPECT_EQ(downs[0], 1);
    p[0]->setDown(false); // the current value: only the event
    EXPECT_EQ(downs[0], 2);
    EXPECT_EQ(p[0]->EdgeColor(), clGrayText32());
}

TEST_F(ControlsItemPicker, GroupPressReleasesSiblingsQuietly)
{
    for (auto *q : p)
        q->setGroupIndex(1);
    downs[0] = downs[1] = downs[2] = 0;
    QTest::mouseClick(p[0], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(p[0]->Down());
    EXPECT_EQ(p[0]->EdgeColor(), clHighlight32());
    QTest::mouseClick(p[1], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(p[1]->Down());
    EXPECT_FALSE(p[0]->Down());
    EXPECT_EQ(downs[0], 1);
    EXPECT_EQ(downs[1], 1);
    EXPECT_NE(p[0]->EdgeColor(), clHighlight32());
    // Without AllowAllUp a second press keeps it down.
    QTest::mouseClick(p[1], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(p[1]->Down());
    // AllowAllUp spreads to the group; a second press releases.
    p[2]->setAllowAllUp(true);
    EXPECT_TRUE(p[0]->AllowAllUp());
    EXPECT_TRUE(p[1]->AllowAllUp());
    QTest::mouseClick(p[1], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(p[1]->Down());
}

TEST_F(ControlsItemPicker, LayoutAndPopupAreas)
{
    p[0]->setPickerType(ipDrop);
    EXPECT_EQ(p[0]->DropRect(), (sRect{22, 1, 29, 19}));
    EXPECT_EQ(p[0]->IconRect(), (sRect{1, 1, 22, 19}));
    EXPECT_EQ(p[0]->work().Width(), 21);
    EXPECT_EQ(p[0]->work().Height(), 18);
    p[1]->setPickerType(ipIconDrop);
    struct Case
    {
        int picker;
        QPoint at;
        int popups;
    } cases[] = {
        {0, {5, 5}, 1},  // ipDrop: the icon opens
        {0, {25, 5}, 1}, // and the arrow
        {1, {5, 5}, 0},  // ipIconDrop: the icon does not
        {1, {25, 5}, 1}, // the arrow does
        {2, {5, 5}, 0},  // ipIcon never
        {2, {28, 5}, 0},
    };
    for (const Case &c : cases) {
        p[c.picker]->popups = 0;
        QTest::mouseClick(p[c.picker], Qt::LeftButton, Qt::NoModifier, c.at);
        EXPECT_EQ(p[c.picker]->popups, c.popups) << c.picker << " " << c.at.x();
    }
    EXPECT_TRUE(p[0]->Popup());
    EXPECT_EQ(p[0]->EdgeColor(), clHighlight32());
    p[0]->PopupClosed();
    EXPECT_FALSE(p[0]->Popup());
    EXPECT_EQ(p[0]->GetAreaType(29, 5), ippInner);
    EXPECT_EQ(p[0]->GetAreaType(30, 5), ippOuter);
    EXPECT_EQ(p[0]->GetAreaType(0, 0), ippInner);
}

TEST_F(ControlsItemPicker, TinyControlsKeepOnePixel)
{
    for (bool margin : {false, true})
        for (TItemPickerType t : {ipIcon, ipDrop, ipIconDrop}) {
            p[0]->setMargin(margin);
            p[0]->setPickerType(t);
            p[0]->SetBounds(0, 0, 1, 1);
            EXPECT_EQ(p[0]->image().Width(), 1);
            EXPECT_EQ(p[0]->image().Height(), 1);
            EXPECT_GE(p[0]->work().Width(), 1);
            EXPECT_GE(p[0]->work().Height(), 1);
            EXPECT_TRUE(p[0]->work().Prepared());
            p[0]->SetBounds(0, 0, 30, 20);
        }
}

TEST_F(ControlsItemPicker, ReadOnlyAndDisabledIgnoreTheMouse)
{
    p[0]->setGroupIndex(2);
    p[0]->setPickerType(ipDrop);
    p[0]->setReadOnly(true);
    QTest::mouseClick(p[0], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    moveTo(p[0], QPoint(6, 6));
    EXPECT_FALSE(p[0]->Down());
    EXPECT_EQ(p[0]->popups, 0);
    EXPECT_TRUE(p[0]->Hover().empty());
    p[0]->setReadOnly(false);
    p[0]->SetEnabled(false);
    QTest::mouseClick(p[0], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(p[0]->Down());
    EXPECT_EQ(p[0]->IconGlyph(), clGrayText32());
    EXPECT_FALSE(p[0]->hitTest(QPoint(5, 5)));
}

TEST_F(ControlsItemPicker, HoverPartsByType)
{
    p[0]->setPickerType(ipIconDrop);
    moveTo(p[0], QPoint(25, 5));
    EXPECT_TRUE(p[0]->Hover().has(ippDrop));
    EXPECT_FALSE(p[0]->Hover().has(ippIcon));
    p[1]->setPickerType(ipDrop);
    moveTo(p[1], QPoint(5, 5));
    EXPECT_TRUE(p[1]->Hover().has(ippDrop));
    EXPECT_TRUE(p[1]->Hover().has(ippIcon));
    EXPECT_EQ(p[1]->IconBack(), clHighlightText32());
}

TEST(ControlsGlyphButton, GlyphCentredClippedAndMenuClosed)
{
    QWidget window;
    window.setGeometry(50, 50, 200, 100);
    auto *b = new TqZGlyphButton(&window);
    b->SetBounds(0, 0, 12, 12); // the 24 x 24 glyph is larger than the 10 x 10 icon area
    window.show();
    ASSERT_NE(b->GlyphImage(), nullptr);
    const TMemoryGraphic &g = *b->GlyphImage();
    EXPECT_EQ(b->work().Width(), 10);
    // Work pixel (0, 0) shows glyph pixel (7, 7).
    TMemoryGraphic expect(10, 10, clBtnFace32());
    expect.Clear();
    expect.BlendImage(-7, -7, 24, 24, g, 0, 0, blendNormal, blendKeep);
    EXPECT_EQ(pictureOf(b->work()), pictureOf(expect));

    QMenu menu;
    menu.addAction("x");
    int runs = 0;
    bool poppedWhileRunning = false;
    TPopupMenuRunner previous = installPopupMenuRunner([&](QMenu &, QPoint) -> QAction * {
        ++runs;
        poppedWhileRunning = b->Popup();
        return nullptr;
    });
    int clicks = 0;
    b->OnClick = [&](QObject *) { ++clicks; };
    b->PopupMenu = &menu;
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3)); // ipIcon: nothing
    EXPECT_EQ(runs, 0);
    b->setPickerType(ipDrop);
    b->SetBounds(0, 0, 40, 30);
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(poppedWhileRunning);
    EXPECT_FALSE(b->Popup());
    EXPECT_GE(clicks, 1);
    installPopupMenuRunner(previous);
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

TEST(ControlsItemPickerPictures, States)
{
    QWidget window;
    window.setGeometry(50, 50, 300, 100);
    QList<QImage> shots;
    const auto shot = [&](TItemPickerType t, bool margin, bool toolIcon, bool down, bool enabled) {
        auto *b = new TItemButton(&window);
        b->OnOwnerDraw = [](QObject *, TMemoryGraphic &g) {
            g.Clear();
            g.FillRectangle({2, 2, g.Width() - 2, g.Height() - 2}, clWindowText32(), blendCopy,
                            blendCopy);
        };
        b->SetBounds(0, 0, 30, 20);
        b->setMargin(margin);
        b->setToolIcon(toolIcon);
        b->setPickerType(t);
        if (down) {
            b->setGroupIndex(1);
            b->setDown(true);
        }
        b->SetEnabled(enabled);
        shots << pictureOf(b->image());
    };
    shot(ipIcon, false, false, false, true);
    shot(ipDrop, false, false, false, true);
    shot(ipIconDrop, true, false, false, true);
    shot(ipIcon, false, true, false, true);
    shot(ipDrop, false, false, true, true);
    shot(ipIconDrop, false, false, false, false);
    EXPECT_GOLDEN(sideBySide(shots), "controls-item-pickers");
}
