#include "ui/base/app_hooks.h"
#include "ui/base/graphic_control.h"
#include "ui/base/system_colours.h"

#include "platform/desktop/keys.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Notes the presses it gets; refuses points in its right half.
class HalfControl : public TGraphicControl
{
  public:
    using TGraphicControl::TGraphicControl;
    int downs = 0;
    int bounds = 0;
    bool hitTest(QPoint pos) const override { return pos.x() < width() / 2; }
    void SetBounds(int l, int t, int w, int h) override
    {
        TGraphicControl::SetBounds(l, t, w, h);
        ++bounds;
    }

  protected:
    void MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int, bool) override { ++downs; }
};

class PressCounter : public QWidget
{
  public:
    int presses = 0;

  protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

} // namespace

TEST(BaseControls, RefusedPointsGoToTheParent)
{
    PressCounter parent;
    parent.resize(100, 100);
    auto *c = new HalfControl(&parent);
    c->SetBounds(10, 10, 40, 20);
    parent.show();
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(c->downs, 1);
    EXPECT_EQ(parent.presses, 0);
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, QPoint(30, 5));
    EXPECT_EQ(c->downs, 1);
    EXPECT_EQ(parent.presses, 1);
    c->setNoStdEvents(true);
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(c->downs, 1);
}

TEST(BaseControls, QtGeometryChangesRouteIntoSetBounds)
{
    QWidget parent;
    auto *c = new HalfControl(&parent);
    parent.show();
    c->SetBounds(1, 2, 30, 40);
    const int before = c->bounds;
    c->setGeometry(5, 6, 20, 10);
    EXPECT_GT(c->bounds, before);
    EXPECT_EQ(c->geometry(), QRect(5, 6, 20, 10));
}

TEST(BaseControls, HintsSplitIntoToolTipAndStatusTip)
{
    HalfControl c;
    c.setHint("Short|Longer text");
    EXPECT_EQ(c.toolTip(), "Short");
    EXPECT_EQ(c.statusTip(), "Longer text");
    c.setHint("Both");
    EXPECT_EQ(c.toolTip(), "Both");
    EXPECT_EQ(c.statusTip(), "Both");
}

TEST(BaseHooks, OneMessagePerPressHoweverFarItTravels)
{
    PressCounter parent;
    parent.resize(100, 100);
    auto *c = new HalfControl(&parent);
    c->SetBounds(0, 0, 40, 40);
    parent.show();
    std::vector<uint32_t> seen;
    const TMessageEvent previous =
        setApplicationOnMessage([&](TMsg &m, bool &) { seen.push_back(m.message); });
    // Refused by the control, handed on to the parent: one press message.
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, QPoint(30, 5));
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, QPoint(30, 5));
    QTest::keyClick(&parent, Qt::Key_Escape);
    EXPECT_EQ(seen, (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN}));
    // A handler that sets handled swallows the message.
    setApplicationOnMessage([](TMsg &m, bool &handled) { handled = m.message == WM_LBUTTONDOWN; });
    QTest::mouseClick(&parent, Qt::LeftButton, Qt::NoModifier, QPoint(80, 80));
    EXPECT_EQ(parent.presses, 1); // only the first one arrived
    setApplicationOnMessage(previous);
}

TEST(BaseHooks, SystemColoursFromTheTableOrThePalette)
{
    const auto saved = installSysColorTable(std::nullopt);
    const QColor base = QApplication::palette().color(QPalette::Active, QPalette::Base);
    EXPECT_EQ(getSysColor(COLOR_WINDOW),
              uint32_t(base.red()) | uint32_t(base.green()) << 8 | uint32_t(base.blue()) << 16);
    installSysColorTable(fixedSysColorTable());
    EXPECT_EQ(getSysColor(COLOR_BTNFACE), fixedSysColorTable()[COLOR_BTNFACE]);
    EXPECT_EQ(getSysColor(31), 0u);
    EXPECT_EQ(getSysColor(-1), 0u);
    installSysColorTable(saved);
}
