// The screentone editor: the controls' arithmetic and the picture box's drawing without a window,
// then the real dialog over a tone set the tool window lends it: loading a tone, editing it,
// image patterns, apply, the open procedures and a set file written after apply.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/profile/app_profile.h"
#include "document/files/new_document.h"
#include "document/paper/headless_document.h"
#include "format/chunk.h"
#include "paint/tone/tone_manager.h"
#include "support/captured_messages.h"
#include "support/preset_fixtures.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/path_label.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/appearance.h"
#include "ui/lists/tone_list_view.h"
#include "windows/presets/editor_models.h"
#include "windows/presets/preset_hooks.h"
#include "windows/presets/tone_editor.h"
#include "windows/shell_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

SToneAttr toneAttr(int32_t pattern, float dpi, float line, float percent, float degree,
                   int32_t band, bool genName, const char *name)
{
    SToneAttr a;
    a.pattern = pattern;
    a.dpi = dpi;
    a.line = line;
    a.percent = percent;
    a.degree = degree;
    a.band = band;
    a.genName = genName;
    a.name = QString::fromUtf8(name);
    return a;
}

// A w x h pattern whose byte at (x, y) is f(x, y).
template <class F>
std::unique_ptr<TChannel> tile(int32_t w, int32_t h, F f)
{
    auto ch = std::make_unique<TChannel>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            *ch->seek8(x, y) = uint8_t(f(x, y));
    return ch;
}

std::vector<uint8_t> bytesOf(const TChannel &ch)
{
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            out.push_back(*ch.seek8(x, y));
    return out;
}

// The tool window lends the set; the profile and the hooks are left as they were.
class ToneEditor : public ::testing::Test
{
  protected:
    ToneEditor() { m_saved = std::exchange(tool().tones, &m); }
    ~ToneEditor() override { tool().tones = m_saved; }
    static CHeadlessToolForm &tool() { return headlessMainForm().tool; }

    CToneMngr m;
    CapturedMessages messages;

  private:
    CToneMngr *m_saved = nullptr;
};

// Runs drive on every modal dialog, then closes what is still open with the close button.
class ModalDriver
{
  public:
    explicit ModalDriver(std::function<void(QDialog &)> drive = {})
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            d.setResult(0);
            d.show();
            if (drive)
                drive(d);
            if (d.isVisible())
                if (auto *e = dynamic_cast<TFormPresetEditor *>(&d))
                    e->ButtonCancel->click();
            return d.result();
        });
    }
    ~ModalDriver() { installModalRunner(m_previous); }
    int runs = 0;

  private:
    ModalRunner m_previous;
};

class ToneEditorRoundTrip : public ToneEditor
{
};

} // namespace

// ---- without a window

TEST_F(ToneEditor, ControlsBuildTheAttributeAndTheGeneratedName)
{
    // The name goes into set files: "." whatever the user's locale.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German));
    struct Case
    {
        SToneControls c;
        float dpi;
        int32_t band;
        const char *name;
    };
    const Case cases[] = {
        {{tptRound, 8, 10, 45.7f, 9.5f, true, {}}, 320, 10, "円(網) 8px 45° 10, 9%"},
        {{tptLine, 12.5f, 99, 90, 0.4f, true, {}}, 500, 0, "線 12.5px 90° 99, 0%"},
        {{tptRhomboid, 4, 1, 0, 40, true, {}}, 160, 40, "菱形 4px 0° 1, 40%"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        const SToneAttr a = toneAttrFromControls(k.c);
        EXPECT_FLOAT_EQ(a.dpi, k.dpi);
        EXPECT_FLOAT_EQ(a.line, 40);
        EXPECT_FLOAT_EQ(toneLineWidth(a), k.c.lineWidth);
        EXPECT_EQ(a.band, k.band);
        EXPECT_EQ(a.pattern, k.c.pattern);
        EXPECT_EQ(toneAutoName(k.c), QString::fromUtf8(k.name));
    }
    QLocale::setDefault(saved);

    EXPECT_FLOAT_EQ(toneLineWidth(toneAttr(tptRound, 300, 0, 10, 0, 0, true, "")), 8);
    EXPECT_FLOAT_EQ(toneLineWidth(toneAttr(tptRound, 300, 50, 10, 0, 0, true, "")), 6);
}

TEST_F(ToneEditor, APictureIsFittedIntoTheBitmapBox)
{
    struct Case
    {
        sSize tile;
        sBox drawn;
        int32_t sx, sy;
    };
    const Case cases[] = {
        {{300, 100}, {0, 27, 148, 49}, 2075, 2089},
        {{64, 64}, {42, 20, 64, 64}, 1024, 1024},
        {{100, 300}, {57, 0, 34, 104}, 3011, 2953},
        // So long that its drawn height would be 0 and the step a division by it.
        {{2000, 10}, {0, 51, 148, 1}, 13837, 10240},
        {{10, 2000}, {73, 0, 1, 104}, 10240, 19692},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.tile.x << " x " << c.tile.y);
        const SPatternImageFit f = patternImageFit(c.tile, {148, 104});
        EXPECT_EQ(f.drawn.x, c.drawn.x);
        EXPECT_EQ(f.drawn.y, c.drawn.y);
        EXPECT_EQ(f.drawn.w, c.drawn.w);
        EXPECT_EQ(f.drawn.h, c.drawn.h);
        EXPECT_EQ(f.sx, c.sx);
        EXPECT_EQ(f.sy, c.sy);
    }
}

TEST_F(ToneEditor, EachDrawnPixelIsTheInvertedMeanOfItsSixteenSamples)
{
    const uint32_t grey = 0xFF808080u;
    TMTC work(148, 104);

    // Reduced: the ramp's samples of column 10 are 20, 20, 21, 21; their mean 20.5 truncates.
    work.fillAll(grey);
    ASSERT_TRUE(showPatternImage(work, *tile(300, 100, [](int x, int) { return std::min(x, 255); })));
    EXPECT_EQ(work.seek32(10, 27)->R, 255 - 20);
    EXPECT_EQ(work.seek32(10, 75)->G, 255 - 20);
    EXPECT_EQ(work.seek32(147, 40)->B, 0);
    EXPECT_EQ(work.seek32(10, 27)->A, 255);
    EXPECT_EQ(work.getColor(10, 26), grey) << "above the drawn area";
    EXPECT_EQ(work.getColor(10, 76), grey) << "below the drawn area";

    // At its own size every sample is the pixel itself.
    work.fillAll(grey);
    ASSERT_TRUE(showPatternImage(work, *tile(64, 64, [](int x, int y) { return 4 * x + (y & 1); })));
    for (const auto &[x, y] : {std::pair{0, 0}, {63, 0}, {17, 33}, {63, 63}})
        EXPECT_EQ(work.seek32(42 + x, 20 + y)->R, 255 - (4 * x + (y & 1))) << x << "," << y;
    EXPECT_EQ(work.getColor(41, 20), grey);
    EXPECT_EQ(work.getColor(106, 20), grey);

    // The long tile draws its one row and nothing outside the box.
    work.fillAll(grey);
    ASSERT_TRUE(showPatternImage(work, *tile(2000, 10, [](int, int) { return 0; })));
    EXPECT_EQ(work.getColor(0, 51), 0xFFFFFFFFu);
    EXPECT_EQ(work.getColor(147, 51), 0xFFFFFFFFu);
    EXPECT_EQ(work.getColor(0, 52), grey);

    EXPECT_FALSE(showPatternImage(work, TChannel()));
}

// ---- the dialog

TEST_F(ToneEditor, OpeningLoadsTheSelectedToneWithoutEnablingApply)
{
    fillPatterns(m, 1);
    ASSERT_GE(m.appendTone(toneAttr(tptLine, 320, 40, 25, 30, 5, false, "mine"), true, nullptr), 0);
    // A tone without a line count (as a damaged file could hold) shows the default spacing.
    auto noLine = std::make_unique<CPat8Tone>();
    noLine->toneAttr = toneAttr(tptCross, 300, 0, 40, 0, 0, true, "no line");
    ASSERT_GE(m.appendPattern(std::move(noLine)), 0);
    m.setCurPat(1);

    TFormToneEditor e;
    EXPECT_EQ(e.windowTitle(), QString::fromUtf8("トーンエディタ"));
    EXPECT_EQ(e.CmbType->currentIndex(), tptLine);
    EXPECT_FLOAT_EQ(e.NumLineWidth->Value(), 8);
    EXPECT_FLOAT_EQ(e.NumDensity->Value(), 25);
    EXPECT_FLOAT_EQ(e.NumDegree->Value(), 30);
    EXPECT_FLOAT_EQ(e.NumBlur->Value(), 5);
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("mine"));
    EXPECT_FALSE(e.ChkAutoName->isChecked());
    EXPECT_FLOAT_EQ(e.FTrkDensity->Position(), (25.0f - 1) / 98);
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    ASSERT_TRUE(e.isPat8Tone());
    const auto *work = dynamic_cast<const CPat8Tone *>(e.workingTone());
    ASSERT_TRUE(work);
    EXPECT_EQ(work->toneAttr, toneAttr(tptLine, 320, 40, 25, 30, 5, false, "mine"));
    EXPECT_TRUE(e.CmbType->isEnabled());
    EXPECT_FALSE(e.BtnShapeRemove->isEnabled());

    e.toneList()->SetSelectIndex(2);
    EXPECT_FLOAT_EQ(e.NumLineWidth->Value(), 8);
    EXPECT_EQ(e.CmbType->currentIndex(), tptCross);
    EXPECT_EQ(e.EdtName->text(), QString::fromUtf8("クロス 8px 0° 40, 0%"));
    EXPECT_FALSE(e.ButtonOK->isEnabled());

    // An image pattern: its tile in the box, the pattern controls back to their defaults.
    e.toneList()->SetSelectIndex(0);
    EXPECT_FALSE(e.isPat8Tone());
    EXPECT_FALSE(e.CmbType->isEnabled());
    EXPECT_TRUE(e.BtnShapeRemove->isEnabled());
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("p0"));
    EXPECT_FALSE(e.ChkAutoName->isChecked());
    EXPECT_FLOAT_EQ(e.NumLineWidth->Value(), 8);
    EXPECT_FLOAT_EQ(e.NumBlur->Value(), 10);
    EXPECT_EQ(e.workImage().seek32(72, 50)->R, 255) << "the 4 x 4 tile of 0 shown inverted";
    EXPECT_FALSE(e.ButtonOK->isEnabled());
}

TEST_F(ToneEditor, EditingRebuildsTheWorkingToneAndItsName)
{
    ASSERT_GE(m.appendTone(toneAttr(tptRound, 300, 55, 10, 0, 10, true, "x"), true, nullptr), 0);
    m.setCurPat(0);
    TFormToneEditor e;
    ASSERT_TRUE(e.ChkAutoName->isChecked());
    e.NumLineWidth->setValue(8);
    e.NumDegree->setValue(45.7f);
    e.NumDensity->setValue(10);
    e.NumBlur->setValue(9.5f);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    EXPECT_FLOAT_EQ(e.FTrkLineWidth->Position(), 4.0f / 124);
    const auto *work = dynamic_cast<const CPat8Tone *>(e.workingTone());
    ASSERT_TRUE(work);
    EXPECT_FLOAT_EQ(work->toneAttr.dpi, 320);
    EXPECT_FLOAT_EQ(work->toneAttr.line, 40);
    EXPECT_EQ(work->toneAttr.band, 10);
    EXPECT_FLOAT_EQ(work->toneAttr.degree, 45.7f);
    EXPECT_EQ(e.EdtName->text(), QString::fromUtf8("円(網) 8px 45° 10, 9%"));
    EXPECT_EQ(work->name(), e.EdtName->text());

    // A track bar moves its model, the general group goes into the working tone.
    e.FTrkBlur->setPosition(0.5f);
    EXPECT_FLOAT_EQ(e.NumBlur->Value(), 20);
    e.NumScale->setValue(150);
    e.NumLeft->setValue(7.6f);
    e.ChkInvert->setChecked(true);
    work = dynamic_cast<const CPat8Tone *>(e.workingTone());
    EXPECT_EQ(work->toneAttr.band, 20);
    EXPECT_EQ(work->zoom, 150);
    EXPECT_EQ(work->ofs.x, 8);
    EXPECT_TRUE(work->Fnega);

    // Typing a name ends the generated naming; the typed name is kept.
    e.EdtName->setFocus();
    QTest::keyClicks(e.EdtName, QStringLiteral("!"));
    EXPECT_FALSE(e.ChkAutoName->isChecked());
    e.NumDensity->setValue(50);
    EXPECT_TRUE(e.EdtName->text().endsWith(u'!'));
    EXPECT_EQ(e.workingTone()->name(), e.EdtName->text());
}

TEST_F(ToneEditor, TheScaleRangeHoldsOneHundredAndStaysWithinTwoHundred)
{
    ASSERT_GE(m.appendPattern(*tile(64, 64, [](int, int) { return 0; }), 100, nullptr), 0);
    ASSERT_GE(m.appendPattern(*tile(2000, 10, [](int, int) { return 0; }), 100, nullptr), 0);
    m.setCurPat(0);
    TFormToneEditor e;
    for (int i : {0, 1}) {
        e.toneList()->SetSelectIndex(i);
        for (float width : {4.0f, 8.0f, 128.0f}) {
            e.NumLineWidth->setValue(width); // an image pattern ignores the spacing
            SCOPED_TRACE(testing::Message() << "item " << i << " spacing " << width);
            EXPECT_LE(e.NumScale->ValueMin(), 100);
            EXPECT_GE(e.NumScale->ValueMax(), 100);
            EXPECT_LE(e.NumScale->ValueMax(), 200);
        }
    }
    // Back to a generated tone: its own zoom limits, cut to the same bounds.
    e.BtnShapeRemove->click();
    for (float width : {4.0f, 128.0f}) {
        e.NumLineWidth->setValue(width);
        EXPECT_LE(e.NumScale->ValueMin(), 100);
        EXPECT_GE(e.NumScale->ValueMax(), 100);
        EXPECT_LE(e.NumScale->ValueMax(), 200);
    }
}

TEST_F(ToneEditor, APictureBecomesAnInvertedImagePattern)
{
    ASSERT_GE(m.appendTone(toneAttr(tptRound, 320, 40, 10, 0, 10, false, "kept"), true, nullptr), 0);
    m.setCurPat(0);
    TFormToneEditor e;
    TMTC picture(6, 3);
    picture.fillAll(0xFF000000u); // black
    picture.seek32(5, 2)->all = 0xFFFFFFFFu;
    e.SetPatternImage(&picture, QStringLiteral("dots"));
    EXPECT_FALSE(e.isPat8Tone());
    ASSERT_TRUE(e.patternTile());
    EXPECT_EQ(e.patternTile()->getColor(0, 0), 255);
    EXPECT_EQ(e.patternTile()->getColor(5, 2), 0);
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("dots"));
    EXPECT_EQ(e.workingTone()->name(), QStringLiteral("dots"));
    EXPECT_EQ(e.workingTone()->zoom, 100);
    EXPECT_FALSE(e.CmbType->isEnabled());
    EXPECT_FALSE(e.ChkAutoName->isEnabled());
    EXPECT_TRUE(e.BtnShapeRemove->isEnabled());
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    EXPECT_EQ(e.workImage().seek32(71, 50)->R, 0) << "255 shown inverted";

    // An unreadable file warns with its path and changes nothing.
    const QString missing = QStringLiteral("/nonexistent/picture.png");
    EXPECT_FALSE(e.LoadPatternFile(missing));
    ASSERT_EQ(messages.warnings.size(), 1);
    EXPECT_EQ(messages.warnings[0],
              QString::fromUtf8("画像ファイルを開くことができませんでした！\r    path = ") + missing);
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("dots"));
    EXPECT_FALSE(e.isPat8Tone());

    // Removing the picture returns to a generated tone, named after its settings again.
    e.BtnShapeRemove->click();
    EXPECT_TRUE(e.isPat8Tone());
    EXPECT_TRUE(e.ChkAutoName->isChecked());
    EXPECT_EQ(e.EdtName->text(), QString::fromUtf8("円(網) 8px 0° 10, 10%"));
    EXPECT_TRUE(dynamic_cast<const CPat8Tone *>(e.workingTone()));
    EXPECT_FALSE(e.BtnShapeRemove->isEnabled());

    // A picture taken while names are generated keeps its own name through later changes.
    e.SetPatternImage(&picture, QStringLiteral("again"));
    ASSERT_TRUE(e.ChkAutoName->isChecked());
    e.NumScale->setValue(150);
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("again"));
    EXPECT_EQ(e.workingTone()->name(), QStringLiteral("again"));
    EXPECT_EQ(e.workingTone()->zoom, 150);
}

TEST_F(ToneEditor, CreatingFromTheDocumentTakesItsDisplayImage)
{
    fillPatterns(m, 1);
    auto &main = headlessMainForm();
    {
        TFormToneEditor e;
        EXPECT_FALSE(e.BtnShapeCreate->isEnabled());
    }
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper);
    ASSERT_TRUE(EventEditCreate(*doc.paper, QStringLiteral("/pictures/page.one.qzi"), &doc.flow(),
                                40, 30, 72, false, false));
    main.paper = doc.paper.get();
    {
        TFormToneEditor e;
        ASSERT_TRUE(e.BtnShapeCreate->isEnabled());
        e.BtnShapeCreate->click();
        EXPECT_EQ(e.EdtName->text(), QStringLiteral("page.one"));
        ASSERT_TRUE(e.patternTile());
        EXPECT_EQ(e.patternTile()->width(), 40);
        EXPECT_EQ(e.patternTile()->height(), 30);
        EXPECT_EQ(e.patternTile()->getColor(0, 0), 0) << "the white canvas, inverted";
    }
    main.paper = nullptr;
}

TEST_F(ToneEditor, ApplyPutsACopyWithANewIdInPlaceOfTheSelectedItem)
{
    fillPatterns(m, 3);
    m.setCurPat(1);
    m.setModified(false);
    TFormToneEditor e;
    e.BtnShapeRemove->click(); // the selected plain pattern becomes a generated tone
    e.NumDensity->setValue(33);
    const CPat8 *work = e.workingTone();
    ASSERT_TRUE(e.ButtonOK->isEnabled());
    e.ButtonOK->click();

    ASSERT_EQ(m.count(), 3);
    EXPECT_EQ(m.getPatIdx(), 1);
    EXPECT_EQ(e.workingTone(), work) << "the working tone stays";
    const auto *stored = dynamic_cast<const CPat8Tone *>(m.getPattern(1));
    ASSERT_TRUE(stored);
    EXPECT_NE(stored, work);
    EXPECT_NE(stored->id(), work->id());
    EXPECT_EQ(stored->toneAttr, static_cast<const CPat8Tone *>(work)->toneAttr);
    EXPECT_EQ(m.getPattern(0)->name(), QStringLiteral("p0"));
    EXPECT_EQ(m.getPattern(2)->name(), QStringLiteral("p2"));
    EXPECT_TRUE(m.Modified());
    EXPECT_TRUE(e.LblPath->Modified());
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    ASSERT_TRUE(dynamic_cast<const CPat8Tone *>(m.getModPat())) << "the set's working tone rebuilt";
}

TEST_F(ToneEditor, ApplyOnAOneToneSetKeepsOneTone)
{
    fillPatterns(m, 1);
    TFormToneEditor e;
    e.NumScale->setValue(150);
    e.ButtonOK->click();
    ASSERT_EQ(m.count(), 1);
    EXPECT_EQ(m.getPattern(0)->zoom, 150);
    EXPECT_EQ(m.getPatIdx(), 0);
}

TEST_F(ToneEditor, ApplyKeepsAnImagePatternsTileAndZoom)
{
    const std::unique_ptr<TChannel> original = tile(64, 64, [](int x, int y) { return (x * 7 + y * 3) & 255; });
    ASSERT_GE(m.appendPattern(*original, 50, nullptr), 0);
    fillPatterns(m, 1);
    m.setCurPat(0);
    ASSERT_EQ(m.getModPat()->size.x, 32) << "the set's working copy is resampled to the zoom";
    TFormToneEditor e;
    EXPECT_FLOAT_EQ(e.NumScale->Value(), 50);
    EXPECT_EQ(e.patternTile()->width(), 64);
    e.ChkInvert->setChecked(true);
    e.ButtonOK->click();
    const auto *stored = dynamic_cast<const CPat8 *>(m.getPattern(0));
    ASSERT_TRUE(stored);
    EXPECT_FALSE(dynamic_cast<const CPat8Tone *>(stored));
    EXPECT_EQ(stored->zoom, 50);
    EXPECT_TRUE(stored->Fnega);
    ASSERT_TRUE(stored->channel());
    EXPECT_EQ(bytesOf(*stored->channel()), bytesOf(*original));
}

TEST_F(ToneEditor, AnInvertedToneStaysInvertedThroughApply)
{
    ASSERT_GE(m.appendTone(toneAttr(tptRound, 300, 55, 10, 0, 10, true, "t"), true, nullptr), 0);
    fillPatterns(m, 1);
    m.getPattern(0)->ofs = {3, 4};
    static_cast<CPat8 *>(m.getPattern(0))->Fnega = true;
    m.setCurPat(1);
    TFormToneEditor e;
    EXPECT_FALSE(e.ChkInvert->isChecked());
    e.toneList()->SetSelectIndex(0);
    EXPECT_TRUE(e.ChkInvert->isChecked());
    EXPECT_FLOAT_EQ(e.NumLeft->Value(), 3);
    EXPECT_FLOAT_EQ(e.NumTop->Value(), 4);
    e.NumDensity->setValue(20);
    e.ButtonOK->click();
    EXPECT_TRUE(static_cast<const CPat8 *>(m.getPattern(0))->Fnega);
    EXPECT_EQ(m.getPattern(0)->ofs.x, 3);
}

TEST_F(ToneEditor, ClosingLeavesTheSetsWorkingTonePaintingAsBefore)
{
    ASSERT_GE(m.appendTone(toneAttr(tptRound, 300, 55, 30, 15, 10, true, "t"), true, nullptr), 0);
    m.getPattern(0)->zoom = 150;
    m.setCurPat(0);
    auto sample = [this] {
        std::vector<uint8_t> v;
        for (int y = 0; y < 40; y += 3)
            for (int x = 0; x < 40; x += 3)
                v.push_back(m.effectScreenTone(x, y, 255));
        return v;
    };
    const std::vector<uint8_t> before = sample();
    {
        TFormToneEditor e;
        e.NumLineWidth->setValue(20);
        e.CmbType->setCurrentIndex(tptLine);
    }
    EXPECT_EQ(sample(), before);
}

TEST_F(ToneEditor, OpenProceduresAndTheirResults)
{
    fillPatterns(m, 2);
    {
        ModalDriver none;
        tool().tones = nullptr;
        EXPECT_FALSE(showToneEditor());
        TToneListView view;
        view.SetSupportCommand({lvcSelect});
        view.Attach(&m);
        EXPECT_FALSE(duplicateAndEditTone(view));
        EXPECT_EQ(none.runs, 0) << "no dialog without a set";
        EXPECT_EQ(m.count(), 2);
        tool().tones = &m;
    }
    {
        ModalDriver closeButton;
        EXPECT_TRUE(showToneEditor());
        EXPECT_EQ(closeButton.runs, 1);
    }
    {
        ModalDriver closeBox([](QDialog &d) {
            QCloseEvent ev;
            QApplication::sendEvent(&d, &ev);
        });
        EXPECT_FALSE(showToneEditor());

        // The list's "new item" runs the duplicate-and-edit entry: the duplicate counts, not
        // the way the dialog closed.
        HooksScope hooks;
        installPresetHooks();
        TToneListView view;
        view.SetSupportCommand({lvcSelect});
        view.Attach(&m);
        view.SetSelectIndex(1);
        EXPECT_TRUE(view.CreateItem(true));
        EXPECT_EQ(closeBox.runs, 2);
        ASSERT_EQ(m.count(), 3);
        EXPECT_EQ(m.getPattern(2)->name(), QStringLiteral("p1"));
        EXPECT_EQ(m.getPatIdx(), 2);
        EXPECT_FALSE(view.EditItemValue(2)) << "closed by the close box";
    }
}

TEST_F(ToneEditor, TheEditorsListOpensNoOtherEditor)
{
    fillPatterns(m, 2);
    TFormToneEditor e;
    const TListViewCommandTypes commands = e.toneList()->SupportCommand();
    EXPECT_TRUE(commands.contains(lvcSelect));
    EXPECT_TRUE(commands.contains(lvcDrag));
    EXPECT_TRUE(commands.contains(lvcDrop));
    EXPECT_FALSE(commands.contains(lvcEditDialog));
    EXPECT_EQ(e.toneList()->ListType(), lvListS);
}

// ---- set files

TEST_F(ToneEditorRoundTrip, AppliedTonesComeBackFromTheSetFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tones.qts"));
    ASSERT_GE(m.appendTone(toneAttr(tptRound, 300, 55, 10, 0, 10, true, "a"), true, nullptr), 0);
    ASSERT_GE(m.appendPattern(*tile(20, 12, [](int x, int y) { return x * 11 + y; }), 100, nullptr), 0);
    m.setCurPat(0);
    std::vector<std::unique_ptr<CPat8>> edited;
    {
        TFormToneEditor e;
        e.CmbType->setCurrentIndex(tptDiamond);
        e.NumLineWidth->setValue(12.5f);
        e.NumDensity->setValue(37);
        e.NumDegree->setValue(22);
        e.NumBlur->setValue(6.5f);
        e.NumScale->setValue(80);
        e.NumLeft->setValue(5);
        e.NumTop->setValue(9);
        e.ChkInvert->setChecked(true);
        e.ButtonOK->click();
        edited.push_back(copyPatternTile(*e.workingTone()));

        e.toneList()->SetSelectIndex(1);
        e.NumScale->setValue(150);
        e.NumLeft->setValue(3);
        e.EdtName->setText(QStringLiteral("renamed"));
        e.ButtonOK->click();
        edited.push_back(copyPatternTile(*e.workingTone()));
    }
    ASSERT_EQ(writeToneSetFile(path, m), CS_OK);
    CToneMngr back;
    ASSERT_EQ(readToneSetFile(path, back, false), CS_OK);
    ASSERT_EQ(back.count(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const CPat8 &want = *edited[size_t(i)];
        const auto *got = dynamic_cast<const CPat8 *>(back.getPattern(i));
        ASSERT_TRUE(got);
        EXPECT_EQ(got->name(), want.name());
        EXPECT_EQ(got->flags, want.flags);
        EXPECT_EQ(got->zoom, want.zoom);
        EXPECT_EQ(got->ofs.x, want.ofs.x);
        EXPECT_EQ(got->ofs.y, want.ofs.y);
        EXPECT_EQ(got->Fnega, want.Fnega);
        ASSERT_TRUE(got->channel() && want.channel());
        EXPECT_EQ(bytesOf(*got->channel()), bytesOf(*want.channel()));
        const auto *gt = dynamic_cast<const CPat8Tone *>(got);
        const auto *wt = dynamic_cast<const CPat8Tone *>(&want);
        ASSERT_EQ(gt != nullptr, wt != nullptr);
        if (wt) {
            EXPECT_EQ(gt->toneAttr, wt->toneAttr);
        }
    }
    EXPECT_EQ(back.getPattern(1)->name(), QStringLiteral("renamed"));
    EXPECT_TRUE(messages.warnings.isEmpty());
}

namespace {

// The profile as it was (or none), put back afterwards.
class ProfileScope
{
  public:
    ProfileScope()
    {
        if (!gAppProfile) {
            gAppProfile = std::make_unique<CAppProfile>();
            m_made = true;
        }
        m_saved = *gAppProfile;
    }
    ~ProfileScope()
    {
        if (m_made)
            gAppProfile.reset();
        else
            *gAppProfile = m_saved;
    }

  private:
    CAppProfile m_saved;
    bool m_made = false;
};

// Chooses path in the next file dialog as a user does.
void chooseInNextFileDialog(const QString &path)
{
    QTimer::singleShot(0, [path] {
        if (auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            d->selectFile(path);
            static_cast<QDialog *>(d)->accept();
        }
    });
}

} // namespace

TEST_F(ToneEditor, TheListTypeComesFromTheProfileAndGoesBack)
{
    ProfileScope profile;
    fillPatterns(m, 2);
    struct Case
    {
        int32_t stored;
        TListViewType shown;
    };
    for (const Case &c : {Case{lvText, lvText}, Case{99, lvListS}, Case{-1, lvListS}}) {
        SCOPED_TRACE(c.stored);
        gAppProfile->EdtToneListType = c.stored;
        TListViewType seen = lvDrop;
        ModalDriver driver([&seen](QDialog &d) {
            auto &e = dynamic_cast<TFormToneEditor &>(d);
            seen = e.toneList()->ListType();
            e.toneList()->SetListType(lvIconL);
        });
        EXPECT_TRUE(showToneEditor());
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ(gAppProfile->EdtToneListType, lvIconL);
    }
}

TEST_F(ToneEditor, TheSetMenuRevertsAppendsReplacesAndSaves)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.qts"));
    fillPatterns(m, 3);
    ASSERT_EQ(writeToneSetFile(path, m), CS_OK);
    m.setCurPat(2);
    TFormToneEditor e;
    EXPECT_EQ(e.LblPath->Path(), path);
    ASSERT_TRUE(e.toneList()->DeleteItem(0, true));
    EXPECT_TRUE(e.LblPath->Modified());

    e.MenuSetRevert->trigger();
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(m.getPatIdx(), 0);
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("p0"));
    EXPECT_FALSE(e.LblPath->Modified());

    e.toneList()->SetSelectIndex(1);
    chooseInNextFileDialog(path);
    e.MenuSetAppend->trigger();
    EXPECT_EQ(m.count(), 6);
    EXPECT_EQ(m.getPatIdx(), 1) << "appending keeps the selection";
    EXPECT_TRUE(e.LblPath->Modified());

    chooseInNextFileDialog(path);
    e.MenuSetOpen->trigger();
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(m.getPatIdx(), 0);

    const QString other = dir.filePath(QStringLiteral("other.qts"));
    chooseInNextFileDialog(other);
    e.MenuSetSave->trigger();
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_EQ(e.LblPath->Path(), other);
    EXPECT_FALSE(e.LblPath->Modified());
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(ToneEditor, AnEmptySetOpensWithNothingToApply)
{
    TFormToneEditor e;
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    e.NumDensity->setValue(20); // an edit with no item to write it to
    e.ButtonOK->click();
    EXPECT_EQ(m.count(), 0);
}
