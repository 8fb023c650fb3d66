#include "platform/codec/codec_file.h"
#include "platform/system/file_stream.h"

#include <QSaveFile>

namespace codec {

CodecStatus openForReading(const QString &path, QFile &file)
{
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? CodecStatus::Nothing : CodecStatus::FileOpen;
}

CodecStatus saveFileThrough(const QString &path,
                            const std::function<CodecStatus(QIODevice &)> &write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return CodecStatus::FileOpen;
    const CodecStatus status = write(file);
    if (status != CodecStatus::Nothing) {
        file.cancelWriting();
        return status;
    }
    return commitSaveFile(file) ? CodecStatus::Nothing : CodecStatus::FileWrite;
}

bool readExactly(QIODevice &dev, void *dst, int64_t n)
{
    auto *p = static_cast<char *>(dst);
    while (n > 0) {
        const qint64 got = dev.read(p, n);
        if (got <= 0)
            return false;
        p += got;
        n -= got;
    }
    return true;
}

bool writeExactly(QIODevice &dev, const void *src, int64_t n)
{
    return dev.write(static_cast<const char *>(src), n) == n;
}

} // namespace codec
