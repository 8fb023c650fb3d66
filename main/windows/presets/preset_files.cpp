#include "windows/presets/preset_files.h"

#include "document/files/file_types.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/palette/swatches.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/tone/tone_manager.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/swatch_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "windows/shell_host.h"

#include <QFileInfo>

#include <functional>
#include <iterator>

namespace {

// What reading and writing one set takes; empty functions for none.
struct SSetAccess
{
    TPresetKind kind = TPresetKind::Other;
    QString lastPath;
    std::function<bool(const QString &, bool)> load;
    std::function<bool(const QString &)> save;
};

template <class M>
SSetAccess accessOf(TPresetKind kind, M *m)
{
    if (!m)
        return {};
    return {kind, m->LastPath(), [m](const QString &p, bool a) { return m->load(p, a); },
            [m](const QString &p) { return m->save(p); }};
}

SSetAccess setAccess(const TPresetSetRef &manager)
{
    struct Visitor
    {
        SSetAccess operator()(std::monostate) const { return {}; }
        SSetAccess operator()(CPenMethodMngr *m) const { return accessOf(TPresetKind::PenMethod, m); }
        SSetAccess operator()(CPenShapeMngr *m) const { return accessOf(TPresetKind::PenNib, m); }
        SSetAccess operator()(CGradMngr *m) const { return accessOf(TPresetKind::Gradient, m); }
        SSetAccess operator()(CToneMngr *m) const { return accessOf(TPresetKind::Tone, m); }
        // The swatch set spells its reading and writing in capitals.
        SSetAccess operator()(TSwatchMngr *m) const
        {
            if (!m)
                return {};
            return {TPresetKind::Swatch, m->LastPath(),
                    [m](const QString &p, bool a) { return m->Load(p, a); },
                    [m](const QString &p) { return m->Save(p); }};
        }
    };
    return std::visit(Visitor{}, manager);
}

// The open and save dialogs' file types, by kind up to Tone (Other has none).
struct SFileTypes
{
    TOpenFilterType open, save;
};
constexpr SFileTypes kFileTypes[] = {
    {ofPenMethodsR, ofPenMethodsW},       {ofPenShapesR, ofPenShapesW},
    {ofColorPalettesR, ofColorPalettesW}, {ofGradientsR, ofGradientsW},
    {ofScreenTonesR, ofScreenTonesW},
};
static_assert(std::size(kFileTypes) == size_t(TPresetKind::Other));

bool fileTypes(TPresetKind kind, TOpenFilterType &open, TOpenFilterType &save)
{
    if (size_t(kind) >= std::size(kFileTypes))
        return false;
    open = kFileTypes[size_t(kind)].open;
    save = kFileTypes[size_t(kind)].save;
    return true;
}

// The manager's access when it is one of the kind, else none.
SSetAccess kindAccess(TPresetKind kind, const TPresetSetRef &manager, TOpenFilterType &open,
                      TOpenFilterType &save)
{
    SSetAccess a = setAccess(manager);
    if (!a.load || a.kind != kind || !fileTypes(kind, open, save))
        return {};
    return a;
}

} // namespace

TPresetSetRef presetSetOf(const TqZListView &list)
{
    if (auto *v = dynamic_cast<const TPenMethodListView *>(&list))
        return v->Manager();
    if (auto *v = dynamic_cast<const TPenNibListView *>(&list))
        return v->Manager();
    if (auto *v = dynamic_cast<const TSwatchListView *>(&list))
        return v->Manager();
    if (auto *v = dynamic_cast<const TGradientListView *>(&list))
        return v->Manager();
    if (auto *v = dynamic_cast<const TToneListView *>(&list))
        return v->Manager();
    return {};
}

QString presetSetPath(const TPresetSetRef &manager)
{
    return setAccess(manager).lastPath;
}

bool presetSetFileExists(const TPresetSetRef &manager)
{
    const QString p = presetSetPath(manager);
    return !p.isEmpty() && QFileInfo(p).isFile();
}

bool loadPresetSet(TPresetKind kind, const TPresetSetRef &manager, const QString &path,
                   bool append)
{
    TOpenFilterType open{}, save{};
    const SSetAccess a = kindAccess(kind, manager, open, save);
    if (!a.load)
        return false;
    QString file = path;
    if (file.isEmpty() && !execFileDialog(file, open, a.lastPath))
        return false;
    if (!a.load(file, append))
        return false;
    mainForm().toolForm().presetSetLoaded(kind, append);
    return true;
}

bool loadPresetSetFromMenu(TPresetKind kind, const TPresetSetRef &manager, TqZListView *list,
                           TSetMenuLoad how)
{
    bool loaded = false;
    if (how == TSetMenuLoad::Revert) {
        const QString path = presetSetPath(manager);
        loaded = !path.isEmpty() && loadPresetSet(kind, manager, path, false);
    } else {
        loaded = loadPresetSet(kind, manager, QString(), how == TSetMenuLoad::Append);
    }
    if (loaded && list) {
        if (how == TSetMenuLoad::Append)
            list->UpdateDisplayPosition(true);
        else
            list->SelectItem(0, true);
    }
    return loaded;
}

bool savePresetSet(TPresetKind kind, const TPresetSetRef &manager)
{
    TOpenFilterType open{}, save{};
    const SSetAccess a = kindAccess(kind, manager, open, save);
    QString file;
    if (!a.save || !execFileDialog(file, save, a.lastPath))
        return false;
    return a.save(file);
}
