// Caption controls grow to their text in the font in use.
#include "ui/base/caption_fit.h"
#include "ui/fields/tab_strip.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CaptionCase
{
    const char *name;
    std::function<QWidget *(QWidget *parent)> make;
    bool keepsRightEdge;
};

QLabel *rightLabel(QWidget *parent)
{
    auto *l = new QLabel(QString::fromUtf8("1600.0 %"), parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

const CaptionCase kCaptionCases[] = {
    {"check box", [](QWidget *p) { return new QCheckBox(QString::fromUtf8("プレビュー(&P)"), p); },
     false},
    {"radio button",
     [](QWidget *p) { return new QRadioButton(QString::fromUtf8("比較(暗)(&D)"), p); }, false},
    {"push button",
     [](QWidget *p) { return new QPushButton(QString::fromUtf8("自動調整(&A)"), p); }, false},
    {"label", [](QWidget *p) { return new QLabel(QString::fromUtf8("出力レベル(&O)"), p); }, false},
    {"label aligned right", [](QWidget *p) { return rightLabel(p); }, true},
};

} // namespace

TEST(NewUserFaultsCaptions, ACaptionControlTooNarrowForItsTextGrowsToIt)
{
    for (const CaptionCase &c : kCaptionCases) {
        SCOPED_TRACE(c.name);
        QWidget form;
        form.resize(400, 100);
        QWidget *w = c.make(&form);
        w->setGeometry(100, 10, 20, 20);
        const int need = w->sizeHint().width();
        ASSERT_GT(need, 20);
        EXPECT_EQ(fitCaptionWidth(w), need);
        EXPECT_EQ(w->width(), need);
        EXPECT_EQ(c.keepsRightEdge ? w->geometry().right() : w->x(), c.keepsRightEdge ? 119 : 100);
        EXPECT_EQ(w->y(), 10);
        EXPECT_EQ(w->height(), 20);
    }
}

TEST(NewUserFaultsCaptions, ACaptionControlWideEnoughKeepsItsRectangle)
{
    QWidget form;
    auto *box = new QCheckBox(QString::fromUtf8("リニア(&L)"), &form);
    box->setGeometry(12, 96, 200, 20);
    EXPECT_EQ(fitCaptionWidth(box), 200);
    EXPECT_EQ(box->geometry(), QRect(12, 96, 200, 20));
}

TEST(NewUserFaultsCaptions, FittingAFormReachesEveryCaptionButWrappedText)
{
    QWidget form;
    auto *inner = new QWidget(&form);
    auto *box = new QCheckBox(QString::fromUtf8("トラックバーの同期(&S)"), inner);
    box->setGeometry(0, 0, 30, 20);
    auto *wrapped = new QLabel(QString::fromUtf8("長い説明の文章はその幅で折り返す"), &form);
    wrapped->setWordWrap(true);
    wrapped->setGeometry(0, 30, 40, 60);
    fitCaptions(&form);
    EXPECT_EQ(box->width(), box->sizeHint().width());
    EXPECT_EQ(wrapped->width(), 40);
}

// The brush editor's tab strip in a place too narrow for its tabs: fitted, no tab is pushed over
// its neighbour further than the tabs' slanted ends (9 pixels).
TEST(NewUserFaultsCaptions, ATabStripFittedToItsTabsOverlapsNoCaption)
{
    QWidget form;
    form.resize(600, 100);
    TGraphicTabControl tabs(&form);
    tabs.SetBounds(240, 8, 140, 19);
    for (const char *caption : {"ブラシ設定", "ペン先設定", "ストロークオプション"})
        tabs.AddTab(QString::fromUtf8(caption));
    tabs.setActiveIndex(2);
    fitCaptionWidth(&tabs);
    EXPECT_EQ(tabs.x(), 240);
    EXPECT_EQ(tabs.height(), 19);
    EXPECT_EQ(tabs.Image().Width(), tabs.width()) << "the strip's picture follows its width";
    EXPECT_EQ(tabs.Tab(0).FLeft, 4);
    for (int i = 1; i < tabs.Count(); ++i)
        EXPECT_EQ(tabs.Tab(i).FLeft,
                  tabs.Tab(i - 1).FLeft + tabs.Tab(i - 1).Image(tsNone).Width() - 9)
            << "tab " << i;
}
