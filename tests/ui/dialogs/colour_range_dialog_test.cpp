// The colour-range dialog and its command: picks by mode from either picture, the tolerance's
// delayed preview, OK committing the same mask as the selection's own operation (one event, one
// undo record), Cancel changing nothing, and the refusals before any dialog opens.
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "document/selection/colour_range.h"
#include "document/selection/selection_rig.h"
#include "ui/dialogs/colour_range_dialog.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/num_mngr.h"
#include "ui/preview/preview_layer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kDarkRed = 0xFF9B0000u;

// A one-layer recording document whose layer is three upright bands: red, blue and a dark red
// 100 away from red (outside tolerance 50, inside 100). The work image and the display image
// show it.
struct ColourRangeRig
{
    ColourRangeRig()
    {
        colorRangeSettings() = {};
        started = s.start() && paint();
    }
    ~ColourRangeRig() { colorRangeSettings() = {}; }

    bool paint()
    {
        TPaper &p = s.paper();
        CBlockVMTC &img = *p.getLayerData(p.ActiveLayer())->imageTC;
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                if (!img.setPixel(x, y, x < 16 ? kRed : x < 32 ? kBlue : kDarkRed))
                    return false;
        p.setFlow(*s.flow(), p.ActiveLayer(), true);
        UpdateVRAM(p, false, true);
        return true;
    }

    TPaper &paper() { return s.paper(); }
    int32_t layer() { return s.paper().ActiveLayer(); }

    // A dialog bound to the active layer, as the command makes it.
    bool bind(TFormColorMask &dlg) { return dlg.SetParams(&s.live.owner, s.flow(), layer()); }

    LiveReplayApp app;
    ScopedUndoMax undoMax{10};
    EditSession s{11, 1};
    bool started = false;
};

// The dialog is shown without a modal loop and handed to drive, which clicks OK or Cancel.
class ScopedDriver
{
  public:
    explicit ScopedDriver(std::function<void(TFormColorMask &)> drive)
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            d.show();
            drive(dynamic_cast<TFormColorMask &>(d));
            return d.result() == 0 ? int(kavrin::mrCancel) : d.result();
        });
    }
    ~ScopedDriver() { installModalRunner(m_previous); }
    int runs = 0;

  private:
    ModalRunner m_previous;
};

// A left click in the source view on layer pixel (x, y) (the view shows the small layer whole).
void clickSource(TFormColorMask &dlg, int32_t x, int32_t y, Qt::KeyboardModifiers mods = {})
{
    const TPreviewLayer &f = *dlg.PreviewLayer1;
    QTest::mouseClick(f.PaintBox1, Qt::LeftButton, mods,
                      QPoint(f.DstLeft() + x * f.DstWidth() / f.SrcAdjWidth(),
                             f.DstTop() + y * f.DstHeight() / f.SrcAdjHeight()));
}

// A left click in the selection preview at the place of layer column x (middle row).
void clickPreview(TFormColorMask &dlg, int32_t x)
{
    const sBox b = dlg.previewBox();
    const sBox area = dlg.sourceArea();
    QTest::mouseClick(dlg.PreviewS, Qt::LeftButton, {},
                      QPoint(b.x + x * b.w / area.w, b.y + b.h / 2));
}

// A modifier key pressed or released over the dialog.
void sendKey(TFormColorMask &dlg, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers mods)
{
    QKeyEvent ev(type, key, mods);
    QApplication::sendEvent(&dlg, &ev);
}

std::vector<SPicCol> picksOf(const TFormColorMask &dlg)
{
    return {dlg.picks().entries().begin(), dlg.picks().entries().end()};
}

// The preview channel's value at the place of layer column x (middle row).
uint8_t previewAt(const TFormColorMask &dlg, int32_t x)
{
    const sBox b = dlg.previewBox();
    return dlg.previewChannel().getColor(x * b.w / dlg.sourceArea().w, b.h / 2);
}

} // namespace

TEST(SelectColourRangeDialog, AClickPicksItsColourByTheMode)
{
    ColourRangeRig rig;
    ASSERT_TRUE(rig.started);
    TFormColorMask dlg;
    ASSERT_TRUE(rig.bind(dlg));
    dlg.show();
    // Opening picks the drawing colour (the stroke's black), adding, at the tolerance.
    ASSERT_EQ(dlg.picks().entries().size(), 1u);
    EXPECT_EQ(dlg.picks().entries()[0].sign, 1);
    EXPECT_EQ(dlg.picks().entries()[0].range, 50);

    struct Step
    {
        const char *what;
        std::function<void(TFormColorMask &)> act;
        std::vector<uint32_t> cols; // the list afterwards
        std::vector<uint8_t> signs;
    };
    const Step steps[] = {
        {"new: red from the source view", [](auto &d) { clickSource(d, 4, 10); }, {kRed}, {1}},
        {"add: blue",
         [](auto &d) {
             d.RadioGroupMButtons->button(1)->click();
             clickSource(d, 20, 3);
         },
         {kRed, kBlue},
         {1, 1}},
        {"remove: red from the preview",
         [](auto &d) {
             d.RadioGroupMButtons->button(2)->click();
             clickPreview(d, 8);
         },
         {kRed, kBlue, kRed},
         {1, 1, 0}},
        {"remove red again: the old removing entry leaves, the new one is last",
         [](auto &d) { clickSource(d, 2, 2); },
         {kRed, kBlue, kRed},
         {1, 1, 0}},
        {"add red again: the first red leaves",
         [](auto &d) {
             d.RadioGroupMButtons->button(1)->click();
             clickSource(d, 2, 2);
         },
         {kBlue, kRed, kRed},
         {1, 0, 1}},
        {"outside the picture: nothing",
         [](auto &d) {
             QTest::mouseClick(d.PreviewLayer1->PaintBox1, Qt::LeftButton, {}, QPoint(2, 2));
         },
         {kBlue, kRed, kRed},
         {1, 0, 1}},
        {"new again: dark red alone",
         [](auto &d) {
             d.RadioGroupMButtons->button(0)->click();
             clickPreview(d, 40);
         },
         {kDarkRed},
         {1}},
    };
    for (const Step &st : steps) {
        st.act(dlg);
        const std::vector<SPicCol> picks = picksOf(dlg);
        ASSERT_EQ(picks.size(), st.cols.size()) << st.what;
        for (size_t i = 0; i < picks.size(); ++i) {
            EXPECT_EQ(picks[i].col, st.cols[i]) << st.what << " #" << i;
            EXPECT_EQ(picks[i].sign, st.signs[i]) << st.what << " #" << i;
            EXPECT_EQ(picks[i].range, 50) << st.what;
        }
        EXPECT_EQ(dlg.CurColor() | 0xFF000000u, st.cols.back()) << st.what << ": the swatch";
    }
    // Shift held in new mode adds; released, new again.
    sendKey(dlg, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(dlg.CurPicMode(), ePicMode::modePlus);
    clickSource(dlg, 20, 3, Qt::ShiftModifier);
    ASSERT_EQ(picksOf(dlg).size(), 2u);
    EXPECT_EQ(picksOf(dlg)[1].col, kBlue);
    sendKey(dlg, QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_EQ(dlg.CurPicMode(), ePicMode::modeNomal);
    // Shift and Ctrl together pan instead of picking.
    sendKey(dlg, QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(dlg.isMoveMode());
    clickSource(dlg, 4, 10);
    EXPECT_EQ(picksOf(dlg).size(), 2u);
    sendKey(dlg, QEvent::KeyRelease, Qt::Key_Control, Qt::ShiftModifier);
    EXPECT_FALSE(dlg.isMoveMode());
    EXPECT_EQ(dlg.CurPicMode(), ePicMode::modePlus);
}

TEST(SelectColourRangeDialog, ThePreviewFollowsThePicksAndTheDelayedTolerance)
{
    ColourRangeRig rig;
    ASSERT_TRUE(rig.started);
    TFormColorMask dlg;
    ASSERT_TRUE(rig.bind(dlg));
    clickSource(dlg, 4, 10);
    EXPECT_EQ(previewAt(dlg, 8), 255);
    EXPECT_EQ(previewAt(dlg, 24), 0);
    EXPECT_EQ(previewAt(dlg, 40), 0) << "dark red lies 100 away";
    // An added pick renders onto what is there.
    dlg.RadioGroupMClick(1);
    clickSource(dlg, 20, 3);
    EXPECT_EQ(previewAt(dlg, 24), 255);
    // The grey picture shows the channel; the colour on black shows the source where selected.
    const sBox b = dlg.previewBox();
    const int32_t px = 24 * b.w / dlg.sourceArea().w;
    EXPECT_EQ(dlg.previewPicture().getColor(px, b.h / 2), 0xFFFFFFFFu);
    dlg.ComboBoxS->setCurrentIndex(2);
    EXPECT_EQ(dlg.previewPicture().getColor(px, b.h / 2), kBlue);
    EXPECT_EQ(dlg.previewPicture().getColor(40 * b.w / dlg.sourceArea().w, b.h / 2), 0xFF000000u);

    // The tolerance goes to the last pick (blue) at once, the preview 500 ms after the last
    // change; then red, picked again, moves last and takes it.
    dlg.RadioGroupMClick(1);
    clickSource(dlg, 4, 10);
    ASSERT_EQ(dlg.picks().entries().back().col, kRed);
    dlg.NumR->setValue(100);
    EXPECT_EQ(dlg.picks().entries().back().range, 100);
    EXPECT_EQ(dlg.picks().entries().front().range, 50);
    EXPECT_TRUE(dlg.Timer1->isActive());
    rig.s.clock.advance(499);
    dlg.Timer1Timer();
    EXPECT_TRUE(dlg.Timer1->isActive());
    EXPECT_EQ(previewAt(dlg, 40), 0) << "not yet rendered again";
    rig.s.clock.advance(1);
    dlg.Timer1Timer();
    EXPECT_FALSE(dlg.Timer1->isActive());
    EXPECT_EQ(previewAt(dlg, 40), 255) << "red at 100 reaches dark red";
    EXPECT_EQ(previewAt(dlg, 24), 255) << "blue kept";
    dlg.NumR->setValue(50);
    rig.s.clock.advance(500);
    dlg.Timer1Timer();
    EXPECT_EQ(previewAt(dlg, 40), 0) << "the whole list rendered again at 50";
    // Reset: new mode, tolerance 50, the drawing colour alone.
    dlg.RadioGroupMClick(2);
    dlg.ButtonReset->click();
    EXPECT_EQ(dlg.CurPicMode(), ePicMode::modeNomal);
    ASSERT_EQ(dlg.picks().entries().size(), 1u);
    EXPECT_EQ(previewAt(dlg, 8), 0);
}

TEST(SelectColourRangeDialog, OkCommitsWhatTheSelectionOperationCommits)
{
    struct Case
    {
        const char *name;
        int32_t source; // 0 the layer, 1 the display image
    };
    for (const Case c : {Case{"layer", 0}, Case{"display image", 1}}) {
        SCOPED_TRACE(c.name);
        std::vector<SPicCol> picked;
        SColorMask param;
        QString viaDialog;
        int32_t eventsBefore = 0, recordsBefore = 0;
        {
            ColourRangeRig rig;
            ASSERT_TRUE(rig.started);
            eventsBefore = rig.s.ev().getUndoCnt();
            recordsBefore = rig.s.undo().getUndoCnt();
            ScopedDriver driver([&](TFormColorMask &d) {
                d.PreviewLayer1->ComboBox1->setCurrentIndex(c.source);
                clickSource(d, 4, 10);
                d.RadioGroupMClick(1);
                d.NumR->setValue(120);
                clickSource(d, 20, 3);
                d.RadioGroupMClick(2);
                d.NumR->setValue(30);
                clickPreview(d, 40);
                std::span<const SPicCol> pcol;
                d.GetParameter(param, pcol);
                picked.assign(pcol.begin(), pcol.end());
                d.ComboBoxS->setCurrentIndex(1);
                d.ButtonOK->click();
            });
            ASSERT_TRUE(selectColorRangeCmd(rig.paper(), rig.s.flow(), rig.layer()));
            EXPECT_EQ(driver.runs, 1);
            EXPECT_EQ(rig.s.ev().getUndoCnt(), eventsBefore + 1);
            EXPECT_EQ(rig.s.undo().getUndoCnt(), recordsBefore + 1);
            EXPECT_TRUE(hasActiveMaskImage(rig.paper()));
            viaDialog = masksOf(rig.paper());
            // Remembered for the next opening.
            EXPECT_EQ(colorRangeSettings().tolerance, 30);
            EXPECT_EQ(colorRangeSettings().display, 1);
            EXPECT_EQ(colorRangeSettings().source, c.source);
        }
        ASSERT_EQ(picked.size(), 3u);
        EXPECT_EQ(param.isVRAM, c.source);
        // The tolerance goes to the last pick when it changes: red took 120, blue then 30.
        EXPECT_EQ(picked[0].range, 120);
        EXPECT_EQ(picked[1].range, 30);
        ColourRangeRig direct;
        ASSERT_TRUE(direct.started);
        ASSERT_TRUE(applyColorRange(direct.paper(), direct.s.flow(), direct.layer(), -1, param,
                                    picked, true));
        EXPECT_EQ(viaDialog, masksOf(direct.paper()));
    }
}

TEST(SelectColourRangeDialog, TheNextOpeningStartsFromTheRememberedSettings)
{
    ColourRangeRig rig;
    ASSERT_TRUE(rig.started);
    colorRangeSettings() = {77, 2, 1};
    TFormColorMask dlg;
    ASSERT_TRUE(rig.bind(dlg));
    EXPECT_EQ(dlg.CurRange(), 77);
    EXPECT_EQ(dlg.CurDisplay(), 2);
    EXPECT_EQ(dlg.CurTarget(), 1);
    EXPECT_EQ(dlg.picks().entries()[0].range, 77);
}

TEST(SelectColourRangeDialog, CancelChangesNothing)
{
    ColourRangeRig rig;
    ASSERT_TRUE(rig.started);
    const QString before = contentOf(rig.paper());
    const uint32_t streamBefore = rig.s.ev().topEventPos;
    const int32_t recordsBefore = rig.s.undo().getUndoCnt();
    ScopedDriver driver([&](TFormColorMask &d) {
        clickSource(d, 4, 10);
        d.NumR->setValue(90);
        d.ComboBoxS->setCurrentIndex(2);
        d.ButtonCancel->click();
    });
    EXPECT_FALSE(selectColorRangeCmd(rig.paper(), rig.s.flow(), rig.layer()));
    EXPECT_EQ(driver.runs, 1);
    EXPECT_EQ(contentOf(rig.paper()), before);
    EXPECT_EQ(rig.s.ev().topEventPos, streamBefore);
    EXPECT_EQ(rig.s.undo().getUndoCnt(), recordsBefore);
    EXPECT_EQ(colorRangeSettings().tolerance, 50);
    EXPECT_EQ(colorRangeSettings().display, 0);
}

TEST(SelectColourRangeDialog, NoDialogWithoutAnEffectRectangleOrWhenTheWindowRefuses)
{
    struct Case
    {
        const char *name;
        bool emptySelection;
        bool windowRefuses;
        int warnings;
    };
    const Case cases[] = {
        {"an empty selection", true, false, 1},
        {"the window refuses edits", false, true, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ColourRangeRig rig;
        ASSERT_TRUE(rig.started);
        if (c.emptySelection) {
            TChannel none(rig.paper().m_paperSize.x, rig.paper().m_paperSize.y);
            none.PixelFill(0);
            std::unique_ptr<CMaskData> old;
            CMaskMngr &mm = rig.paper().maskMngr();
            ASSERT_TRUE(mm.replaceMask(mm.getCurIndex(), none, rig.paper().m_paperSize, {0, 0}, old,
                                       eMaskAddType::matNew));
        }
        rig.s.live.owner.acceptsEditCmd = !c.windowRefuses;
        const QString before = contentOf(rig.paper());
        ScopedDriver driver([](TFormColorMask &d) { d.ButtonOK->click(); });
        EXPECT_FALSE(selectColorRangeCmd(rig.paper(), rig.s.flow(), rig.layer()));
        EXPECT_EQ(driver.runs, 0);
        EXPECT_EQ(rig.app.messages.warnings.count(QString::fromUtf8("有効な選択範囲がありません")),
                  c.warnings);
        EXPECT_EQ(contentOf(rig.paper()), before);
    }
}
