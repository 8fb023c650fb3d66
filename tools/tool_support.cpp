#include "tool_support.h"

#include "core/mask/mask_manager.h"
#include "document/files/native_image.h"
#include "document/paper/paper.h"
#include "platform/system/environment.h"
#include "platform/system/file_stream.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <csignal>
#include <cstdio>

namespace tool {
namespace {

const char *gToolName = "kavrin-tool";

// The chunked files' codes with the PSD codes the document joins to them.
struct SStatusWords
{
    uint8_t code;
    const char *words;
};
constexpr SStatusWords kFileStatusWords[] = {
    {0, "done"},
    {1, "there is not enough memory"},
    {2, "a block lies outside its layer or mask"},
    {3, "an exception was raised"},
    {4, "the file does not exist"},
    {5, "the file cannot be created"},
    {6, "the file cannot be opened"},
    {8, "the file could not be written in full"},
    {9, "the file is cut short"},
    {10, "a part of the file cannot be reached"},
    {11, "a part runs past the end of the file"},
    {12, "the version is not supported"},
    {13, "the picture is larger than 10000 pixels on a side"},
    {15, "the file is of the wrong type"},
    {16, "the file holds data of an unexpected kind"},
    {17, "a part of the file has an unexpected size"},
    {19, "the thumbnail was skipped"},
    {20, "an item cannot be written"},
    {21, "a layer cannot be created"},
    {22, "the block size is not supported"},
    {23, "a block run holds no blocks"},
    {24, "a block run is of an unknown kind"},
    {25, "the lengths of a block run do not agree"},
    {26, "a block cannot be had"},
    {29, "a mask cannot be made"},
    {35, "a mask cannot be added"},
    {37, "nothing was saved or loaded"},
    {38, "the file uses something that is not supported"},
    {39, "an event block cannot be read as events"},
    {40, "there is no usable event recorder"},
    {41, "the recorder did not take the events"},
    {42, "there is nothing to write"},
    {43, "an event segment is cut short"},
    {44, "an event segment has the wrong length"},
    {45, "the recorder did not take an event segment"},
    {48, "an item could not be added to its set"},
    {52, "the file cannot be read"},
    {53, "the file cannot be opened as a PSD file"},
    {55, "the document record is missing"},
    {56, "the merged picture's channel is missing"},
    {57, "a layer is missing"},
    {58, "a mask is missing"},
    {61, "the reader or writer could not be set up"},
    {62, "a value is out of range"},
    {63, "the picture is of a size the format does not take"},
    {64, "the file is not of this format or its header is damaged"},
    {65, "stopped by the user"},
    {66, "the user data were refused"},
};

const char *fileStatusWords(uint8_t code)
{
    for (const SStatusWords &w : kFileStatusWords)
        if (w.code == code)
            return w.words;
    return "an unknown error";
}

const char *codecStatusWords(codec::CodecStatus code)
{
    using codec::CodecStatus;
    switch (code) {
    case CodecStatus::Nothing:
        return "done";
    case CodecStatus::Failed:
        return "the file is not of this format or its header is damaged";
    case CodecStatus::NoSupport:
        return "the file uses something that is not supported";
    case CodecStatus::NoMemory:
        return "there is not enough memory";
    case CodecStatus::Setup:
        return "the decoder or encoder could not be set up";
    case CodecStatus::Handle:
        return "the file handle is not valid";
    case CodecStatus::Param:
        return "a value is out of range";
    case CodecStatus::Range:
        return "the picture is larger than 10000 pixels on a side";
    case CodecStatus::Exception:
    case CodecStatus::ExceptionSomething:
        return "an exception was raised";
    case CodecStatus::ColorMode:
        return "the pixel depth or colour model is not supported";
    case CodecStatus::Compress:
        return "the compression failed";
    case CodecStatus::NoData:
        return "there is nothing to read";
    case CodecStatus::Extract:
        return "the compressed data are damaged";
    case CodecStatus::FileOpen:
        return "the file cannot be opened";
    case CodecStatus::FileRead:
        return "the file is cut short";
    case CodecStatus::FileWrite:
        return "the file could not be written in full";
    case CodecStatus::UserBreak:
        return "stopped by the user";
    case CodecStatus::UserData:
        return "the user data were refused";
    default:
        return "an unknown error";
    }
}

// The device's own reason when it has one (a full disk, a file too large), else the writer's.
QString writeFailure(const QSaveFile &file, const QImageWriter &writer)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return writer.errorString();
}

} // namespace

void startTool(const char *name)
{
    gToolName = name;
    std::signal(SIGXFSZ, SIG_IGN);
    ensureRuntimeFolder();
}

QStringList toolArguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

bool asksForHelp(const QStringList &args)
{
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

int printHelp(const char *usage)
{
    std::fputs(usage, stdout);
    return 0;
}

int usageError(const char *usage, int code)
{
    std::fputs(usage, stderr);
    return code;
}

void fail(const QString &file, const QString &what)
{
    std::fprintf(stderr, "%s: %s: %s\n", gToolName, file.toLocal8Bit().constData(),
                 what.toLocal8Bit().constData());
}

void fail(const QString &what)
{
    std::fprintf(stderr, "%s: %s\n", gToolName, what.toLocal8Bit().constData());
}

QString fileStatusText(uint8_t code)
{
    return QStringLiteral("%1 (err=%2)").arg(QLatin1String(fileStatusWords(code))).arg(code);
}

QString codecStatusText(codec::CodecStatus code)
{
    return QStringLiteral("%1 (err=%2)").arg(QLatin1String(codecStatusWords(code))).arg(int(code));
}

QByteArray pictureFormatOf(const QString &path)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix))
        return {};
    return suffix;
}

bool checkPictureOutput(const QString &path)
{
    if (!pictureFormatOf(path).isEmpty())
        return true;
    fail(path, QStringLiteral("the extension names no picture format that can be written "
                              "(.png, .bmp, .jpg...)"));
    return false;
}

bool writePicture(const QImage &picture, const QString &path)
{
    const QByteArray format = pictureFormatOf(path);
    if (format.isEmpty())
        return checkPictureOutput(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(path, QStringLiteral("cannot be written (%1)").arg(file.errorString()));
        return false;
    }
    QImageWriter writer(&file, format);
    if (!writer.write(picture)) {
        fail(path, QStringLiteral("cannot be written (%1)").arg(writeFailure(file, writer)));
        file.cancelWriting();
        return false;
    }
    if (!commitSaveFile(file)) {
        fail(path, QStringLiteral("cannot be written (%1)").arg(file.errorString()));
        return false;
    }
    return true;
}

int loadLayeredFile(const QString &in, TPaper &paper)
{
    uint8_t damage = 0;
    uint8_t code = loadNativeImage(in, paper, &damage);
    if (code == 0)
        code = damage;
    if (code == 0)
        return 0;
    fail(in, fileStatusText(code));
    return 2;
}

int saveLayeredFile(const QString &out, TPaper &paper)
{
    uint32_t flags = kQziLayers | kQziThumbnail;
    if (paper.maskMngr().hasMask())
        flags |= kQziMasks;
    if (saveNativeImage(out, paper, flags))
        return 0;
    fail(out, QStringLiteral("cannot be written"));
    return 3;
}

} // namespace tool
