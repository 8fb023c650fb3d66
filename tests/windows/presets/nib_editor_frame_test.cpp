// The nib frame: a brush setting shown and read back, the radius track's bend, the nib picture
// (its fields, its scale range, its bytes both ways, loading, removing, the create button) and
// the curve buttons.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "document/paper/headless_document.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/paint_param.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/presets/pen_presets.h"
#include "paint/presets/pen_set_files.h"
#include "support/captured_messages.h"
#include "ui/controls/airmap_controls.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "windows/presets/nib_editor_frame.h"
#include "windows/shell_host.h"

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <vector>

using enum TPaintMode;

namespace {

// A picture nib of the given size filled with one value.
TPaintParam imageNib(sSize size, uint8_t v)
{
    TPaintParam p(pmPencil5);
    std::vector<uint8_t> bytes(size_t(size.x) * size_t(size.y), v);
    p.SetShapeImage(bytes.data(), size);
    p.setShapeImageScale(1);
    return p;
}

} // namespace

TEST(NibEditorFrame, ASettingIsShownAndReadBack)
{
    struct Case
    {
        float aspect, minRadius, rotation;
        float numAspect, numMinRad, numDegree;
    };
    const Case cases[] = {
        {1.0f, 0.5f, 200, 0, 50, -160},
        {0.25f, 1.0f, 30, 75, 100, 30},
    };
    for (const Case &c : cases) {
        TPaintParam p(pmPencil5);
        p.setAspect(c.aspect);
        p.setMinRadius(c.minRadius);
        p.setRotation(c.rotation);
        p.setRadius(12.5f);
        p.setFlat(0.25f);
        p.setDigitize(true);
        TFramePenNibEditor f;
        int changes = 0;
        f.OnChange = [&](QObject *) { ++changes; };
        ASSERT_TRUE(f.SetPaintParam(&p));
        EXPECT_FLOAT_EQ(f.NumAspect->Value(), c.numAspect);
        EXPECT_FLOAT_EQ(f.NumMinRad->Value(), c.numMinRad);
        EXPECT_FLOAT_EQ(f.NumDegree->Value(), c.numDegree);
        EXPECT_FLOAT_EQ(f.NumRadius->Value(), 12.5f);
        EXPECT_FLOAT_EQ(f.NumFlat->Value(), 25);
        EXPECT_FALSE(f.ChkAntiAlias->isChecked());
        TPaintParam back(pmPencil5);
        ASSERT_TRUE(f.GetPaintParam(&back));
        EXPECT_FLOAT_EQ(back.Aspect(), c.aspect);
        EXPECT_FLOAT_EQ(back.MinRadius(), c.minRadius);
        EXPECT_FLOAT_EQ(back.Radius(), 12.5f);
        EXPECT_TRUE(back.Digitize());
    }
    TFramePenNibEditor f;
    EXPECT_FALSE(f.SetPaintParam(nullptr));
    EXPECT_FALSE(f.GetPaintParam(nullptr));
}

TEST(NibEditorFrame, TheRadiusTrackBendsOnlyForADrawnNib)
{
    TFramePenNibEditor f;
    f.NumRadius->setValue(20);
    EXPECT_NEAR(f.TrkRadius()->StoredPosition(), 0.5f, 1e-5);
    f.TrkRadius()->setPosition(f.TrkRadius()->Position()); // the filters undo each other
    f.TrkRadius()->OnChange(f.TrkRadius());
    EXPECT_NEAR(f.NumRadius->Value(), 20, 1e-3);

    const TPaintParam p = imageNib({64, 32}, 0);
    ASSERT_TRUE(f.SetPaintParam(&p));
    EXPECT_TRUE(f.EdtRadius->isHidden());
    EXPECT_FALSE(f.EdtScale->isHidden());
    EXPECT_EQ(f.LblRadiusUnit->text(), QStringLiteral("%"));
    EXPECT_FLOAT_EQ(f.NumScale->ValueMin(), 13);
    EXPECT_FLOAT_EQ(f.NumScale->ValueMax(), 500);
    f.NumScale->setValue(256.5f);
    EXPECT_FLOAT_EQ(f.TrkRadius()->StoredPosition(), f.NumScale->Position()) << "linear";

    const TPaintParam big = imageNib({200, 200}, 0);
    ASSERT_TRUE(f.SetPaintParam(&big));
    EXPECT_FLOAT_EQ(f.NumScale->ValueMin(), 2);
    EXPECT_FLOAT_EQ(f.NumScale->ValueMax(), 255);
}

TEST(NibEditorFrame, PicturesTakeTheRoundedScaleRange)
{
    TFramePenNibEditor f;
    TMTC tc(64, 32);
    tc.PixelFill(0xFF000000u); // black
    ASSERT_TRUE(f.SetShapeTC(&tc));
    EXPECT_FLOAT_EQ(f.NumScale->ValueMin(), 13);
    EXPECT_FLOAT_EQ(f.NumScale->ValueMax(), 500);
    EXPECT_FLOAT_EQ(f.NumScale->Value(), 100);
    TPaintParam p(pmPencil5);
    ASSERT_TRUE(f.GetPaintParam(&p));
    ASSERT_TRUE(p.UseShapeImage());
    EXPECT_EQ(p.ShapeImage()[0], 255) << "black is stored as 255";
    EXPECT_FLOAT_EQ(p.ShapeImageScale(), 1);
}

TEST(NibEditorFrame, NibBytesComeBackUnchanged)
{
    // Rows differ so that a flip shows; the values probe single and missing inversions.
    const uint8_t bytes[15] = {0, 1, 254, 255, 0, 255, 254, 1, 0, 128, 7, 7, 7, 200, 100};
    TFramePenNibEditor f;
    ASSERT_TRUE(f.SetShapeData(bytes, {5, 3}));
    EXPECT_EQ(*f.shapeChannel()->seek8(0, 0), 255) << "held as grey";
    TPaintParam p(pmPencil5);
    ASSERT_TRUE(f.GetPaintParam(&p));
    ASSERT_EQ(p.ShapeImageSize(), (sSize{5, 3}));
    EXPECT_EQ(std::vector<uint8_t>(p.ShapeImage(), p.ShapeImage() + 15),
              std::vector<uint8_t>(bytes, bytes + 15));
}

TEST(NibEditorFrame, RemovingAndFailingToLoadAPicture)
{
    CapturedMessages messages;
    TFramePenNibEditor f;
    const TPaintParam p = imageNib({8, 8}, 30);
    ASSERT_TRUE(f.SetPaintParam(&p));
    EXPECT_TRUE(f.BtnShapeRemove->isEnabled());

    const QString path = QStringLiteral("/nonexistent/nib.png");
    EXPECT_FALSE(f.LoadShapeFile(path));
    EXPECT_EQ(messages.warnings,
              QStringList{QString::fromUtf8("画像ファイルを開くことができませんでした！\r    path = ") + path});
    EXPECT_TRUE(f.hasShapeImage()) << "the nib is kept";

    int changes = 0;
    f.OnChange = [&](QObject *) { ++changes; };
    f.BtnShapeRemove->click();
    EXPECT_FALSE(f.hasShapeImage());
    EXPECT_FALSE(f.EdtRadius->isHidden());
    EXPECT_EQ(f.LblRadiusUnit->text(), QStringLiteral("px"));
    EXPECT_FLOAT_EQ(f.NumRadius->Value(), 1);
    EXPECT_FALSE(f.BtnShapeRemove->isEnabled());
    EXPECT_EQ(changes, 1);
}

TEST(NibEditorFrame, TheCurveButtonsFollowTheCurve)
{
    TFramePenNibEditor f;
    f.curveButtons()[3]->setDown(true); // pamSquare
    f.curveButtons()[3]->OnDown(f.curveButtons()[3]);
    EXPECT_EQ(f.airMapControl()->AirMap(), TPaintAirMap::pamSquare);
    f.airMapControl()->setAirMap(TPaintAirMap::pamFlat);
    f.airMapControl()->OnChange(f.airMapControl());
    for (TItemButton *b : f.curveButtons())
        EXPECT_FALSE(b->Down());
}

TEST(NibEditorFrame, CreatingFromAPictureNeedsADocument)
{
    auto &main = dynamic_cast<CHeadlessMainForm &>(mainForm());
    {
        TFramePenNibEditor f;
        EXPECT_FALSE(f.BtnShapeCreate->isEnabled());
    }
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper);
    main.paper = doc.paper.get();
    TFramePenNibEditor f;
    EXPECT_TRUE(f.BtnShapeCreate->isEnabled());
    main.paper = nullptr;
}

TEST(NibEditorFrameRoundTrip, DrawnAndImageNibsWrittenAgainThroughTheFrameAreUnchanged)
{
    CapturedMessages messages;
    initialisePenSetFiles(); // the set writer and reader
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("a.psh")), second = dir.filePath(QStringLiteral("b.psh"));
    {
        CPenShapeMngr m;
        TPaintParam drawn(pmPencil5);
        drawn.setRadius(7.5f);
        drawn.setAspect(0.5f);
        drawn.setRotation(30);
        drawn.setMinRadius(0.25f);
        const uint8_t bytes[15] = {0, 1, 254, 255, 0, 255, 254, 1, 0, 128, 7, 7, 7, 200, 100};
        TPaintParam image(pmPencil5);
        image.SetShapeImage(bytes, {5, 3});
        image.setShapeImageScale(2);
        image.setAspect(0.75f);
        image.setRotation(90);
        // The editor offers 1..100 % as the minimum radius, so a nib it writes never holds the
        // mode's default of 0.
        image.setMinRadius(0.4f);
        for (const TPaintParam *p : {&drawn, &image}) {
            auto obj = std::make_unique<CPenShapeObj>();
            ASSERT_TRUE(p->Write(obj.get()));
            ASSERT_GE(m.appendShape(std::move(obj)), 0);
        }
        ASSERT_TRUE(m.save(first));
    }
    CPenShapeMngr m;
    ASSERT_TRUE(m.load(first, false));
    ASSERT_EQ(m.count(), 2);
    TFramePenNibEditor f;
    for (int32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        TPaintParam p(pmPencil5);
        ASSERT_TRUE(p.Read(m.getObj(i)));
        ASSERT_TRUE(f.SetPaintParam(&p));
        ASSERT_TRUE(f.GetPaintParam(&p));
        ASSERT_TRUE(p.Write(m.getObj(i)));
    }
    ASSERT_TRUE(m.save(second));
    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray ba = a.readAll(), bb = b.readAll();
    qsizetype at = 0;
    while (at < ba.size() && at < bb.size() && ba[at] == bb[at])
        ++at;
    EXPECT_EQ(ba.size(), bb.size());
    EXPECT_EQ(at, ba.size()) << "first difference at byte " << at << ": "
                             << ba.mid(at - 8, 24).toHex(' ').toStdString() << " / "
                             << bb.mid(at - 8, 24).toHex(' ').toStdString();
    EXPECT_TRUE(messages.warnings.isEmpty());
}
