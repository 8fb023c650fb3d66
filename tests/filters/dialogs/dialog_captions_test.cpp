// Every filter dialog shows its captions whole in the font in use: no check box, radio button,
// push button or label is narrower than its text needs, nor runs past its parent's edge.
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/distortion_dialogs.h"
#include "filters/dialogs/floor_dialog.h"
#include "filters/dialogs/generator_dialogs.h"
#include "filters/dialogs/levels_dialog.h"
#include "filters/dialogs/lighting_dialog.h"
#include "filters/dialogs/radial_blur_dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

namespace {

struct DialogCase
{
    const char *name;
    std::function<std::unique_ptr<TFormFilter>()> make;
};

std::ostream &operator<<(std::ostream &os, const DialogCase &c)
{
    return os << c.name;
}

template <class D> DialogCase dialogCase(const char *name)
{
    return {name, [] { return std::make_unique<D>(); }};
}

// The text a caption control shows, or an empty string for one without text.
QString captionOf(const QWidget *w)
{
    if (const auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (const auto *l = qobject_cast<const QLabel *>(w))
        return l->wordWrap() ? QString() : l->text();
    return {};
}

// Every shown caption control of dialog whose text does not fit it, one line each.
QStringList clippedCaptions(const QWidget &dialog)
{
    QStringList out;
    for (const QWidget *w : dialog.findChildren<QWidget *>()) {
        const QString text = captionOf(w);
        if (text.isEmpty() || !w->isVisibleTo(&dialog))
            continue;
        const int need = w->sizeHint().width();
        const int room = w->parentWidget()->width() - w->x();
        if (w->width() < need || room < need)
            out << QStringLiteral("\"%1\": width %2, room %3, needs %4")
                       .arg(text)
                       .arg(w->width())
                       .arg(room)
                       .arg(need);
    }
    return out;
}

class NewUserFaultsCaptions : public ::testing::TestWithParam<DialogCase>
{
};

TEST_P(NewUserFaultsCaptions, NoCaptionOfTheShownDialogIsCut)
{
    dialogtest::DialogRig rig;
    const std::unique_ptr<TFormFilter> dialog = GetParam().make();
    ASSERT_TRUE(dialog->Attach(*rig.core));
    dialog->show();
    EXPECT_EQ(clippedCaptions(*dialog).join(u'\n').toStdString(), "");
    // The Preview tick, cut in every dialog before: never narrower than the form's 88 pixels.
    EXPECT_GE(dialog->CheckBoxPreview->width(), 88);
}

INSTANTIATE_TEST_SUITE_P(
    FilterDialogs, NewUserFaultsCaptions,
    ::testing::Values(
        dialogCase<TFormBrightnessContrast4>("BrightnessContrast"),
        dialogCase<TFormGamma4>("ColourBalance"), dialogCase<TFormHueSaturation4>("HueSaturation"),
        dialogCase<TFormPosterize4>("Posterize"), dialogCase<TFormThreshold4>("Threshold"),
        dialogCase<TFormGradientMap4>("GradientMap"), dialogCase<TFormCustom4>("Custom"),
        dialogCase<TFormSharpenCustom4>("SharpenCustom"),
        dialogCase<TFormGaussianBlur4>("GaussianBlur"), dialogCase<TFormMotionBlur4>("MotionBlur"),
        dialogCase<TFormMedian4>("Median"), dialogCase<TFormMosaic4>("Mosaic"),
        dialogCase<TFormNoise4>("Noise"), dialogCase<TFormDifuse4>("Diffuse"),
        dialogCase<TFormEmboss4>("Emboss"), dialogCase<TFormColorHalftone4>("ColourHalftone"),
        dialogCase<TFormRotate4>("Rotate"), dialogCase<TFormScale4>("Scale"),
        dialogCase<TFormPolarCoordinates4>("PolarCoordinates"), dialogCase<TFormWave4>("Wave"),
        dialogCase<TFormTwirl4>("Twirl"), dialogCase<TFormFloor4>("Floor"),
        dialogCase<TFormTiles4>("Tiles"), dialogCase<TFormClouds4>("Clouds"),
        dialogCase<TFormPlasma4>("Plasma"), dialogCase<TFormLevels4>("Levels"),
        dialogCase<TFormLighting4>("Lighting"), dialogCase<TFormRadialBlur4>("RadialBlur")),
    [](const ::testing::TestParamInfo<DialogCase> &info) { return std::string(info.param.name); });

} // namespace
