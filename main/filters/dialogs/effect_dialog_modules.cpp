#include "filters/dialogs/effect_dialog_modules.h"

#include "filters/commands/filter_commands.h"
#include "filters/dialogs/distortion_dialogs.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "filters/dialogs/floor_dialog.h"
#include "filters/dialogs/generator_dialogs.h"
#include "filters/dialogs/lighting_dialog.h"
#include "filters/dialogs/radial_blur_dialog.h"

#include <type_traits>

namespace {

// A module whose record is member Member of SFilterParams; Last takes the core when the record
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

void initialiseEffectDialogs()
{
    resetEffectDialogMemos();
    resetFloorDialogMemo();
    resetLightingDialogMemo();
    registerFilterModule(
        66, module<&SFilterParams::o2, execRadialBlurDialog, makeRadialBlurLastParam>());
    registerFilterModule(97, module<&SFilterParams::o2, execRotateDialog, makeRotateLastParam>());
    registerFilterModule(96, module<&SFilterParams::o4, execScaleDialog, makeScaleLastParam>());
    registerFilterModule(
        98,
        module<&SFilterParams::o2, execPolarCoordinatesDialog, makePolarCoordinatesLastParam>());
    registerFilterModule(85, module<&SFilterParams::o2, execWaveDialog, makeWaveLastParam>());
    registerFilterModule(68, module<&SFilterParams::o2, execTwirlDialog, makeTwirlLastParam>());
    registerFilterModule(73, module<&SFilterParams::o4, execTilesDialog, makeTilesLastParam>());
    registerFilterModule(72, module<&SFilterParams::o6, execCloudsDialog, makeCloudsLastParam>());
    registerFilterModule(71, module<&SFilterParams::o4, execPlasmaDialog, makePlasmaLastParam>());
    registerFilterModule(99, module<&SFilterParams::floor, execFloorDialog, makeFloorLastParam>());
    SFilterModule lighting;
    lighting.execDialog = [](CFlt4Core &core, SFilterParams &p) {
        return execLightingDialog(p.complex, p.light, core);
    };
    lighting.makeLastParam = [](CFlt4Core &, SFilterParams &p) {
        return makeLightingLastParam(p.complex, p.light);
    };
    registerFilterModule(74, std::move(lighting));
}
