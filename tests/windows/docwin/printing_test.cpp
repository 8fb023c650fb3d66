// Printing: where the copies go on the page, the copies drawn onto a page, a whole print job into
// a PDF, the print preview dialog's outcomes, the preview painter's sampling, and what a printer
// reports of itself.
#include "document/paper/layer_data.h"
#include "platform/widgets/printing.h"
#include "ui/graphics/memory_graphic.h"
#include "windows/docwin/print_layout.h"

#include "docwin_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

namespace {

TPrinterInfo printerOf(QSize physical, QRect printable, int dpi)
{
    TPrinterInfo info;
    info.Physical = physical;
    info.Printable = printable;
    info.DPI = QSize(dpi, dpi);
    return info;
}

TEST(PrintingLayout, CellsOriginAndResolution)
{
    struct SCase
    {
        const char *what;
        TPrintValue value;
        sSize canvas;
        int32_t documentDpi;
        TPrinterInfo info;
        int32_t dpi;
        sSize cell;
        sPos origin;
    };
    const TPrinterInfo wide = printerOf({3201, 1101}, {100, 50, 3000, 1000}, 600);
    const TPrinterInfo narrow = printerOf({1800, 1200}, {100, 100, 1600, 1000}, 600);
    const SCase cases[] = {
        // Fitted copies share the printable area, the canvas's aspect kept; the block is
        // centred on the physical page, and the origin rounds half up.
        {"auto 2x1 wide", {2, 1, true, true, 0, 0, 1}, {50, 50}, 72, wide, 72, {1000, 1000},
         {601, 51}},
        {"auto 2x1 narrow", {2, 1, true, true, 0, 0, 1}, {50, 50}, 72, narrow, 72, {800, 800},
         {100, 200}},
        // A stored zero count must not divide: it counts as one copy.
        {"auto 0x0", {0, 0, true, true, 0, 0, 1}, {50, 100}, 72, narrow, 72, {500, 1000},
         {650, 100}},
        // The canvas at its resolution (limited to 72 .. 600) times the scale.
        {"dpi 30 counts as 72", {1, 1, false, false, 0, 0, 1}, {72, 36}, 30, narrow, 72,
         {600, 300}, {0, 0}},
        {"dpi 1200 counts as 600", {1, 1, false, false, 0, 0, 1}, {600, 300}, 1200, narrow, 600,
         {600, 300}, {0, 0}},
        {"scale 2", {1, 1, false, false, 0, 0, 2}, {72, 36}, 72, narrow, 72, {1200, 600},
         {0, 0}},
        // Not centred: Left and Top in millimetres at the printer's resolution.
        {"left 25.4 mm", {1, 1, false, false, 25.4f, 12.7f, 1}, {72, 36}, 72, narrow, 72,
         {600, 300}, {600, 300}},
        // Cells round half up: 2.5 -> 3, 7.5 -> 8.
        {"cell at .5", {1, 1, false, false, 0, 0, 1}, {1, 3}, 72, printerOf({10, 10}, {}, 180),
         72, {3, 8}, {0, 0}},
        // A block wider than the page: (1001 - 2 x 1002) / 2 = -501.5 -> -501 (floor of v + 0.5).
        {"centred wider than the page", {2, 1, false, true, 0, 0, 1}, {1002, 10}, 72,
         printerOf({1001, 1000}, {0, 0, 1001, 1000}, 72), 72, {1002, 10}, {-501, 495}},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.what);
        const SPrintLayout l = printLayout(c.value, c.canvas, c.documentDpi, c.info);
        EXPECT_EQ(l.dpi, c.dpi);
        EXPECT_EQ(l.cell, c.cell);
        EXPECT_EQ(l.origin, c.origin);
    }
}

TEST(PrintingLayout, NothingToPlaceGivesEmptyCells)
{
    const TPrintValue value{1, 1, false, true, 0, 0, 1};
    const TPrinterInfo info = printerOf({1000, 1000}, {0, 0, 1000, 1000}, 300);
    EXPECT_EQ(printLayout(value, {0, 10}, 72, info).cell, (sSize{0, 0}));
    EXPECT_EQ(printLayout(value, {10, 10}, 72, printerOf({1000, 1000}, {}, 0)).cell,
              (sSize{0, 0}));
    TPrintValue huge = value;
    huge.Scale = 1e30f;
    const SPrintLayout l = printLayout(huge, {10, 10}, 72, info);
    EXPECT_GT(l.cell.x, 0);
}

bool samePrintValue(const TPrintValue &a, const TPrintValue &b)
{
    return a.RepeatX == b.RepeatX && a.RepeatY == b.RepeatY && a.Auto == b.Auto &&
           a.Center == b.Center && a.Left == b.Left && a.Top == b.Top && a.Scale == b.Scale;
}

struct Printing : DocWinFixture
{
    // A window whose single layer holds colour(x, y) (opaque) and whose display is composed.
    std::unique_ptr<TDrawWindow> windowWith(sSize canvas,
                                            const std::function<uint32_t(int, int)> &colour)
    {
        auto w = makeWindow(canvas);
        if (!w)
            return w;
        CLayerData &ld = *w->paper->getLayerData(0);
        for (int y = 0; y < canvas.y; ++y)
            for (int x = 0; x < canvas.x; ++x)
                ld.imageTC->setPixel(x, y, 0xFF000000u | colour(x, y));
        ld.imageTC->setupTraceRect();
        UpdateVRAM(*w->paper, true, true);
        return w;
    }

    // A PDF printer target in a fresh folder (A5 at 300 dpi).
    QTemporaryDir dir;
    QString pdfPath() const { return dir.filePath(QStringLiteral("page.pdf")); }
    void aimAtPdf()
    {
        main().printTarget = pdfPath();
        main().printPageSize = QPageSize::A5;
        main().printResolutionDpi = 300;
    }
};

// Distinct corners, grey elsewhere.
uint32_t cornerColour(int x, int y, sSize size)
{
    const bool right = x == size.x - 1, bottom = y == size.y - 1;
    if (x == 0 && y == 0)
        return 0xFF0000;
    if (right && y == 0)
        return 0x00FF00;
    if (x == 0 && bottom)
        return 0x0000FF;
    if (right && bottom)
        return 0xFFFF00;
    return 0x808080;
}

TEST_F(Printing, CopiesLandInTheirCellsOfThePage)
{
    const sSize canvas{8, 6};
    auto w = windowWith(canvas, [&](int x, int y) { return cornerColour(x, y, canvas); });
    ASSERT_TRUE(w);
    w->paper->m_paperDPI = 72;
    // 2 x 2 copies at 10 mm, 5 mm on a 150 dpi page: each copy 8 x 150 / 72 = 16.7 -> 17 by
    // 6 x 150 / 72 = 12.5 -> 13 pixels, the block from (59, 30).
    w->FPrintValue = TPrintValue{2, 2, false, false, 10, 5, 1};
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        w->printTo(painter, printerOf({400, 300}, {10, 10, 380, 280}, 150));
    }
    const int cw = 17, ch = 13, ox = 59, oy = 30;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col) {
            SCOPED_TRACE(testing::Message() << "copy " << col << "," << row);
            const int x0 = ox + col * cw, y0 = oy + row * ch;
            const int x1 = x0 + cw - 1, y1 = y0 + ch - 1;
            EXPECT_EQ(page.pixel(x0, y0), 0xFFFF0000u);
            EXPECT_EQ(page.pixel(x1, y0), 0xFF00FF00u);
            EXPECT_EQ(page.pixel(x0, y1), 0xFF0000FFu);
            EXPECT_EQ(page.pixel(x1, y1), 0xFFFFFF00u);
            EXPECT_EQ(page.pixel(x0 + cw / 2, y0 + ch / 2), 0xFF808080u);
        }
    // White around the block, and nowhere else touched.
    int inked = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const bool inside = x >= ox && x < ox + 2 * cw && y >= oy && y < oy + 2 * ch;
            if (!inside && page.pixel(x, y) != 0xFFFFFFFFu)
                ++inked;
        }
    EXPECT_EQ(inked, 0);
    EXPECT_EQ(page.pixel(ox - 1, oy), 0xFFFFFFFFu);
    EXPECT_EQ(page.pixel(ox + 2 * cw, oy + 2 * ch - 1), 0xFFFFFFFFu);
}

// The PDF's page size in points, from its /MediaBox; empty when there is none.
QList<double> mediaBox(const QByteArray &pdf)
{
    static const QRegularExpression box(
        QStringLiteral(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
    QList<double> out;
    if (m.hasMatch())
        for (int i = 1; i <= 4; ++i)
            out << m.captured(i).toDouble();
    return out;
}

int pageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral(R"(/Type\s*/Page(?![s\w]))"));
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++n;
    return n;
}

TEST_F(Printing, APrintJobWritesOneA5PageAndLeavesTheDisplaySettings)
{
    auto w = windowWith({40, 30}, [](int x, int y) { return uint32_t(x * 6) << 16 | y * 8; });
    ASSERT_TRUE(w);
    w->paper->bVisCanvasCol = false;
    w->paper->bVisBGPat = true;
    aimAtPdf();
    EXPECT_TRUE(w->PrintPaper());
    QFile file(pdfPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(pageCount(pdf), 1);
    const QList<double> box = mediaBox(pdf);
    ASSERT_EQ(box.size(), 4);
    // A5 is 148 x 210 mm: 419.5 x 595.3 points.
    EXPECT_NEAR(box[2] - box[0], 419.53, 1.0);
    EXPECT_NEAR(box[3] - box[1], 595.28, 1.0);
    EXPECT_FALSE(w->paper->bVisCanvasCol);
    EXPECT_TRUE(w->paper->bVisBGPat);
    EXPECT_FALSE(currentPrinter().fullPage());
}

TEST_F(Printing, NoJobWithoutATargetOrWhenThePrinterCannotStart)
{
    struct SCase
    {
        const char *what;
        bool target;
        QString path;
    };
    const SCase cases[] = {
        {"dialog cancelled", false, pdfPath()},
        {"the job cannot start", true, dir.filePath(QStringLiteral("missing/page.pdf"))},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.what);
        auto w = windowWith({20, 10}, [](int, int) { return 0x336699u; });
        ASSERT_TRUE(w);
        w->paper->bVisCanvasCol = false;
        w->paper->bVisBGPat = true;
        main() = CHeadlessMainForm{};
        if (c.target) {
            aimAtPdf();
            main().printTarget = c.path;
        }
        EXPECT_FALSE(w->PrintPaper());
        EXPECT_FALSE(QFileInfo::exists(c.path));
        EXPECT_EQ(main().dialogCalls, std::vector<std::string>{"execPrintDialog"});
        EXPECT_FALSE(w->paper->bVisCanvasCol);
        EXPECT_TRUE(w->paper->bVisBGPat);
    }
}

TEST_F(Printing, ThePreviewDialogsAnswerDecidesPlacementAndPrint)
{
    struct SCase
    {
        int32_t result;
        bool keeps, prints;
    };
    const SCase cases[] = {{8, true, false}, {2, false, false}, {1, true, true}};
    const TPrintValue start{1, 1, false, true, 0, 0, 1};
    const TPrintValue scripted{3, 2, false, false, 12.5f, 20, 0.75f};
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.result);
        QFile::remove(pdfPath());
        main() = CHeadlessMainForm{};
        aimAtPdf();
        auto w = windowWith({30, 20}, [](int x, int) { return x < 15 ? 0xFF0000u : 0x0000FFu; });
        ASSERT_TRUE(w);
        w->paper->m_paperDPI = 1200;
        w->paper->bVisBGPat = true;
        w->FPrintValue = start;
        main().printDialogResult = c.result;
        main().printPlacement = scripted;
        EXPECT_EQ(w->PrintPreview(), c.result != 2);
        EXPECT_TRUE(samePrintValue(main().proposedPrintValue, start));
        EXPECT_EQ(main().proposedPrintSize, (sSize{30, 20}));
        EXPECT_EQ(main().proposedPrintPpi, 600);
        EXPECT_TRUE(samePrintValue(w->FPrintValue, c.keeps ? scripted : start));
        EXPECT_EQ(QFileInfo::exists(pdfPath()), c.prints);
        EXPECT_EQ(std::count(main().dialogCalls.begin(), main().dialogCalls.end(),
                             "execPrintDialog"),
                  c.prints ? 1 : 0);
        EXPECT_TRUE(w->paper->bVisBGPat);
        // The painter handed to the dialog draws this document.
        ASSERT_TRUE(main().proposedPrintDraw);
        TMemoryGraphic preview(4, 2);
        main().proposedPrintDraw(nullptr, preview, sRect{0, 0, 4, 2}, sSize{1, 1}, 1);
        EXPECT_EQ(preview.GetPixel(0, 0).bgra, 0xFFFF0000u);
        EXPECT_EQ(preview.GetPixel(3, 1).bgra, 0xFF0000FFu);
    }
}

// A main window that notes how the document is shown while the preview dialog runs.
struct SDisplaySpyMainForm : CHeadlessMainForm
{
    TPaper *shown = nullptr;
    bool canvasColour = false, pattern = true;
    int32_t runPrintDialog(TPrintValue &value, const sSize &size, int32_t ppi,
                           const TFormPrintDrawEvent &onDrawWork) override
    {
        canvasColour = shown->bVisCanvasCol;
        pattern = shown->bVisBGPat;
        return CHeadlessMainForm::runPrintDialog(value, size, ppi, onDrawWork);
    }
};

TEST_F(Printing, ThePreviewShowsTheCanvasColourWithoutPatternForTheDialogsTime)
{
    auto w = windowWith({20, 10}, [](int, int) { return 0x336699u; });
    ASSERT_TRUE(w);
    w->paper->bVisCanvasCol = false;
    w->paper->bVisBGPat = true;
    SDisplaySpyMainForm spy;
    spy.shown = w->paper.get();
    IMainForm *before = installMainForm(&spy);
    EXPECT_FALSE(w->PrintPreview());
    installMainForm(before);
    EXPECT_TRUE(spy.canvasColour);
    EXPECT_FALSE(spy.pattern);
    EXPECT_FALSE(w->paper->bVisCanvasCol);
    EXPECT_TRUE(w->paper->bVisBGPat);
}

// The preview of a display image into a picture of the given size filled with a marker colour.
struct PreviewShot
{
    TMemoryGraphic image;
    explicit PreviewShot(sSize size) : image(size.x, size.y, makeColor32(1, 2, 3, 4)) {}
    uint32_t at(int x, int y) const { return image.GetPixel(x, y).bgra; }
};

constexpr uint32_t kUntouched = 0x04030201;

TEST_F(Printing, PreviewQualityOneSamplesTheNearestPixel)
{
    // 5 x 3 distinct colours into a 10 x 6 rectangle at (2, 1): column trunc(u / 2 + 0.5) and
    // row likewise, wrapping at the display's edge.
    auto w = windowWith({5, 3}, [](int x, int y) { return uint32_t(x * 40) << 16 | y * 90; });
    ASSERT_TRUE(w);
    PreviewShot shot({14, 8});
    w->DrawPrintFormPreview(nullptr, shot.image, sRect{2, 1, 12, 7}, sSize{1, 1}, 1);
    const int cols[10] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 0};
    const int rows[6] = {0, 1, 1, 2, 2, 0};
    for (int v = 0; v < 6; ++v)
        for (int u = 0; u < 10; ++u) {
            SCOPED_TRACE(testing::Message() << u << "," << v);
            EXPECT_EQ(shot.at(2 + u, 1 + v),
                      0xFF000000u | uint32_t(cols[u] * 40) << 16 | uint32_t(rows[v] * 90));
        }
    EXPECT_EQ(shot.at(1, 1), kUntouched);
    EXPECT_EQ(shot.at(12, 6), kUntouched);
    EXPECT_EQ(shot.at(2, 0), kUntouched);
}

TEST_F(Printing, PreviewQualityThreeAveragesNineSamples)
{
    // A 2 x 2 checker (white on the diagonal, black off it) into 6 x 6. Of the three samples
    // per axis these many fall on column (row) 1, by destination pixel.
    auto w = windowWith({2, 2}, [](int x, int y) { return (x + y) % 2 ? 0x000000u : 0xFFFFFFu; });
    ASSERT_TRUE(w);
    PreviewShot shot({6, 6});
    w->DrawPrintFormPreview(nullptr, shot.image, sRect{0, 0, 6, 6}, sSize{1, 1}, 3);
    const int onOne[6] = {0, 1, 3, 3, 2, 0};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const int white = (3 - onOne[x]) * (3 - onOne[y]) + onOne[x] * onOne[y];
            const uint32_t v = uint32_t(255 * white / 9);
            EXPECT_EQ(shot.at(x, y), 0xFF000000u | v << 16 | v << 8 | v);
        }
}

TEST_F(Printing, PreviewRepeatsAndClipsToThePicture)
{
    auto w = windowWith({4, 2}, [](int x, int y) { return uint32_t(x * 60 + 10) << 8 | y * 200; });
    ASSERT_TRUE(w);
    const auto canvasAt = [](int x, int y) {
        return 0xFF000000u | uint32_t(x * 60 + 10) << 8 | uint32_t(y * 200);
    };
    {
        SCOPED_TRACE("2 x 1 copies side by side");
        PreviewShot shot({8, 2});
        w->DrawPrintFormPreview(nullptr, shot.image, sRect{0, 0, 8, 2}, sSize{2, 1}, 1);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(shot.at(x, y), canvasAt(x % 4, y));
    }
    {
        SCOPED_TRACE("half outside the top-left");
        PreviewShot shot({6, 6});
        w->DrawPrintFormPreview(nullptr, shot.image, sRect{-2, -1, 2, 1}, sSize{1, 1}, 1);
        EXPECT_EQ(shot.at(0, 0), canvasAt(2, 1));
        EXPECT_EQ(shot.at(1, 0), canvasAt(3, 1));
        EXPECT_EQ(shot.at(2, 0), kUntouched);
        EXPECT_EQ(shot.at(0, 1), kUntouched);
    }
    struct SNothing
    {
        const char *what;
        sRect rect;
        sSize repeat;
        int32_t quality;
    };
    const SNothing nothing[] = {
        {"beside the picture", {7, 0, 11, 2}, {1, 1}, 1},
        {"below the picture", {0, 6, 4, 8}, {1, 1}, 1},
        {"empty rectangle", {2, 2, 2, 4}, {1, 1}, 1},
        {"no copies", {0, 0, 4, 2}, {0, 1}, 1},
        {"no samples", {0, 0, 4, 2}, {1, 1}, 0},
    };
    for (const SNothing &c : nothing) {
        SCOPED_TRACE(c.what);
        PreviewShot shot({6, 6});
        w->DrawPrintFormPreview(nullptr, shot.image, c.rect, c.repeat, c.quality);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x)
                ASSERT_EQ(shot.at(x, y), kUntouched) << x << "," << y;
    }
}

TEST(PrintingPrinterInfo, APdfPrinterReportsItsPageInPrinterPixels)
{
    struct SCase
    {
        QPageLayout::Orientation orientation;
        TPrinterOrientation expected;
        bool landscape;
    };
    const SCase cases[] = {{QPageLayout::Portrait, TPrinterOrientation::poPortrait, false},
                           {QPageLayout::Landscape, TPrinterOrientation::poLandscape, true}};
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.landscape);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A5));
        printer.setResolution(300);
        printer.setPageOrientation(c.orientation);
        printer.setPageMargins(QMarginsF(10, 20, 30, 40), QPageLayout::Millimeter);
        printer.setColorMode(QPrinter::GrayScale);
        TPrinterInfo info;
        ASSERT_TRUE(getPrinterInfo(printer, info));
        // 148 x 210 mm at 300 dpi.
        const QSize page = c.landscape ? QSize(2480, 1748) : QSize(1748, 2480);
        EXPECT_NEAR(info.Physical.width(), page.width(), 3);
        EXPECT_NEAR(info.Physical.height(), page.height(), 3);
        EXPECT_EQ(info.DPI, QSize(300, 300));
        // The margins (10, 20, 30, 40 mm) are the unprintable edges (the platform keeps them
        // in whole points, a few printer pixels off the millimetres).
        EXPECT_NEAR(info.Printable.left(), 118, 3);
        EXPECT_NEAR(info.Printable.top(), 236, 3);
        EXPECT_NEAR(info.Physical.width() - info.Printable.right() - 1, 354, 3);
        EXPECT_NEAR(info.Physical.height() - info.Printable.bottom() - 1, 472, 3);
        EXPECT_EQ(info.FormName, QPageSize(QPageSize::A5).name());
        EXPECT_TRUE(info.PortName.isEmpty());
        EXPECT_EQ(info.Color, 1);
        EXPECT_EQ(info.Orientation, c.expected);
        // Drawing from the page's corner does not lose the edges.
        printer.setFullPage(true);
        TPrinterInfo full;
        ASSERT_TRUE(getPrinterInfo(printer, full));
        EXPECT_EQ(full.Printable, info.Printable);
    }
}

} // namespace
