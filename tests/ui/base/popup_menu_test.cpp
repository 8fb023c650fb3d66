#include "ui/base/popup_menu.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// Chooses the entry with the given caption, remembering what the menu held.
class FakeRunner
{
  public:
    explicit FakeRunner(QString pick)
        : m_previous(installPopupMenuRunner([this, pick](QMenu &menu, QPoint pos) {
              at = pos;
              QAction *chosen = nullptr;
              for (QAction *a : menu.actions()) {
                  captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
                  if (a->isChecked())
                      checked << a->text();
                  if (a->text() == pick && a->isEnabled())
                      chosen = a;
              }
              return chosen;
          }))
    {
    }
    ~FakeRunner() { installPopupMenuRunner(m_previous); }
    QStringList captions, checked;
    QPoint at;

  private:
    TPopupMenuRunner m_previous;
};

const std::vector<TPopupMenuEntry> kEntries = {
    {3, "Copy", false, true, false},
    {0, {}, false, true, true},
    {7, "Lock", true, true, false},
    {9, "Gone", false, false, false},
};

} // namespace

TEST(BasePopupMenu, AnswersTheChosenIdOrZero)
{
    {
        FakeRunner r("Lock");
        EXPECT_EQ(trackPopupMenu(kEntries, {40, 50}, nullptr, nullptr), 7);
        EXPECT_EQ(r.captions, (QStringList{"Copy", "-", "Lock", "Gone"}));
        EXPECT_EQ(r.checked, QStringList{"Lock"});
        EXPECT_EQ(r.at, QPoint(40, 50));
    }
    {
        FakeRunner r("Gone"); // disabled
        EXPECT_EQ(trackPopupMenu(kEntries, {40, 50}, nullptr, nullptr), 0);
    }
    {
        FakeRunner r("nothing");
        EXPECT_EQ(trackPopupMenu(kEntries, {40, 50}, nullptr, nullptr), 0);
    }
}

TEST(BasePopupMenu, KeepsOffTheExcludedRectangle)
{
    FakeRunner r("Copy");
    const QRect exclude(30, 40, 60, 20);
    EXPECT_EQ(trackPopupMenu(kEntries, {40, 50}, &exclude, nullptr), 3);
    EXPECT_EQ(r.at, QPoint(40, 60)); // moved below it
    // Near the bottom of the screen: above it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect low(30, screen.bottom() - 30, 60, 20);
    trackPopupMenu(kEntries, {40, screen.bottom() - 20}, &low, nullptr);
    EXPECT_LT(r.at.y(), low.top());
    EXPECT_EQ(r.at.x(), 40);
}
