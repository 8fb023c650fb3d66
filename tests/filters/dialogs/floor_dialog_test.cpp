// The floor dialog: its record fields, the surface interlock, file textures chosen, refused and
// released, the opening at the form's values and the repeat of the last OK.
#include "core/codec/image_codec.h"
#include "core/scale/scale_canvas.h"
#include "filters/dialogs/effect_dialog_test_support.h"
#include "filters/dialogs/floor_dialog.h"
#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <stdexcept>

#include <cmath>
#include <gtest/gtest.h>

using namespace dialogtest;

namespace {

// A temporary folder with a small red picture and the warnings shown meanwhile.
struct TextureFiles
{
    TextureFiles()
    {
        QImage img(8, 4, QImage::Format_RGB32);
        img.fill(QColor(255, 0, 0));
        red = dir.filePath(QStringLiteral("red.png"));
        img.save(red);
        // The file's picture as a texture: read and area-averaged like the dialog does.
        int32_t dpi = 0;
        TMTC tex(kFloorTextureSize, kFloorTextureSize);
        scaleCanvasInto(tex, *loadImageFile(red, &dpi), false, 0);
        redTexture = pixelsOf(tex);
        kavrin::MessageHandlers h;
        h.warning = [this](const QString &text) { warnings.push_back(text); };
        previous = kavrin::installMessageHandlers(h);
    }
    ~TextureFiles() { kavrin::installMessageHandlers(previous); }
    // The dialog's file chooser answering path.
    void choose(TFormFloor4 &dlg, const QString &path)
    {
        dlg.ChooseTextureFile = [path](QString &p) {
            p = path;
            return true;
        };
    }

    QTemporaryDir dir;
    QString red;
    std::vector<uint32_t> redTexture;
    std::vector<QString> warnings;
    kavrin::MessageHandlers previous;
};

} // namespace

TEST(FloorDialog, RecordFieldsFollowTheControls)
{
    struct Case
    {
        float x, y, e;
        int32_t recX;
        float recY;
    };
    for (const Case c : {Case{0, 100, 200, 50, 200}, Case{0, -100, 200, 50, 0},
                         Case{-50, 0, 100, 0, 50}, Case{49.5f, 50, 300, 100, 225}}) {
        SFloorValues v;
        v.x = c.x;
        v.y = c.y;
        v.skyheight = c.e;
        SFltFloorParam rec{};
        rec.tex0w = 77;
        writeFloorParam(rec, v);
        EXPECT_EQ(+rec.x, c.recX) << c.x;
        EXPECT_EQ(+rec.y, c.recY) << c.y << " " << c.e;
        EXPECT_EQ(+rec.version, 3);
        EXPECT_EQ(+rec.bank, 0.0f);
        EXPECT_EQ(+rec.farcol.A, 255);
        EXPECT_EQ(+rec.texEnbFlag, 3);
        EXPECT_EQ(+rec.tex0w, 77) << "the texture sizes are the slots' own";
    }
}

TEST(FloorDialog, OneSurfaceAlwaysStaysOn)
{
    EffectRig rig;
    TFormFloor4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    ASSERT_TRUE(dlg.ChkR->isChecked() && dlg.ChkF->isChecked());
    dlg.ChkR->click();
    EXPECT_FALSE(dlg.ChkF->isEnabled()) << "the floor can no longer be switched off";
    EXPECT_FALSE(dlg.Btn1->isEnabled());
    EXPECT_TRUE(dlg.ChkR->isEnabled());
    EXPECT_EQ(dlg.curParam().sfloor.texEnbFlag, 2);
    dlg.ChkR->click();
    EXPECT_TRUE(dlg.ChkF->isEnabled());
    dlg.ChkF->click();
    EXPECT_FALSE(dlg.ChkR->isEnabled());
    EXPECT_FALSE(dlg.Btn3->isEnabled());
    EXPECT_EQ(dlg.curParam().sfloor.texEnbFlag, 1);
}

TEST(FloorDialog, AChosenFileCanBeReleasedToTheLayerPicture)
{
    EffectRig rig(40, 30);
    rig.host.select(40, 30, {0, 0}, {4, 2, 36, 22});
    rig.makeCore(countingFilter);
    TextureFiles files;
    TFormFloor4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    const SFltFloor &rec = dlg.curParam();
    const auto layerTexture = pixelsOf(*rec.stex[1].tc);
    EXPECT_EQ(+rec.sfloor.tex1w, 32) << "the effect rectangle";
    EXPECT_EQ(+rec.sfloor.tex1h, 20);
    EXPECT_FALSE(dlg.Btn4->isEnabled());

    files.choose(dlg, files.red);
    dlg.Btn3->click();
    EXPECT_TRUE(dlg.FloorTex());
    EXPECT_TRUE(dlg.Btn4->isEnabled());
    EXPECT_FALSE(dlg.Btn2->isEnabled());
    EXPECT_EQ(pixelsOf(*rec.stex[1].tc), files.redTexture);
    EXPECT_EQ(rec.stex[1].path, files.red);
    EXPECT_EQ(+rec.sfloor.tex1w, 8);
    EXPECT_EQ(+rec.sfloor.tex1h, 4);
    EXPECT_EQ(+rec.sfloor.texTypeFlag, 2);

    dlg.Btn4->click();
    EXPECT_FALSE(dlg.FloorTex());
    EXPECT_FALSE(dlg.Btn4->isEnabled());
    EXPECT_EQ(pixelsOf(*rec.stex[1].tc), layerTexture) << "the same rectangle as at the opening";
    EXPECT_EQ(+rec.sfloor.tex1w, 32);
    EXPECT_TRUE(rec.stex[1].path.isEmpty());
    EXPECT_EQ(+rec.sfloor.texTypeFlag, 0);
    EXPECT_TRUE(files.warnings.empty());
}

TEST(FloorDialog, AnUnreadableFileIsWarnedAndChangesNothing)
{
    EffectRig rig;
    TextureFiles files;
    TFormFloor4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    const auto before = pixelsOf(*dlg.curParam().stex[0].tc);
    const QString bad = files.dir.filePath(QStringLiteral("missing.png"));
    files.choose(dlg, bad);
    dlg.Btn1->click();
    ASSERT_EQ(files.warnings.size(), 1u);
    EXPECT_EQ(files.warnings[0],
              QString::fromUtf8("画像ファイルを開くことができませんでした！\r    path = ") + bad);
    EXPECT_FALSE(dlg.RoofTex());
    EXPECT_FALSE(dlg.Btn2->isEnabled());
    EXPECT_EQ(pixelsOf(*dlg.curParam().stex[0].tc), before);
    EXPECT_TRUE(dlg.curParam().stex[0].path.isEmpty());

    // Cancel in the file dialog: nothing at all.
    dlg.ChooseTextureFile = [](QString &) { return false; };
    dlg.Btn1->click();
    EXPECT_EQ(files.warnings.size(), 1u);
}

TEST(FloorDialog, OpensAtTheFormValuesWhileTheRepeatUsesTheLastOk)
{
    EffectRig rig(40, 30);
    TextureFiles files;
    int opening = 0;
    std::vector<float> reopened;
    bool reopenedPreview = true, reopenedRelease = true;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormFloor4>(d);
        if (opening++ > 0) {
            reopened = {dlg.FieldX.num->Value(), dlg.FieldY.num->Value(), dlg.FieldH.num->Value(),
                        dlg.FieldE.num->Value(), dlg.FieldD.num->Value()};
            reopenedPreview = dlg.PreviewChecked();
            reopenedRelease = dlg.Btn2->isEnabled();
            return;
        }
        EXPECT_FALSE(dlg.PreviewChecked());
        dlg.FieldX.num->SetString(dlg.FieldX.edit, QStringLiteral("60"));
        EXPECT_EQ(dlg.FieldX.num->Value(), -40.0f) << "wrapped by a whole period";
        dlg.FieldY.num->setValue(100);
        dlg.FieldE.num->setValue(200);
        dlg.FieldH.num->setValue(45.5f);
        dlg.FieldP.num->setValue(-10.25f);
        dlg.RadT->click();
        files.choose(dlg, files.red);
        dlg.Btn1->click();
        clickOk(d);
    });
    TMTC ceiling, floor;
    SFltFloor rec;
    initFltFloor(rec);
    rec.stex[0].tc = &ceiling;
    rec.stex[1].tc = &floor;
    ASSERT_TRUE(execFloorDialog(rec, *rig.core));
    EXPECT_EQ(+rec.sfloor.x, 10);
    EXPECT_EQ(+rec.sfloor.y, 200.0f);
    EXPECT_FLOAT_EQ(+rec.sfloor.head, float(45.5 * M_PI / 180));
    EXPECT_FLOAT_EQ(+rec.sfloor.pitch, float(-10.25 * M_PI / 180));
    EXPECT_EQ(+rec.sfloor.clear, 1);
    EXPECT_EQ(+rec.sfloor.texTypeFlag, 1);
    EXPECT_EQ(ceiling.width(), 256);
    EXPECT_EQ(pixelsOf(ceiling), files.redTexture);
    EXPECT_EQ(rec.stex[0].path, files.red);

    EXPECT_FALSE(execFloorDialog(rec, *rig.core));
    EXPECT_EQ(reopened, (std::vector<float>{0, 0, 0, 100, 50}));
    EXPECT_FALSE(reopenedPreview);
    EXPECT_FALSE(reopenedRelease);

    // The repeat on another layer: whole degrees, the file texture of the OK, the floor from
    // the new effect rectangle.
    DialogRig other(countingFilter, 20, 10);
    TMTC c2, f2;
    SFltFloor last;
    initFltFloor(last);
    last.stex[0].tc = &c2;
    last.stex[1].tc = &f2;
    ASSERT_TRUE(makeFloorLastParam(last, *other.core));
    EXPECT_EQ(+last.sfloor.x, 10);
    EXPECT_EQ(+last.sfloor.y, 200.0f);
    EXPECT_FLOAT_EQ(+last.sfloor.head, float(46 * M_PI / 180));
    EXPECT_FLOAT_EQ(+last.sfloor.pitch, float(-10 * M_PI / 180));
    EXPECT_EQ(+last.sfloor.version, 3);
    EXPECT_EQ(+last.sfloor.texEnbFlag, 3);
    EXPECT_EQ(+last.sfloor.texTypeFlag, 1);
    EXPECT_EQ(pixelsOf(c2), files.redTexture);
    EXPECT_EQ(+last.sfloor.tex0w, 8);
    EXPECT_EQ(+last.sfloor.tex1w, 20);
    EXPECT_EQ(+last.sfloor.tex1h, 10);
    EXPECT_TRUE(last.stex[0].path.isEmpty());
}

TEST(FloorDialog, AnExceptionInsideTheDialogRevertsThePreview)
{
    EffectRig rig;
    bool previewed = false;
    const FilterModalRunner previous = installFilterModalRunner([&](QDialog &d) -> int {
        d.show();
        static_cast<TFormFilter &>(d).CheckBoxPreview->click();
        previewed = pixelsOf(rig.layer()) != rig.original;
        throw std::runtime_error("inside the dialog");
    });
    TMTC ceiling, floor;
    SFltFloor rec;
    initFltFloor(rec);
    rec.stex[0].tc = &ceiling;
    rec.stex[1].tc = &floor;
    EXPECT_THROW(execFloorDialog(rec, *rig.core), std::runtime_error);
    installFilterModalRunner(previous);
    EXPECT_TRUE(previewed);
    EXPECT_EQ(pixelsOf(rig.layer()), rig.original);
}
