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

namespace {

// The collection behind the list and what reading and writing it take.
struct SSetAccess
{
    QString lastPath;
    TOpenFilterType openType = ofPenMethodsR, saveType = ofPenMethodsW;
    std::function<bool(const QString &, bool)> load;
    std::function<bool(const QString &)> save;
};

template <class M>
SSetAccess accessOf(M *m, TOpenFilterType r, TOpenFilterType w)
{
    if (!m)
        return {};
    return {m->LastPath(), r, w, [m](const QString &p, bool a) { return m->load(p, a); },
            [m](const QString &p) { return m->save(p); }};
}

SSetAccess setAccess(const TqZListView &list)
{
    if (auto *v = dynamic_cast<const TPenMethodListView *>(&list))
        return accessOf(v->Manager(), ofPenMethodsR, ofPenMethodsW);
    if (auto *v = dynamic_cast<const TPenNibListView *>(&list))
        return accessOf(v->Manager(), ofPenShapesR, ofPenShapesW);
    if (auto *v = dynamic_cast<const TGradientListView *>(&list))
        return accessOf(v->Manager(), ofGradientsR, ofGradientsW);
    if (auto *v = dynamic_cast<const TToneListView *>(&list))
        return accessOf(v->Manager(), ofScreenTonesR, ofScreenTonesW);
    if (auto *v = dynamic_cast<const TSwatchListView *>(&list)) {
        TSwatchMngr *m = v->Manager();
        if (!m)
            return {};
        return {m->LastPath(), ofColorPalettesR, ofColorPalettesW,
                [m](const QString &p, bool a) { return m->Load(p, a); },
                [m](const QString &p) { return m->Save(p); }};
    }
    return {};
}

} // namespace

QString presetSetPath(const TqZListView &list)
{
    return setAccess(list).lastPath;
}

bool presetSetFileExists(const TqZListView &list)
{
    const QString p = presetSetPath(list);
    return !p.isEmpty() && QFileInfo(p).isFile();
}

bool loadPresetSet(TPresetKind kind, TqZListView &list, const QString &path, bool append)
{
    SSetAccess a = setAccess(list);
    if (!a.load)
        return false;
    QString file = path;
    if (file.isEmpty() && !execFileDialog(file, a.openType, a.lastPath))
        return false;
    if (!a.load(file, append))
        return false;
    mainForm().toolForm().presetSetLoaded(kind, append);
    return true;
}

bool savePresetSet(TPresetKind, TqZListView &list)
{
    SSetAccess a = setAccess(list);
    QString file;
    if (!a.save || !execFileDialog(file, a.saveType, a.lastPath))
        return false;
    return a.save(file);
}
