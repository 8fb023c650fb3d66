// kavrin-psd: looks at PSD files through the program's PSD reader and converts documents.
//
//   kavrin-psd dump FILE             the document record and every layer record (one line each)
//   kavrin-psd layers FILE OUTDIR    every layer's pixels as OUTDIR/layer-N.png (N from the bottom,
//                                    the layer rectangle only) and the merged picture as merged.png
//   kavrin-psd convert IN OUT        .qzi -> .psd or .psd -> .qzi (by the extensions)
//
// Exit codes: 0 done, 1 bad arguments, 2 the file (or a layer or the merged picture of it) cannot
// be read, or a layered file lost a part while loading (its status code is printed), 3 the output
// cannot be written.
#include "core/mask/mask_manager.h"
#include "document/events/event_manager.h"
#include "document/files/native_image.h"
#include "document/files/psd_file.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_document.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "format/chunk.h"
#include "platform/codec/psd_codec.h"
#include "tool_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace codec;

namespace {

QByteArray text(const QString &s)
{
    return s.toUtf8();
}

int openFile(const QString &path, std::unique_ptr<CPsdFile> &f, SPsdDocInfo &doc)
{
    CodecStatus s = CPsdFile::open(&path, f);
    if (succeeded(s) && !f)
        s = CodecStatus::Handle;
    if (succeeded(s))
        s = f->getDocInfo(doc);
    if (!succeeded(s)) {
        tool::fail(path, tool::codecStatusText(s));
        return 2;
    }
    return 0;
}

int dump(const QString &path)
{
    std::unique_ptr<CPsdFile> f;
    SPsdDocInfo doc;
    if (int rc = openFile(path, f, doc))
        return rc;
    std::printf("size %dx%d bits %d type %d channels %d/%d layers %d active %d running %d "
                "dpi %d merged-alpha %d\n",
                doc.width, doc.height, doc.bitsPerPixel, doc.imageType, doc.colorChannels,
                doc.totalChannels, doc.layerCount, doc.activeLayer, doc.layerRunningNumber,
                doc.dpiX, doc.mergedAlpha);
    int rc = 0;
    for (int32_t i = 0; i < doc.layerCount; ++i) {
        SPsdLayerInfo l;
        if (const CodecStatus s = f->getLayerInfo(i, l); !succeeded(s)) {
            std::fflush(stdout);
            tool::fail(path, QStringLiteral("layer %1: %2").arg(i).arg(tool::codecStatusText(s)));
            rc = 2;
            continue;
        }
        const QString name = l.wideName ? *l.wideName : l.nameText();
        std::printf("layer %d id %d rect %d,%d,%d,%d channels %d mode %d key \"%.4s\" opacity %d "
                    "clip %d flags 0x%02x name \"%s\"\n",
                    l.index, l.layerId, l.left, l.top, l.right, l.bottom, l.channels, l.mode,
                    l.key.data(), l.opacity, l.clipping, l.flags, text(name).constData());
    }
    for (uint16_t id : {1005, 1006, 1024, 1036, 1045})
        if (const uint32_t n = f->getResource(id, {}))
            std::printf("resource %d %u bytes\n", id, n);
    return rc;
}

// A decoded picture as a QImage (its rows from the top).
QImage toImage(const CodecImage &dib)
{
    QImage img(dib.info.biWidth, std::abs(dib.info.biHeight), QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(img.scanLine(y), dibRowFromTop(dib.info, dib.bits, y), size_t(img.width()) * 4);
    return img;
}

// The reason of an import status, when it is one a user can act on beyond the code's words.
QString importReason(uint8_t status)
{
    return status == CS_PSD_BAD_TYPE
               ? QStringLiteral("only 8-bit grey or RGB and 1-bit bitmap documents are read "
                                "(err=%1)")
                     .arg(status)
               : tool::fileStatusText(status);
}

// Every layer and the merged picture as PNGs; what cannot be read is said and the rest written
// (exit 2), a picture that cannot be written stops with 3. A document of a kind the import refuses
// is refused before anything is written, with the import's code and reason.
int layers(const QString &path, const QString &outDir)
{
    std::unique_ptr<CPsdFile> f;
    SPsdDocInfo doc;
    if (int rc = openFile(path, f, doc))
        return rc;
    if (const uint8_t s = psdCheckImageType(doc); s != 0) {
        tool::fail(path, importReason(s));
        return 2;
    }
    if (!QDir().mkpath(outDir) || !QFileInfo(outDir).isDir()) {
        tool::fail(outDir, QStringLiteral("the folder cannot be made"));
        return 3;
    }
    int rc = 0;
    for (int32_t i = 0; i < doc.layerCount; ++i) {
        CodecImage pic;
        const CodecStatus s = psdGetLayerImage(*f, i, pic);
        if (s == CodecStatus::NoData)
            continue; // an empty rectangle has no picture
        if (!succeeded(s)) {
            tool::fail(path, QStringLiteral("layer %1: %2").arg(i).arg(tool::codecStatusText(s)));
            rc = 2;
            continue;
        }
        if (!tool::writePicture(toImage(pic),
                                QDir(outDir).filePath(QStringLiteral("layer-%1.png").arg(i))))
            return 3;
    }
    CodecImage merged;
    if (const CodecStatus s = psdGetImage(path, merged); !succeeded(s)) {
        tool::fail(
            path,
            QStringLiteral("the merged picture cannot be read: %1").arg(tool::codecStatusText(s)));
        return 2;
    }
    if (!tool::writePicture(toImage(merged), QDir(outDir).filePath(QStringLiteral("merged.png"))))
        return 3;
    return rc;
}

bool isKind(const QString &path, const char *suffix)
{
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// Loads in into paper: 0, or 2 said when the file cannot be read or a layered file lost a part on
// the way (what was salvaged of it is no copy of the file, so nothing is made from it).
int load(const QString &in, bool fromPsd, TPaper &paper)
{
    if (!fromPsd)
        return tool::loadLayeredFile(in, paper);
    if (const uint8_t code = loadPsdFile(in, paper)) {
        tool::fail(in, importReason(code));
        return 2;
    }
    return 0;
}

int convert(const QString &in, const QString &out)
{
    const bool fromPsd = isKind(in, "psd"), toPsd = isKind(out, "psd");
    if (!fromPsd && !isKind(in, "qzi")) {
        tool::fail(in, QStringLiteral("convert reads a .qzi or .psd file"));
        return 1;
    }
    if (!toPsd && !isKind(out, "qzi")) {
        tool::fail(out, QStringLiteral("convert writes a .qzi or .psd file"));
        return 1;
    }
    if (toPsd == fromPsd) {
        tool::fail(out, QStringLiteral("convert goes from .qzi to .psd or from .psd to .qzi"));
        return 1;
    }
    CHeadlessPaperApp app;
    HeadlessDocument doc;
    if (!doc.paper) {
        tool::fail(in, tool::fileStatusText(CS_LAYER_NOT_CREATED));
        return 2;
    }
    std::unique_ptr<TPaper> &paper = doc.paper;
    paper->eventMngr().stopRecording();
    if (const int rc = load(in, fromPsd, *paper))
        return rc;
    if (toPsd) {
        if (const uint8_t s = savePsdFile(out, *paper, 6, true)) {
            tool::fail(out, QStringLiteral("cannot be written: %1").arg(tool::fileStatusText(s)));
            return 3;
        }
        return 0;
    }
    return tool::saveLayeredFile(out, *paper);
}

const char kUsage[] =
    "usage: kavrin-psd dump FILE | layers FILE OUTDIR | convert IN OUT\n"
    "  dump     the document record and every layer record (one line each)\n"
    "  layers   every layer's pixels as OUTDIR/layer-N.png and the merged picture as merged.png\n"
    "  convert  .qzi -> .psd or .psd -> .qzi (by the extensions)\n"
    "exit 0 done, 1 bad arguments, 2 the file cannot be read (or a part of it), 3 the output\n"
    "cannot be written\n";

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-psd");
    const QStringList args = tool::toolArguments(argc, argv);
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    int qtArgc = 1;
    QCoreApplication qapp(qtArgc, argv);
    const QString cmd = args.value(0);
    if (cmd == QStringLiteral("dump") && args.size() == 2)
        return dump(args[1]);
    if (cmd == QStringLiteral("layers") && args.size() == 3)
        return layers(args[1], args[2]);
    if (cmd == QStringLiteral("convert") && args.size() == 3)
        return convert(args[1], args[2]);
    return tool::usageError(kUsage, 1);
}
