#include "filters/dialogs/effect_dialog_modules.h"

#include "filters/commands/filter_commands.h"
#include "filters/dialogs/dialog_modules.h"
#include "filters/dialogs/distortion_dialogs.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "filters/dialogs/floor_dialog.h"
#include "filters/dialogs/generator_dialogs.h"
#include "filters/dialogs/lighting_dialog.h"
#include "filters/dialogs/radial_blur_dialog.h"

void initialiseEffectDialogs()
{
    resetEffectDialogMemos();
    resetFloorDialogMemo();
    resetLightingDialogMemo();
    registerFilterModule(
        66, dialogModule<&SFilterParams::o2, execRadialBlurDialog, makeRadialBlurLastParam>());
    registerFilterModule(97,
                         dialogModule<&SFilterParams::o2, execRotateDialog, makeRotateLastParam>());
    registerFilterModule(96,
                         dialogModule<&SFilterParams::o4, execScaleDialog, makeScaleLastParam>());
    registerFilterModule(98, dialogModule<&SFilterParams::o2, execPolarCoordinatesDialog,
                                          makePolarCoordinatesLastParam>());
    registerFilterModule(85, dialogModule<&SFilterParams::o2, execWaveDialog, makeWaveLastParam>());
    registerFilterModule(68,
                         dialogModule<&SFilterParams::o2, execTwirlDialog, makeTwirlLastParam>());
    registerFilterModule(73,
                         dialogModule<&SFilterParams::o4, execTilesDialog, makeTilesLastParam>());
    registerFilterModule(72,
                         dialogModule<&SFilterParams::o6, execCloudsDialog, makeCloudsLastParam>());
    registerFilterModule(71,
                         dialogModule<&SFilterParams::o4, execPlasmaDialog, makePlasmaLastParam>());
    registerFilterModule(
        99, dialogModule<&SFilterParams::floor, execFloorDialog, makeFloorLastParam>());
    SFilterModule lighting;
    lighting.execDialog = [](CFlt4Core &core, SFilterParams &p) {
        return execLightingDialog(p.complex, p.light, core);
    };
    lighting.makeLastParam = [](CFlt4Core &, SFilterParams &p) {
        return makeLightingLastParam(p.complex, p.light);
    };
    registerFilterModule(74, std::move(lighting));
}
