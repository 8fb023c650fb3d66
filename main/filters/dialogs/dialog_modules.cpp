#include "filters/dialogs/dialog_modules.h"

#include "filters/commands/filter_commands.h"
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/levels_dialog.h"

#include <type_traits>

namespace {

// A module whose record is member Rec of SFilterParams; Last takes the core when the record
// needs something of the layer.
template <auto Member, auto Exec, auto Last> SFilterModule module()
{
    SFilterModule m;
    m.execDialog = [](CFlt4Core &core, SFilterParams &p) { return Exec(p.*Member, core); };
    m.makeLastParam = [](CFlt4Core &core, SFilterParams &p) {
        if constexpr (std::is_invocable_v<decltype(Last), decltype(p.*Member), CFlt4Core &>)
            return Last(p.*Member, core);
        else
            return Last(p.*Member);
    };
    return m;
}

} // namespace

void initialiseFilterDialogs()
{
    resetFilterDialogMemos();
    registerFilterModule(62, module<&SFilterParams::o4, execBrightnessContrastDialog,
                                    makeBrightnessContrastLastParam>());
    registerFilterModule(
        24, module<&SFilterParams::o4, execColorBalanceDialog, makeColorBalanceLastParam>());
    registerFilterModule(
        61, module<&SFilterParams::o4, execHueSaturationDialog, makeHueSaturationLastParam>());
    registerFilterModule(27,
                         module<&SFilterParams::o2, execPosterizeDialog, makePosterizeLastParam>());
    registerFilterModule(49,
                         module<&SFilterParams::o2, execThresholdDialog, makeThresholdLastParam>());
    registerFilterModule(
        54, module<&SFilterParams::gradMap, execGradientMapDialog, makeGradientMapLastParam>());
    registerFilterModule(60, module<&SFilterParams::o6, execLevelsDialog, makeLevelsLastParam>());
    registerFilterModule(51,
                         module<&SFilterParams::custom, execCustomDialog, makeCustomLastParam>());
    registerFilterModule(
        14, module<&SFilterParams::o2, execSharpenCustomDialog, makeSharpenCustomLastParam>());
    registerFilterModule(
        67, module<&SFilterParams::o2, execGaussianBlurDialog, makeGaussianBlurLastParam>());
    registerFilterModule(
        4, module<&SFilterParams::o2, execMotionBlurDialog, makeMotionBlurLastParam>());
    registerFilterModule(86, module<&SFilterParams::o2, execMedianDialog, makeMedianLastParam>());
    registerFilterModule(26, module<&SFilterParams::o2, execMosaicDialog, makeMosaicLastParam>());
    registerFilterModule(25, module<&SFilterParams::o4, execNoiseDialog, makeNoiseLastParam>());
    registerFilterModule(59, module<&SFilterParams::o4, execDiffuseDialog, makeDiffuseLastParam>());
    registerFilterModule(50, module<&SFilterParams::o4, execEmbossDialog, makeEmbossLastParam>());
    registerFilterModule(
        48, module<&SFilterParams::o4, execColorHalftoneDialog, makeColorHalftoneLastParam>());
}
