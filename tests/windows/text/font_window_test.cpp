// The text tool window under the offscreen platform: vertical writing follows the face, the keys
// close it as a user expects, the position message moves the text, the preview draws over the
// view only and goes again on Cancel, an empty text commits nothing, and the settings come back
// in the next window.
#include "../docwin/doc_commands_fixture.h"

#include "core/image/channel.h"
#include "document/paper/flow_image.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/messages.h"
#include "platform/desktop/window_message.h"
#include "support/surface_pixels.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "windows/text/font_faces.h"
#include "windows/text/font_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using surface_pixels::layerPixels;
using surface_pixels::surfacePixels;

const QString kNoto = QStringLiteral("Noto Sans CJK JP");
const QString kDejaVu = QStringLiteral("DejaVu Sans");

struct FontWindowTest : DocCmdFixture
{
    FontWindowTest()
    {
        CAppProfile &p = prof();
        p.fontFace = kDejaVu;
        p.fontPoint = 24;
        p.fontCharset = -1;
        p.fontSpacing = p.fontLeading = 0;
        p.fontItalic = p.fontBold = false;
        p.fontUseFont = false;
        p.fontPreview = true;
        p.fontText = QStringLiteral("Hi");
        p.fontDlgPos = {-1, -1};
        p.fontDlgSize = {-1, -1};
        w = recordingWindow({200, 100});
        main().active = w.get();
        tool().setWindow(w.get());
        w->changeZoom(1, 1, false);
        w->paintView();
    }
    ~FontWindowTest() override { tool().setWindow(nullptr); }

    std::unique_ptr<TFontWindow> open()
    {
        std::unique_ptr<TFontWindow> fw = TFontWindow::create(w.get());
        EXPECT_TRUE(fw);
        return fw;
    }
    static void chooseFace(TFontWindow &fw, const QString &face)
    {
        const int i = fw.ComboBox1->findText(face);
        ASSERT_GE(i, 0) << face.toStdString();
        fw.ComboBox1->setCurrentIndex(i);
    }
    // The client rectangle of a canvas rectangle at the window's zoom.
    sRect clientRect(const sRect &r) const
    {
        const sPos a = convToViewPos(*w->paper, sPos{r.x0, r.y0});
        const sPos b = convToViewPos(*w->paper, sPos{r.x1, r.y1});
        return {a.x, a.y, b.x, b.y};
    }
    // The surface pixels that differ from before, each checked to lie inside area.
    int changedPixels(const std::vector<uint32_t> &before, const sRect *area) const
    {
        const TMTC &s = w->m_surface;
        int changed = 0;
        for (int32_t y = 0; y < s.height(); ++y)
            for (int32_t x = 0; x < s.width(); ++x)
                if (s.getColor(x, y) != before[size_t(y * s.width() + x)]) {
                    ++changed;
                    if (area) {
                        EXPECT_TRUE(rectContainsPoint(*area, {x, y})) << x << "," << y;
                    }
                }
        return changed;
    }

    std::unique_ptr<TDrawWindow> w;
};

TEST_F(FontWindowTest, VerticalWritingFollowsTheFace)
{
    auto fw = open();
    ASSERT_TRUE(fw);
    chooseFace(*fw, kDejaVu);
    EXPECT_FALSE(fw->ChkVert->isEnabled());
    EXPECT_FALSE(fw->ChkVert->isChecked());

    chooseFace(*fw, kNoto);
    ASSERT_TRUE(fw->ChkVert->isEnabled());
    fw->ChkVert->click();
    ASSERT_TRUE(fw->ChkVert->isChecked());
    QStringList shown;
    for (int i = 0; i < fw->ComboBox1->count(); ++i)
        shown.push_back(fw->ComboBox1->itemText(i));
    EXPECT_EQ(shown, fontFaceList(true));
    EXPECT_FALSE(shown.contains(kDejaVu));
    EXPECT_EQ(fw->currentFace(), kNoto);
    EXPECT_EQ(fw->currentFont().Name, QLatin1Char('@') + kNoto);
    EXPECT_EQ(fw->ComboBox2->itemData(0).toInt(), int(SHIFTJIS_CHARSET));

    fw->ChkVert->click();
    EXPECT_EQ(fw->ComboBox1->count(), fontFaceList(false).size());
    EXPECT_EQ(fw->currentFont().Name, kNoto);
}

TEST_F(FontWindowTest, EnterAndEscCloseAsAUserExpects)
{
    struct Case
    {
        const char *name;
        std::function<QWidget *(TFontWindow &)> target;
        Qt::Key key;
        int result; // 0: still open
        int lines;
    };
    const Case cases[] = {
        {"Enter in the memo", [](TFontWindow &f) { return f.memoText; }, Qt::Key_Return, 0, 2},
        {"Enter in the size", [](TFontWindow &f) { return f.EdtSize; }, Qt::Key_Return,
         kavrin::mrOk, 1},
        {"Enter on the preview box", [](TFontWindow &f) { return f.chkBoxPreview; },
         Qt::Key_Enter, kavrin::mrOk, 1},
        {"Esc in the size", [](TFontWindow &f) { return f.EdtSize; }, Qt::Key_Escape,
         kavrin::mrCancel, 1},
        {"Esc in the memo", [](TFontWindow &f) { return f.memoText; }, Qt::Key_Escape,
         kavrin::mrCancel, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto fw = open();
        ASSERT_TRUE(fw);
        fw->show();
        QTest::keyClick(c.target(*fw), c.key);
        EXPECT_EQ(fw->result(), c.result);
        EXPECT_EQ(fw->isVisible(), c.result == 0);
        EXPECT_EQ(fw->memoText->blockCount(), c.lines);
    }
}

TEST_F(FontWindowTest, ThePositionMessageCarriesSignedHalves)
{
    EXPECT_EQ(uint32_t(textPosParam({10, -10})), 0xFFF6000Au);
    auto fw = open();
    ASSERT_TRUE(fw);
    ASSERT_TRUE(postWindowMessage(fw.get(), kTextPosMessage, 0, intptr_t(0xFFF6000Au)));
    QCoreApplication::sendPostedEvents(fw.get(), TWindowMessageEvent::eventType());
    EXPECT_EQ(fw->dstPosition().x, 10);
    EXPECT_EQ(fw->dstPosition().y, -10);
    // Any other private message leaves the position.
    ASSERT_TRUE(postWindowMessage(fw.get(), kTextPosMessage + 1, 0, textPosParam({50, 50})));
    QCoreApplication::sendPostedEvents(fw.get(), TWindowMessageEvent::eventType());
    EXPECT_EQ(fw->dstPosition().x, 10);
}

TEST_F(FontWindowTest, ThePreviewDrawsOverTheViewOnlyAndCancelTakesItAway)
{
    const std::vector<uint32_t> surface = surfacePixels(w->m_surface);
    const std::vector<uint32_t> layer = layerPixels(*w->paper, 0);
    auto fw = open();
    ASSERT_TRUE(fw);
    fw->setDstPos({30, 60});
    ASSERT_TRUE(fw->isDirty());
    const sRect first = clientRect(fw->dirtyArea());
    EXPECT_GT(changedPixels(surface, &first), 20);
    EXPECT_EQ(layerPixels(*w->paper, 0), layer);

    // A click elsewhere moves the text; nothing stays at its first place.
    ASSERT_TRUE(postWindowMessage(fw.get(), kTextPosMessage, 0, textPosParam({120, 70})));
    QCoreApplication::sendPostedEvents(fw.get(), TWindowMessageEvent::eventType());
    const sRect second = clientRect(fw->dirtyArea());
    sRect overlap = first;
    ASSERT_FALSE(rectIntersect(overlap, second));
    EXPECT_GT(changedPixels(surface, &second), 20);

    fw->ButtonCancel->click();
    EXPECT_EQ(fw->result(), kavrin::mrCancel);
    EXPECT_FALSE(fw->isDirty());
    EXPECT_EQ(changedPixels(surface, nullptr), 0);
    EXPECT_EQ(layerPixels(*w->paper, 0), layer);
    sRect covered;
    EXPECT_FALSE(w->flow()->alpha().findRect(covered));
    EXPECT_EQ(w->paper->eventMngr().eventCnt, 0u);
}

TEST_F(FontWindowTest, AnEmptyTextPreviewsNothingAndRecordsNothing)
{
    prof().fontText.clear();
    const std::vector<uint32_t> surface = surfacePixels(w->m_surface);
    auto fw = open();
    ASSERT_TRUE(fw);
    fw->setDstPos({30, 60});
    EXPECT_FALSE(fw->isDirty());
    EXPECT_EQ(changedPixels(surface, nullptr), 0);
    fw->ButtonOK->click();
    EXPECT_EQ(fw->result(), kavrin::mrOk);
    EXPECT_EQ(w->paper->eventMngr().eventCnt, 0u);
    EXPECT_FALSE(w->isModified());
}

TEST_F(FontWindowTest, SettingsComeBackInTheNextWindow)
{
    {
        auto fw = open();
        ASSERT_TRUE(fw);
        chooseFace(*fw, kNoto);
        fw->NumSize->setValue(30);
        fw->NumSpacing->setValue(-3);
        fw->NumLeading->setValue(5);
        fw->chkBoxBold->setChecked(true);
        fw->chkBoxItalic->setChecked(true);
        fw->chkBoxUseFont->setChecked(true);
        fw->chkBoxPreview->setChecked(false);
        fw->memoText->setPlainText(QString::fromUtf8("一行目\n二行目"));
        fw->resize(420, 300);
        fw->ButtonCancel->click();
    }
    EXPECT_EQ(prof().fontFace, kNoto);
    EXPECT_EQ(prof().fontCharset, int(SHIFTJIS_CHARSET));
    auto fw = open();
    ASSERT_TRUE(fw);
    EXPECT_EQ(fw->currentFace(), kNoto);
    EXPECT_EQ(fw->ComboBox1->currentText(), kNoto);
    EXPECT_EQ(fw->NumSize->Value(), 30.0f);
    EXPECT_EQ(fw->EdtSize->text(), QStringLiteral("30"));
    EXPECT_EQ(fw->NumSpacing->Value(), -3.0f);
    EXPECT_EQ(fw->NumLeading->Value(), 5.0f);
    EXPECT_TRUE(fw->chkBoxBold->isChecked());
    EXPECT_TRUE(fw->chkBoxItalic->isChecked());
    EXPECT_TRUE(fw->chkBoxUseFont->isChecked());
    EXPECT_FALSE(fw->chkBoxPreview->isChecked());
    EXPECT_EQ(fw->memoText->toPlainText(), QString::fromUtf8("一行目\n二行目"));
    EXPECT_EQ(fw->memoText->font().family(), kNoto);
    EXPECT_EQ(fw->width(), 420);
    EXPECT_EQ(fw->height(), 300);
}

TEST_F(FontWindowTest, TheWindowKeepsItsMinimumAndLaysOutItsBottomRows)
{
    auto fw = open();
    ASSERT_TRUE(fw);
    fw->show();
    fw->resize(100, 100);
    EXPECT_EQ(fw->width(), 384);
    EXPECT_EQ(fw->height(), 256);
    fw->resize(500, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(fw->memoText->height(), 400 - 156);
    EXPECT_EQ(fw->chkBoxUseFont->y(), 400 - 56);
    EXPECT_EQ(fw->chkBoxPreview->y(), 400 - 28);
    EXPECT_EQ(fw->ButtonOK->y(), 400 - 28);
    EXPECT_EQ(fw->ButtonCancel->y(), 400 - 28);
    EXPECT_LE(fw->ButtonCancel->geometry().right(), 500);
}

} // namespace
