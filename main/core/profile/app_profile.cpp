#include "core/profile/app_profile.h"

#include "core/base/numeric.h"

#include "platform/system/environment.h"
#include "platform/system/registry.h"

#include <cassert>
#include <optional>

std::unique_ptr<CAppProfile> gAppProfile;

namespace {

SProfileSaveHooks gSaveHooks;

QString joinPath(const QString &dir, const QString &name)
{
    return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}

QString sectionPath(const char *section)
{
    return kRegistryRoot + u'\\' + QLatin1String(section);
}

QString indexed(const char *pattern, int i)
{
    return QString::fromLatin1(pattern).arg(i);
}

// Loading and saving walk the same list of values per section, so that every value is written
// under the name it is read from. Each call takes the field's value and its default and returns
// the field's new value: the loader the stored value (or the default, clamped), the saver the value
// unchanged after writing it.
class CSectionLoader
{
  public:
    explicit CSectionLoader(const CRegKey *key) : m_key(key) {}

    int32_t i32(const QString &name, int32_t, int32_t def)
    {
        int32_t v = def;
        if (m_key)
            regReadInt(*m_key, name, v, def);
        return v;
    }
    int32_t i32(const QString &name, int32_t cur, int32_t def, int32_t lo, int32_t hi)
    {
        return clampInt(i32(name, cur, def), lo, hi);
    }
    int32_t i32ReadOnly(const QString &name, int32_t cur, int32_t def)
    {
        return i32(name, cur, def);
    }
    uint32_t u32(const QString &name, uint32_t, uint32_t def)
    {
        uint32_t v = def;
        if (m_key)
            regReadInt(*m_key, name, v, def);
        return v;
    }
    bool flag(const QString &name, bool, bool def)
    {
        bool v = def;
        if (m_key)
            regReadBool(*m_key, name, v, def);
        return v;
    }
    float single(const QString &name, float, float def)
    {
        float v = def;
        if (m_key)
            regReadSingle(*m_key, name, v, def);
        return v;
    }
    QString str(const QString &name, const QString &, const QString &def)
    {
        QString v = def;
        if (m_key)
            regReadStr(*m_key, name, v, def);
        return v;
    }
    void strWriteOnly(const QString &, const QString &) {}
    sBGRA color(const QString &name, sBGRA, uint32_t def)
    {
        sBGRA v{};
        v.all = def;
        if (m_key)
            regReadColor(*m_key, name, v, def);
        return v;
    }

  private:
    const CRegKey *m_key; // null: nothing stored, every value takes its default
};

class CSectionSaver
{
  public:
    explicit CSectionSaver(CRegKey &key) : m_key(key) {}
    bool ok() const { return m_ok; }

    int32_t i32(const QString &name, int32_t v, int32_t)
    {
        return note(regWriteInt(m_key, name, v), v);
    }
    int32_t i32(const QString &name, int32_t v, int32_t def, int32_t, int32_t)
    {
        return i32(name, v, def);
    }
    int32_t i32ReadOnly(const QString &, int32_t v, int32_t) { return v; }
    uint32_t u32(const QString &name, uint32_t v, uint32_t)
    {
        return note(regWriteInt(m_key, name, v), v);
    }
    bool flag(const QString &name, bool v, bool) { return note(regWriteBool(m_key, name, v), v); }
    float single(const QString &name, float v, float)
    {
        return note(regWriteSingle(m_key, name, v), v);
    }
    QString str(const QString &name, const QString &v, const QString &)
    {
        return note(regWriteStr(m_key, name, v), v);
    }
    void strWriteOnly(const QString &name, const QString &v)
    {
        note(regWriteStr(m_key, name, v), 0);
    }
    sBGRA color(const QString &name, sBGRA v, uint32_t)
    {
        return note(regWriteInt(m_key, name, v.all), v);
    }

  private:
    template <class T> T note(bool written, T v)
    {
        m_ok = m_ok && written;
        return v;
    }

    CRegKey &m_key;
    bool m_ok = true;
};

template <class Io> void ioFileIO(CAppProfile &p, Io &io)
{
    const QString preset = joinPath(p.presetPath, QStringLiteral("preset"));
    io.strWriteOnly(QStringLiteral("appPath"), p.appPath);
    p.loadPath = io.str(QStringLiteral("loadPath"), p.loadPath, p.appPath);
    p.savePath = io.str(QStringLiteral("savePath"), p.savePath, p.appPath);
    p.eventPath = io.str(QStringLiteral("eventPath"), p.eventPath, p.appPath);
    p.palPath = io.str(QStringLiteral("palPath"), p.palPath, preset);
    p.palFile = io.str(QStringLiteral("palFile"), p.palFile, QString());
    p.tonePath = io.str(QStringLiteral("tonePath"), p.tonePath, preset);
    p.toneFile = io.str(QStringLiteral("toneFile"), p.toneFile, QString());
    p.gradPath = io.str(QStringLiteral("gradPath2"), p.gradPath, preset);
    p.gradFile = io.str(QStringLiteral("gradFile2"), p.gradFile, QString());
    p.penPath = io.str(QStringLiteral("penPath"), p.penPath, preset);
    p.nibFile = io.str(QStringLiteral("nibFile"), p.nibFile, QString());
    p.brushFile = io.str(QStringLiteral("brushFile"), p.brushFile, QString());
    p.FileIODir = io.u32(QStringLiteral("FileIODir"), p.FileIODir, 1);
    p.pictLoadExtIdx = io.i32(QStringLiteral("pictLoadExtIdx"), p.pictLoadExtIdx, 1);
    p.eventLoadExtIdx = io.i32(QStringLiteral("eventLoadExtIdx"), p.eventLoadExtIdx, 1);
    p.silentFileIO = io.flag(QStringLiteral("silentFileIO"), p.silentFileIO, false);
    p.jpegUseProgressive =
        io.flag(QStringLiteral("jpegUseProgressive"), p.jpegUseProgressive, false);
    p.jpegUseSmooth = io.flag(QStringLiteral("jpegUseSmooth"), p.jpegUseSmooth, false);
    p.jpegValSmooth = io.i32(QStringLiteral("jpegValSmooth"), p.jpegValSmooth, 0, 0, 100);
    p.jpegQType = io.i32(QStringLiteral("jpegQType"), p.jpegQType, 1, 0, 4);
    p.jpegQuality = io.i32(QStringLiteral("jpegQuality"), p.jpegQuality, 90, 0, 100);
    p.jpegQVHigh = io.i32(QStringLiteral("jpegQVHigh"), p.jpegQVHigh, 100, 0, 100);
    p.jpegQHigh = io.i32(QStringLiteral("jpegQHigh"), p.jpegQHigh, 90, 0, 100);
    p.jpegQStd = io.i32(QStringLiteral("jpegQStd"), p.jpegQStd, 75, 0, 100);
    p.jpegQLow = io.i32(QStringLiteral("jpegQLow"), p.jpegQLow, 50, 0, 100);
    p.psdSaveVer = io.i32(QStringLiteral("psdSaveVer"), p.psdSaveVer, 6, 3, 7);
    p.psdSaveFlags = io.i32ReadOnly(QStringLiteral("psdSaveFlags"), p.psdSaveFlags, 0);
}

template <class Io> void ioConfig(CAppProfile &p, Io &io)
{
    p.appVerID = io.i32(QStringLiteral("appVerID"), p.appVerID, 0);
    p.gridSize.x = io.i32(QStringLiteral("gridW"), p.gridSize.x, 32);
    p.gridSize.y = io.i32(QStringLiteral("gridH"), p.gridSize.y, 32);
    p.undoMax = io.i32(QStringLiteral("undoMax"), p.undoMax, 100);
    p.fillLimit = io.i32(QStringLiteral("fillLimit"), p.fillLimit, 20);
    p.fillTarget = io.i32(QStringLiteral("fillTarget"), p.fillTarget, 0);
    p.wandLimit = io.i32(QStringLiteral("wandLimit"), p.wandLimit, 20);
    p.wandTarget = io.i32(QStringLiteral("wandTarget"), p.wandTarget, 0);
    p.fillAntiAlias = io.flag(QStringLiteral("fillAntiAlias"), p.fillAntiAlias, false);
    p.wandAntiAlias = io.flag(QStringLiteral("wandAntiAlias"), p.wandAntiAlias, false);
    p.gradType = io.i32(QStringLiteral("gradType"), p.gradType, 0);
    p.gradMap = io.i32(QStringLiteral("gradMap"), p.gradMap, 0);
    p.gradRep = io.i32(QStringLiteral("gradRep"), p.gradRep, 0);
    p.gradRepCnt = io.i32(QStringLiteral("gradRepCnt"), p.gradRepCnt, 1);
    p.ignoreTablet = io.flag(QStringLiteral("ignoreTablet"), p.ignoreTablet, false);
    p.eventWait = io.i32(QStringLiteral("eventWait"), p.eventWait, 0);
    p.tabletType = io.i32(QStringLiteral("tabletType"), p.tabletType, 0);
    p.rgbPalBarFixed = io.flag(QStringLiteral("rgbPalBarFixed"), p.rgbPalBarFixed, true);
    p.useRBtnPicker = io.flag(QStringLiteral("useRBtnColPicker"), p.useRBtnPicker, true);
    p.useAutoScroll = io.flag(QStringLiteral("useAutoScroll"), p.useAutoScroll, false);
    p.useFilePreview = io.flag(QStringLiteral("useFilePreview"), p.useFilePreview, true);
    p.useZoomAntialias = io.flag(QStringLiteral("useZoomAntialias"), p.useZoomAntialias, true);
    p.showScrollBar = io.flag(QStringLiteral("showScrollBar"), p.showScrollBar, true);
    p.titleFullpath = io.flag(QStringLiteral("titleFullpath"), p.titleFullpath, false);
    p.mouseMBtnFunc = io.i32(QStringLiteral("mouseMBtnFunc"), p.mouseMBtnFunc, 0, 0, 10);
    p.opaquePaint = io.single(QStringLiteral("opaquePaint"), p.opaquePaint, 1.0f);
    p.opaqueAreaFill = io.single(QStringLiteral("opaqueAreaFill"), p.opaqueAreaFill, 1.0f);
    p.opaqueSeedFill = io.single(QStringLiteral("opaqueSeedFill"), p.opaqueSeedFill, 1.0f);
    p.opaqueGradate = io.single(QStringLiteral("opaqueGradate"), p.opaqueGradate, 1.0f);
    p.opaqueDraw = io.single(QStringLiteral("opaqueDraw"), p.opaqueDraw, 1.0f);
    p.opaqueLine = io.single(QStringLiteral("opaqueLine"), p.opaqueLine, 1.0f);
    p.opaqueFont = io.single(QStringLiteral("opaqueFont"), p.opaqueFont, 1.0f);
    p.DrawToolMode = io.flag(QStringLiteral("DrawToolMode"), p.DrawToolMode, false);
    p.AutoFreeHand = io.flag(QStringLiteral("AutoFreeHand"), p.AutoFreeHand, false);
    p.UseOldShortCut = io.flag(QStringLiteral("ShortcutMode"), p.UseOldShortCut, false);
    p.UseLastFile = io.flag(QStringLiteral("UseLastFile"), p.UseLastFile, true);
    p.PresetSaveAsQuit = io.i32(QStringLiteral("PresetSaveAsQuit"), p.PresetSaveAsQuit, 0);
    p.GridColor = io.u32(QStringLiteral("GridColor"), p.GridColor, 0x80000000u);
    p.DrawToolAutoSave = io.flag(QStringLiteral("DrawToolAutoSave"), p.DrawToolAutoSave, true);
    p.DrawToolCursor = io.i32(QStringLiteral("DrawToolCursor"), p.DrawToolCursor, 0);
    p.OtherToolCursor = io.i32(QStringLiteral("OtherToolCursor"), p.OtherToolCursor, 0);
    p.CursorFile = io.str(QStringLiteral("CursorFile"), p.CursorFile, QString());
    p.BrushGhost = io.flag(QStringLiteral("BrushGhost"), p.BrushGhost, false);
    p.ShowGhostCenter = io.flag(QStringLiteral("ShowGhostCenter"), p.ShowGhostCenter, true);
    p.UseGrabCtrl = io.flag(QStringLiteral("UseGrabCtrl"), p.UseGrabCtrl, true);
    p.CellExchange = io.flag(QStringLiteral("CellExchange"), p.CellExchange, false);
    p.EnbAutoSize = io.u32(QStringLiteral("AutoSizeAdjust"), p.EnbAutoSize, 7);
    p.PlayAntiOff = io.flag(QStringLiteral("PlayAntiOff"), p.PlayAntiOff, true);
    p.ForceDispParam = io.flag(QStringLiteral("ForceDispParam"), p.ForceDispParam, false);
    p.RotZoomDblClk = io.flag(QStringLiteral("RotZoomDblClk"), p.RotZoomDblClk, true);
    p.RotGrabDblClk = io.flag(QStringLiteral("RotGrabDblClk"), p.RotGrabDblClk, true);
    p.ToolFindNext = io.flag(QStringLiteral("ToolFindNext"), p.ToolFindNext, true);
    p.UseVertSlider = io.flag(QStringLiteral("UseVertSlider"), p.UseVertSlider, true);
    p.ToolSubMode = io.u32(QStringLiteral("ToolSubMode"), p.ToolSubMode, 0);
}

template <class Io> void ioColor(CAppProfile &p, Io &io)
{
    p.colorFG = io.color(QStringLiteral("fgCol"), p.colorFG, 0);
    p.colorBG = io.color(QStringLiteral("bgCol"), p.colorBG, 0xFFFFFF);
}

template <class Io> void ioPaper(CAppProfile &p, Io &io)
{
    for (int i = 0; i < kPaperPresetCount; ++i) {
        sPaperPreset &row = p.paperSizeTbl[i];
        row.unit = io.i32(indexed("unit%1", i), row.unit, 0);
        row.dpi = io.i32(indexed("dpi%1", i), row.dpi, 72);
        row.w = io.single(indexed("w%1", i), row.w, 640.0f);
        row.h = io.single(indexed("h%1", i), row.h, 480.0f);
        row.transparent = io.flag(indexed("transparent%1", i), row.transparent, false);
    }
}

template <class Io> void ioFont(CAppProfile &p, Io &io)
{
    p.fontFace = io.str(QStringLiteral("face"), p.fontFace, QString());
    p.fontPoint = io.i32(QStringLiteral("point"), p.fontPoint, 0);
    p.fontCharset = io.i32(QStringLiteral("charset"), p.fontCharset, -1);
    p.fontSpacing = io.i32(QStringLiteral("spacing"), p.fontSpacing, 0);
    p.fontLeading = io.i32(QStringLiteral("leading"), p.fontLeading, 0);
    p.fontItalic = io.flag(QStringLiteral("italic"), p.fontItalic, false);
    p.fontBold = io.flag(QStringLiteral("bold"), p.fontBold, false);
    p.fontVertical = io.flag(QStringLiteral("vertical"), p.fontVertical, false);
    p.fontUnderline = io.flag(QStringLiteral("underline"), p.fontUnderline, false);
    p.fontStrikeOut = io.flag(QStringLiteral("strikeout"), p.fontStrikeOut, false);
    p.fontUseFont = io.flag(QStringLiteral("useFont"), p.fontUseFont, true);
    p.fontPreview = io.flag(QStringLiteral("usePreview"), p.fontPreview, true);
}

template <class Io>
void ioFormPlacement(Io &io, const QString &prefix, TDockFloatFormParam &f, bool visible,
                     int32_t pos)
{
    f.Visible = io.flag(prefix + QStringLiteral("Visible"), f.Visible, visible);
    f.X = io.i32(prefix + QStringLiteral("X"), f.X, pos);
    f.Y = io.i32(prefix + QStringLiteral("Y"), f.Y, pos);
    f.Width = io.i32(prefix + QStringLiteral("Width"), f.Width, pos);
    f.Height = io.i32(prefix + QStringLiteral("Height"), f.Height, pos);
}

template <class Io> void ioPane(Io &io, int n, sFloatPaneParam &pane)
{
    pane.ParentForm = io.i32(indexed("FloatPane%1ParentForm", n), pane.ParentForm, -1);
    pane.PaneIndex = io.i32(indexed("FloatPane%1PaneIndex", n), pane.PaneIndex, -1);
    pane.ViewCount = io.i32(indexed("FloatPane%1ViewCount", n), pane.ViewCount, 0);
    pane.ActiveView = io.i32(indexed("FloatPane%1ActiveView", n), pane.ActiveView, -1);
    pane.Collapse = io.flag(indexed("FloatPane%1Collapse", n), pane.Collapse, false);
}

template <class Io> void ioView(Io &io, const QString &prefix, TDockFloatViewParam &v)
{
    v.ParentForm = io.i32(prefix + QStringLiteral("ParentForm"), v.ParentForm, -1);
    v.ParentPane = io.i32(prefix + QStringLiteral("ParentPane"), v.ParentPane, -1);
    v.ViewIndex = io.i32(prefix + QStringLiteral("ViewIndex"), v.ViewIndex, -1);
    v.Visible = io.flag(prefix + QStringLiteral("Visible"), v.Visible, true);
    v.Width = io.i32(prefix + QStringLiteral("Width"), v.Width, -1);
    v.Height = io.i32(prefix + QStringLiteral("Height"), v.Height, -1);
}

template <class Io> void ioSize(Io &io, const char *prefix, sSize &s, int32_t def)
{
    s.x = io.i32(QLatin1String(prefix) + QStringLiteral("Width"), s.x, def);
    s.y = io.i32(QLatin1String(prefix) + QStringLiteral("Height"), s.y, def);
}

// The window section apart from the palette windows and their panes.
template <class Io> void ioWindow(CAppProfile &p, Io &io)
{
    p.mainWinPos.x = io.i32(QStringLiteral("mainWinX"), p.mainWinPos.x, -1);
    p.mainWinPos.y = io.i32(QStringLiteral("mainWinY"), p.mainWinPos.y, -1);
    p.mainWinSize.x = io.i32(QStringLiteral("mainWinW"), p.mainWinSize.x, -1);
    p.mainWinSize.y = io.i32(QStringLiteral("mainWinH"), p.mainWinSize.y, -1);
    p.mainWinMax = io.flag(QStringLiteral("mainWinMax"), p.mainWinMax, true);
    p.childWinMax = io.flag(QStringLiteral("childWinMax"), p.childWinMax, false);
    p.fontDlgPos.x = io.i32(QStringLiteral("fontDlgX"), p.fontDlgPos.x, -1);
    p.fontDlgPos.y = io.i32(QStringLiteral("fontDlgY"), p.fontDlgPos.y, -1);
    p.fontDlgSize.x = io.i32(QStringLiteral("fontDlgW"), p.fontDlgSize.x, -1);
    p.fontDlgSize.y = io.i32(QStringLiteral("fontDlgH"), p.fontDlgSize.y, -1);
    ioFormPlacement(io, QStringLiteral("ToolForm"), p.ToolFormParam, true, -1);
    for (int i = 0; i < kDockViewCount; ++i)
        ioView(io, CAppProfile::viewParamName(i), p.viewParam(i));
    p.NavigatorContains.size =
        io.u32(QStringLiteral("NavigatorContains"), p.NavigatorContains.size, 0xFFFFFFFFu);
    p.PreviewCounterRotate =
        io.flag(QStringLiteral("PreviewCounterRotate"), p.PreviewCounterRotate, false);
    p.OptionListDblClick =
        io.flag(QStringLiteral("OptionListDblClick"), p.OptionListDblClick, false);
    p.ColorSampler = io.i32(QStringLiteral("ColorSampler"), p.ColorSampler, 3);
    p.SwathListType = io.i32(QStringLiteral("SwathListType"), p.SwathListType, -1);
    p.BrushListType = io.i32(QStringLiteral("BrushListType"), p.BrushListType, -1);
    p.EventCapacity = io.i32(QStringLiteral("EventCapacity"), p.EventCapacity, -1);
    p.LayerListType = io.i32(QStringLiteral("LayerListType"), p.LayerListType, -1);
    p.MaskListType = io.i32(QStringLiteral("MaskListType"), p.MaskListType, -1);
    p.LoupeMagnification = io.i32(QStringLiteral("LoupeMagnification"), p.LoupeMagnification, 2);
    p.LoupeCenter = io.flag(QStringLiteral("LoupeCenter"), p.LoupeCenter, true);
    p.LoupeStroking = io.i32(QStringLiteral("LoupeStroking"), p.LoupeStroking, 1);
    ioSize(io, "PopBrushList", p.PopBrushListSize, -1);
    ioSize(io, "PopPenNibList", p.PopPenNibListSize, -1);
    ioSize(io, "PopGradList", p.PopGradListSize, -1);
    ioSize(io, "PopToneList", p.PopToneListSize, -1);
    p.PopBrushListType = io.i32(QStringLiteral("PopBrushListType"), p.PopBrushListType, -1);
    p.PopPenNibListType = io.i32(QStringLiteral("PopPenNibListType"), p.PopPenNibListType, -1);
    p.PopGradListType = io.i32(QStringLiteral("PopGradListType"), p.PopGradListType, -1);
    p.PopToneListType = io.i32(QStringLiteral("PopToneListType"), p.PopToneListType, -1);
    p.PopGradPrevType = io.i32(QStringLiteral("PopGradPrevType"), p.PopGradPrevType, -1);
    p.PopTonePrevType = io.i32(QStringLiteral("PopTonePrevType"), p.PopTonePrevType, -1);
    p.EdtBrushListType = io.i32(QStringLiteral("EdtBrushListType"), p.EdtBrushListType, -1);
    p.EdtPenNibListType = io.i32(QStringLiteral("EdtPenNibListType"), p.EdtPenNibListType, -1);
    p.EdtGradListType = io.i32(QStringLiteral("EdtGradListType"), p.EdtGradListType, -1);
    p.EdtToneListType = io.i32(QStringLiteral("EdtToneListType"), p.EdtToneListType, -1);
}

// The palette windows and their panes. FloatFormCount is read first; a form whose pane count is
// stored reads its placement and then its panes, numbered on over all forms. A form without a
// stored pane count keeps its values and has no panes. The counts are bounded by the 16 slots.
void loadFloatLayout(CAppProfile &p, const CRegKey *key)
{
    CSectionLoader io(key);
    p.FloatFormCount = io.i32(QStringLiteral("FloatFormCount"), 0, 0, 0, kFloatFormSlots);
    int pane = 0;
    for (int i = 0; i < p.FloatFormCount; ++i) {
        const QString prefix = indexed("FloatForm%1", i);
        int32_t paneCount = 0;
        if (!regReadInt(*key, prefix + QStringLiteral("PaneCount"), paneCount, 0))
            continue;
        TDockFloatFormParam &form = p.FloatForms[i];
        form.PaneCount = clampInt(paneCount, 0, kFloatPaneSlots - pane);
        ioFormPlacement(io, prefix, form, true, 0);
        for (int j = 0; j < form.PaneCount; ++j, ++pane)
            ioPane(io, pane, p.FloatPanes[pane]);
    }
}

const char *const kFloatValueNames[] = {
    "FloatForm%1PaneCount",  "FloatForm%1Visible",   "FloatForm%1X",
    "FloatForm%1Y",          "FloatForm%1Width",     "FloatForm%1Height",
    "FloatPane%1ParentForm", "FloatPane%1PaneIndex", "FloatPane%1ViewCount",
    "FloatPane%1ActiveView", "FloatPane%1Collapse",
};

// Every slot's values are deleted first, so that a smaller layout leaves nothing of a larger one.
bool saveFloatLayout(CAppProfile &p, CRegKey &key)
{
    for (int i = 0; i < kFloatFormSlots; ++i)
        for (const char *name : kFloatValueNames)
            key.deleteValue(indexed(name, i));
    CSectionSaver io(key);
    const int32_t count = clampInt(p.FloatFormCount, 0, kFloatFormSlots);
    io.i32(QStringLiteral("FloatFormCount"), count, 0);
    int pane = 0;
    for (int i = 0; i < count; ++i) {
        const QString prefix = indexed("FloatForm%1", i);
        TDockFloatFormParam &form = p.FloatForms[i];
        const int32_t paneCount = clampInt(form.PaneCount, 0, kFloatPaneSlots - pane);
        io.i32(prefix + QStringLiteral("PaneCount"), paneCount, 0);
        ioFormPlacement(io, prefix, form, true, 0);
        for (int j = 0; j < paneCount; ++j, ++pane)
            ioPane(io, pane, p.FloatPanes[pane]);
    }
    return io.ok();
}

std::optional<CRegKey> openSection(CRegistry &store, const char *section)
{
    return store.openKey(sectionPath(section), true);
}

template <class Fn> bool loadSection(CRegistry &store, const char *section, Fn fn)
{
    const std::optional<CRegKey> key = openSection(store, section);
    CSectionLoader io(key ? &*key : nullptr);
    fn(io, key ? &*key : nullptr);
    return key.has_value();
}

template <class Fn> bool saveSection(CRegistry &store, const char *section, Fn fn)
{
    std::optional<CRegKey> key = openSection(store, section);
    if (!key)
        return false;
    CSectionSaver io(*key);
    const bool extra = fn(io, *key);
    return io.ok() && extra;
}

} // namespace

eLangType langTypeOf(uint32_t codePage, uint32_t localeID)
{
    if (codePage == 932 || localeID == 1041)
        return eLangType::ltJapanese;
    if (codePage == 949 || localeID == 1042)
        return eLangType::ltKorean;
    return eLangType::ltEnglish;
}

void CAppProfile::saveToolOpaque(TToolMode m, float op)
{
    switch (m) {
    case TToolMode::TOOL_PEN:
        opaquePaint = op;
        break;
    case TToolMode::TOOL_FILL:
        opaqueSeedFill = op;
        break;
    case TToolMode::TOOL_DRAW:
        opaqueDraw = op;
        break;
    case TToolMode::TOOL_AREAFILL:
    case TToolMode::TOOL_FREELINE:
        opaqueAreaFill = op;
        break;
    case TToolMode::TOOL_LINE:
        opaqueLine = op;
        break;
    case TToolMode::TOOL_TEXT:
        opaqueFont = op;
        break;
    case TToolMode::TOOL_GRAD:
        opaqueGradate = op;
        break;
    default:
        break;
    }
}

float CAppProfile::loadToolOpaque(TToolMode m) const
{
    switch (m) {
    case TToolMode::TOOL_PEN:
        return opaquePaint;
    case TToolMode::TOOL_FILL:
        return opaqueSeedFill;
    case TToolMode::TOOL_DRAW:
        return opaqueDraw;
    case TToolMode::TOOL_AREAFILL:
    case TToolMode::TOOL_FREELINE:
        return opaqueAreaFill;
    case TToolMode::TOOL_LINE:
        return opaqueLine;
    case TToolMode::TOOL_TEXT:
        return opaqueFont;
    case TToolMode::TOOL_GRAD:
        return opaqueGradate;
    default:
        return 1.0f;
    }
}

const TDockFloatViewParam &CAppProfile::viewParam(int i) const
{
    return const_cast<CAppProfile *>(this)->viewParam(i);
}

TDockFloatViewParam &CAppProfile::viewParam(int i)
{
    assert(i >= 0 && i < kDockViewCount);
    TDockFloatViewParam *const views[kDockViewCount] = {
        &OptionViewParam,     &NavigatorViewParam, &LoupeViewParam,  &QZ5OptionViewParam,
        &InfomationViewParam, &ColorViewParam,     &SwatchViewParam, &BrushListViewParam,
        &LayerViewParam,      &MaskViewParam,      &EventViewParam,
    };
    return *views[i];
}

QString CAppProfile::viewParamName(int i)
{
    assert(i >= 0 && i < kDockViewCount);
    static const char *const names[kDockViewCount] = {
        "OptionView", "NavigatorView", "LoupeView", "QZ5OptionView", "InfomationView", "ColorView",
        "SwatchView", "BrushListView", "LayerView", "MaskView",      "EventView",
    };
    return QLatin1String(names[i]);
}

void CAppProfile::loadEnvironment(const SStartupEnvironment &env)
{
    localeID = env.localeID;
    curCP = env.codePage;
    langType = langTypeOf(curCP, localeID);
    platformNT = env.platformNT;
    osVersion = env.osVersion;
    rtcFreq = env.rtcFreq;
    cpuClock = env.cpuClock;
    monitorNum = env.monitorNum < 1 ? 1 : env.monitorNum;
    screenSize = {env.screenWidth, env.screenHeight};
    appPath = env.appPath;
    appName = env.appName;
    tmpPath = env.tmpPath;
    presetPath = env.presetPath;
}

bool CAppProfile::loadSections(CRegistry &store)
{
    bool ok = true;
    ok &= loadSection(store, "fileIO", [&](auto &io, auto) { ioFileIO(*this, io); });
    ok &= loadSection(store, "config", [&](auto &io, auto) { ioConfig(*this, io); });
    ok &= loadSection(store, "color", [&](auto &io, auto) { ioColor(*this, io); });
    ok &= loadSection(store, "paper", [&](auto &io, auto) { ioPaper(*this, io); });
    ok &= loadSection(store, "window", [&](auto &io, const CRegKey *key) {
        ioWindow(*this, io);
        // A stored size is kept on the screen and no smaller than 200 pixels; -1 means none.
        if (mainWinSize.x >= 0)
            mainWinSize.x = clampInt(mainWinSize.x, 200, screenSize.x);
        if (mainWinSize.y >= 0)
            mainWinSize.y = clampInt(mainWinSize.y, 200, screenSize.y);
        if (key)
            loadFloatLayout(*this, key);
        else
            FloatFormCount = 0;
    });
    ok &= loadSection(store, "font", [&](auto &io, auto) { ioFont(*this, io); });
    EnbLblDrag = true;
    EnbLblDblClk = true;
    return ok;
}

bool CAppProfile::saveSections(CRegistry &store)
{
    bool ok = true;
    ok &= saveSection(store, "window", [&](auto &io, CRegKey &key) {
        ioWindow(*this, io);
        return saveFloatLayout(*this, key);
    });
    ok &= saveSection(store, "fileIO", [&](auto &io, auto &) { return ioFileIO(*this, io), true; });
    ok &= saveSection(store, "config", [&](auto &io, auto &) { return ioConfig(*this, io), true; });
    ok &= saveSection(store, "color", [&](auto &io, auto &) { return ioColor(*this, io), true; });
    ok &= saveSection(store, "paper", [&](auto &io, auto &) { return ioPaper(*this, io), true; });
    ok &= saveSection(store, "font", [&](auto &io, auto &) { return ioFont(*this, io), true; });
    ok &= store.flush();
    return ok;
}

void initialiseAppProfile()
{
    gAppProfile = std::make_unique<CAppProfile>();
}

void finaliseAppProfile()
{
    gAppProfile.reset();
}

void installProfileSaveHooks(SProfileSaveHooks hooks)
{
    gSaveHooks = std::move(hooks);
}

bool loadProfile()
{
    if (!gAppProfile)
        return false;
    gAppProfile->loadEnvironment(readStartupEnvironment());
    CRegistry store;
    gAppProfile->loadSections(store);
    return true;
}

bool saveProfile()
{
    if (!gAppProfile)
        return false;
    if (gSaveHooks.savePosition)
        gSaveHooks.savePosition(*gAppProfile);
    if (gSaveHooks.saveToolSettings)
        gSaveHooks.saveToolSettings(*gAppProfile);
    CRegistry store;
    return gAppProfile->saveSections(store);
}

bool regReadInt(const CRegKey &key, const QString &name, int32_t &v, int32_t def)
{
    const std::optional<int32_t> stored = key.readInt(name);
    v = stored.value_or(def);
    return stored.has_value();
}

bool regReadInt(const CRegKey &key, const QString &name, uint32_t &v, uint32_t def)
{
    const std::optional<uint32_t> stored = key.readCardinal(name);
    v = stored.value_or(def);
    return stored.has_value();
}

bool regReadColor(const CRegKey &key, const QString &name, sBGRA &c, uint32_t def)
{
    uint32_t v = 0;
    const bool found = regReadInt(key, name, v, def);
    c.all = v;
    return found;
}

bool regReadBool(const CRegKey &key, const QString &name, bool &b, bool def)
{
    const std::optional<bool> stored = key.readBool(name);
    b = stored.value_or(def);
    return stored.has_value();
}

bool regReadSingle(const CRegKey &key, const QString &name, float &f, float def)
{
    const std::optional<float> stored = key.readSingle(name);
    f = stored.value_or(def);
    return stored.has_value();
}

bool regReadStr(const CRegKey &key, const QString &name, QString &s, const QString &def)
{
    const std::optional<QString> stored = key.readString(name);
    s = stored.value_or(def);
    return stored.has_value();
}

bool regWriteInt(CRegKey &key, const QString &name, int32_t v)
{
    return key.writeInt(name, v);
}

bool regWriteInt(CRegKey &key, const QString &name, uint32_t v)
{
    return key.writeCardinal(name, v);
}

bool regWriteBool(CRegKey &key, const QString &name, bool v)
{
    return key.writeBool(name, v);
}

bool regWriteSingle(CRegKey &key, const QString &name, float v)
{
    return key.writeSingle(name, v);
}

bool regWriteStr(CRegKey &key, const QString &name, const QString &v)
{
    return key.writeString(name, v);
}
