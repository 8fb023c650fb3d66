#include "app/shortcuts/shortcut_file.h"

#include "app/shortcuts/shortcut_manager.h"
#include "platform/desktop/messages.h"
#include "platform/system/file_stream.h"
#include "ui/dialogs/file_dialogs.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <optional>

namespace {

constexpr int kStatusDone = 0, kStatusMissing = 4, kStatusWriteFailed = 8, kStatusReadFailed = 9;

const QString kSetName = QStringLiteral("ショートカット集");

ShortCutFileDialog &fileDialog()
{
    static ShortCutFileDialog dialog;
    return dialog;
}

QString boolText(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

// A decimal integer attribute; nothing when missing, empty or not a number.
std::optional<qlonglong> numberAttribute(const QDomElement &e, const QString &name)
{
    const QString text = e.attribute(name);
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    if (text.isEmpty() || !ok)
        return std::nullopt;
    return v;
}

// "true" or "false" in any case, or an integer (non-zero is true).
std::optional<bool> boolAttribute(const QDomElement &e, const QString &name)
{
    const QString text = e.attribute(name);
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<qlonglong> v = numberAttribute(e, name))
        return *v != 0;
    return std::nullopt;
}

bool keepsBinding(qlonglong command, qlonglong key)
{
    // A command of a newer program, a key no shortcut word can hold and the modifiers alone
    // are left out; the rest of the file still loads.
    return command > 0 && command <= 0xFFFF && shortCutRowOfCommand(int(command)) > 0 && key >= 1 &&
           key <= 254 && !(key >= 16 && key <= 18);
}

bool readDocument(const QString &path, QDomDocument &doc)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxShortCutFileSize)
        return false;
    // Read what is there (a buffer of the largest size for every small file would cost more than
    // the parse); a file that grew past the limit meanwhile is still refused.
    const QByteArray bytes = file.readAll();
    if (bytes.size() > kMaxShortCutFileSize)
        return false;
    return bool(doc.setContent(bytes));
}

} // namespace

bool readShortCutFile(const QString &path, CShortCutMngr &mngr, int &status)
{
    status = kStatusDone;
    if (!QFileInfo(path).isFile()) {
        status = kStatusMissing;
        return false;
    }
    QDomDocument doc;
    if (!readDocument(path, doc) || doc.documentElement().isNull()) {
        status = kStatusReadFailed;
        return false;
    }
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        const std::optional<qlonglong> command = numberAttribute(e, QStringLiteral("Command"));
        const std::optional<qlonglong> key = numberAttribute(e, QStringLiteral("Key"));
        const std::optional<bool> shift = boolAttribute(e, QStringLiteral("Shift"));
        const std::optional<bool> ctrl = boolAttribute(e, QStringLiteral("Ctrl"));
        const std::optional<bool> alt = boolAttribute(e, QStringLiteral("Alt"));
        if (!command || !key || !shift || !ctrl || !alt) {
            status = kStatusReadFailed;
            return false;
        }
        if (!keepsBinding(*command, *key))
            continue;
        mngr.appendObj({TShortCutMainType::smOther, TShortCutSubType::sbOther, uint16_t(*command),
                        uint16_t(*key), *shift, *ctrl, *alt, false});
    }
    return true;
}

bool writeShortCutFile(const QString &path, const CShortCutMngr &mngr, int &status)
{
    status = kStatusDone;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        status = kStatusWriteFailed;
        return false;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument(QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("ShortCuts"));
    for (int i = 0; i < mngr.count(); ++i) {
        const CShortCutObj &o = *mngr.getObj(i);
        // Bindings marked for deletion in the setup dialog are gone for good.
        if (o.FDeleteFlag || (o.FKey == 0 && !o.FShift && !o.FCtrl && !o.FAlt))
            continue;
        xml.writeEmptyElement(QStringLiteral("ShortCut"));
        xml.writeAttribute(QStringLiteral("Command"), QString::number(o.FCommand));
        xml.writeAttribute(QStringLiteral("Key"), QString::number(o.FKey));
        xml.writeAttribute(QStringLiteral("Shift"), boolText(o.FShift));
        xml.writeAttribute(QStringLiteral("Ctrl"), boolText(o.FCtrl));
        xml.writeAttribute(QStringLiteral("Alt"), boolText(o.FAlt));
    }
    xml.writeEndDocument();
    if (xml.hasError()) {
        file.cancelWriting();
        status = kStatusWriteFailed;
        return false;
    }
    if (!commitSaveFile(file)) {
        status = kStatusWriteFailed;
        return false;
    }
    return true;
}

ShortCutFileDialog installShortCutFileDialog(ShortCutFileDialog dialog)
{
    return std::exchange(fileDialog(), std::move(dialog));
}

bool execShortCutFileDialog(QString &path, TOpenFilterType kind, const QString &defaultName,
                            const QString &folder)
{
    if (fileDialog())
        return fileDialog()(path, kind, defaultName, folder);
    QString start = folder;
    return execFileDialog(path, kind, defaultName, nullptr, &start);
}

// ---- the manager's file members

bool CShortCutMngr::load()
{
    if (!QFileInfo::exists(shortCutPath)) {
        initShortCutAll();
        return true;
    }
    return load(shortCutPath, *this);
}

bool CShortCutMngr::load(const QString &path, CShortCutMngr &mngr)
{
    int status = 0;
    mngr.freeAll(); // the file replaces the list, it does not add to it
    if (readShortCutFile(path, mngr, status))
        return true;
    if (status != kStatusMissing)
        showWarning(
            QStringLiteral("%1の読み込みに失敗しました! (err=%2)").arg(kSetName).arg(status));
    mngr.initShortCutAll();
    return false;
}

bool CShortCutMngr::save()
{
    QDir().mkpath(QFileInfo(shortCutPath).absolutePath());
    return save(shortCutPath, *this);
}

bool CShortCutMngr::save(const QString &path, const CShortCutMngr &mngr)
{
    int status = 0;
    if (writeShortCutFile(path, mngr, status))
        return true;
    showWarning(QStringLiteral("%1の保存に失敗しました! (err=%2)").arg(kSetName).arg(status));
    return false;
}

bool CShortCutMngr::doImport(CShortCutMngr &mngr)
{
    mngr.freeAll();
    QString path;
    if (!execShortCutFileDialog(path, ofShortCutR, shortCutPath,
                                QFileInfo(shortCutPath).absolutePath()))
        return false;
    return load(path, mngr);
}

bool CShortCutMngr::doExport()
{
    QString path;
    if (!execShortCutFileDialog(path, ofShortCutW, shortCutPath,
                                QFileInfo(shortCutPath).absolutePath()))
        return false;
    return save(path, *this);
}
