// The radial blur, distortion, generator, floor and lighting modules behind the filter commands:
// each dialog's OK is applied and recorded under its code, and the repeat applies the remembered
// values through the real pixel function without a dialog. Every form holds its controls.
#include "filters/commands/filter_command_rig.h"
#include "filters/dialogs/distortion_dialogs.h"
#include "filters/dialogs/effect_dialog_modules.h"
#include "filters/dialogs/effect_dialog_test_support.h"
#include "filters/dialogs/floor_dialog.h"
#include "filters/dialogs/generator_dialogs.h"
#include "filters/dialogs/lighting_dialog.h"
#include "filters/dialogs/radial_blur_dialog.h"
#include "ui/fields/num_mngr.h"

#include <gtest/gtest.h>

using namespace dialogtest;

TEST(EffectDialogModules, EveryCommandRunsItsDialogAndRepeatsItsValues)
{
    FilterCommandRig r;
    initialiseEffectDialogs();
    ScopedDialogDriver driver([](QDialog &d) {
        // Rotate and scale open at no change: give them something to do.
        if (auto *rotate = dynamic_cast<TFormRotate4 *>(&d))
            rotate->FieldA.num->setValue(30);
        if (auto *scale = dynamic_cast<TFormScale4 *>(&d))
            scale->FieldWS.num->setValue(50);
        clickOk(d);
    });
    struct Case
    {
        const char *name;
        bool (*run)(IFilterView *, TFlowImage &, int32_t, bool);
        int code;
    };
    const Case cases[] = {
        {"radial blur", doFilterRadialBlur, 66},
        {"rotate", doFilterRotate, 97},
        {"scale", doFilterScale, 96},
        {"polar coordinates", doFilterPolarCoordinates, 98},
        {"wave", doFilterWave, 85},
        {"twirl", doFilterTwirl, 68},
        {"tiles", doFilterTiles, 73},
        {"clouds and rocks", doFilterCloudsRocks, 72},
        {"plasma", doFilterPlasma, 71},
        {"floor", doFilterFloor, 99},
        {"lighting", doFilterLighting, 74},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int runs = driver.runs;
        uint32_t from = r.mark();
        ASSERT_TRUE(c.run(&r.view, r.flow(), 0, false));
        EXPECT_EQ(driver.runs, runs + 1);
        auto headers = r.filterHeaders(from);
        ASSERT_FALSE(headers.empty());
        EXPECT_EQ(headers.back().code, c.code);

        from = r.mark();
        ASSERT_TRUE(repeatLastFilter(&r.view, r.flow(), 0, true));
        EXPECT_EQ(driver.runs, runs + 1) << "the repeat shows no dialog";
        headers = r.filterHeaders(from);
        ASSERT_FALSE(headers.empty());
        EXPECT_EQ(headers.back().code, c.code);
    }
}

TEST(EffectDialogModules, EveryFormHoldsItsControls)
{
    EffectRig rig(64, 48);
    const std::vector<std::function<std::unique_ptr<TFormFilter>()>> forms = {
        [] { return std::make_unique<TFormRadialBlur4>(); },
        [] { return std::make_unique<TFormRotate4>(); },
        [] { return std::make_unique<TFormScale4>(); },
        [] { return std::make_unique<TFormPolarCoordinates4>(); },
        [] { return std::make_unique<TFormWave4>(); },
        [] { return std::make_unique<TFormTwirl4>(); },
        [] { return std::make_unique<TFormTiles4>(); },
        [] { return std::make_unique<TFormClouds4>(); },
        [] { return std::make_unique<TFormPlasma4>(); },
        [] { return std::make_unique<TFormFloor4>(); },
        [] { return std::make_unique<TFormLighting4>(); },
    };
    for (const auto &make : forms) {
        const std::unique_ptr<TFormFilter> form = make();
        SCOPED_TRACE(form->windowTitle().toStdString());
        ASSERT_TRUE(form->Attach(*rig.core));
        for (const QWidget *w : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(form->rect().contains(w->geometry()))
                << w->metaObject()->className() << " at " << w->x() << "," << w->y();
    }
}
