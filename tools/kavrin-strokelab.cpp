// kavrin-strokelab: renders version-5 dabs, a list of points, or a whole stroke of the version-5,
// version-4 or oldest engine with a chosen nib and method into a PNG, so that a person can look at
// what the dab engines paint.
//
//   kavrin-strokelab -o out.png --radius 12 --flat 0.5 --angle 30 --dab 64,64,1
//   kavrin-strokelab -o out.png --points stroke.txt --spacing 0.1 --method watercolour
//   kavrin-strokelab -o out.png --stroke --shape s-curve --prs-radius --min-radius 0.2
//   kavrin-strokelab -o out.png --engine 4 --shape s-curve --method fingertip --prs-radius
//   kavrin-strokelab -o out.png --engine 1 --shape ramp --method pen --radius 3
//
// A point file holds one point per line: x y pressure (pressure 0..1, default 1); blank lines and
// lines starting with # are skipped. With --spacing the points are joined by dabs that far apart
// (a fraction of the radius); without it a dab is put on every point.
//
// With --stroke the points are drawn as a version-5 stroke: smoothed, interpolated, walked at the
// method's spacing (--spacing, 0.1 by default) by the stroke manager, ended by a lifted pen, and
// laid into the layer as the document does. --shape makes the points: an S-curve with a pressure
// ramp, or a straight pressure ramp, across the canvas. --list-dabs prints every dab placed.
//
// With --engine 4 the points are drawn as a stroke of the version-4 engine (its input correction,
// pixel-step placement and renderer, with its methods: blur, spread, finger tip, burn and dodge
// too), with --engine 1 as a stroke of the oldest paint level (the stroke's own history and
// segment walk, by draw mode). Both take the stroke options above and write the layer.
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/canvas/stroke_canvas_older.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "tool_support.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The stroke as the renderer sees it: fixed colours and opacity, the distance walked so far.
class LabStroke : public IPenRenderStroke
{
  public:
    uint32_t colour = 0xFF000000;
    uint32_t background = 0xFFFFFFFF;
    float progress = 0;
    SWaterColorWork wc;

    uint32_t strokeDrawColor() const override { return colour; }
    uint32_t strokeBgColor() const override { return background; }
    float strokeOpaque() const override { return 1.0f; }
    bool strokePenIfTrans() const override { return true; }
    float strokePenProgress() const override { return progress; }
    bool strokeProtectsTransparency() const override { return false; }
    SWaterColorWork &strokeWaterColor() override { return wc; }
};

struct Options
{
    int width = 256, height = 256;
    uint32_t background = 0xFFFFFFFF;
    uint32_t colour = 0xFF000000;
    float radius = 8, flat = 1, angle = 0, minRadius = 1;
    eGradeMap falloff = eGradeMap::GMAP_LINEAR;
    float falloffFlat = 0, falloffAdd = 0;
    bool antiOff = false;
    int engine = 5;
    QString methodName = QStringLiteral("normal");
    ePenRenderMode method = ePenRenderMode::PRMODE_Std;
    uint16_t effects[3] = {50, 20, 0};
    QString nibImage;
    bool channel = false;
    float spacing = 0;
    std::vector<SStrokeData> points;
    QString output;
    // The version-5 stroke.
    bool stroke = false;
    int32_t smooth = 1;
    eInterpolateType interpolate = eInterpolateType::iptBSpline;
    bool prsRadius = false, prsOpacity = false;
    float gamma = 1, opacity = 1;
    bool listDabs = false;
    // Draw through a headless document's active layer instead of the stand-in canvas.
    bool document = false;
};

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "kavrin-strokelab: %s\n", qPrintable(message));
    std::exit(2);
}

// Writes the picture whole or not at all; a failed write (said by the writer) ends the tool.
void writeOutput(const QImage &picture, const QString &path)
{
    if (!tool::writePicture(picture, path))
        std::exit(2);
}

float number(const QString &text, const char *what)
{
    bool ok = false;
    const float v = text.toFloat(&ok);
    if (!ok || !std::isfinite(v))
        fail(QStringLiteral("%1 is not a number: %2").arg(QLatin1String(what), text));
    return v;
}

// #RRGGBB or #AARRGGBB as an sBGRA value; "transparent" is white with alpha 0.
uint32_t colourOf(const QString &text)
{
    if (text == QLatin1String("transparent"))
        return 0x00FFFFFF;
    QString hex = text;
    if (hex.startsWith('#'))
        hex.remove(0, 1);
    bool ok = false;
    const uint32_t v = hex.toUInt(&ok, 16);
    if (!ok || (hex.size() != 6 && hex.size() != 8))
        fail(QStringLiteral("not a colour: %1").arg(text));
    return hex.size() == 6 ? (0xFF000000u | v) : v;
}

SStrokeData pointOf(const QStringList &parts, const QString &where)
{
    if (parts.size() < 2 || parts.size() > 3)
        fail(QStringLiteral("a point is x y [pressure]: %1").arg(where));
    SStrokeData p;
    p.x = number(parts[0], "x");
    p.y = number(parts[1], "y");
    p.p = parts.size() == 3 ? number(parts[2], "pressure") : 1.0f;
    return p;
}

void readPoints(const QString &path, std::vector<SStrokeData> &points)
{
    QFile f;
    const bool ok = path == QLatin1String("-") ? f.open(stdin, QIODevice::ReadOnly)
                                               : (f.setFileName(path), f.open(QIODevice::ReadOnly));
    if (!ok)
        fail(QStringLiteral("cannot read %1").arg(path));
    QTextStream in(&f);
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        points.push_back(pointOf(line.split(QRegularExpression("[\\s,]+")),
                                 QStringLiteral("%1:%2").arg(path).arg(lineNo)));
    }
}

eGradeMap falloffOf(const QString &name)
{
    const struct
    {
        const char *name;
        eGradeMap map;
    } names[] = {{"circle", eGradeMap::GMAP_CIRCLE},     {"square", eGradeMap::GMAP_SQUARE},
                 {"roundtop", eGradeMap::GMAP_ROUNDTOP}, {"linear", eGradeMap::GMAP_LINEAR},
                 {"gamma", eGradeMap::GMAP_GAMMA},       {"pintop", eGradeMap::GMAP_PINTOP}};
    for (const auto &n : names)
        if (name == QLatin1String(n.name))
            return n.map;
    fail(QStringLiteral("unknown fall-off %1 (circle, square, roundtop, linear, gamma, pintop)")
             .arg(name));
}

ePenRenderMode methodOf(const QString &name)
{
    if (name == QLatin1String("normal"))
        return ePenRenderMode::PRMODE_Std;
    if (name == QLatin1String("watercolour") || name == QLatin1String("watercolor"))
        return ePenRenderMode::PRMODE_WC;
    if (name == QLatin1String("eraser"))
        return ePenRenderMode::PRMODE_Erase;
    fail(QStringLiteral("unknown method %1 (normal, watercolour, eraser)").arg(name));
}

// 200 points across the canvas: an S-curve or a straight line, the pressure rising from 0.1 to 1.
void shapePoints(const QString &name, int w, int h, std::vector<SStrokeData> &points)
{
    const bool curve = name == QLatin1String("s-curve");
    if (!curve && name != QLatin1String("ramp"))
        fail(QStringLiteral("unknown shape %1 (s-curve, ramp)").arg(name));
    constexpr int kCount = 200;
    for (int i = 0; i < kCount; ++i) {
        const float t = float(i) / (kCount - 1);
        const float wave = curve ? 0.35f * std::sin(t * 6.2831853f) : 0.0f;
        points.push_back({w * (0.1f + 0.8f * t), h * (0.5f + wave), 0.1f + 0.9f * t});
    }
}

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser p;
    p.setApplicationDescription("Renders version-5 dabs or a point list to a PNG.");
    p.addHelpOption();
    auto opt = [&p](const char *name, const char *help, const char *value = nullptr) {
        p.addOption(value ? QCommandLineOption(name, help, value) : QCommandLineOption(name, help));
    };
    p.addOption(QCommandLineOption({"o", "output"}, "The PNG to write.", "file"));
    opt("size", "Canvas size WxH (256x256).", "WxH");
    opt("background", "#RRGGBB, #AARRGGBB or transparent (white).", "colour");
    opt("colour", "Paint colour #RRGGBB (black).", "colour");
    opt("radius", "Nib radius in pixels; the zoom percent of an image nib (8, or 100).", "r");
    opt("flat", "Nib flatness 0..1 (1 = round).", "f");
    opt("angle", "Nib angle in degrees.", "deg");
    opt("min-radius", "Radius at zero pressure, a fraction of the radius (1).", "m");
    opt("falloff", "circle, square, roundtop, linear, gamma or pintop (linear).", "curve");
    opt("falloff-flat", "Part of the radius at full strength, 0..1 (0).", "f");
    opt("falloff-add", "Strength added under the curve, 0..1 (0).", "a");
    opt("aa-off", "Switch anti-aliasing off.");
    opt("engine",
        "5 (dabs), 4 (a version-4 stroke), 2 (a level-2 stroke, with --document) or 1 (a stroke of "
        "the oldest level).",
        "n");
    opt("method",
        "Engine 5: normal, watercolour, eraser. Engine 4: also blur, spread, fingertip, burn, "
        "dodge. Engine 1: pen, watercolour, blur, eraser, blur2 (normal: pen).",
        "name");
    opt("effects", "The method's three effect values 0..100 (50,20,0).", "e1,e2,e3");
    opt("nib-image", "A grey image used as the nib tip (black paints).", "file");
    opt("channel", "Paint the one-channel alpha buffer and write it as grey.");
    opt("spacing", "Join the points by dabs this far apart, a fraction of the radius.", "s");
    opt("dab", "One dab at x,y[,pressure] (repeatable).", "x,y,p");
    opt("points", "A file of points, one 'x y pressure' per line ('-' reads stdin).", "file");
    opt("shape", "Points across the canvas: s-curve or ramp (pressure 0.1 to 1).", "name");
    opt("stroke", "Draw the points as a version-5 stroke (smoothing, interpolation, placement).");
    opt("smooth", "Stroke smoothing level (1).", "n");
    opt("interpolate", "Stroke interpolation: linear or bspline (bspline).", "name");
    opt("prs-radius", "In a stroke, pressure sets the radius between --min-radius and --radius.");
    opt("prs-opacity", "In a stroke, pressure sets the dab opacity.");
    opt("gamma", "In a stroke, the pressure exponent (1).", "g");
    opt("opacity", "The stroke opacity 0.01..1 (1).", "o");
    opt("list-dabs", "In a stroke, print every dab: x y opacity radius.");
    opt("document", "Draw the stroke through a headless document's active layer (engines 5 (with "
                    "--stroke), 4, 2 and 1; engine 2 only here).");
    p.process(app);

    Options o;
    if (!p.isSet("output"))
        fail("an output file is needed (-o out.png)");
    o.output = p.value("output");
    if (!tool::checkPictureOutput(o.output))
        std::exit(2);
    if (p.isSet("size")) {
        const QStringList wh = p.value("size").split('x');
        if (wh.size() != 2)
            fail("size is WxH");
        o.width = int(number(wh[0], "width"));
        o.height = int(number(wh[1], "height"));
        if (o.width < 1 || o.height < 1 || o.width > 10000 || o.height > 10000)
            fail("the size must lie within 1..10000 on both sides");
    }
    if (p.isSet("background"))
        o.background = colourOf(p.value("background"));
    if (p.isSet("colour"))
        o.colour = colourOf(p.value("colour"));
    o.nibImage = p.value("nib-image");
    o.radius = p.isSet("radius") ? number(p.value("radius"), "radius")
                                 : (o.nibImage.isEmpty() ? 8.0f : 100.0f);
    if (!(o.radius > 0))
        fail("the radius must be above 0");
    if (p.isSet("flat"))
        o.flat = std::clamp(number(p.value("flat"), "flat"), 0.0f, 1.0f);
    if (p.isSet("angle"))
        o.angle = number(p.value("angle"), "angle");
    if (p.isSet("min-radius"))
        o.minRadius = std::clamp(number(p.value("min-radius"), "min-radius"), 0.0f, 1.0f);
    if (p.isSet("falloff"))
        o.falloff = falloffOf(p.value("falloff"));
    if (p.isSet("falloff-flat"))
        o.falloffFlat = std::clamp(number(p.value("falloff-flat"), "falloff-flat"), 0.0f, 1.0f);
    if (p.isSet("falloff-add"))
        o.falloffAdd = std::clamp(number(p.value("falloff-add"), "falloff-add"), 0.0f, 1.0f);
    o.antiOff = p.isSet("aa-off");
    if (p.isSet("engine")) {
        o.engine = int(number(p.value("engine"), "engine"));
        if (o.engine != 5 && o.engine != 4 && o.engine != 2 && o.engine != 1)
            fail("the engine is 5, 4, 2 or 1");
    }
    o.document = p.isSet("document");
    if (o.engine == 2 && !o.document)
        fail("engine 2 draws only through a document (--document)");
    if (p.isSet("method"))
        o.methodName = p.value("method");
    if (o.engine == 5)
        o.method = methodOf(o.methodName);
    if (p.isSet("effects")) {
        const QStringList e = p.value("effects").split(',');
        if (e.size() != 3)
            fail("effects are three values e1,e2,e3");
        for (int i = 0; i < 3; ++i)
            o.effects[i] = uint16_t(std::clamp(number(e[i], "effect"), 0.0f, 100.0f));
    }
    o.channel = p.isSet("channel");
    if (p.isSet("spacing"))
        o.spacing = std::max(number(p.value("spacing"), "spacing"), 0.0f);
    for (const QString &d : p.values("dab"))
        o.points.push_back(pointOf(d.split(','), d));
    if (p.isSet("points"))
        readPoints(p.value("points"), o.points);
    if (p.isSet("shape"))
        shapePoints(p.value("shape"), o.width, o.height, o.points);
    o.stroke = p.isSet("stroke");
    if (p.isSet("smooth")) {
        const float n = number(p.value("smooth"), "smooth");
        if (n < 0 || n > 100)
            fail("the smoothing level lies within 0..100");
        o.smooth = int32_t(n);
    }
    if (p.isSet("interpolate")) {
        const QString name = p.value("interpolate");
        if (name == QLatin1String("linear"))
            o.interpolate = eInterpolateType::iptLinear;
        else if (name != QLatin1String("bspline"))
            fail(QStringLiteral("unknown interpolation %1 (linear, bspline)").arg(name));
    }
    o.prsRadius = p.isSet("prs-radius");
    o.prsOpacity = p.isSet("prs-opacity");
    if (p.isSet("gamma"))
        o.gamma = std::clamp(number(p.value("gamma"), "gamma"), 0.01f, 6.0f);
    if (p.isSet("opacity"))
        o.opacity = number(p.value("opacity"), "opacity");
    o.listDabs = p.isSet("list-dabs");
    if (o.points.empty())
        fail("nothing to draw: give --dab x,y,p, --points file or --shape name");
    return o;
}

std::unique_ptr<CPenShapeObj> makeNib(const Options &o)
{
    SGradeMapParam map;
    map.mapType = o.falloff;
    gradeMapSetFlatRate(map, o.falloffFlat);
    gradeMapSetAddRate(map, o.falloffAdd);
    SPenParam prm;
    initPenParam(prm, o.nibImage.isEmpty() ? o.radius : 1.0f);
    penParamSetFlatRate(prm, o.flat);
    penParamSetDegree(prm, o.angle);
    penParamSetMinRate(prm, o.minRadius);
    SPenAttr attr;
    penAttrSetAntiOff(attr, o.antiOff);
    auto nib = std::make_unique<CPenShapeObj>(&map, &prm, &attr);
    if (!o.nibImage.isEmpty()) {
        QImage img(o.nibImage);
        if (img.isNull())
            fail(QStringLiteral("cannot read the nib image %1").arg(o.nibImage));
        if (!nib->setImage(TMTC(img.convertToFormat(QImage::Format_RGB32))))
            fail("the nib image cannot be used");
        nib->penParam = prm;
        nib->penParam.radius = nib->zoomRate * 100;
        nib->changeZoom(int32_t(o.radius));
    }
    return nib;
}

// The dabs: every point, or points joined by dabs `step` pixels apart.
std::vector<SStrokeData> placeDabs(const Options &o, float step)
{
    if (o.spacing <= 0 || o.points.size() < 2)
        return o.points;
    std::vector<SStrokeData> dabs{o.points.front()};
    step = std::max(step, 0.05f);
    float carry = 0; // distance walked since the last dab
    for (size_t i = 1; i < o.points.size(); ++i) {
        const SStrokeData &a = o.points[i - 1], &b = o.points[i];
        const float len = std::hypot(b.x - a.x, b.y - a.y);
        float at = step - carry;
        for (; at <= len; at += step) {
            const float t = len > 0 ? at / len : 1.0f;
            dabs.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.p + (b.p - a.p) * t});
        }
        carry = len - (at - step);
    }
    return dabs;
}

// ---- through a headless document -------------------------------------------------------------

// A one-layer headless document filled as the stand-in canvas is, painting with the given stroke,
// renderers and nib as the main window's, at a paint level.
class LabDocument
{
  public:
    LabDocument(const Options &o, TStroke &stroke, CPenRender *render4, CPenRender5 *render5,
                CPenShapeObj *nib, ePaintLevel level)
    {
        SPaperAppHooks h;
        h.mainStroke = [&stroke] { return &stroke; };
        h.mainPenRender = [render4] { return render4; };
        h.mainPenRender5 = [render5] { return render5; };
        h.selectedPenShape = [nib] { return nib; };
        h.mainPaintLevel = [level] { return level; };
        installPaperAppHooks(h);
        initialiseDocument();
        m_paper = TPaper::Create(&m_owner);
        if (!m_paper)
            fail("the document cannot be made");
        m_owner.attach(*m_paper);
        if (!setupHeadlessPaper(*m_paper, {o.width, o.height}, 0xFFFFFF, 1))
            fail("out of memory for the document");
        CLayerData &ld = *m_paper->getLayerData(0);
        ld.imageTC->maskImage({0, 0, o.width, o.height}, 0xFFFFFFFF, o.background);
        m_paper->setFlow(*m_owner.flow(), 0, true);
        setCurrentDrawWindow(&m_owner);
        stroke.SetDrawLayer(0);
        if (level == ePaintLevel::PAINT_LEVEL_qZ1)
            setDrawProcLevel1(*m_paper);
        else if (level != ePaintLevel::PAINT_LEVEL_qZ2 && !startPaintModeQZ5(*m_paper))
            fail("the stroke managers cannot be made");
    }
    ~LabDocument()
    {
        setCurrentDrawWindow(nullptr);
        m_owner.detach();
        m_paper.reset();
    }

    TPaper &paper() { return *m_paper; }

    // The stroke as the document window sends it at the document's level (level 5 ends with a
    // lifted pen, as the stand-in does). False when it does not start.
    bool draw(TStroke &stroke, const std::vector<SStrokeData> &pts)
    {
        TPaper &pa = *m_paper;
        TFlowImage &flow = *m_owner.flow();
        const SStrokeData &a = pts.front();
        sBox box;
        switch (pa.m_fnDraw) {
        case eDrawProc::Draw5:
            if (!eventStrokeBegin5(pa, flow, stroke, a.x, a.y, a.p, false))
                return false;
            for (size_t i = 1; i < pts.size(); ++i)
                eventStrokeAdd5(pa, flow, stroke, pts[i].x, pts[i].y, pts[i].p, &m_owner, false);
            eventStrokeAdd5(pa, flow, stroke, pts.back().x, pts.back().y, 0, &m_owner, false);
            return eventStrokeEnd5(pa, flow, stroke, &m_owner, box, false);
        case eDrawProc::Draw4:
            if (!eventStrokeBegin4(pa, flow, stroke, a.x, a.y, a.p, false))
                return false;
            for (size_t i = 1; i < pts.size(); ++i)
                eventStrokeAdd4(pa, flow, stroke, pts[i].x, pts[i].y, pts[i].p, &m_owner, false);
            return eventStrokeEnd4(pa, flow, stroke, &m_owner, box, false);
        default:
            if (!eventStrokeBegin(pa, flow, stroke, a.x, a.y, a.p, false))
                return false;
            for (size_t i = 1; i < pts.size(); ++i)
                EventStrokeAdd(pa, flow, stroke, pts[i].x, pts[i].y, pts[i].p, &m_owner, false);
            return EventStrokeEnd(pa, flow, stroke, &m_owner, box, false);
        }
    }

    void save(const QString &path)
    {
        const CBlockVMTC &img = *m_paper->getLayerData(0)->imageTC;
        TMTC out(img.width(), img.height());
        img.bltTo(out, {0, 0}, {0, 0, img.width(), img.height()}, 255, false);
        writeOutput(out.imageView(), path);
    }

  private:
    CHeadlessPaperOwner m_owner;
    std::unique_ptr<TPaper> m_paper;
};

// ---- the older engines ----------------------------------------------------------------------

// The version-4 render mode (and burn or dodge sub mode) of a method name.
ePenRenderMode method4Of(const QString &name, uint8_t &sub)
{
    sub = 0;
    const struct
    {
        const char *name;
        ePenRenderMode mode;
        uint8_t sub;
    } names[] = {{"normal", ePenRenderMode::PRMODE_Std, 0},
                 {"watercolour", ePenRenderMode::PRMODE_WC, 0},
                 {"watercolor", ePenRenderMode::PRMODE_WC, 0},
                 {"blur", ePenRenderMode::PRMODE_Blur, 0},
                 {"eraser", ePenRenderMode::PRMODE_Erase, 0},
                 {"spread", ePenRenderMode::PRMODE_RubSingle, 0},
                 {"fingertip", ePenRenderMode::PRMODE_RubDouble, 0},
                 {"burn", ePenRenderMode::PRMODE_GammaL, 0},
                 {"dodge", ePenRenderMode::PRMODE_GammaL, 1}};
    for (const auto &n : names)
        if (name == QLatin1String(n.name)) {
            sub = n.sub;
            return n.mode;
        }
    fail(QStringLiteral("unknown version-4 method %1 (normal, watercolour, blur, eraser, spread, "
                        "fingertip, burn, dodge)")
             .arg(name));
}

TDrawMode drawModeOf(const QString &name)
{
    const struct
    {
        const char *name;
        TDrawMode mode;
    } names[] = {{"normal", TDrawMode::DM_PEN},     {"pen", TDrawMode::DM_PEN},
                 {"watercolour", TDrawMode::DM_WC}, {"watercolor", TDrawMode::DM_WC},
                 {"blur", TDrawMode::DM_BLUR},      {"eraser", TDrawMode::DM_ERASE},
                 {"blur2", TDrawMode::DM_BLUR2}};
    for (const auto &n : names)
        if (name == QLatin1String(n.name))
            return n.mode;
    fail(QStringLiteral("unknown level-1 method %1 (pen, watercolour, blur, eraser, blur2)")
             .arg(name));
}

// Prints a dab when --list-dabs asks for it: x y opacity radius.
void listDab(const Options &o, const SStrokeData &sd, float r)
{
    if (o.listDabs)
        std::printf("%g %g %g %g\n", double(sd.x), double(sd.y), double(sd.p), double(r));
}

// The points as one stroke of the version-4 engine with the stroke options of version 5
// (--prs-radius, --prs-opacity, --gamma, --opacity, --spacing; no smoothing or interpolation,
// the engine's own averaging correction instead).
void drawEngine4(const Options &o, CStrokeCanvasOlder &canvas)
{
    TStroke stroke(4);
    stroke.SetDrawColor(o.colour);
    stroke.setBgCol(o.background);
    stroke.setOpaque(o.opacity);
    CPenRender render(&stroke);
    std::unique_ptr<CPenShapeObj> nib = makeNib(o);
    render.setPenShapeObj(nib.get(), true, true, true);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    uint8_t sub = 0;
    attr.renderMode = method4Of(o.methodName, sub);
    attr.subRenderMode = sub;
    attr.renderType = o.channel ? kRenderTypeOneChannel : 0;
    for (int i = 0; i < 3; ++i)
        penRenderAttrSetEffect(attr, i, o.effects[i]);
    render.changeRenderAttr(attr, 7);
    CStrokeMngr mngr(&stroke, &render);
    SStrokeParam sp;
    strokeParamInit(sp);
    sp.enbPrsRadius = o.prsRadius;
    sp.enbPrsOpaque = o.prsOpacity;
    strokeParamSetPrsGamma(sp, o.gamma);
    if (o.spacing > 0)
        strokeParamSetSpacing(sp, o.spacing);
    mngr.setParam(sp);
    int dabs = 0;
    mngr.setDabObserver([&](const SStrokeData &sd, float r) {
        ++dabs;
        listDab(o, sd, r);
    });
    if (o.document) {
        LabDocument doc(o, stroke, &render, nullptr, nib.get(), ePaintLevel::PAINT_LEVEL_qZ4);
        doc.paper().strokeMngr4()->setParam(sp);
        doc.paper().strokeMngr4()->setDabObserver([&](const SStrokeData &sd, float r) {
            ++dabs;
            listDab(o, sd, r);
        });
        if (!doc.draw(stroke, o.points))
            fail("the stroke did not start");
        doc.save(o.output);
    } else if (!canvas.drawStroke4(mngr, stroke, o.points)) {
        fail("the stroke did not start");
    }
    std::printf("version-4 stroke of %zu points: %d dabs\n", o.points.size(), dabs);
}

// The points as one stroke of the oldest paint level: --radius is the pen width, --min-radius
// its share at zero pressure (with --prs-radius); --prs-opacity, --gamma and --opacity as for
// the other engines; the effects are the pen's effect, environment and speed.
void drawEngine1(const Options &o, CStrokeCanvasOlder &canvas)
{
    TStroke stroke(1);
    const TDrawMode dm = drawModeOf(o.methodName);
    stroke.SetDrawMode(dm);
    stroke.initPenSetting(dm);
    stroke.SetDrawColor(o.colour);
    stroke.setBgCol(o.background);
    stroke.SetPenWidth(o.radius);
    stroke.SetPenMin(o.minRadius * 100);
    stroke.SetPenIfSize(o.prsRadius);
    stroke.SetPenIfTrans(o.prsOpacity);
    stroke.SetPenGamma(o.gamma);
    stroke.setOpaque(o.opacity);
    stroke.SetPenEffect(o.effects[0]);
    stroke.SetPenEnv(o.effects[1]);
    stroke.SetPenSpeed(o.effects[2]);
    if (o.document) {
        const ePaintLevel level =
            o.engine == 2 ? ePaintLevel::PAINT_LEVEL_qZ2 : ePaintLevel::PAINT_LEVEL_qZ1;
        LabDocument doc(o, stroke, nullptr, nullptr, nullptr, level);
        if (!doc.draw(stroke, o.points))
            fail("nothing to draw");
        doc.save(o.output);
        std::printf("level-%d document stroke of %zu points: %d steps\n", o.engine, o.points.size(),
                    stroke.m_penCount);
        return;
    }
    if (!canvas.drawStroke1(stroke, o.points))
        fail("nothing to draw");
    std::printf("level-1 stroke of %zu points: %d steps\n", o.points.size(), stroke.m_penCount);
}

int runOlderEngine(const Options &o)
{
    initStrokePixelProcs();
    CStrokeCanvasOlder canvas(o.width, o.height, o.background);
    if (!canvas.layer().isEnable())
        fail("out of memory for the canvas");
    if (o.engine == 4)
        drawEngine4(o, canvas);
    else
        drawEngine1(o, canvas);
    if (!o.document)
        writeOutput(canvas.layer().imageView(), o.output);
    return 0;
}

bool writeChannel(const TChannel &ch, const QString &path)
{
    QImage img(ch.width(), ch.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < ch.height(); ++y)
        std::copy_n(ch.seek8(0, y), ch.width(), img.scanLine(y));
    return tool::writePicture(img, path);
}

// The points as one version-5 stroke on a document-free layer; the layer is written.
int drawStroke(const Options &o, CPenShapeObj &nib, const SPenRenderAttr &attr)
{
    TStroke stroke(5);
    stroke.SetDrawColor(o.colour);
    stroke.setBgCol(o.background);
    stroke.setOpaque(o.opacity);
    CPenRender5 render(&stroke);
    render.setPenShapeObj(&nib, true, true, true);
    render.changeRenderAttr(attr, 7);

    CStrokeMngr5 mngr(&stroke, &render);
    SStrokeParam param;
    strokeParamInit(param);
    param.smooth = o.smooth;
    param.interpolateType = o.interpolate;
    param.enbPrsRadius = o.prsRadius;
    param.enbPrsOpaque = o.prsOpacity;
    strokeParamSetPrsGamma(param, o.gamma);
    if (o.spacing > 0)
        strokeParamSetSpacing(param, o.spacing);
    mngr.setParam(param);
    int dabs = 0;
    mngr.setDabObserver([&](const SStrokeData &sd, float r) {
        ++dabs;
        if (o.listDabs)
            std::printf("%g %g %g %g\n", double(sd.x), double(sd.y), double(sd.p), double(r));
    });

    if (o.document) {
        LabDocument doc(o, stroke, nullptr, &render, &nib, ePaintLevel::PAINT_LEVEL_qZ5);
        doc.paper().strokeMngr5()->setParam(param);
        doc.paper().strokeMngr5()->setDabObserver([&](const SStrokeData &sd, float r) {
            ++dabs;
            listDab(o, sd, r);
        });
        if (!doc.draw(stroke, o.points))
            fail("the stroke did not start");
        doc.save(o.output);
        std::printf("a document stroke of %zu points, %d dabs, into %s\n", o.points.size(), dabs,
                    qPrintable(o.output));
        return 0;
    }
    CStrokeCanvas canvas(o.width, o.height, o.background);
    if (!canvas.layer().isEnable())
        fail("out of memory for the canvas");
    if (!canvas.drawStroke(mngr, stroke, o.points))
        fail("the stroke did not start");
    writeOutput(canvas.layer().imageView(), o.output);
    std::printf("a stroke of %zu points, %d dabs, into %s\n", o.points.size(), dabs,
                qPrintable(o.output));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-strokelab");
    QCoreApplication app(argc, argv);
    const Options o = parseOptions(app);
    if (o.engine != 5)
        return runOlderEngine(o);
    if (o.document && !o.stroke)
        fail("with --document engine 5 draws a stroke (--stroke)");

    initStrokePixelProcs();
    // A layer that does not keep its transparency: colour goes over, the eraser lowers alpha.
    gStrokeColorPut = pixelPutOver;

    LabStroke stroke;
    stroke.colour = o.colour;
    stroke.background = o.background;
    CPenRender5 render(&stroke);
    std::unique_ptr<CPenShapeObj> nib = makeNib(o);
    render.setPenShapeObj(nib.get(), true, true, true);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    attr.renderMode = o.method;
    attr.renderType = kRenderTypeVersion5 | (o.channel ? kRenderTypeOneChannel : 0);
    for (int i = 0; i < 3; ++i)
        penRenderAttrSetEffect(attr, i, o.effects[i]);
    render.changeRenderAttr(attr, 7);
    render.updatePenColor();
    if (o.stroke)
        return drawStroke(o, *nib, attr);

    TMTC canvas(o.width, o.height);
    TChannel alpha(o.width, o.height);
    if (!canvas.isEnable() || !alpha.isEnable())
        fail("out of memory for the canvas");
    canvas.fillAll(o.background);
    alpha.PixelFill(0);

    render.startRender(canvas, o.points.front().x, o.points.front().y, o.points.front().p);
    const float base = render.getRadius();
    const std::vector<SStrokeData> dabs = placeDabs(o, render.calcPenSpace(base, o.spacing));
    int painted = 0;
    for (size_t i = 0; i < dabs.size(); ++i) {
        const SStrokeData &d = dabs[i];
        if (i > 0)
            stroke.progress += std::hypot(d.x - dabs[i - 1].x, d.y - dabs[i - 1].y);
        const float r = base * (o.minRadius + (1.0f - o.minRadius) * std::clamp(d.p, 0.0f, 1.0f));
        const bool ok = o.channel ? render.render1chPen(alpha, d, r, 255)
                                  : render.render4chPen(canvas, d, r, o.colour);
        painted += ok;
    }
    render.endRender();

    const bool saved = o.channel ? writeChannel(alpha, o.output)
                                 : tool::writePicture(canvas.imageView(), o.output);
    if (!saved)
        return 2;
    std::printf("%d of %zu dabs painted into %s\n", painted, dabs.size(), qPrintable(o.output));
    return 0;
}
