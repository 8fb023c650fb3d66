#include "platform/desktop/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

#include <map>
#include <new>
#include <optional>

namespace {

ClipboardRenderer &renderer()
{
    static ClipboardRenderer r;
    return r;
}

// The program's clipboard contents: formats with data, and promised formats rendered on the
// first request (the rendered data is kept, as the system clipboard keeps rendered data).
class OwnedMimeData : public QMimeData
{
  public:
    // nullopt marks a promise not rendered yet. Mutable: reading a promise renders it once and
    // keeps the result.
    mutable std::map<QString, std::optional<QByteArray>> entries;

    QStringList formats() const override
    {
        QStringList list;
        for (const auto &entry : entries)
            list << entry.first;
        return list;
    }
    bool hasFormat(const QString &fmt) const override { return entries.count(fmt) != 0; }

  protected:
    QVariant retrieveData(const QString &fmt, QMetaType) const override
    {
        auto it = entries.find(fmt);
        if (it == entries.end())
            return {};
        if (!it->second) {
            QByteArray rendered = renderer() ? renderer()(fmt) : QByteArray();
            if (rendered.isEmpty())
                return {};
            it->second = rendered;
        }
        return *it->second;
    }
};

QPointer<OwnedMimeData> &owned()
{
    static QPointer<OwnedMimeData> current;
    return current;
}

QClipboard *clipboard()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::clipboard();
}

bool ownedBy(QClipboard *cb)
{
    return owned() && cb->mimeData() == owned().data();
}

// Puts a copy of the program's contents plus one more entry on the clipboard. The clipboard gets
// a new object each time, so that every platform announces the new format.
void publishWith(QClipboard *cb, const QString &fmt, std::optional<QByteArray> data)
{
    auto *next = new OwnedMimeData;
    if (ownedBy(cb))
        next->entries = owned()->entries;
    next->entries[fmt] = std::move(data);
    owned() = next;
    cb->setMimeData(next);
}

} // namespace

bool clipboardHasFormat(const QString &fmt)
{
    QClipboard *cb = clipboard();
    if (!cb || fmt.isEmpty())
        return false;
    const QMimeData *data = cb->mimeData();
    return data && data->hasFormat(fmt);
}

bool clipboardEmpty(bool force)
{
    QClipboard *cb = clipboard();
    if (!cb || (!force && ownedBy(cb)))
        return false;
    auto *empty = new OwnedMimeData;
    owned() = empty;
    cb->setMimeData(empty);
    return true;
}

bool clipboardOwned()
{
    QClipboard *cb = clipboard();
    return cb && ownedBy(cb);
}

QStringList clipboardFormats()
{
    QClipboard *cb = clipboard();
    const QMimeData *data = cb ? cb->mimeData() : nullptr;
    return data ? data->formats() : QStringList();
}

bool clipboardPromise(const QString &fmt)
{
    QClipboard *cb = clipboard();
    if (!cb || fmt.isEmpty())
        return false;
    publishWith(cb, fmt, std::nullopt);
    return ownedBy(cb);
}

bool clipboardSetData(const QString &fmt, const QByteArray &data)
{
    QClipboard *cb = clipboard();
    if (!cb || fmt.isEmpty())
        return false;
    publishWith(cb, fmt, data);
    const QMimeData *now = cb->mimeData();
    return ownedBy(cb) && now->data(fmt) == data;
}

bool clipboardReadData(const QString &fmt, const std::function<bool(const QByteArray &)> &callback)
{
    QClipboard *cb = clipboard();
    if (!cb || fmt.isEmpty())
        return false;
    const QMimeData *mime = cb->mimeData();
    if (!mime || !mime->hasFormat(fmt))
        return false;
    const QByteArray data = mime->data(fmt);
    if (data.isEmpty())
        return false;
    return callback(data);
}

void setClipboardRenderer(ClipboardRenderer r)
{
    renderer() = std::move(r);
}

QByteArray streamToGlobal(QIODevice &stream, qint64 count)
{
    if (count < 0)
        return {};
    QByteArray block;
    try {
        block = QByteArray(count, '\0');
    } catch (const std::bad_alloc &) {
        return {};
    }
    if (count > 0 && stream.read(block.data(), count) != count)
        return {};
    if (block.isNull())
        block = QByteArray("");
    return block;
}
