#include "filters/dialogs/dialog_modules.h"

#include "filters/commands/filter_commands.h"
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/levels_dialog.h"

void initialiseFilterDialogs()
{
    resetFilterDialogMemos();
    registerFilterModule(62, dialogModule<&SFilterParams::o4, execBrightnessContrastDialog,
                                          makeBrightnessContrastLastParam>());
    registerFilterModule(
        24, dialogModule<&SFilterParams::o4, execColorBalanceDialog, makeColorBalanceLastParam>());
    registerFilterModule(
        61,
        dialogModule<&SFilterParams::o4, execHueSaturationDialog, makeHueSaturationLastParam>());
    registerFilterModule(
        27, dialogModule<&SFilterParams::o2, execPosterizeDialog, makePosterizeLastParam>());
    registerFilterModule(
        49, dialogModule<&SFilterParams::o2, execThresholdDialog, makeThresholdLastParam>());
    registerFilterModule(
        54,
        dialogModule<&SFilterParams::gradMap, execGradientMapDialog, makeGradientMapLastParam>());
    registerFilterModule(60,
                         dialogModule<&SFilterParams::o6, execLevelsDialog, makeLevelsLastParam>());
    registerFilterModule(
        51, dialogModule<&SFilterParams::custom, execCustomDialog, makeCustomLastParam>());
    registerFilterModule(
        14,
        dialogModule<&SFilterParams::o2, execSharpenCustomDialog, makeSharpenCustomLastParam>());
    registerFilterModule(
        67, dialogModule<&SFilterParams::o2, execGaussianBlurDialog, makeGaussianBlurLastParam>());
    registerFilterModule(
        4, dialogModule<&SFilterParams::o2, execMotionBlurDialog, makeMotionBlurLastParam>());
    registerFilterModule(86,
                         dialogModule<&SFilterParams::o2, execMedianDialog, makeMedianLastParam>());
    registerFilterModule(26,
                         dialogModule<&SFilterParams::o2, execMosaicDialog, makeMosaicLastParam>());
    registerFilterModule(25,
                         dialogModule<&SFilterParams::o4, execNoiseDialog, makeNoiseLastParam>());
    registerFilterModule(
        59, dialogModule<&SFilterParams::o4, execDiffuseDialog, makeDiffuseLastParam>());
    registerFilterModule(50,
                         dialogModule<&SFilterParams::o4, execEmbossDialog, makeEmbossLastParam>());
    registerFilterModule(
        48,
        dialogModule<&SFilterParams::o4, execColorHalftoneDialog, makeColorHalftoneLastParam>());
}
