// kavrin-transformlab: applies a free transform to a picture headless, the way a replayed
// transform does (or one drag step of it), and writes the layer (and the selection) as PNGs.
// A developer tool for looking at what the free transform does.
//
//   kavrin-transformlab LAYER.png OUT.png --corners x0,y0,x1,y1,x2,y2,x3,y3 [--mask MASK.png]
//                       [--mask-out M.png] [--simple] [--drag]
//
// The corners are top-left, top-right, bottom-right and bottom-left, in pixels of the picture.
// With a mask (its grey values, the picture's size) the pixels inside it move with it (code 57);
// without one the whole content moves (code 56). --simple marks the transform as a plain move
// (copies instead of resampling); --drag makes one drag step (nearest pixels) instead of the
// commit (area average).
// Corners that span no area (all on one line or one point) are refused. The outputs' extensions
// pick their formats; each is written whole or not at all.
// Exit status: 0 applied, 1 refused by the transform, 2 bad arguments, unreadable or unwritable
// files.
#include "core/mask/mask_manager.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/transform/select_transform.h"
#include "document/transform/transform_driving.h"
#include "tool_support.h"

#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr int kApplied = 0, kRefused = 1, kBadArguments = 2;

const char kUsage[] =
    "usage: kavrin-transformlab LAYER.png OUT.png --corners x0,y0,x1,y1,x2,y2,x3,y3 "
    "[--mask MASK.png] [--mask-out M.png] [--simple] [--drag]\n"
    "  the corners are top-left, top-right, bottom-right and bottom-left, in pixels; the\n"
    "  outputs' extensions pick their formats (.png, .bmp, .jpg...)\n"
    "exit 0 applied, 1 refused by the transform, 2 bad arguments, unreadable or unwritable files\n";

int usage(const char *why)
{
    tool::fail(QString::fromUtf8(why));
    return tool::usageError(kUsage, kBadArguments);
}

struct Options
{
    QString layer, out, mask, maskOut;
    sFPos corners[4];
    bool simple = false, drag = false;
};

bool parseCorners(const QString &text, sFPos *c)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 8)
        return false;
    float v[8];
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toFloat(&ok);
        // Corners must be finite and within 2^24 pixels.
        if (!ok || !std::isfinite(v[i]) || std::fabs(v[i]) > 16777216.0f)
            return false;
    }
    for (int i = 0; i < 4; ++i)
        c[i] = {v[2 * i], v[2 * i + 1]};
    return true;
}

// Whether the corners span an area: not all four on one line (or one point), which would map
// the whole layer onto nothing. A frame that twists over itself still spans one.
bool spansArea(const sFPos *c)
{
    for (int skip = 0; skip < 4; ++skip) {
        const sFPos *p[3];
        for (int i = 0, n = 0; i < 4; ++i)
            if (i != skip)
                p[n++] = &c[i];
        const double cross = (double(p[1]->x) - p[0]->x) * (double(p[2]->y) - p[0]->y) -
                             (double(p[1]->y) - p[0]->y) * (double(p[2]->x) - p[0]->x);
        // Twice the triangle's area, in square pixels.
        if (std::fabs(cross) >= 1e-6)
            return true;
    }
    return false;
}

// Empty on success, else what is wrong.
const char *parse(const QStringList &args, Options &o)
{
    bool corners = false;
    QStringList files;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasNext = i + 1 < args.size();
        if (a == QLatin1String("--corners")) {
            if (!hasNext || !parseCorners(args[++i], o.corners))
                return "--corners needs eight finite numbers within 2^24";
            if (!spansArea(o.corners))
                return "--corners make a frame of no area (all on one line or one point)";
            corners = true;
        } else if (a == QLatin1String("--mask")) {
            if (!hasNext)
                return "--mask needs a file";
            o.mask = args[++i];
        } else if (a == QLatin1String("--mask-out")) {
            if (!hasNext)
                return "--mask-out needs a file";
            o.maskOut = args[++i];
        } else if (a == QLatin1String("--simple")) {
            o.simple = true;
        } else if (a == QLatin1String("--drag")) {
            o.drag = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return "unknown option";
        } else {
            files << a;
        }
    }
    if (files.size() != 2)
        return "LAYER.png and OUT.png are needed";
    if (!corners)
        return "--corners is needed";
    o.layer = files[0], o.out = files[1];
    return nullptr;
}

void loadLayer(CBlockVMTC &img, const QImage &pic)
{
    const QImage p = pic.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < p.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(p.constScanLine(y));
        for (int x = 0; x < p.width(); ++x)
            img.setPixel(x, y, row[x]);
    }
}

bool saveLayer(const CBlockVMTC &img, const QString &path)
{
    QImage out(img.width(), img.height(), QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            out.setPixel(x, y, img.getColor(x, y));
    return tool::writePicture(out, path);
}

bool saveMask(const CMaskData &md, const QSize &size, const QString &path)
{
    QImage out(size, QImage::Format_Grayscale8);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            out.scanLine(y)[x] = uint8_t(std::max(md.getMaskValue(x, y), 0));
    return tool::writePicture(out, path);
}

// One drag step over the frame of the content: the pixels lifted, the corners set, mapped once.
bool dragStep(TPaper &paper, const Options &o)
{
    TSelectTransform t(paper);
    if (!t.createFreeTransform() || !t.setTransMask() || !t.setTransImage())
        return false;
    t.setTransformPoints(o.corners[0], o.corners[1], o.corners[2], o.corners[3]);
    t.FIsSimpleMove = o.simple;
    t.transformMask();
    return t.transformImage(false);
}

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-transformlab");
    const QStringList args = tool::toolArguments(argc, argv);
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);
    Options o;
    if (const char *why = parse(QStringList{QStringLiteral("kavrin-transformlab")} + args, o))
        return usage(why);
    if (!tool::checkPictureOutput(o.out) ||
        (!o.maskOut.isEmpty() && !tool::checkPictureOutput(o.maskOut)))
        return kBadArguments;
    QImage pic;
    if (!pic.load(o.layer) || pic.isNull()) {
        tool::fail(o.layer, QStringLiteral("cannot be read as a picture"));
        return kBadArguments;
    }
    QImage mask;
    if (!o.mask.isEmpty() && (!mask.load(o.mask) || mask.size() != pic.size())) {
        tool::fail(o.mask, QStringLiteral("cannot be read as a mask of the picture's size"));
        return kBadArguments;
    }
    initialiseDocument();
    CHeadlessPaperApp hooks;
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper = TPaper::Create(&owner);
    if (!paper) {
        tool::fail(QStringLiteral("no document can be made"));
        return kRefused;
    }
    owner.attach(*paper);
    const sSize size{pic.width(), pic.height()};
    int status = kRefused;
    if (!setupHeadlessPaper(*paper, size, 0xFFFFFF, 1)) {
        tool::fail(o.layer, QStringLiteral("no document of the picture's size can be made"));
    } else {
        loadLayer(*paper->getLayerData(0)->imageTC, pic);
        if (!mask.isNull()) {
            CMaskData &md = *paper->getActiveMaskData();
            const QImage g = mask.convertToFormat(QImage::Format_Grayscale8);
            md.createMask(size.x, size.y);
            for (int y = 0; y < size.y; ++y)
                for (int x = 0; x < size.x; ++x)
                    md.maskTC->setPixel(x, y, g.constScanLine(y)[x]);
        }
        const uint8_t code = mask.isNull() ? 56 : 57;
        const bool ok = o.drag ? dragStep(*paper, o)
                               : eventFreeTransform(*paper, o.corners[0], o.corners[1],
                                                    o.corners[2], o.corners[3], o.simple, code);
        if (!ok) {
            tool::fail(o.layer, QStringLiteral("the transform could not be applied"));
        } else if (!saveLayer(*paper->getLayerData(0)->imageTC, o.out) ||
                   (!o.maskOut.isEmpty() &&
                    !saveMask(*paper->getActiveMaskData(), pic.size(), o.maskOut))) {
            status = kBadArguments;
        } else {
            status = kApplied;
        }
    }
    owner.detach();
    paper.reset();
    return status;
}
