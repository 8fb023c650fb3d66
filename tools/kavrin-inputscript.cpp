// kavrin-inputscript: draws an input script (windows/docwin/input_script.h) on a headless document
// window and writes what it recorded and the picture.
//
//   kavrin-inputscript SCRIPT --events OUT.qe5 -o OUT.png
//
// The document is made as the program makes a new one: a 400 x 300 white document whose creation
// is recorded, at the newest paint level. The brush is a black pencil 5 pixels wide at level 5;
// a test tablet is present. The window's client area is 400 x 300 and scrolled so that client
// and canvas coordinates agree: a pointer step at (X, Y) draws at canvas pixel (X, Y). A stroke
// still running at the end is ended as deactivating the window ends it. The recording is
// exported to OUT.qe5 and the composed picture written as kavrin-replay writes it, so that
// `kavrin-replay OUT.qe5 -o P.png` gives the same picture.
// Exit codes: 0 done, 1 bad arguments or a bad or refused script line (its number is printed),
// 3 the document cannot be made, 4 a file cannot be written.
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/files/new_document.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_app.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/composition.h"
#include "document/view/outside_picture.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/pen_records.h"
#include "platform/tablet/wintab.h"
#include "tool_support.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/input_script.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"
#include "windows/tablet/wintab32.h"
// ---- toolform (kavrin-inputscript.cpp)
#include "app/shortcuts/shortcut_manager.h"
#include "ui/base/user_interface.h"
#include "windows/dock/dock_float.h"
#include "windows/toolform/tool_form.h"

#include <QApplication>
#include <QWidget>
// ---- end of toolform

#include <QFile>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kDone = 0, kBadArguments = 1, kNoDocument = 3, kWriteFailed = 4;
constexpr sSize kDocument{400, 300};

const char kUsage[] =
    "usage: kavrin-inputscript SCRIPT --events OUT.qe5 -o OUT.png\n"
    "  draws the input script on a headless window over a new 400 x 300 white document (a\n"
    "  5-pixel black pencil at level 5, a test tablet present, client and canvas coordinates\n"
    "  alike), exports the recording and writes the composed picture (the extension picks the\n"
    "  format: .png, .bmp, .jpg...)\n"
    "  script lines, one step each (# starts a comment):\n"
    "    press|release L|R|M X Y [MODS]    move X Y [MODS]    (MODS: shift ctrl alt space double)\n"
    "    tablet X Y PRESSURE [eraser]      proximity in|out   key down|up VK [repeat]\n"
    "    tool SUBKIND   level 1|2|4|5   tick   zoom N:D   rotate DEG   mirror   scroll DX DY\n"
    "    undo   redo   activate   deactivate\n"
    "    palette detail NAME | key VK [MODS] | value MODEL V | click NAME  (a tool window\n"
    "      made as at first activation, with the default shortcuts)\n"
    "exit 0 done, 1 bad arguments or script line, 3 no document, 4 a file cannot be written\n";

struct Options
{
    QString script, events, out;
};

const char *parse(const QStringList &args, Options &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--events")) {
            if (!hasValue)
                return "--events needs a file";
            o.events = args[++i];
        } else if (a == QLatin1String("-o")) {
            if (!hasValue)
                return "-o needs a file";
            o.out = args[++i];
        } else if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            return "unknown option";
        } else if (o.script.isEmpty()) {
            o.script = a;
        } else {
            return "more than one script";
        }
    }
    if (o.script.isEmpty())
        return "a script is required";
    if (o.events.isEmpty())
        return "--events OUT.qe5 is required";
    if (o.out.isEmpty())
        return "-o OUT.png is required";
    return nullptr;
}

// The script's text from a file ("-": standard input).
bool readScript(const QString &path, QString &text)
{
    QFile f(path);
    const bool opened = path == QLatin1String("-") ? f.open(stdin, QIODevice::ReadOnly)
                                                    : f.open(QIODevice::ReadOnly);
    if (!opened) {
        tool::fail(path, QStringLiteral("cannot be read: %1").arg(f.errorString()));
        return false;
    }
    text = QString::fromUtf8(f.readAll());
    return true;
}

// The pencil of the tool window's defaults: black, 5 pixels wide.
void choosePencil(CHeadlessPaperApp &app)
{
    TStroke &st = app.stroke;
    st.SetDrawMode(TDrawMode::DM_PEN);
    st.SetDrawColor(0xFF000000u);
    st.SetPenWidth(5.0f);
    SPenParam prm;
    initPenParam(prm, 2.5f);
    app.render4.changePenParam(prm);
    app.render5.changePenParam(prm);
}

// The new document, recorded from its creation, in a window whose client pixels are canvas
// pixels.
bool makeDocument(TDrawWindow &w)
{
    TPaper &paper = *w.paper;
    CEventMngr &ev = paper.eventMngr();
    const int32_t depth = eventUndoDepth(gAppProfile->undoMax);
    if (!ev.startRecording(appMainStroke(), appMainToneMngrFor(&paper), depth, depth) ||
        !EventEditCreate(paper, QString(), w.flow(), kDocument.x, kDocument.y, 72, false,
                         false) ||
        !startPaintModeQZ5(paper) || !dispatchUndoCount(paper) ||
        !w.switchPaintLevel(ePaintLevel::PAINT_LEVEL_qZ5))
        return false;
    UpdateVRAM(paper, true, true);
    w.formSizeCorrect(true);
    w.FormResize(kDocument);
    w.changeZoom(1, 1, false);
    // The canvas point the client's top left corner shows goes to that corner.
    sPos c;
    w.convToCanvasPos(c, sPos{0, 0});
    if (c != sPos{0, 0})
        w.scrollViewBy(c.x, c.y);
    w.convToCanvasPos(c, sPos{7, 5});
    return c == sPos{7, 5};
}

// ---- toolform (kavrin-inputscript.cpp)
// The headless main window answers the default shortcuts, as the shortcut manager holds them
// before any shortcut file is read.
void answerDefaultShortcuts(CHeadlessMainForm &main)
{
    CShortCutMngr shortcuts;
    shortcuts.initShortCutAll();
    for (int i = 0; i < shortcuts.count(); ++i)
        if (const CShortCutObj *o = shortcuts.getObj(i); o && o->FKey)
            main.commandKeys.push_back({o->FKey, o->FShift, o->FAlt, o->FCtrl, o->FCommand});
    for (int d = 0; d < kToolDetailCount; ++d)
    {
        const TToolDetail detail = TToolDetail(d);
        main.toolKeys.emplace_back(detail, shortcuts.getKeyByToolDetail(detail));
        main.nextTools.emplace_back(
            detail, shortcuts.getNextTool(toolDetailToToolKind(detail), detail));
    }
}

bool hasPaletteSteps(const std::vector<SInputStep> &steps)
{
    return std::any_of(steps.begin(), steps.end(),
                       [](const SInputStep &s) { return s.kind == eInputStepKind::Palette; });
}
// ---- end of toolform

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-inputscript");
    const QStringList args = tool::toolArguments(argc, argv);
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    Options o;
    if (const char *why = parse(args, o)) {
        tool::fail(QString::fromUtf8(why));
        return tool::usageError(kUsage, kBadArguments);
    }
    if (!tool::checkPictureOutput(o.out))
        return kBadArguments;
    QString text;
    if (!readScript(o.script, text))
        return kBadArguments;
    std::vector<SInputStep> steps;
    QString error;
    if (!parseInputScript(text, steps, error)) {
        tool::fail(o.script, error);
        return kBadArguments;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    // Widgets: the tool window of palette steps and the text window of text steps are dialogs.
    const bool palette = hasPaletteSteps(steps);
    QApplication qapp(qtArgc, argv);
    initialiseDocument();
    CHeadlessPaperApp app;
    initialiseWindows();
    resetRenderSettings();
    // The preferences' default undo depth: the profile is not read from the user's settings.
    gAppProfile->undoMax = 100;
    choosePencil(app);
    SWintabTestSetup tablet;
    tablet.present = true;
    setWintabTestSetup(tablet);
    CHeadlessMainForm &main = headlessMainForm();
    main.tab = std::make_shared<TWinTab32>(true, 1);
    CHeadlessTabletTarget tabletTarget;
    tabletTarget.open();

    std::unique_ptr<TDrawWindow> w = TDrawWindow::Create();
    int rc = kDone;
    if (!w) {
        tool::fail(QStringLiteral("no document can be made"));
        return kNoDocument;
    }
    main.active = w.get();
    // ---- toolform (kavrin-inputscript.cpp): a tool window made as at the first activation
    std::unique_ptr<QWidget> toolOwner;
    std::unique_ptr<TDockFloatManager> palettes;
    std::unique_ptr<TToolForm> toolForm;
    SPaperAppHooks toolHooks, hooksBefore;
    std::unique_ptr<CPenRender> toolRender4;
    std::unique_ptr<CPenRender5> toolRender5;
    if (palette) {
        initialiseUserInterface();
        answerDefaultShortcuts(main);
        toolOwner = std::make_unique<QWidget>();
        palettes = std::make_unique<TDockFloatManager>(toolOwner.get());
        toolForm = std::make_unique<TToolForm>(*toolOwner, *palettes);
        main.setToolForm(toolForm.get(), toolForm->Stroke());
        toolRender4 = std::make_unique<CPenRender>(toolForm->Stroke());
        toolRender5 = std::make_unique<CPenRender5>(toolForm->Stroke());
        toolFormPaperHooks(*toolForm, toolHooks);
        toolHooks.mainPenRender = [&] { return toolRender4.get(); };
        toolHooks.mainPenRender5 = [&] { return toolRender5.get(); };
        hooksBefore = installPaperAppHooks(toolHooks);
        toolForm->InitFirstTime();
    }
    // ---- end of toolform
    setCurrentDrawWindow(w.get());
    if (!makeDocument(*w)) {
        tool::fail(QStringLiteral("no document can be made"));
        rc = kNoDocument;
    }
    mainForm().toolForm().setWindow(w.get());
    for (size_t i = 0; rc == kDone && i < steps.size(); ++i)
        if (!applyInputStep(*w, steps[i])) {
            tool::fail(o.script, QStringLiteral("line %1: the window refused the step")
                                     .arg(steps[i].line));
            rc = kBadArguments;
        }
    if (rc == kDone && w->isStrokingNow())
        w->FormDeactivate();
    if (rc == kDone && !exportEventFile(o.events, *w->paper, true, -1, -1, true)) {
        tool::fail(o.events, QStringLiteral("cannot be written"));
        rc = kWriteFailed;
    }
    TMTC picture;
    if (rc == kDone && !(composeOutsidePicture(*w->paper, picture) &&
                         tool::writePicture(picture.imageView(), o.out)))
        rc = kWriteFailed;
    setCurrentDrawWindow(nullptr);
    mainForm().toolForm().setWindow(nullptr);
    main.tool.setWindow(nullptr);
    main.active = nullptr;
    // ---- toolform (kavrin-inputscript.cpp)
    if (toolForm) {
        installPaperAppHooks(hooksBefore);
        main.setToolForm(nullptr, nullptr);
        toolForm.reset();
    }
    // ---- end of toolform
    w.reset();
    main.tab.reset();
    return rc;
}
