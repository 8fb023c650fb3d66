// kavrin-clip: the document's clipboard from the command line.
//
//   kavrin-clip copy PICTURE [--title T] [--mode N] [--opacity N] [--hidden] [--hold SECONDS]
//       puts PICTURE (BMP, PNG, JPEG) on the clipboard as a 32-bit bitmap with the attributes of
//       a layer made from it and its box, then serves the clipboard until another program takes
//       it over or SECONDS (30) pass
//   kavrin-clip paste OUT.png    writes the clipboard's picture as the program would paste it
//   kavrin-clip info             the formats, the bitmap's header, the attributes and the box
//   kavrin-clip compare A B [--opaque]
//       whether two pictures have the same pixels (with --opaque: B against A made opaque)
//
// Exit codes: 0 done (compare: equal), 1 bad arguments, 2 nothing to read or the pictures
// differ, 3 a file cannot be read or written, 4 the clipboard refused.
#include "core/codec/image_codec.h"
#include "core/image/canvas.h"
#include "core/pixel/blend_modes.h"
#include "document/files/clipboard.h"
#include "document/paper/layer_data.h"
#include "platform/desktop/clipboard.h"
#include "tool_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

const char kUsage[] =
    "usage: kavrin-clip copy PICTURE [--title T] [--mode N] [--opacity N] [--hidden]"
    " [--hold SECONDS]\n"
    "       kavrin-clip paste OUT.png\n"
    "       kavrin-clip info\n"
    "       kavrin-clip compare A B [--opaque]\n"
    "exit 0 done (compare: equal), 1 bad arguments, 2 nothing to read or the pictures differ,\n"
    "3 a file cannot be read or written, 4 the clipboard refused\n";

int usage()
{
    return tool::usageError(kUsage, 1);
}

// The value after option name in args, or fallback.
QString option(const QStringList &args, const char *name, const QString &fallback)
{
    const qsizetype at = args.indexOf(QLatin1String(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

int copy(const QStringList &args)
{
    const QString path = args.value(0);
    MopixDllErr err = MOPIXDLLERR_NOTHING;
    const std::unique_ptr<TMTC> picture = loadImageFile(path, nullptr, &err);
    if (!picture) {
        tool::fail(path, tool::codecStatusText(codec::CodecStatus(err)));
        return 3;
    }
    const int mode = std::clamp(option(args, "--mode", QStringLiteral("3")).toInt(), 0, 255);
    CLayerData layer(0, false);
    if (!layer.createLayer(picture->width(), picture->height(), TLayerMode(mode))) {
        tool::fail(path, tool::codecStatusText(codec::CodecStatus::NoMemory));
        return 3;
    }
    layer.title = option(args, "--title", QStringLiteral("Layer"));
    layer.trans = uint8_t(std::clamp(option(args, "--opacity", QStringLiteral("255")).toInt(), 0, 255));
    layer.visible = !args.contains(QLatin1String("--hidden"));
    layer.viewSize = picture->FPSZ();
    const sBox box{0, 0, picture->width(), picture->height()};
    clipboardEmpty(true);
    if (!copyImageToClipboard32(*picture, box) || !putLayerAttrToClipboard(layer) ||
        !putClipBoxToClipboard(box)) {
        tool::fail(path, QStringLiteral("the clipboard refused the picture"));
        return 4;
    }
    std::printf("copied %dx%d as layer \"%s\"\n", box.w, box.h, layer.title.toUtf8().constData());
    std::fflush(stdout);

    const int hold = std::max(0, option(args, "--hold", QStringLiteral("30")).toInt());
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        if (!clipboardOwned()) {
            std::printf("taken over\n");
            QCoreApplication::quit();
        }
    });
    poll.start(100);
    QTimer::singleShot(hold * 1000, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return 0;
}

int paste(const QStringList &args)
{
    if (args.size() != 1)
        return usage();
    if (!tool::checkPictureOutput(args[0]))
        return 1;
    const std::unique_ptr<TMTC> picture = getClipboardImage();
    if (!picture) {
        tool::fail(QStringLiteral("no picture on the clipboard"));
        return 2;
    }
    if (!tool::writePicture(picture->imageView(), args[0]))
        return 3;
    std::printf("pasted %dx%d\n", picture->width(), picture->height());
    return 0;
}

int info()
{
    for (const QString &fmt : clipboardFormats())
        std::printf("format %s\n", qPrintable(fmt));
    int32_t w = 0, h = 0, bits = 0;
    if (getClipboardDibInfo(w, h, bits))
        std::printf("picture %dx%d, %d bits\n", w, h, bits);
    SOlyHeader hdr;
    QString title;
    if (getLayerAttrFromClipboard(hdr, title))
        std::printf("layer \"%s\" mode %d opacity %d flags 0x%x image %dx%d view %d,%d\n",
                    qPrintable(title), hdr.mode, hdr.trans, hdr.flags, int(hdr.imgSize.x),
                    int(hdr.imgSize.y), int(hdr.viewPos.x), int(hdr.viewPos.y));
    sBox box;
    if (getClipBoxFromClipboard(box))
        std::printf("box %d,%d %dx%d\n", box.x, box.y, box.w, box.h);
    return clipboardHasImage() ? 0 : 2;
}

int compare(QStringList args)
{
    const bool opaqueA = args.removeAll(QStringLiteral("--opaque")) > 0;
    if (args.size() != 2)
        return usage();
    QImage a(args[0]), b(args[1]);
    for (const auto &[picture, path] : {std::pair{&a, args[0]}, std::pair{&b, args[1]}})
        if (picture->isNull()) {
            tool::fail(path, QStringLiteral("cannot be read as a picture"));
            return 3;
        }
    a = a.convertToFormat(QImage::Format_ARGB32);
    b = b.convertToFormat(QImage::Format_ARGB32);
    const uint32_t opaque = opaqueA ? 0xFF000000u : 0;
    if (a.size() != b.size()) {
        std::printf("sizes differ: %dx%d and %dx%d\n", a.width(), a.height(), b.width(),
                    b.height());
        return 2;
    }
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) | opaque) != b.pixel(x, y)) {
                std::printf("pixel (%d, %d) differs: %08x and %08x\n", x, y,
                            a.pixel(x, y) | opaque, b.pixel(x, y));
                return 2;
            }
    std::printf("same\n");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-clip");
    QStringList args = tool::toolArguments(argc, argv);
    // Before the application: help needs no display.
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    // Qt sees only the tool's name, or it would take --title and the like as its own.
    int qtArgc = 1;
    QGuiApplication qapp(qtArgc, argv);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("copy") && !args.isEmpty())
        return copy(args);
    if (command == QLatin1String("paste"))
        return paste(args);
    if (command == QLatin1String("info"))
        return info();
    if (command == QLatin1String("compare"))
        return compare(args);
    return usage();
}
