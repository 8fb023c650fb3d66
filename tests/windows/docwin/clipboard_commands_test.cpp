// Copy and Paste of the document window on the offscreen platform's clipboard.
#include "core/image/canvas.h"
#include "document/files/clipboard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "platform/desktop/clipboard.h"

#include "doc_commands_fixture.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

struct ClipboardCommands : DocCmdFixture
{
    ClipboardCommands() { clipboardEmpty(true); }
    ~ClipboardCommands() override { clipboardEmpty(true); }

    static sSize clipboardSize(int32_t *bits = nullptr)
    {
        int32_t w = 0, h = 0, b = 0;
        if (!getClipboardDibInfo(w, h, b))
            return {};
        if (bits)
            *bits = b;
        return {w, h};
    }
};

TEST_F(ClipboardCommands, ACopyOverTheProgramsOwnKeepsTheClipboardAndBlanksTheOldClipBox)
{
    auto w = makeWindow({64, 48});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    select(p, {{10, 12, 255}, {20, 30, 200}});
    ASSERT_TRUE(w->copyVramToClipboard());
    sBox box;
    ASSERT_TRUE(getClipBoxFromClipboard(box));
    // A format the second copy does not supply, put beside the first copy.
    const QString marker = QStringLiteral("application/x-kavrin-test-marker");
    ASSERT_TRUE(clipboardSetData(marker, QByteArray("m")));

    p.bEnbMask = false;
    ASSERT_TRUE(w->copyVramToClipboard());
    EXPECT_TRUE(clipboardHasFormat(marker)) << "the clipboard was emptied";
    EXPECT_FALSE(getClipBoxFromClipboard(box)) << "the old clip box is still there";
    int32_t bits = 0;
    EXPECT_EQ(clipboardSize(&bits), (sSize{64, 48}));
    EXPECT_EQ(bits, 24);
}

TEST_F(ClipboardCommands, AMaskedCanvasCopyIs32BitWithTheSelectionsBoxOnTheCanvas)
{
    auto w = makeWindow({64, 48});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    select(p, {{2, 3, 255}, {40, 30, 128}});
    // A view position that puts part of the selection off the canvas: its image pixel (2, 3)
    // is paper point (-8, 3).
    p.getActiveMaskData()->viewPos = {10, 0};
    sRect enb;
    ASSERT_TRUE(p.getActiveMaskData()->getMaskEnbRect(enb));
    sBox expected = rectToBox(enb);
    ASSERT_TRUE(boxClipToSize(expected, p.m_paperSize));
    const uint32_t shown = p.vram().getColor(0, 0);
    ASSERT_TRUE(w->copyVramToClipboard());
    int32_t bits = 0;
    EXPECT_EQ(clipboardSize(&bits), (sSize{64, 48}));
    EXPECT_EQ(bits, 32);
    sBox box;
    ASSERT_TRUE(getClipBoxFromClipboard(box));
    EXPECT_EQ(box, expected);
    EXPECT_EQ(box.x, 0);
    EXPECT_LT(enb.x0, 0);
    // The alpha steps worked on a copy: the display image is as it was.
    EXPECT_EQ(p.vram().getColor(0, 0), shown);
}

TEST_F(ClipboardCommands, AHiddenCanvasColourIsCopiedAsWhiteAndStaysHidden)
{
    auto w = makeWindow({16, 8});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    p.getLayerData(0)->imageTC->PixelFill(0);
    p.m_canvascolor = 0x404040;
    p.bVisCanvasCol = false;
    UpdateVRAM(p, true, true);
    ASSERT_TRUE(w->copyVramToClipboard());
    std::unique_ptr<TMTC> got = getClipboardImage();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->getColor(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FALSE(p.bVisCanvasCol);
    EXPECT_EQ(p.m_canvascolor, 0x404040u);
}

TEST_F(ClipboardCommands, ALayerCopyWithAnEmptySelectionCopiesTheWholeLayer)
{
    auto w = makeWindow({32, 24});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    // An active selection without an image.
    auto md = std::make_unique<CMaskData>(0);
    p.maskMngr().insertAt(0, md);
    p.maskMngr().setCurIndex(0);
    p.bEnbMask = true;
    ASSERT_TRUE(w->copyLayerToClipboard(-1));
    int32_t bits = 0;
    EXPECT_EQ(clipboardSize(&bits), (sSize{32, 24}));
    EXPECT_EQ(bits, 32);
    sBox box;
    EXPECT_FALSE(getClipBoxFromClipboard(box));
    SOlyHeader hdr;
    QString title;
    EXPECT_TRUE(getLayerAttrFromClipboard(hdr, title));
    EXPECT_EQ(title, p.getLayerData(0)->title);
}

TEST_F(ClipboardCommands, AMaskedLayerCopyKeepsOnlyTheSelectionAndHandsItOver)
{
    auto w = makeWindow({32, 24});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    p.getLayerData(0)->imageTC->PixelFill(0xFF00FF00);
    select(p, {{4, 5, 255}});
    std::unique_ptr<CLayerData> copy;
    ASSERT_TRUE(w->copyLayerToClipboardWithMask(0, -1, &copy));
    ASSERT_TRUE(copy);
    std::unique_ptr<TMTC> got = getClipboardImage();
    ASSERT_TRUE(got);
    EXPECT_EQ(sBGRA{.all = got->getColor(4, 5)}.A, 255);
    EXPECT_EQ(sBGRA{.all = got->getColor(30, 20)}.A, 0);
    sBox box;
    ASSERT_TRUE(getClipBoxFromClipboard(box));
    EXPECT_EQ(box, (sBox{4, 5, 1, 1}));
}

TEST_F(ClipboardCommands, PastingTextWarnsAndAPictureGoesIntoTheActiveLayer)
{
    auto w = makeWindow({32, 24});
    ASSERT_TRUE(w);
    QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
    EXPECT_FALSE(w->pasteStd());
    EXPECT_EQ(messages.warnings,
              QStringList(QStringLiteral("ビットマップデータがクリップボードにありません!")));

    TMTC image(8, 8);
    image.PixelFill(0xFF0000FF);
    clipboardEmpty(true);
    ASSERT_TRUE(copyImageToClipboard32(image, sBox{0, 0, 8, 8}));
    EXPECT_TRUE(w->pasteStd());
    EXPECT_EQ(w->paper->getLayerData(0)->imageTC->getColor(7, 7), 0xFF0000FFu);
}

TEST_F(ClipboardCommands, AfterALayerCopyTheWorkImageHoldsTheActiveLayer)
{
    auto w = makeWindow({32, 24}, 2);
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    EventLayerActive(p, w->flow(), 1);
    p.getLayerData(0)->imageTC->PixelFill(0xFF00FF00);
    p.getLayerData(1)->imageTC->PixelFill(0x00000000);
    ASSERT_TRUE(w->copyLayerToClipboard(0));
    EXPECT_EQ(w->flow()->layerIdx(), 1);
    // A stroke starts from what the work image holds: the active layer's pixels.
    EXPECT_EQ(w->flow()->image().getColor(5, 5), p.getLayerData(1)->imageTC->getColor(5, 5));
}

} // namespace
