#include "windows/shell_host.h"

#include "document/paper/paper_host.h"
#include "paint/brush/paint_modes.h"
#include "paint/stroke/stroke.h"
#include "ui/dialogs/event_report.h"
#include "ui/forms/mru_list.h"
#include "windows/docwin/draw_window.h"
#include "windows/presets/preset_kinds.h"
#include "windows/tablet/wintab32.h"

namespace {

IMainForm *gInstalledMainForm = nullptr;

std::string withValues(const char *name, const QString &values)
{
    return std::string(name) + " " + values.toStdString();
}

} // namespace

IMainForm *installMainForm(IMainForm *form)
{
    IMainForm *old = gInstalledMainForm;
    gInstalledMainForm = form;
    return old;
}

CHeadlessMainForm &headlessMainForm()
{
    static CHeadlessMainForm form;
    return form;
}

IMainForm &mainForm()
{
    return gInstalledMainForm ? *gInstalledMainForm : headlessMainForm();
}

void CHeadlessToolForm::setWindow(TDrawWindow *w)
{
    window = w;
    calls.push_back(w ? "Window" : "Window none");
}

void CHeadlessToolForm::SetDisplaySize(const sSize &size)
{
    calls.push_back(withValues("SetDisplaySize", QStringLiteral("%1,%2").arg(size.x).arg(size.y)));
}

void CHeadlessToolForm::SetClientSize(const sSize &size)
{
    calls.push_back(withValues("SetClientSize", QStringLiteral("%1,%2").arg(size.x).arg(size.y)));
}

void CHeadlessToolForm::SetDisplayCenter(int32_t x, int32_t y)
{
    displayCenter = {x, y};
    calls.push_back(withValues("SetDisplayCenter", QStringLiteral("%1,%2").arg(x).arg(y)));
}

void CHeadlessToolForm::SetDisplayScale(float scale)
{
    displayScale = scale;
    calls.push_back(withValues("SetDisplayScale", QString::number(scale)));
}

void CHeadlessToolForm::SetDisplayRotation(float rad, bool reversed)
{
    displayRotation = rad;
    displayReversed = reversed;
    calls.push_back(withValues("SetDisplayRotation", QString::number(rad)));
}

std::vector<TDrawWindow *> CHeadlessMainForm::documentWindows() const
{
    return drawWindows();
}

TDrawWindow *CHeadlessMainForm::activeWindow() const
{
    if (active)
        return active;
    const auto &all = drawWindows();
    return all.empty() ? nullptr : all.back();
}

void CHeadlessMainForm::outputStatusText(eStatusItem item, const QString &text)
{
    statusText[int(item)] = text;
}

void CHeadlessMainForm::outputStatusZoom(float scale)
{
    statusText[int(eStatusItem::stiZoom)] = QStringLiteral("%1%").arg(double(scale));
}

void CHeadlessMainForm::outputStatusRot(float degree)
{
    statusText[int(eStatusItem::stiRot)] = QStringLiteral("%1°").arg(double(degree));
}

TStroke *CHeadlessMainForm::Stroke() const
{
    if (strokeOverride)
        return strokeOverride;
    return appMainStroke();
}

ePaintLevel CHeadlessMainForm::paintLevel() const
{
    return appMainPaintLevel();
}

void CHeadlessMainForm::forwardMouseWheel(int32_t delta, bool leftButton)
{
    if (TDrawWindow *w = activeWindow())
        w->mouseWheel(delta, leftButton);
}

TPaper *CHeadlessMainForm::activePaper() const
{
    if (paper)
        return paper;
    TDrawWindow *w = activeWindow();
    return w ? &w->document() : nullptr;
}

QString CHeadlessToolForm::gradientHint(int role) const
{
    return QStringLiteral("gradient hint %1").arg(role);
}

void CHeadlessToolForm::presetSetLoaded(TPresetKind kind, bool append)
{
    loadedSets.emplace_back(kind, append);
}

// ---- document commands, replay and saving (document commands block)

namespace {

// A scripted dialog: the call recorded, the proposal kept, the answer (if any) taken.
template <class T> bool answerDialog(std::vector<std::string> &calls, const char *name, T &value,
                                     T &proposed, const std::optional<T> &answer)
{
    calls.emplace_back(name);
    proposed = value;
    if (!answer)
        return false;
    value = *answer;
    return true;
}

} // namespace

void CHeadlessToolForm::SetPlayMode(bool sw)
{
    playMode = sw;
    calls.push_back(sw ? "SetPlayMode 1" : "SetPlayMode 0");
}

void CHeadlessToolForm::SetPlayStroke(const TStroke &)
{
    calls.push_back("SetPlayStroke");
}

void CHeadlessToolForm::SetPlayColor(uint32_t fore, uint32_t back)
{
    calls.push_back(withValues("SetPlayColor", QStringLiteral("%1,%2")
                                                   .arg(fore, 8, 16, QChar(u'0'))
                                                   .arg(back, 8, 16, QChar(u'0'))));
}

void CHeadlessToolForm::SetPlayProgress(uint32_t pos, uint32_t cnt, uint32_t)
{
    calls.push_back(withValues("SetPlayProgress", QStringLiteral("%1,%2").arg(pos).arg(cnt)));
}

bool CHeadlessMainForm::showImageSizeDialog(SImageSizeValue &value, int32_t)
{
    return answerDialog(dialogCalls, "showImageSizeDialog", value, proposedSize, sizeAnswer);
}

bool CHeadlessMainForm::showResolutionDialog(SResolutionValue &value, int32_t mode)
{
    proposedResoMode = mode;
    return answerDialog(dialogCalls, "showResolutionDialog", value, proposedReso, resoAnswer);
}

bool CHeadlessMainForm::showNewLayerDialog(TNewLayerValue &value)
{
    return answerDialog(dialogCalls, "showNewLayerDialog", value, proposedNewLayer,
                        newLayerAnswer);
}

bool CHeadlessMainForm::showRotationDialog(float &degrees)
{
    float proposed = 0;
    return answerDialog(dialogCalls, "showRotationDialog", degrees, proposed, rotationAnswer);
}

bool CHeadlessMainForm::showLayerOptionDialog(TLayerOptionValue &value, const CBlockVMTC &,
                                              sSize)
{
    return answerDialog(dialogCalls, "showLayerOptionDialog", value, proposedLayerOption,
                        layerOptionAnswer);
}

bool CHeadlessMainForm::showMaskOptionDialog(TMaskOptionValue &value, const CBlockVCH *, sSize)
{
    return answerDialog(dialogCalls, "showMaskOptionDialog", value, proposedMaskOption,
                        maskOptionAnswer);
}

bool CHeadlessMainForm::showJpegOptionDialog(TJpegSaveOption &value)
{
    TJpegSaveOption proposed;
    return answerDialog(dialogCalls, "showJpegOptionDialog", value, proposed, jpegAnswer);
}

bool CHeadlessMainForm::execFileDialog(TOpenFilterType kind, QString &path)
{
    proposedKind = kind;
    return answerDialog(dialogCalls, "execFileDialog", path, proposedPath, fileAnswer);
}

bool CHeadlessMainForm::execSaveEventDialog(QString &path)
{
    return answerDialog(dialogCalls, "execSaveEventDialog", path, proposedPath,
                        eventFileAnswer);
}

bool CHeadlessMainForm::showEventReport(const TEventReportParam &param)
{
    dialogCalls.emplace_back("showEventReport");
    SReport r;
    r.reason = int(param.Reason);
    r.step = param.Step;
    r.cont = param.Continue;
    for (const TMTC *img : param.Image)
        r.images += img ? 1 : 0;
    reports.push_back(r);
    return true;
}

TMRUFileList *CHeadlessMainForm::fileMRUList()
{
    if (!recentFiles)
        recentFiles = std::make_shared<TMRUFileList>();
    return recentFiles.get();
}

bool CHeadlessMainForm::updateEventPlayCaption(TDrawWindow *, uint32_t, uint32_t, uint32_t played)
{
    playCaptions.push_back(played);
    return true;
}

// ---- input

bool CHeadlessToolForm::ChangeToolSubMode(TToolSubKind kind, bool forceEnd)
{
    const TToolSubKind old = subKind;
    if (changingToolMode)
        return kind != old;
    changingToolMode = true;
    TDrawWindow *w = window;
    if (w)
        w->updateEventProcs(forceEnd);
    subKind = kind;
    if (w) {
        w->UpdateControls();
        w->updateEventProcs(false);
    }
    changingToolMode = false;
    return kind != old;
}

void CHeadlessToolForm::UpdateInfomationView(TDrawWindow *, float x, float y,
                                             TInfomationUpdateOption option)
{
    infoPos = {x, y};
    infoOption = option;
    ++infoCount;
}

void CHeadlessToolForm::UpdateLoupeView(TPaper *, int32_t x, int32_t y, bool fix)
{
    loupeCentre = {x, y};
    loupeFix = fix;
    ++loupeCount;
}

// ---- tools (tools.cpp)
namespace {

// The colour's red, green and blue bytes (blue low), as the stroke holds its colours.
uint32_t strokeColourOf(const TColorPickerValue &value)
{
    return colorPickerValueToColor32(value, 0).bgra & 0x00FFFFFFu;
}

std::string colourCall(const char *name, uint32_t rgb)
{
    return withValues(name, QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')));
}

} // namespace

void CHeadlessToolForm::setForegroundColor(const TColorPickerValue &value)
{
    foreground = value;
    const uint32_t rgb = strokeColourOf(value);
    calls.push_back(colourCall("setForegroundColor", rgb));
    if (TStroke *stroke = mainForm().Stroke())
        stroke->SetDrawColor(rgb);
}

void CHeadlessToolForm::setBackgroundColor(const TColorPickerValue &value)
{
    background = value;
    const uint32_t rgb = strokeColourOf(value);
    calls.push_back(colourCall("setBackgroundColor", rgb));
    if (TStroke *stroke = mainForm().Stroke())
        stroke->setBgCol(rgb);
}

void CHeadlessToolForm::SetPenRadius(float value)
{
    nibRadius = value;
    calls.push_back(withValues("SetPenRadius", QString::number(double(value), 'g', 9)));
}

void CHeadlessToolForm::UpdateOptionView(bool redraw)
{
    calls.push_back(redraw ? "UpdateOptionView 1" : "UpdateOptionView 0");
}

void CHeadlessToolForm::enableMoveOK(bool enabled)
{
    moveOKEnabled = enabled;
    calls.push_back(enabled ? "enableMoveOK 1" : "enableMoveOK 0");
}
// ---- end of tools

bool CHeadlessMainForm::getCommandFromKey(uint32_t vkey, bool shift, int32_t &command, bool alt,
                                          bool ctrl) const
{
    for (const SCommandKey &k : commandKeys)
        if (k.vkey == vkey && k.shift == shift && k.alt == alt && k.ctrl == ctrl) {
            command = k.command;
            return true;
        }
    return false;
}

// ---- tool window (toolform/switching.cpp)
uint32_t CHeadlessMainForm::getKeyByToolDetail(TToolDetail detail) const
{
    for (const auto &[d, key] : toolKeys)
        if (d == detail)
            return key;
    return 0;
}

TToolDetail CHeadlessMainForm::getNextTool(TToolKind, TToolDetail detail) const
{
    for (const auto &[d, next] : nextTools)
        if (d == detail)
            return next;
    return detail;
}

void CHeadlessMainForm::setToolForm(IToolForm *form, TStroke *stroke)
{
    toolFormOverride = form;
    strokeOverride = stroke;
}

void CHeadlessToolForm::setTransPopup(const sSize &size)
{
    calls.push_back(withValues("setTransPopup", QStringLiteral("%1,%2").arg(size.x).arg(size.y)));
}

void CHeadlessToolForm::setTransScale(float w, float h)
{
    calls.push_back(withValues("setTransScale", QStringLiteral("%1,%2").arg(w).arg(h)));
}

void CHeadlessToolForm::setTransAngle(float angle)
{
    calls.push_back(withValues("setTransAngle", QString::number(angle)));
}

void CHeadlessToolForm::setTransDat(float dx, float dy)
{
    calls.push_back(withValues("setTransDat", QStringLiteral("%1,%2").arg(dx).arg(dy)));
}

void CHeadlessToolForm::setTransDist(float h, float v)
{
    calls.push_back(withValues("setTransDist", QStringLiteral("%1,%2").arg(h).arg(v)));
}
// ---- end of tool window
