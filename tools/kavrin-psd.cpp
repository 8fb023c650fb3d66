// kavrin-psd: looks at PSD files through the program's PSD reader and converts documents.
//
//   kavrin-psd dump FILE             the document record and every layer record (one line each)
//   kavrin-psd layers FILE OUTDIR    every layer's pixels as OUTDIR/layer-N.png (N from the bottom,
//                                    the layer rectangle only) and the merged picture as merged.png
//   kavrin-psd convert IN OUT        .qzi -> .psd or .psd -> .qzi (by the extensions)
//
// Exit codes: 0 done, 1 bad arguments, 2 the file cannot be read (its status code is printed),
// 3 the output cannot be written.
#include "core/mask/mask_manager.h"
#include "document/events/event_manager.h"
#include "document/files/native_image.h"
#include "document/files/psd_file.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_document.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "platform/codec/psd_codec.h"

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

// One line on stderr for a file that cannot be read: its name, the reason when there is one to
// give, the code. Answers the exit code 2.
int cannotRead(const QString &path, int code, const QString &reason = QString())
{
    if (reason.isEmpty())
        std::fprintf(stderr, "cannot read %s (err=%d)\n", text(path).constData(), code);
    else
        std::fprintf(stderr, "cannot read %s: %s (err=%d)\n", text(path).constData(),
                     text(reason).constData(), code);
    return 2;
}

// The reason of an import status, when it is one a user can act on.
QString importReason(uint8_t status)
{
    return status == CS_PSD_BAD_TYPE
               ? QStringLiteral("only 8-bit grey or RGB and 1-bit bitmap documents are read")
               : QString();
}

int openFile(const QString &path, std::unique_ptr<CPsdFile> &f, SPsdDocInfo &doc)
{
    const CodecStatus s = CPsdFile::open(&path, f);
    if (!succeeded(s) || !succeeded(f->getDocInfo(doc)))
        return cannotRead(path, int(s));
    return 0;
}

// A 32-bit DIB as a PNG file.
bool savePng(const CodecImage &dib, const QString &path)
{
    QImage img(dib.info.biWidth, std::abs(dib.info.biHeight), QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(img.scanLine(y), dibRowFromTop(dib.info, dib.bits, y), size_t(img.width()) * 4);
    return img.save(path, "PNG");
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
    for (int32_t i = 0; i < doc.layerCount; ++i) {
        SPsdLayerInfo l;
        if (!succeeded(f->getLayerInfo(i, l)))
            continue;
        const QString name = l.wideName ? *l.wideName : l.nameText();
        std::printf("layer %d id %d rect %d,%d,%d,%d channels %d mode %d key \"%.4s\" opacity %d "
                    "clip %d flags 0x%02x name \"%s\"\n",
                    l.index, l.layerId, l.left, l.top, l.right, l.bottom, l.channels, l.mode,
                    l.key.data(), l.opacity, l.clipping, l.flags, text(name).constData());
    }
    for (uint16_t id : {1005, 1006, 1024, 1036, 1045})
        if (const uint32_t n = f->getResource(id, {}))
            std::printf("resource %d %u bytes\n", id, n);
    return 0;
}

int layers(const QString &path, const QString &outDir)
{
    std::unique_ptr<CPsdFile> f;
    SPsdDocInfo doc;
    if (int rc = openFile(path, f, doc))
        return rc;
    // Refused before anything is written, with the code and reason the import gives.
    if (const uint8_t s = psdCheckImageType(doc); s != 0)
        return cannotRead(path, s, importReason(s));
    QDir().mkpath(outDir);
    for (int32_t i = 0; i < doc.layerCount; ++i) {
        CodecImage pic;
        const CodecStatus s = psdGetLayerImage(*f, i, pic);
        if (s == CodecStatus::NoData)
            continue; // an empty rectangle has no picture
        if (!succeeded(s))
            return cannotRead(path, int(s), QStringLiteral("layer %1").arg(i));
        if (!savePng(pic, QDir(outDir).filePath(QStringLiteral("layer-%1.png").arg(i))))
            return 3;
    }
    CodecImage merged;
    if (const CodecStatus s = psdGetImage(path, merged); !succeeded(s))
        return cannotRead(path, int(s), QStringLiteral("the merged picture"));
    if (!savePng(merged, QDir(outDir).filePath(QStringLiteral("merged.png"))))
        return 3;
    return 0;
}

int convert(const QString &in, const QString &out)
{
    const bool toPsd =
        QFileInfo(out).suffix().compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0;
    const bool fromPsd =
        QFileInfo(in).suffix().compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0;
    if (toPsd == fromPsd) {
        std::fprintf(stderr, "convert goes from .qzi to .psd or from .psd to .qzi\n");
        return 1;
    }
    CHeadlessPaperApp app;
    HeadlessDocument doc;
    if (!doc.paper)
        return 2;
    std::unique_ptr<TPaper> &paper = doc.paper;
    paper->eventMngr().stopRecording();
    int rc = 0;
    const uint8_t code = fromPsd ? loadPsdFile(in, *paper) : loadNativeImage(in, *paper);
    if (code != 0) {
        rc = cannotRead(in, code, fromPsd ? importReason(code) : QString());
    } else if (toPsd) {
        const uint8_t s = savePsdFile(out, *paper, 6, true);
        if (s != 0) {
            std::fprintf(stderr, "cannot write %s (err=%d)\n", text(out).constData(), s);
            rc = 3;
        }
    } else {
        uint32_t flags = kQziLayers | kQziThumbnail;
        if (paper->maskMngr().hasMask())
            flags |= kQziMasks;
        if (!saveNativeImage(out, *paper, flags))
            rc = 3;
    }
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication qapp(argc, argv);
    const QStringList args = qapp.arguments();
    const QString cmd = args.size() > 1 ? args[1] : QString();
    if (cmd == QStringLiteral("dump") && args.size() == 3)
        return dump(args[2]);
    if (cmd == QStringLiteral("layers") && args.size() == 4)
        return layers(args[2], args[3]);
    if (cmd == QStringLiteral("convert") && args.size() == 4)
        return convert(args[2], args[3]);
    std::fprintf(stderr, "usage: kavrin-psd dump FILE | layers FILE OUTDIR | convert IN OUT\n");
    return 1;
}
