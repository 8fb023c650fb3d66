#include "tool_support.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <csignal>
#include <cstdio>

namespace tool {
namespace {

const char *gToolName = "kavrin-tool";

const char *fileStatusWords(uint8_t code)
{
    // The chunked files' codes with the PSD codes the document joins to them.
    switch (code) {
    case 0:
        return "done";
    case 1:
        return "there is not enough memory";
    case 2:
        return "a block lies outside its layer or mask";
    case 3:
        return "an exception was raised";
    case 4:
        return "the file does not exist";
    case 5:
        return "the file cannot be created";
    case 6:
        return "the file cannot be opened";
    case 8:
        return "the file could not be written in full";
    case 9:
        return "the file is cut short";
    case 10:
        return "a part of the file cannot be reached";
    case 11:
        return "a part runs past the end of the file";
    case 12:
        return "the version is not supported";
    case 13:
        return "the picture is larger than 10000 pixels on a side";
    case 15:
        return "the file is of the wrong type";
    case 16:
        return "the file holds data of an unexpected kind";
    case 17:
        return "a part of the file has an unexpected size";
    case 19:
        return "the thumbnail was skipped";
    case 20:
        return "an item cannot be written";
    case 21:
        return "a layer cannot be created";
    case 22:
        return "the block size is not supported";
    case 23:
        return "a block run holds no blocks";
    case 24:
        return "a block run is of an unknown kind";
    case 25:
        return "the lengths of a block run do not agree";
    case 26:
        return "a block cannot be had";
    case 29:
        return "a mask cannot be made";
    case 35:
        return "a mask cannot be added";
    case 37:
        return "nothing was saved or loaded";
    case 38:
        return "the file uses something that is not supported";
    case 39:
        return "an event block cannot be read as events";
    case 40:
        return "there is no usable event recorder";
    case 41:
        return "the recorder did not take the events";
    case 42:
        return "there is nothing to write";
    case 43:
        return "an event segment is cut short";
    case 44:
        return "an event segment has the wrong length";
    case 45:
        return "the recorder did not take an event segment";
    case 48:
        return "an item could not be added to its set";
    case 52:
        return "the file cannot be read";
    case 53:
        return "the file cannot be opened as a PSD file";
    case 55:
        return "the document record is missing";
    case 56:
        return "the merged picture's channel is missing";
    case 57:
        return "a layer is missing";
    case 58:
        return "a mask is missing";
    case 61:
        return "the reader or writer could not be set up";
    case 62:
        return "a value is out of range";
    case 63:
        return "the picture is of a size the format does not take";
    case 64:
        return "the file is not of this format or its header is damaged";
    case 65:
        return "stopped by the user";
    case 66:
        return "the user data were refused";
    default:
        return "an unknown error";
    }
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
    // The buffer's last bytes are flushed first: a short write there must not be committed.
    if (!file.flush()) {
        fail(path, QStringLiteral("cannot be written (%1)").arg(file.errorString()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        fail(path, QStringLiteral("cannot be written (%1)").arg(file.errorString()));
        return false;
    }
    return true;
}

} // namespace tool
