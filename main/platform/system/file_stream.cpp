#include "platform/system/file_stream.h"

std::unique_ptr<QFile> tryCreateFileStream(const QString &path, QIODevice::OpenMode mode)
{
    if (path.isEmpty())
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(mode))
        return nullptr;
    return file;
}

std::unique_ptr<QSaveFile> tryCreateSaveStream(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return nullptr;
    return file;
}

bool commitSaveFile(QSaveFile &file)
{
    if (!file.flush()) {
        file.cancelWriting(); // the temporary file goes with the QSaveFile
        return false;
    }
    return file.commit();
}
