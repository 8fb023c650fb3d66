#include "paint/palette/swatches.h"

#include "core/profile/app_profile.h"
#include "format/chunk.h"
#include "platform/system/file_stream.h"
#include "platform/desktop/messages.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <new>

namespace {

const QString &undefinedName()
{
    static const QString name = QStringLiteral("Undefined");
    return name;
}

QString failMessage(const char *format, const QString &what, int32_t code)
{
    return QString::fromUtf8(format).arg(what).arg(code);
}

// The .aco reader marks colours it converted from CMYK; they may be dropped on request.
void offerToDropCmyk(std::vector<TColor32> &colors)
{
    const auto isCmyk = [](const TColor32 &c) { return c.a == kAcoSpaceCMYK; };
    const auto cmyk = std::count_if(colors.begin(), colors.end(), isCmyk);
    if (cmyk == 0) {
        return;
    }
    const QString question =
        QStringLiteral(
            "CMYKパレットは正常に色を変換できません！\rCMYKパレットは破棄してよいですか？ "
            "(%1色中%2色)")
            .arg(colors.size())
            .arg(cmyk);
    if (showConfirm(question, kavrin::cbYes | kavrin::cbNo) == kavrin::mrYes) {
        colors.erase(std::remove_if(colors.begin(), colors.end(), isCmyk), colors.end());
    }
}

} // namespace

TColor32 defaultSwatchColor(int32_t i)
{
    const auto level8 = [](int32_t n) { return uint8_t((n << 5) | (n << 2) | (n >> 1)); };
    TColor32 c;
    c.b = uint8_t((i / 64) * 0x55);
    c.g = level8((i / 8) % 8);
    c.r = level8(i % 8);
    c.a = 0;
    return c;
}

void TSwatchMngr::notify()
{
    if (OnChange) {
        OnChange(*this);
    }
}

void TSwatchMngr::setModified(bool v)
{
    FModified = v;
    notify();
}

void TSwatchMngr::setLastPath(const QString &path)
{
    if (path != FLastPath) {
        FLastPath = path;
        notify();
    }
}

bool TSwatchMngr::InsertItem(int32_t idx, TColor32 color)
{
    TSwatchItem item;
    item.FColor = color;
    item.FName = undefinedName();
    return InsertItem(idx, item);
}

bool TSwatchMngr::InsertItem(int32_t idx, const TSwatchItem &item)
{
    const int32_t before = ItemCount();
    try {
        auto copy = std::make_unique<TSwatchItem>(item);
        if (IsValidIndex(idx)) {
            FList.insert(FList.begin() + idx, std::move(copy));
        } else {
            FList.push_back(std::move(copy));
        }
    } catch (const std::bad_alloc &) {
    }
    setModified(true);
    return ItemCount() > before;
}

bool TSwatchMngr::DeleteItem(int32_t idx)
{
    if (!IsValidIndex(idx)) {
        return false;
    }
    FList.erase(FList.begin() + idx);
    setModified(true);
    return true;
}

int32_t TSwatchMngr::readPalette(const QString &path, ePaletteType type, SPaletteData &data) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    switch (type) {
    case ptBinary:
        return readBinaryPalette(file, data);
    case ptAdobe:
        return readAdobePalette(file, data);
    default: {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return -1;
        }
        return readTextPalette(bytes, data);
    }
    }
}

int32_t TSwatchMngr::LoadCode(const QString &path, bool append)
{
    try {
        const ePaletteType type = paletteTypeOfPath(path);
        if (type == ptNone) {
            return CS_BAD_TYPE;
        }
        if (!QFile::exists(path)) {
            return CS_FILE_MISSING;
        }
        SPaletteData data;
        const int32_t n = readPalette(path, type, data);
        if (n <= 0) {
            showWarning(n < 0 ? QStringLiteral("パレットファイルのロードに失敗しました！")
                              : QStringLiteral("扱えないパレットデータ形式でした！"));
            return CS_NOTHING_SAVED;
        }
        if (data.announced > n) {
            showWarning(QStringLiteral("%1個の%2が読み込めませんでした！")
                            .arg(data.announced - n)
                            .arg(QStringLiteral("パレット")));
        }
        if (type == ptAdobe) {
            offerToDropCmyk(data.colors);
        }
        // Dropping every colour leaves nothing to load: the swatches in place stay.
        if (data.colors.empty()) {
            return CS_NOTHING_SAVED;
        }

        std::vector<std::unique_ptr<TSwatchItem>> items;
        items.reserve(data.colors.size());
        for (const TColor32 &c : data.colors) {
            auto item = std::make_unique<TSwatchItem>();
            item->FColor = c;
            item->FName = undefinedName();
            items.push_back(std::move(item));
        }
        if (!append) {
            FList.clear();
        }
        FList.reserve(FList.size() + items.size());
        std::move(items.begin(), items.end(), std::back_inserter(FList));
        if (data.hasLayout) {
            FItemSize = data.layout.itemSize;
            FRepeatSize = data.layout.repeatSize;
        }
        FLastPath = path;
        setModified(append);
        return CS_OK;
    } catch (const std::bad_alloc &) {
        return CS_EXCEPTION;
    }
}

bool TSwatchMngr::Load(const QString &path, bool append)
{
    const int32_t code = LoadCode(path, append);
    if (code != 0) {
        showWarning(
            failMessage("%1の読み込みに失敗しました! (err=%2)", QStringLiteral("色見本"), code));
    }
    return code == 0;
}

int32_t TSwatchMngr::SaveCode(const QString &path)
{
    const ePaletteType type = paletteTypeOfPath(path);
    if (type == ptNone) {
        return CS_BAD_TYPE;
    }
    if (FList.empty()) {
        return CS_NOTHING_SAVED;
    }
    std::vector<TColor32> colors;
    try {
        colors.reserve(FList.size());
        for (const auto &item : FList) {
            colors.push_back(item->FColor);
        }
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return kPaletteWriteFailed;
    }
    bool written = false;
    try {
        const SPaletteLayout layout{FItemSize, FRepeatSize};
        switch (type) {
        case ptBinary:
            written = writeBinaryPalette(file, colors, layout);
            break;
        case ptAdobe:
            written = writeAdobePalette(file, colors);
            break;
        default:
            written = writeTextPalette(file, colors, layout, type == ptText);
            break;
        }
    } catch (const std::bad_alloc &) {
        file.cancelWriting();
        return CS_EXCEPTION;
    }
    if (!written) {
        file.cancelWriting();
        return kPaletteWriteFailed;
    }
    if (!commitSaveFile(file)) {
        return kPaletteWriteFailed;
    }
    setLastPath(path);
    setModified(false);
    return CS_OK;
}

bool TSwatchMngr::Save(const QString &path)
{
    const int32_t code = SaveCode(path);
    if (code != 0) {
        showWarning(failMessage("%1の保存に失敗しました! (err=%2)",
                                QStringLiteral("パレットファイル"), code));
    }
    return code == 0;
}

bool TSwatchMngr::MakeDefault()
{
    for (int32_t i = 0; i < 256; ++i) {
        if (!InsertItem(-1, defaultSwatchColor(i))) {
            return false;
        }
    }
    return true;
}

bool TSwatchMngr::LoadDefault(bool make)
{
    CAppProfile *profile = gAppProfile.get();
    QString file = profile ? profile->palFile : QString();
    bool found = !file.isEmpty() && QFile::exists(file);
    if (!found && profile) {
        const QString folders[] = {
            profile->palPath,
            QDir(profile->presetPath).filePath(QStringLiteral("preset")),
            QDir(profile->appPath).filePath(QStringLiteral("preset")),
        };
        for (int i = 0; i < 3 && !found; ++i) {
            if (folders[i].isEmpty()) {
                continue;
            }
            profile->palPath = folders[i];
            profile->palFile = QDir(folders[i]).filePath(QStringLiteral("default.qpl"));
            found = QFile::exists(profile->palFile);
        }
        file = profile->palFile;
    }
    if (found && Load(file, false)) {
        return true;
    }
    if (make) {
        MakeDefault();
    }
    if (profile) {
        profile->palFile.clear();
    }
    setLastPath(QString());
    return ItemCount() > 0;
}
