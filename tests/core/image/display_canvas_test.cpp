#include "core/image/display_canvas.h"

#include "core/image_test_support.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
bool isInk(const sBGRA &p)
{
    return p.R < 128;
}
} // namespace

TEST(DisplayCanvas, RowsRunBottomUpAndStartCleared)
{
    TTC tc(3, 2, true);
    ASSERT_TRUE(tc.isEnable());
    EXPECT_EQ(tc.seek(0, 1), tc.buffer());
    EXPECT_EQ(static_cast<uint8_t *>(tc.seek(0, 0)), tc.buffer() + 12);
    EXPECT_EQ(tc.getSkipLineSize(), -3);
    EXPECT_FALSE(tc.isTopDown());
    EXPECT_EQ(canvasPixels(tc), std::vector<uint32_t>(6, 0));
    EXPECT_TRUE(tc.hasDC());
}

TEST(DisplayCanvas, ResizeSizesAndTheDeviceContext)
{
    TTC tc;
    EXPECT_TRUE(tc.Resize(0, 0)); // the size already matches: no pixels made
    EXPECT_FALSE(tc.isEnable());
    EXPECT_TRUE(tc.Resize(0, 5));
    EXPECT_EQ(tc.FPSZ(), (sSize{1, 5}));
    EXPECT_TRUE(tc.isEnable());
    EXPECT_FALSE(tc.Resize(70000, 70000));
    EXPECT_FALSE(tc.isEnable());

    TTC plain(4, 4, false);
    EXPECT_TRUE(plain.isEnable());
    EXPECT_FALSE(plain.hasDC());
    EXPECT_TRUE(plain.makeDC(4, 4)); // also for an unchanged size
    EXPECT_TRUE(plain.hasDC());
    EXPECT_EQ(plain.FPSZ(), (sSize{4, 4}));
    const uint8_t *block = plain.buffer();
    EXPECT_TRUE(plain.makeDC(4, 4));
    EXPECT_EQ(plain.buffer(), block);
}

TEST(DisplayCanvas, PresentedImageShowsPixelZeroAtTheTopLeft)
{
    TTC tc(4, 3, true);
    tc.fillAll(0xFF000000);
    EXPECT_TRUE(tc.setColor(0, 0, 0x00FF0000, 255)); // written through the canvas operations
    sBox corner{3, 2, 1, 1};
    tc.fillBox(corner, 0x000000FF);

    const QImage shown = tc.presentImage();
    ASSERT_EQ(shown.size(), QSize(4, 3));
    EXPECT_EQ(shown.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(3, 2), 0xFF0000FFu); // opaque: alpha is not shown
    EXPECT_EQ(shown.pixel(0, 2), 0xFF000000u);

    // Onto a surface at (2, 1), and with autosize at (0, 0) whatever the position.
    QImage surface(6, 5, QImage::Format_RGB32);
    surface.fill(Qt::white);
    tc.Flip2IMAGE(surface, 2, 1, false);
    EXPECT_EQ(surface.pixel(2, 1), 0xFFFF0000u);
    EXPECT_EQ(surface.pixel(5, 3), 0xFF0000FFu);
    EXPECT_EQ(surface.pixel(1, 1), 0xFFFFFFFFu);
    QImage same(4, 3, QImage::Format_RGB32);
    tc.Flip2IMAGE(same, 2, 1, true);
    EXPECT_EQ(same, shown);
    QImage twice(8, 6, QImage::Format_RGB32);
    tc.Flip2IMAGE(twice, 0, 0, true);
    EXPECT_EQ(twice.pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(twice.pixel(7, 5), 0xFF0000FFu);

    QImage target(4, 3, QImage::Format_ARGB32);
    {
        QPainter p(&target);
        tc.Flip2HDC(p, 0, 0);
    }
    EXPECT_EQ(target.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(tc.imageView().pixel(0, 0), 0xFFFF0000u);

    TTC noDC(4, 3, false);
    noDC.fillAll(0xFFFF0000);
    surface.fill(Qt::white);
    noDC.Flip2IMAGE(surface, 0, 0, true);
    EXPECT_EQ(surface.pixel(0, 0), 0xFFFFFFFFu);
}

TEST(DisplayCanvas, CanvasOperationsAndFilesAgreeWithATopDownCanvas)
{
    TMTC top;
    numberCanvas(top, 5, 3);
    TTC bottom(5, 3, true);
    ASSERT_TRUE(bottom.copyArea(0, 0, top));
    EXPECT_EQ(canvasPixels(bottom), canvasPixels(top));
    TMTC copy(bottom);
    EXPECT_EQ(canvasPixels(copy), canvasPixels(top));

    QTemporaryDir dir;
    ASSERT_TRUE(top.saveBitmap32(dir.filePath("a.bmp"), 72));
    ASSERT_TRUE(bottom.saveBitmap32(dir.filePath("b.bmp"), 72));
    EXPECT_EQ(readFileBytes(dir.filePath("a.bmp")), readFileBytes(dir.filePath("b.bmp")));

    TTC loaded(1, 1, true);
    ASSERT_TRUE(loaded.loadBitmap(dir.filePath("a.bmp"), nullptr));
    ASSERT_TRUE(loaded.flipTB());
    EXPECT_EQ(canvasPixels(loaded), canvasPixels(top));
    EXPECT_TRUE(loaded.hasDC());
}

TEST(DisplayCanvas, FramesAndTrianglesLandOnCanvasCoordinates)
{
    TTC tc(6, 5, true);
    tc.fillAll(0xFFFFFFFF);
    tc.drawFrame(sRect{1, 1, 5, 4}, 0x00FF0000);
    const std::vector<std::string> want = {"......", ".RRRR.", ".R..R.", ".RRRR.", "......"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(tc.seek32(x, y)->all == 0xFFFF0000u, want[y][x] == 'R') << x << "," << y;

    tc.fillAll(0xFFFFFFFF);
    const sPos tri[3] = {{0, 0}, {4, 0}, {0, 4}};
    tc.fillTriangle(tri, 0x000000FF);
    EXPECT_EQ(tc.getColor(0, 0), 0xFF0000FFu);
    EXPECT_EQ(tc.getColor(4, 0), 0xFF0000FFu);
    EXPECT_EQ(tc.getColor(0, 4), 0xFF0000FFu);
    EXPECT_EQ(tc.getColor(1, 1), 0xFF0000FFu);
    EXPECT_EQ(tc.getColor(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(tc.getColor(5, 0), 0xFFFFFFFFu);

    bool ran = false;
    EXPECT_FALSE(tc.paint({6, 0, 2, 2}, [&](QPainter &) { ran = true; }));
    EXPECT_FALSE(ran);
    TTC noDC(3, 3, false);
    EXPECT_FALSE(noDC.paint({0, 0, 2, 2}, [&](QPainter &) { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST(DisplayCanvas, TextStaysInsideItsBoxAndAlignsRight)
{
    TTC tc(120, 30, true);
    tc.fillAll(0xFFFFFFFF);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(14);
    const sBox box{10, 5, 100, 20};
    tc.drawText(font, box, QStringLiteral("WWW"), 0);
    int inkLeft = 0, inkRight = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool ink = isInk(*tc.seek32(x, y));
            const bool inside = x >= box.x && x < box.x + box.w && y >= box.y && y < box.y + box.h;
            if (!inside)
                outside += ink;
            else if (x < box.x + box.w / 2)
                inkLeft += ink;
            else
                inkRight += ink;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(inkLeft, 0); // right aligned by default
    EXPECT_GT(inkRight, 0);
}

TEST(DisplayCanvas, CopyWithRasterOperations)
{
    QImage img(2, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, 0xFF00FF00);
    img.setPixel(1, 0, 0x80123456);
    TTC tc(3, 1, true);
    tc.fillAll(0xFF0000FF);
    tc.copy(img, 1, 0, SRCCOPY);
    EXPECT_EQ(canvasPixels(tc), (std::vector<uint32_t>{0xFF0000FF, 0xFF00FF00, 0x80123456}));
    tc.fillAll(0x0F0F0F0F);
    tc.copy(img, {0, 0}, SRCINVERT);
    EXPECT_EQ(tc.getColor(0, 0), 0x0F0F0F0Fu ^ 0xFF00FF00u);
    tc.copy(img, {0, 0}, SRCINVERT);
    EXPECT_EQ(tc.getColor(0, 0), 0x0F0F0F0Fu);
    tc.copy(img, {0, 0}, SRCAND);
    EXPECT_EQ(tc.getColor(1, 0), 0x0F0F0F0Fu & 0x80123456u);
    tc.copy(img, {0, 0}, NOTSRCCOPY);
    EXPECT_EQ(tc.getColor(0, 0), ~0xFF00FF00u);
}
