#include "ui/forms/mru_list.h"

#include "platform/system/registry.h"

#include <QFontMetrics>
#include <QMenu>
#include <QRegularExpression>

#include <algorithm>
#include <map>

TMRUMenuCanvas *gMRUMenuCanvas = nullptr;

QString MinimizeName(const QString &path, const QFont &font, int maxWidth)
{
    const QFontMetrics fm(font);
    const int full = fm.horizontalAdvance(path);
    if (full <= maxWidth)
        return path;
    const QChar sep = path.contains(u'\\') && !path.contains(u'/') ? u'\\' : u'/';
    QStringList parts = path.split(sep);
    if (parts.size() < 3)
        return path;                        // a root and a name: nothing to leave out
    const QString root = parts.takeFirst(); // "" for "/x", "C:" for "C:\x"
    const QString name = parts.takeLast();
    // Leading folders go first; the name stays whole even when it alone is too wide.
    while (true) {
        const QString s = root + sep + QStringLiteral("...") + sep +
                          (parts.isEmpty() ? name : parts.join(sep) + sep + name);
        const int width = fm.horizontalAdvance(s);
        if (width <= maxWidth)
            return s;
        if (parts.isEmpty()) // as short as it gets; never longer than the path itself
            return width < full ? s : path;
        parts.removeFirst();
    }
}

TMRUFileList::TMRUFileList(QObject *owner) : QObject(owner) {}

TMRUFileList::~TMRUFileList()
{
    if (FAutoSave)
        Save();
    // No click is running now: the entries, then their submenus, can go at once.
    for (const QPointer<TMRUMenuItem> &item : FItems)
        delete item.data();
    FItems.clear();
    for (const QPointer<QMenu> &menu : FSubmenus)
        delete menu.data();
    FSubmenus.clear();
}

int TMRUFileList::indexOf(const QString &aFile) const
{
    for (int i = 0; i < FMenuItems.size(); ++i)
        if (FMenuItems[i].compare(aFile, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TMRUFileList::trim()
{
    while (FMenuItems.size() > FMaximum)
        FMenuItems.removeLast();
}

void TMRUFileList::rebuild()
{
    if (!FInhibitUpdate)
        UpdateMenu();
}

void TMRUFileList::setMaximum(uint8_t v)
{
    if (v < FMenuItems.size()) {
        FMaximum = v;
        trim();
        UpdateMenu();
    }
    FMaximum = v;
}

void TMRUFileList::setUseSubmenu(bool v)
{
    if (v != FUseSubmenu) {
        FUseSubmenu = v;
        UpdateMenu();
    }
}

void TMRUFileList::setInsertSeparator(bool v)
{
    if (v != FInsertSeparator) {
        FInsertSeparator = v;
        UpdateMenu();
    }
}

void TMRUFileList::setSubmenuName(const QString &v)
{
    if (v != FSubmenuName) {
        FSubmenuName = v;
        if (FUseSubmenu)
            UpdateMenu();
    }
}

void TMRUFileList::setMaxCaptionWidth(int32_t v)
{
    if (v != FMaxCaptionWidth) {
        FMaxCaptionWidth = v;
        UpdateMenu();
    }
}

void TMRUFileList::setFileMenu(QAction *menu)
{
    RemoveAllItems();
    FFileMenu = menu;
    UpdateMenu();
}

void TMRUFileList::InsertItem(int Index, const QString &aFile)
{
    const int at = indexOf(aFile);
    if (at >= 0) {
        FMenuItems.move(at, 0);
    } else {
        FMenuItems.insert(std::clamp<qsizetype>(Index, 0, FMenuItems.size()), aFile);
        trim();
    }
    rebuild();
}

void TMRUFileList::AddItem(const QString &aFile)
{
    const int at = indexOf(aFile);
    if (at >= 0) {
        FMenuItems.move(at, 0);
    } else {
        FMenuItems.append(aFile);
        trim();
    }
    rebuild();
}

void TMRUFileList::ReplaceItem(const QString &OldItem, const QString &NewItem)
{
    const int at = indexOf(OldItem);
    if (at < 0)
        return;
    FMenuItems[at] = NewItem;
    rebuild();
}

void TMRUFileList::RemoveItem(const QString &aFile)
{
    const int at = indexOf(aFile);
    if (at < 0)
        return;
    FMenuItems.removeAt(at);
    UpdateMenu();
}

void TMRUFileList::AddStringList(const QStringList &Files)
{
    FInhibitUpdate = true;
    for (const QString &f : Files)
        AddItem(f);
    FInhibitUpdate = false;
    UpdateMenu();
}

void TMRUFileList::RemoveAllItems()
{
    // An entry may be the one whose click is being handled: it leaves its menus now and is
    // deleted once the click is over.
    for (const QPointer<TMRUMenuItem> &item : FItems)
        if (item) {
            for (QObject *o : item->associatedObjects())
                if (auto *menu = qobject_cast<QMenu *>(o))
                    menu->removeAction(item);
            item->deleteLater();
        }
    FItems.clear();
    for (const QPointer<QMenu> &menu : FSubmenus)
        if (menu)
            menu->deleteLater();
    FSubmenus.clear();
}

std::vector<TMRUMenuItem *> TMRUFileList::menuItems() const
{
    std::vector<TMRUMenuItem *> out;
    for (const QPointer<TMRUMenuItem> &item : FItems)
        if (item)
            out.push_back(item);
    return out;
}

void TMRUFileList::UpdateMenu()
{
    if (!FFileMenu)
        return;
    RemoveAllItems();
    if (FMenuItems.isEmpty())
        return;
    // The target menu and the action the entries go before (null: at the end).
    QMenu *target = FFileMenu->menu();
    QAction *before = nullptr;
    if (!target || target->actions().isEmpty()) {
        target = nullptr;
        for (QObject *o : FFileMenu->associatedObjects())
            if ((target = qobject_cast<QMenu *>(o)))
                break;
        before = FFileMenu;
        if (!target)
            return;
    }
    auto insert = [&](TMRUMenuItem *item) {
        target->insertAction(before, item);
        FItems.emplace_back(item);
    };
    if (FInsertSeparator) {
        auto *sep = new TMRUMenuItem(this);
        sep->setText(QStringLiteral("-"));
        sep->setSeparator(true);
        insert(sep);
    }
    if (FUseSubmenu) {
        auto *sub = new TMRUMenuItem(this);
        sub->setText(FSubmenuName);
        auto *menu = new QMenu();
        FSubmenus.emplace_back(menu);
        sub->setMenu(menu);
        insert(sub);
        target = menu;
        before = nullptr;
    }
    const QFont font = gMRUMenuCanvas ? gMRUMenuCanvas->Font : QFont();
    for (int i = 0; i < FMenuItems.size(); ++i) {
        auto *item = new TMRUMenuItem(this);
        const QString prefix = QStringLiteral("&%1 ").arg(i + 1);
        item->FullCaption = prefix + FMenuItems[i];
        item->setText(FMaxCaptionWidth != 0
                          ? prefix + MinimizeName(FMenuItems[i], font, FMaxCaptionWidth)
                          : item->FullCaption);
        item->ItemNumber = uint8_t(i + 1);
        connect(item, &QAction::triggered, this, [this, item] { MenuItemClick(item); });
        insert(item);
    }
}

void TMRUFileList::MenuItemClick(TMRUMenuItem *item)
{
    const int index = item->ItemNumber - 1;
    if (index < 0 || index >= FMenuItems.size())
        return;
    const QString path = FMenuItems[index];
    if (FRemoveOnClick) {
        FMenuItems.removeAt(index);
        UpdateMenu();
    }
    if (OnMRUItemClick)
        OnMRUItemClick(item, path);
}

void TMRUFileList::Loaded()
{
    if (FAutoSave)
        Load();
}

QString TMRUFileList::sectionPath() const
{
    QString name = FAutoSaveName;
    while (name.startsWith(u'\\'))
        name.remove(0, 1);
    return name + u'\\' + FAutoSaveKey;
}

bool TMRUFileList::Load()
{
    if (FAutoSaveName.isEmpty() || FAutoSaveKey.isEmpty())
        return false;
    CRegistry store;
    const std::optional<CRegKey> key = store.openKey(sectionPath(), false);
    if (!key)
        return false;
    // The values are outside input: only "path<n>", in number order, each path once.
    static const QRegularExpression pathName(QStringLiteral("^path(\\d{1,9})$"));
    std::map<int, QString> byNumber;
    for (const QString &name : key->valueNames()) {
        const QRegularExpressionMatch m = pathName.match(name);
        if (!m.hasMatch())
            continue;
        if (const std::optional<QString> v = key->readString(name); v && !v->isEmpty())
            byNumber.emplace(m.captured(1).toInt(), *v);
    }
    FMenuItems.clear();
    for (const auto &[n, path] : byNumber) {
        if (FMenuItems.size() >= FMaximum)
            break;
        if (indexOf(path) < 0)
            FMenuItems.append(path);
    }
    UpdateMenu();
    return true;
}

bool TMRUFileList::Save()
{
    if (FAutoSaveName.isEmpty() || FAutoSaveKey.isEmpty())
        return false;
    CRegistry store;
    std::optional<CRegKey> key = store.openKey(sectionPath(), true);
    if (!key)
        return false;
    for (const QString &name : key->valueNames())
        key->deleteValue(name);
    bool ok = true;
    for (int i = 0; i < FMenuItems.size(); ++i)
        ok = key->writeString(QStringLiteral("path%1").arg(i), FMenuItems[i]) && ok;
    return store.flush() && ok;
}
