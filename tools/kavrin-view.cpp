// kavrin-view: shows a document the way its window does, headless, and writes the window's
// screen surface as a picture. A developer tool for looking at the document window's view.
//
//   kavrin-view (FILE.qzi | --blank WxH) --client WxH [--zoom N:D] [--scroll X,Y] [--rot DEG]
//               [--mirror] [--pixel X,Y]... [--geometry] -o OUT.png
//
// A window with the default profile opens the file (or a white one-layer document), takes the
// client size, then zooms (centred on the canvas), scrolls its bars to X,Y, turns and mirrors, in
// that order. --pixel prints "X,Y #RRGGBB" of the surface; --geometry prints the scroll bars, the
// margins and the visible canvas rectangle.
// Exit status: 0 written, 1 bad arguments, 2 unreadable file, 3 write failed.
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "tool_support.h"
#include "windows/docwin/draw_window.h"
#include "windows/render_settings.h"

#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWritten = 0, kBadArguments = 1, kUnreadable = 2, kWriteFailed = 3;

const char kUsage[] =
    "usage: kavrin-view (FILE.qzi | --blank WxH) --client WxH [--zoom N:D] [--scroll X,Y]\n"
    "                   [--rot DEG] [--mirror] [--pixel X,Y]... [--geometry] -o OUT.png\n"
    "  the window zooms (centred), scrolls its bars, turns and mirrors in that order and writes\n"
    "  its screen surface; --pixel prints \"X,Y #RRGGBB\", --geometry the bars, margins, viewRect\n"
    "exit 0 written, 1 bad arguments, 2 unreadable file, 3 write failed\n";

struct Options
{
    QString file, out;
    sSize blank, client;
    TFraction zoom{1, 1};
    bool scroll = false;
    sPos scrollTo;
    bool rotate = false;
    float degree = 0;
    bool mirror = false;
    bool geometry = false;
    std::vector<sPos> pixels;
};

// Two integers separated by sep; sizes must be positive and at most 32768.
bool parsePair(const QString &text, QChar sep, int32_t &a, int32_t &b, bool size)
{
    const QStringList parts = text.split(sep);
    if (parts.size() != 2)
        return false;
    bool ok1 = false, ok2 = false;
    a = parts[0].trimmed().toInt(&ok1);
    b = parts[1].trimmed().toInt(&ok2);
    if (!ok1 || !ok2)
        return false;
    return !size || (a > 0 && b > 0 && a <= 32768 && b <= 32768);
}

const char *parse(const QStringList &args, Options &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        const auto value = [&] { return args[++i]; };
        if (a == QLatin1String("--blank")) {
            if (!hasValue || !parsePair(value(), QLatin1Char('x'), o.blank.x, o.blank.y, true))
                return "--blank needs WxH";
        } else if (a == QLatin1String("--client")) {
            if (!hasValue || !parsePair(value(), QLatin1Char('x'), o.client.x, o.client.y, true))
                return "--client needs WxH";
        } else if (a == QLatin1String("--zoom")) {
            if (!hasValue ||
                !parsePair(value(), QLatin1Char(':'), o.zoom.Numerator, o.zoom.Denominator, true))
                return "--zoom needs N:D";
        } else if (a == QLatin1String("--scroll")) {
            o.scroll = true;
            if (!hasValue || !parsePair(value(), QLatin1Char(','), o.scrollTo.x, o.scrollTo.y, false))
                return "--scroll needs X,Y";
        } else if (a == QLatin1String("--rot")) {
            bool ok = false;
            o.rotate = true;
            if (hasValue)
                o.degree = value().toFloat(&ok);
            if (!ok || !std::isfinite(o.degree))
                return "--rot needs a number of degrees";
        } else if (a == QLatin1String("--mirror")) {
            o.mirror = true;
        } else if (a == QLatin1String("--geometry")) {
            o.geometry = true;
        } else if (a == QLatin1String("--pixel")) {
            sPos p;
            if (!hasValue || !parsePair(value(), QLatin1Char(','), p.x, p.y, false))
                return "--pixel needs X,Y";
            o.pixels.push_back(p);
        } else if (a == QLatin1String("-o")) {
            if (!hasValue)
                return "-o needs a file";
            o.out = value();
        } else if (a.startsWith(QLatin1Char('-'))) {
            return "unknown option";
        } else if (o.file.isEmpty()) {
            o.file = a;
        } else {
            return "more than one document";
        }
    }
    if (o.file.isEmpty() == (o.blank.x == 0))
        return "give either a document or --blank WxH";
    if (o.client.x == 0)
        return "--client WxH is required";
    if (o.out.isEmpty())
        return "-o OUT.png is required";
    return nullptr;
}

QString rectText(const sRect &r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x0).arg(r.y0).arg(r.x1).arg(r.y1);
}

void printGeometry(const TDrawWindow &w)
{
    const auto bar = [](const char *name, const CScrollBarModel &b) {
        std::printf("%s position %d max %d page %d large %d small %d %s\n", name, b.Position,
                    b.Max, b.PageSize, b.LargeChange, b.SmallChange,
                    b.Visible ? "visible" : "hidden");
    };
    bar("hbar", w.ScrollBar1);
    bar("vbar", w.ScrollBar2);
    const char *names[4] = {"left", "right", "top", "bottom"};
    for (int i = 0; i < 4; ++i)
        std::printf("margin %s %s\n", names[i], qPrintable(rectText(w.bgRects[size_t(i)])));
    std::printf("viewRect %s\n", qPrintable(rectText(w.viewRect)));
}

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-view");
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    initialiseDocument();
    CHeadlessPaperApp hooks;
    initialiseWindows();

    auto w = TDrawWindow::Create();
    if (!w) {
        tool::fail(QStringLiteral("no memory for a document"));
        return kUnreadable;
    }
    if (!o.file.isEmpty()) {
        if (tool::loadLayeredFile(o.file, *w->paper) != 0)
            return kUnreadable;
    } else if (!setupHeadlessPaper(*w->paper, o.blank, 0xFFFFFF, 1)) {
        tool::fail(QStringLiteral("no memory for a %1 x %2 document").arg(o.blank.x).arg(o.blank.y));
        return kUnreadable;
    }
    UpdateVRAM(*w->paper, true, true);
    w->FormResize(o.client);
    w->changeZoom(o.zoom.Numerator, o.zoom.Denominator, false);
    if (o.scroll) {
        w->ScrollBar1.setPosition(o.scrollTo.x);
        w->ScrollBar2.setPosition(o.scrollTo.y);
        w->scrollViewTo(w->ScrollBar1.Position, w->ScrollBar2.Position);
        w->updateViewNow(w->isNeedToUpdateRotVram(), nullptr);
    }
    if (o.rotate)
        w->dispatchRotate(o.degree, true);
    if (o.mirror)
        w->dispatchReverse(true);
    w->paintView();

    const TMTC &s = *w->viewSurface();
    const QImage picture = QImage(reinterpret_cast<const uchar *>(s.seek32(0, 0)), s.width(),
                                  s.height(), s.width() * 4, QImage::Format_RGB32)
                               .copy();
    for (const sPos &p : o.pixels) {
        if (p.x < 0 || p.y < 0 || p.x >= picture.width() || p.y >= picture.height()) {
            tool::fail(QStringLiteral("pixel %1,%2 lies outside the client area").arg(p.x).arg(p.y));
            return kBadArguments;
        }
        std::printf("%d,%d #%06X\n", p.x, p.y, unsigned(picture.pixel(p.x, p.y) & 0xFFFFFF));
    }
    if (o.geometry)
        printGeometry(*w);
    std::fflush(stdout);
    return tool::writePicture(picture, o.out) ? kWritten : kWriteFailed;
}
