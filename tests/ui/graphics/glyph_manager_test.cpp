#include "ui/graphics/glyph_manager.h"

#include "core/image/canvas.h"
#include "ui/base/system_colours.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_strip.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A one-glyph strip: (0, 0) no ink and transparent, (1, 0) full ink and opaque, (2, 0) grey ink
// (green 150) and opaque.
QByteArray syntheticStrip()
{
    QImage pic(kGlyphSize, kGlyphSize, QImage::Format_ARGB32);
    pic.fill(Qt::transparent);
    pic.setPixel(1, 0, qRgba(0, 0, 0, 255));
    pic.setPixel(2, 0, qRgba(150, 150, 150, 255));
    return encodeGlyphStrip({pic});
}

TColor32 tinted(TColor32 paper, TColor32 ink, float k, uint8_t alpha)
{
    return makeColor32(blendNormal(paper.b, ink.b, k), blendNormal(paper.g, ink.g, k),
                       blendNormal(paper.r, ink.r, k), alpha);
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons,
               Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent ev(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

} // namespace

TEST(GraphicsGlyphs, StripPixelsBecomeInkAndAlphaPerState)
{
    const TqZGlyphManager m(syntheticStrip());
    const TMemoryGraphic *set[3] = {m.GetGlyphs(TqZGlyphType::qgPencil5, gsNone),
                                    m.GetGlyphs(TqZGlyphType::qgPencil5, gsActive),
                                    m.GetGlyphs(TqZGlyphType::qgPencil5, gsDisabled)};
    const TColor32 ink[3] = {clWindowText32(), clHighlight32(), clGrayText32()};
    const TColor32 paper[3] = {clWindow32(), clHighlightText32(), clBtnFace32()};
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(set[s]->GetPixel(0, 0).a, 0) << s;
        EXPECT_EQ(px(set[s]->GetPixel(0, 0)), px(tinted(paper[s], ink[s], 0, 0))) << s;
        TColor32 opaqueInk = ink[s];
        opaqueInk.a = 255;
        EXPECT_EQ(px(set[s]->GetPixel(1, 0)), px(opaqueInk)) << s;
        EXPECT_EQ(px(set[s]->GetPixel(2, 0)), px(tinted(paper[s], ink[s], byteWeight(105), 255)))
            << s;
    }
    // The glyphs the short strip does not hold keep their cleared colours.
    EXPECT_EQ(m.GetGlyphs(TqZGlyphType::qgStop, gsNone)->GetPixel(1, 0), clBtnFaceClear32());
    const TGraphicGlyphSet glyphSet = m.GetGlyphSet(TqZGlyphType::qgPencil5);
    EXPECT_EQ(glyphSet[gsActive], set[1]);
}

TEST(GraphicsGlyphs, NormalGlyphsFollowTheWindowTextColour)
{
    TSysColorTable coloured = fixedSysColorTable();
    coloured[COLOR_WINDOWTEXT] = 0x0000A0FF; // orange
    installSysColorTable(coloured);
    SetSysColor32();
    const TqZGlyphManager m(syntheticStrip());
    installSysColorTable(fixedSysColorTable());
    SetSysColor32();
    EXPECT_EQ(px(m.GetGlyphs(TqZGlyphType::qgPencil5, gsNone)->GetPixel(1, 0)), "0,160,255,255");
}

TEST(GraphicsGlyphs, UnreadableStripKeepsTheClearedColours)
{
    const TqZGlyphManager m(QByteArray("BM not a picture"));
    EXPECT_EQ(m.GetGlyphs(TqZGlyphType::qgZoom, gsNone)->GetPixel(12, 12), clBtnFaceClear32());
    EXPECT_EQ(m.GetGlyphs(TqZGlyphType::qgZoom, gsActive)->GetPixel(12, 12), clBtnFaceClear32());
    EXPECT_EQ(m.GetGlyphs(TqZGlyphType::qgZoom, gsDisabled)->GetPixel(12, 12), clGrayText32());
}

TEST(GraphicsGlyphs, BuiltInStripHasInkInEveryGlyph)
{
    const QByteArray &strip = builtinGlyphStrip();
    TMTC canvas;
    ASSERT_TRUE(canvas.loadBitmap(strip.constData(), size_t(strip.size()), nullptr));
    EXPECT_EQ(canvas.width(), 24);
    EXPECT_EQ(canvas.height(), 2280);
    for (int g = 0; g < kGlyphTypeCount; ++g) {
        int inked = 0;
        for (int y = 0; y < kGlyphSize; ++y)
            for (int x = 0; x < kGlyphSize; ++x) {
                const sBGRA p = *canvas.seek32(x, canvas.height() - 1 - (g * kGlyphSize + y));
                inked += p.R > 0 && p.G < 255;
            }
        EXPECT_GT(inked, 8) << "glyph " << g;
    }
    // The manager made from it shows the ink.
    EXPECT_GT(gGlyphManager->GetGlyphs(TqZGlyphType::qgStop, gsNone)->GetPixel(12, 12).a, 200);
}

TEST(GraphicsGlyphs, ModesAndToolsMapToTheirGlyphs)
{
    using G = TqZGlyphType;
    EXPECT_EQ(paintModeToGlyphType(TPaintMode::pmBlur2), G::qgBlur1);
    EXPECT_EQ(paintModeToGlyphType(TPaintMode::pmBlur1), G::qgBlur1);
    EXPECT_EQ(paintModeToGlyphType(TPaintMode::pmFingerTip4), G::qgFingertip4);
    EXPECT_EQ(paintModeToGlyphType(TPaintMode::pmSpread4), G::qgSpread4);
    EXPECT_EQ(paintModeToGlyphType(TPaintMode::pmAirBrush5), G::qgAirBrush5);
    struct Case
    {
        TToolDetail tool;
        G glyph;
    } cases[] = {
        {TToolDetail::tdLayerMove, G::qgMoveLayer},
        {TToolDetail::tdLayerMoveWithSelection, G::qgMoveLayerWithSelection},
        {TToolDetail::tdTrim, G::qgCrop},
        {TToolDetail::tdGrabberPosition, G::qgGrabber},
        {TToolDetail::tdGrabberRotation, G::qgDegree},
        {TToolDetail::tdFingerTip1, G::qgFingertip1},
        {TToolDetail::tdBlur1, G::qgBlur1},
        {TToolDetail::tdSeedEraser, G::qgSeedEraser},
        {TToolDetail::tdSpuit, G::qgSpuit},
        {TToolDetail::tdZoom, G::qgZoom},
    };
    for (const Case &c : cases)
        EXPECT_EQ(toolDetailToGlyphType(c.tool), c.glyph) << int(c.tool);
}

class GraphicsGlyphLabel : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        parent.resize(400, 100);
        label = new TqZGlyphLabel(&parent);
        label->SetBounds(10, 10, 30, 30);
        label->OnBeginDrag = [this](QObject *, float &start) {
            ++begins;
            start = 0.5f;
        };
        label->OnDrag = [this](QObject *, float v) { last = v; };
        label->OnEndDrag = [this](QObject *, float v) { end = v; };
        label->OnDblClick = [this](QObject *) { ++dblClicks; };
        parent.show();
    }

    QWidget parent;
    TqZGlyphLabel *label = nullptr;
    int begins = 0, dblClicks = 0;
    float last = -1, end = -1;
};

TEST_F(GraphicsGlyphLabel, DragReportsOneValuePerHundredPixels)
{
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(begins, 1);
    EXPECT_TRUE(label->dragging());
    sendMouse(label, QEvent::MouseMove, QPoint(105, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_FLOAT_EQ(last, 1.5f);
    sendMouse(label, QEvent::MouseMove, QPoint(255, 8), Qt::LeftButton, Qt::NoButton);
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(255, 8));
    EXPECT_FLOAT_EQ(end, 3.0f);
    EXPECT_FALSE(label->dragging());
}

TEST_F(GraphicsGlyphLabel, ReadOnlyIgnoresTheMouse)
{
    label->setReadOnly(true);
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
    EXPECT_EQ(begins, 0);
    EXPECT_EQ(end, -1);
    label->setReadOnly(false);
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(begins, 1);
}

TEST_F(GraphicsGlyphLabel, DisablingShowsTheDisabledPictureAtOnce)
{
    label->setGlyphType(TqZGlyphType::qgZoom);
    EXPECT_EQ(label->image(), gGlyphManager->GetGlyphs(TqZGlyphType::qgZoom, gsNone));
    label->SetEnabled(false);
    EXPECT_EQ(label->image(), gGlyphManager->GetGlyphs(TqZGlyphType::qgZoom, gsDisabled));
    label->SetEnabled(true);
    EXPECT_EQ(label->image(), gGlyphManager->GetGlyphs(TqZGlyphType::qgZoom, gsNone));
}

TEST_F(GraphicsGlyphLabel, DoubleClickStartsNoDrag)
{
    sendMouse(label, QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(dblClicks, 1);
    EXPECT_EQ(begins, 0);
    EXPECT_FALSE(label->dragging());
}

TEST_F(GraphicsGlyphLabel, PaintsTheGlyphCentredOverItsParent)
{
    label->setGlyphType(TqZGlyphType::qgStop);
    QImage shot(30, 30, QImage::Format_ARGB32);
    shot.fill(Qt::white);
    {
        QPainter p(&shot);
        label->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    // The stop glyph's square at the centre in the window-text ink; the corners stay white.
    const TColor32 ink = clWindowText32();
    EXPECT_EQ(shot.pixel(15, 15) & 0xFFFFFF, uint32_t(ink.r) << 16 | uint32_t(ink.g) << 8 | ink.b);
    EXPECT_EQ(shot.pixel(1, 1), qRgb(255, 255, 255));
}
