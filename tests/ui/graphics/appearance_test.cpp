#include "ui/graphics/appearance.h"

#include "platform/desktop/font.h"
#include "ui/base/system_colours.h"
#include "ui/ui_test_support.h"

#include <QCursor>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

TEST(GraphicsAppearance, ColourCacheAndDerivedColours)
{
    const TSysColorTable &t = fixedSysColorTable();
    EXPECT_EQ(clBtnFace32(), colorToColor32(t[COLOR_BTNFACE], 255));
    EXPECT_EQ(clWindowText32(), colorToColor32(t[COLOR_WINDOWTEXT], 255));
    EXPECT_EQ(cl3DDkShadow32(), colorToColor32(t[COLOR_3DDKSHADOW], 255));
    TColor32 clear = clBtnFace32();
    clear.a = 0;
    EXPECT_EQ(clBtnFaceClear32(), clear);
    EXPECT_EQ(clHighlightHalf32().a, 128);
    EXPECT_EQ(clHighlightHalf32().bgra & 0xFFFFFF, clHighlight32().bgra & 0xFFFFFF);
    EXPECT_EQ(clBtnFaceThird32().a, 85);
    EXPECT_EQ(clBtnFaceTwoThirds32().a, 170);
}

TEST(GraphicsAppearance, SharedPictures)
{
    const TAppearanceManager &m = *gAppearanceManager;
    // The slider thumb's tip.
    EXPECT_EQ(m.GetPosImage(1)->GetPixel(4, 0), clWindowFrame32());
    EXPECT_EQ(m.GetPosImage(1)->GetPixel(3, 0).bgra, 0u);
    EXPECT_EQ(m.GetPosImage(7)->Width(), 10);

    // The close button: a cross in the highlight colour on a highlight-text disc in a highlight
    // ring, its corners fully transparent.
    const TMemoryGraphic &close = *m.GetArrowImage(6, gsActive);
    for (const sPos c : {sPos{0, 0}, sPos{10, 0}, sPos{0, 10}, sPos{10, 10}})
        EXPECT_EQ(close.GetPixel(c.x, c.y).a, 0);
    EXPECT_EQ(px(close.GetPixel(5, 0)), px(clHighlight32()));
    EXPECT_EQ(px(close.GetPixel(5, 5)), px(clHighlight32())); // the cross's centre, full ink
    EXPECT_EQ(px(close.GetPixel(5, 2)), px(clHighlightText32()));

    // Disabled eyes have the frames of the normal ones; the active eye a highlight frame.
    for (int v = 0; v < 2; ++v) {
        const TMemoryGraphic &normal = *m.GetEyeImage(v, gsNone);
        const TMemoryGraphic &disabled = *m.GetEyeImage(v, gsDisabled);
        for (int i = 0; i < 13; ++i) {
            EXPECT_EQ(normal.GetPixel(i, 0), disabled.GetPixel(i, 0));
            EXPECT_EQ(normal.GetPixel(12, i), disabled.GetPixel(12, i));
        }
        EXPECT_EQ(normal.GetPixel(0, 5), clBtnShadow32());
        EXPECT_EQ(m.GetEyeImage(v, gsActive)->GetPixel(12, 5), clHighlight32());
    }

    // The active tab end is open at the bottom: H then 17 times F.
    const TMemoryGraphic &tab = *m.GetTabImage(tsActive);
    EXPECT_EQ(tab.GetPixel(0, 17), clBtnHighlight32());
    for (int x = 1; x < 18; ++x)
        EXPECT_EQ(tab.GetPixel(x, 17), clBtnFace32()) << x;
    EXPECT_EQ(m.GetTabImage(tsNone)->GetPixel(5, 17), clBtnHighlight32());
    EXPECT_EQ(m.GetTabImage(tsNone)->GetPixel(5, 16), clWindowFrame32());

    // The clipping mark is transparent where its picture is empty.
    EXPECT_EQ(m.ClippingImage()->GetPixel(0, 0).bgra, 0u);
    EXPECT_EQ(m.ClippingImage()->GetPixel(7, 0).a, 255);
    EXPECT_EQ(m.GetCheckBoxImage(1, gsNone)->Width(), 11);
    EXPECT_EQ(m.GetMenuImage(gsNone)->Width(), 17);
    EXPECT_EQ(m.GetMenuImage(gsNone)->Height(), 15);
}

TEST(GraphicsAppearance, GoldenAppearanceImages)
{
    const TAppearanceManager &m = *gAppearanceManager;
    QList<QImage> rows;
    auto row = [](QList<QImage> pics) { return sideBySide(pics, 2); };
    QList<QImage> pos, arrows, checks, misc, markers;
    for (int i = 0; i < 8; ++i)
        pos << pictureOf(*m.GetPosImage(i));
    for (int t = 0; t < 2; ++t)
        pos << pictureOf(*m.GetTabImage(TTabState(t)));
    for (int s = 0; s < 3; ++s)
        pos << pictureOf(*m.GetMenuImage(TGlyphState(s)));
    for (int k = 0; k < 13; ++k)
        for (int s = 0; s < 3; ++s)
            arrows << pictureOf(*m.GetArrowImage(k, TGlyphState(s)));
    for (int t = 0; t < 2; ++t)
        for (int s = 0; s < 3; ++s) {
            checks << pictureOf(*m.GetCheckBoxImage(t, TGlyphState(s)));
            checks << pictureOf(*m.GetEyeImage(t, TGlyphState(s)));
        }
    misc << pictureOf(*m.GetLinkImage(0)) << pictureOf(*m.GetLinkImage(1))
         << pictureOf(*m.ActiveImage()) << pictureOf(*m.ClippingImage());
    for (int j = 0; j < 2; ++j)
        for (int s = 0; s < 2; ++s)
            markers << pictureOf(*gGradMarkerImages[size_t(j)][size_t(s)]);
    const QImage all = [&] {
        const QList<QImage> lines = {row(pos), row(arrows.mid(0, 21)), row(arrows.mid(21)),
                                     row(checks), row(misc + markers)};
        int w = 0, h = 0;
        for (const QImage &l : lines) {
            w = std::max(w, l.width());
            h += l.height() + 2;
        }
        QImage out(w, h, QImage::Format_ARGB32);
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        int y = 0;
        for (const QImage &l : lines) {
            p.drawImage(0, y, l);
            y += l.height() + 2;
        }
        return out;
    }();
    EXPECT_GOLDEN(all, "appearance-images");
}

TEST(GraphicsAppearance, MessageHookHandsOnToThePreviousHandler)
{
    // The manager installed its hook at creation; it calls whatever was there before.
    int calls = 0;
    TAppearanceManager *saved = gAppearanceManager;
    const TMessageEvent before = setApplicationOnMessage([&](TMsg &, bool &) { ++calls; });
    {
        TAppearanceManager second;
        TMsg msg;
        bool handled = false;
        applicationOnMessage()(msg, handled);
        EXPECT_EQ(calls, 1);
    }
    // Destroying it put the previous handler back.
    TMsg msg;
    bool handled = false;
    applicationOnMessage()(msg, handled);
    EXPECT_EQ(calls, 2);
    setApplicationOnMessage(before);
    SetSysColor32(); // the second manager refilled the same cache
    EXPECT_EQ(gAppearanceManager, saved);
}

TEST(GraphicsAppearance, FramesOnAPainter)
{
    QImage img(6, 5, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        drawEdgeRect(p, QRect(0, 0, 6, 5), 0x0000FF, 0x00FF00, 0xFF0000);
    }
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0)); // top-left in red (0x0000FF is red)
    EXPECT_EQ(img.pixel(0, 3), qRgb(255, 0, 0)); // the left side down to B1 - 1
    EXPECT_EQ(img.pixel(5, 0), qRgb(0, 255, 0)); // the corner belongs to the bottom-right line
    EXPECT_EQ(img.pixel(0, 4), qRgb(255, 0, 0)); // the first point of the first line
    EXPECT_EQ(img.pixel(1, 4), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(2, 2), qRgb(0, 0, 255)); // the fill
    QImage sunken(6, 6, QImage::Format_RGB32);
    sunken.fill(Qt::black);
    {
        QPainter p(&sunken);
        drawSunkenFrame(p, QRect(0, 0, 6, 6), -1);
    }
    const uint32_t shadow = getSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(sunken.pixel(0, 0) & 0xFFFFFF,
              (shadow & 0xFF) << 16 | (shadow & 0xFF00) | (shadow >> 16 & 0xFF));
    EXPECT_EQ(sunken.pixel(3, 3), qRgb(0, 0, 0)); // no fill
}

TEST(GraphicsAppearance, InterfaceFont)
{
    EXPECT_TRUE(fontFamilyExists("noto sans cjk jp", SHIFTJIS_CHARSET));
    EXPECT_FALSE(fontFamilyExists("No Such Face Anywhere", SHIFTJIS_CHARSET));
    QFont f("DejaVu Sans");
    f.setPixelSize(17);
    EXPECT_FALSE(
        pickInterfaceFont(f, SHIFTJIS_CHARSET, {{"No Such Face", -11}, {"Nor This", -12}}));
    EXPECT_EQ(f.family(), "DejaVu Sans");
    EXPECT_EQ(f.pixelSize(), 17);
    EXPECT_TRUE(pickInterfaceFont(f, SHIFTJIS_CHARSET));
    EXPECT_EQ(f.pixelSize(), 12);
}

TEST(GraphicsAppearance, WindowHelpers)
{
    QPoint p;
    getCursorPosInControl(nullptr, p);
    EXPECT_EQ(p, QCursor::pos());
    QWidget parent;
    parent.setGeometry(100, 50, 200, 100);
    QWidget child(&parent);
    child.setGeometry(10, 20, 30, 30);
    getCursorPosInControl(&child, p);
    EXPECT_EQ(p, parent.mapFromGlobal(QCursor::pos()) - QPoint(10, 20));
    QSize s;
    EXPECT_TRUE(getNonClientSize(s, &parent));
    EXPECT_FALSE(getNonClientSize(s, &child));
}
