#include "ui/dialogs/event_report.h"

#include "core/image/canvas.h"
#include "platform/desktop/messages.h"
#include "ui/dialogs/paint_box.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TMTC> solidCanvas(int w, int h, uint32_t bgra)
{
    auto c = std::make_unique<TMTC>(w, h);
    c->PixelFill(bgra);
    return c;
}

TColor32 colourOf(uint32_t bgra)
{
    TColor32 c;
    c.bgra = bgra;
    return c;
}

// A colour under the window-frame colour at alpha 153.
TColor32 framed(TColor32 under)
{
    const TColor32 frame = clWindowFrame32();
    const float w = byteWeight(153);
    return makeColor32(blendNormal(under.b, frame.b, w), blendNormal(under.g, frame.g, w),
                       blendNormal(under.r, frame.r, w), under.a);
}

TColor32 framedFace()
{
    return framed(clBtnFace32());
}

} // namespace

TEST(EventReport, TimeTextShowsHoursAndMinutesOnlyWhenNotZero)
{
    struct Case
    {
        uint32_t ms;
        const char *expected;
    };
    const Case cases[] = {
        {3723042, "1 時間 2 分 3 秒 042"},
        {999, "0 秒 999"},
        {3605000, "1 時間 5 秒 000"},
        {60000, "1 分 0 秒 000"},
        {0, "0 秒 000"},
        {4294967295u, "1193 時間 2 分 47 秒 295"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(eventReportTimeText(c.ms).toStdString(), c.expected) << c.ms;
}

TEST(EventReport, FormFillsItsLabelsFromTheRecord)
{
    TFormEventReport form;
    EXPECT_EQ(form.LblFileName->text().toStdString(), "名称未設定 : 追記不可");
    EXPECT_EQ(form.LblTime->text().toStdString(), "-");

    struct Case
    {
        TReportReason reason;
        const char *state;
        bool canContinue;
        const char *file;
    };
    const Case cases[] = {
        {rrEnd, "イベントの再生が終了しました", true, "a.qe5 : 追記可"},
        {rrStop, "イベントの再生を中断しました", false, "a.qe5 : 追記不可"},
        {rrError, "エラーによりイベントの再生を中止しました", true, "a.qe5 : 追記可"},
    };
    for (const Case &c : cases) {
        TEventReportParam p;
        p.Reason = c.reason;
        p.FileName = QStringLiteral("a.qe5");
        p.Continue = c.canContinue;
        p.Time = 999;
        p.Step = 1234;
        form.setReport(p);
        EXPECT_EQ(form.LblState->text().toStdString(), c.state);
        EXPECT_EQ(form.LblFileName->text().toStdString(), c.file);
        EXPECT_EQ(form.LblTime->text().toStdString(), "0 秒 999");
        EXPECT_EQ(form.LblStep->text().toStdString(), "1234 ステップ");
    }
}

TEST(EventReport, ControlsSitAtTheirPlaces)
{
    TFormEventReport form;
    form.show();
    EXPECT_EQ(form.windowTitle().toStdString(), "再生結果");
    EXPECT_EQ(form.size(), QSize(544, 351));
    EXPECT_EQ(form.DialogMode(), dmOK);
    EXPECT_FALSE(form.ButtonCancel->isVisible());
    EXPECT_EQ(form.ButtonOK->text().toStdString(), "閉じる(&C)");
    EXPECT_EQ(form.ButtonOK->pos(), QPoint(440, 323));
    EXPECT_EQ(form.BoxIndex->geometry(), QRect(16, 55, 512, 206));
    EXPECT_EQ(form.LblState->geometry().topLeft(), QPoint(16, 8));
    EXPECT_EQ(form.LblState->width(), 512);
    EXPECT_TRUE(form.LblState->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(form.LblFileName->geometry().topLeft(), QPoint(16, 32));
    EXPECT_EQ(form.StaticTime->geometry().topLeft(), QPoint(16, 275));
    EXPECT_EQ(form.StaticTime->width(), 248);
    EXPECT_TRUE(form.StaticTime->alignment() & Qt::AlignRight);
    EXPECT_EQ(form.StaticStep->geometry().topLeft(), QPoint(16, 299));
    EXPECT_EQ(form.LblTime->geometry().topLeft(), QPoint(280, 275));
    EXPECT_EQ(form.LblStep->geometry().topLeft(), QPoint(280, 299));
    EXPECT_EQ(form.StaticTime->text().toStdString(), "再生時間");
    EXPECT_EQ(form.StaticStep->text().toStdString(), "ステップ数");
}

TEST(EventReport, ThreeImagesFillTheFirstCellsOfRowZero)
{
    const auto red = solidCanvas(10, 20, 0xFFFF0000);
    const auto green = solidCanvas(97, 97, 0xFF00FF00);
    const auto blue = solidCanvas(1, 1, 0xFF0000FF);
    TEventReportParam p;
    p.Image[0] = red.get();
    p.Image[1] = green.get();
    p.Image[2] = blue.get();
    TFormEventReport form;
    form.setReport(p);
    const TMemoryGraphic &g = form.IndexImage();
    ASSERT_EQ(g.Width(), 512);
    ASSERT_EQ(g.Height(), 206);

    // Red: 10 x 20 centred in the cell at (4, 4): left 4 + 87 div 2, top 4 + 77 div 2.
    const QRect redRect(47, 42, 10, 20), greenRect(106, 4, 97, 97),
        blueRect(208 + 48, 4 + 48, 1, 1);
    const TColor32 face = clBtnFace32(), framed = framedFace();
    QImage expected(512, 206, QImage::Format_ARGB32);
    for (int y = 0; y < 206; ++y)
        for (int x = 0; x < 512; ++x) {
            const QPoint pt(x, y);
            TColor32 want = face;
            for (auto [r, c] : {std::pair{redRect, 0xFFFF0000u}, std::pair{greenRect, 0xFF00FF00u},
                                std::pair{blueRect, 0xFF0000FFu}}) {
                if (r.contains(pt))
                    want = colourOf(c);
                else if (r.adjusted(-1, -1, 1, 1).contains(pt))
                    want = framed;
            }
            expected.setPixel(x, y, want.bgra);
        }
    int wrong = 0;
    for (int y = 0; y < 206; ++y)
        for (int x = 0; x < 512; ++x)
            if (g.GetPixel(x, y).bgra != expected.pixel(x, y) && wrong++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") " << px(g.GetPixel(x, y));
    EXPECT_EQ(wrong, 0);
}

TEST(EventReport, ImageLargerThanItsCellIsClippedToTheIndex)
{
    // The last cell (column 4, row 1): the image runs 11 pixels past the index's right and
    // bottom edges. The frame is drawn on what is left of its rectangle, the index's edges.
    const auto big = solidCanvas(120, 120, 0xFF102030);
    TEventReportParam p;
    p.Image[9] = big.get();
    TFormEventReport form;
    form.setReport(p);
    const TMemoryGraphic &g = form.IndexImage();
    const int left = 4 + 4 * 102 - 11, top = 4 + 102 - 11;
    EXPECT_EQ(g.GetPixel(510, 204).bgra, 0xFF102030u);
    EXPECT_EQ(g.GetPixel(511, 150).bgra, framed(colourOf(0xFF102030)).bgra);
    EXPECT_EQ(g.GetPixel(450, 205).bgra, framed(colourOf(0xFF102030)).bgra);
    EXPECT_EQ(g.GetPixel(left, top).bgra, 0xFF102030u);
    EXPECT_EQ(g.GetPixel(left - 1, top).bgra, framedFace().bgra);
    EXPECT_EQ(g.GetPixel(left - 2, top).bgra, clBtnFace32().bgra);
    EXPECT_EQ(g.GetPixel(0, 0).bgra, clBtnFace32().bgra);
}

TEST(EventReport, ShowRunsTheDialogModally)
{
    bool sawForm = false;
    QTimer::singleShot(0, [&] {
        auto *form = dynamic_cast<TFormEventReport *>(QApplication::activeModalWidget());
        sawForm = form != nullptr;
        if (form) {
            EXPECT_EQ(form->LblStep->text().toStdString(), "7 ステップ");
            form->ButtonOK->click();
        }
    });
    TEventReportParam p;
    p.Step = 7;
    EXPECT_TRUE(showEventReport(p));
    EXPECT_TRUE(sawForm);
}
