// kavrin-qzi: looks at native layered image files.
//
//   kavrin-qzi dump FILE          every chunk (offset, tag, size) with the fields of its record
//   kavrin-qzi resave IN OUT      loads IN and saves its layers, masks and thumbnail as OUT
//   kavrin-qzi render IN OUT.png  loads IN and writes the composed picture (in the format of the
//                                 extension)
//
// Exit codes: 0 done, 1 bad arguments, 2 the file cannot be read or lost a part while loading
// (its status code is printed, nothing is written), 3 the output cannot be written.
#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "document/events/event_manager.h"
#include "document/files/native_image.h"
#include "format/chunk.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_document.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "document/view/outside_picture.h"
#include "tool_support.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

#include <cstdio>
#include <memory>

namespace {

int32_t i32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<int32_t>(b.constData() + at);
}

int32_t u16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint16_t>(b.constData() + at);
}

int32_t i16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<int16_t>(b.constData() + at);
}

void dumpHeader(const QByteArray &b, qsizetype at)
{
    if (at + 56 > b.size())
        return;
    std::printf("  size %dx%d version %d writer %d.%d flags 0x%x canvas 0x%08x dpi %d\n",
                i32(b, at + 8), i32(b, at + 12), i32(b, at + 16), u16(b, at + 20), u16(b, at + 22),
                uint32_t(i32(b, at + 24)), uint32_t(i32(b, at + 28)), u16(b, at + 36));
    std::printf("  layers %d active %d names %d; masks %d active %d names %d\n", i16(b, at + 40),
                i16(b, at + 32), i16(b, at + 42), i16(b, at + 44), i16(b, at + 34),
                i16(b, at + 46));
}

void dumpLayer(const QByteArray &b, qsizetype at, uint32_t size)
{
    const qsizetype r = at + 8;
    if (size < 72 || r + 72 > b.size())
        return;
    std::printf("  index %d flags 0x%x mode %d trans %d block %dx%d grid %dx%d image %dx%d\n",
                i32(b, r), u16(b, r + 4), uint8_t(b[r + 6]), uint8_t(b[r + 7]), i32(b, r + 8),
                i32(b, r + 12), i32(b, r + 16), i32(b, r + 20), i32(b, r + 24), i32(b, r + 28));
    std::printf("  view %d,%d %dx%d bg 0x%08x nameLength %d version %d dither %d group %d "
                "clip %d seed %u link %d\n",
                i32(b, r + 32), i32(b, r + 36), i32(b, r + 40), i32(b, r + 44),
                uint32_t(i32(b, r + 48)), u16(b, r + 52), u16(b, r + 54), uint8_t(b[r + 56]),
                uint8_t(b[r + 57]), uint8_t(b[r + 58]), uint32_t(i32(b, r + 60)), u16(b, r + 64));
    const qsizetype n = std::min<qsizetype>(size - 72, b.size() - (r + 72));
    QString title =
        QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData() + r + 72), n / 2);
    title.truncate(title.indexOf(QChar(0)) < 0 ? title.size() : title.indexOf(QChar(0)));
    std::printf("  title \"%s\"\n", title.toUtf8().constData());
}

// Every chunk of the file; a file that is not a layered image, or whose chunks run past its end,
// is said after what could be listed.
int dump(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        tool::fail(path, tool::fileStatusText(f.exists() ? CS_CANNOT_OPEN : CS_FILE_MISSING));
        return 2;
    }
    const QByteArray b = f.readAll();
    QBuffer head;
    head.setData(b);
    SImageFileHeader header;
    if (const uint8_t code = head.open(QIODevice::ReadOnly) ? readImageHeader(head, header)
                                                            : uint8_t(CS_CANNOT_OPEN)) {
        tool::fail(path, tool::fileStatusText(code));
        return 2;
    }
    for (qsizetype at = 0; at + 8 <= b.size();) {
        const uint32_t tag = qFromLittleEndian<uint32_t>(b.constData() + at);
        const uint32_t size = qFromLittleEndian<uint32_t>(b.constData() + at + 4);
        std::printf("%lld %s %u\n", static_cast<long long>(at),
                    chunkTagName(tag).toUtf8().constData(), size);
        if (tag == chunkTag("QPIM"))
            dumpHeader(b, at);
        else if (tag == chunkTag("QLYR"))
            dumpLayer(b, at, size);
        else if ((tag == chunkTag("QBIM") || tag == chunkTag("QBMK")) && at + 40 <= b.size())
            std::printf("  kind %d count %d compressed %d raw %d\n", i32(b, at + 16) & 0xFF,
                        i32(b, at + 20), i32(b, at + 24), i32(b, at + 28));
        at += 8 + qsizetype(size);
        if (at > b.size() || (at < b.size() && at + 8 > b.size())) {
            std::fflush(stdout);
            tool::fail(path, tool::fileStatusText(at > b.size() ? CS_PAST_END : CS_READ_FAILED));
            return 2;
        }
    }
    return 0;
}

// The document's picture as other programs should read it (alpha kept under a hidden canvas
// colour).
bool writePng(TPaper &paper, const QString &path)
{
    TMTC picture;
    return composeOutsidePicture(paper, picture) && tool::writePicture(picture.imageView(), path);
}

const char kUsage[] = "usage: kavrin-qzi dump FILE | resave IN OUT.qzi | render IN OUT.png\n"
                      "  dump    every chunk (offset, tag, size) with the fields of its record\n"
                      "  resave  loads IN and saves its layers, masks and thumbnail as OUT\n"
                      "  render  loads IN and writes the composed picture (the extension picks\n"
                      "          the format: .png, .bmp, .jpg...)\n"
                      "exit 0 done, 1 bad arguments, 2 the file cannot be read or is damaged,\n"
                      "3 the output cannot be written\n";

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-qzi");
    const QStringList args = tool::toolArguments(argc, argv);
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    int qtArgc = 1;
    QCoreApplication qapp(qtArgc, argv);
    const QString cmd = args.value(0);
    if (cmd == QStringLiteral("dump") && args.size() == 2)
        return dump(args[1]);
    if ((cmd != QStringLiteral("resave") && cmd != QStringLiteral("render")) || args.size() != 3)
        return tool::usageError(kUsage, 1);
    const QString in = args[1], out = args[2];
    if (cmd == QStringLiteral("render") && !tool::checkPictureOutput(out))
        return 1;
    if (cmd == QStringLiteral("resave") &&
        QFileInfo(out).suffix().compare(QLatin1String("qzi"), Qt::CaseInsensitive) != 0) {
        tool::fail(out, QStringLiteral("a layered image is written as .qzi"));
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
    if (const int rc = tool::loadLayeredFile(in, *paper))
        return rc;
    if (cmd == QStringLiteral("resave"))
        return tool::saveLayeredFile(out, *paper);
    return writePng(*paper, out) ? 0 : 3;
}
