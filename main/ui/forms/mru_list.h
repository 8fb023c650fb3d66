// The recent-files list: a few paths, most recent first, shown as numbered entries of a menu
// (directly or in a submenu, after a separator, long paths shortened) and kept in the key store.
#pragma once

#include <QAction>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QMenu;

// One entry of the list in its menu.
class TMRUMenuItem : public QAction
{
  public:
    explicit TMRUMenuItem(QObject *parent = nullptr) : QAction(parent) {}
    // The number prefix and the full path.
    QString FullCaption;
    // 1-based position of the entry in the list.
    uint8_t ItemNumber = 0;
};

// The font that captions are measured in for shortening (the menu font).
struct TMRUMenuCanvas
{
    QFont Font;
};
extern TMRUMenuCanvas *gMRUMenuCanvas;

// path with its leading folders replaced by "..." (root and file name kept) until it fits
// maxWidth pixels in font; the file name alone stays whole, and a path that would not get
// narrower is kept as it is.
QString MinimizeName(const QString &path, const QFont &font, int maxWidth);

class TMRUFileList : public QObject
{
  public:
    using TMRUClick = std::function<void(QObject *sender, const QString &AFilename)>;

    explicit TMRUFileList(QObject *owner = nullptr);
    // Saves the list when AutoSave is set.
    ~TMRUFileList() override;

    uint8_t Maximum() const { return FMaximum; }
    void setMaximum(uint8_t v);
    bool RemoveOnClick() const { return FRemoveOnClick; }
    void setRemoveOnClick(bool v) { FRemoveOnClick = v; }
    bool UseSubmenu() const { return FUseSubmenu; }
    void setUseSubmenu(bool v);
    bool InsertSeparator() const { return FInsertSeparator; }
    void setInsertSeparator(bool v);
    const QString &SubmenuName() const { return FSubmenuName; }
    void setSubmenuName(const QString &v);
    // Where the entries go: into its submenu when that has entries, else just before it in the
    // menu that holds it.
    QAction *FileMenu() const { return FFileMenu; }
    void setFileMenu(QAction *menu);
    const QStringList &Items() const { return FMenuItems; }
    bool AutoSave() const { return FAutoSave; }
    void setAutoSave(bool v) { FAutoSave = v; }
    const QString &AutoSaveName() const { return FAutoSaveName; }
    void setAutoSaveName(const QString &v) { FAutoSaveName = v; }
    const QString &AutoSaveKey() const { return FAutoSaveKey; }
    void setAutoSaveKey(const QString &v) { FAutoSaveKey = v; }
    int32_t MaxCaptionWidth() const { return FMaxCaptionWidth; }
    void setMaxCaptionWidth(int32_t v);
    TMRUClick OnMRUItemClick;

    void InsertItem(int Index, const QString &aFile);
    void AddItem(const QString &aFile);
    void ReplaceItem(const QString &OldItem, const QString &NewItem);
    void RemoveItem(const QString &aFile);
    void AddStringList(const QStringList &Files);
    void AddStrings(const QStringList &Files) { AddStringList(Files); }
    // Takes every entry out of the menu (the paths stay).
    void RemoveAllItems();
    // After the owner is set up: loads the list when AutoSave is set.
    void Loaded();
    // The values "path0", "path1", ... of AutoSaveName\AutoSaveKey in number order, without
    // repeats (letter case ignored), at most Maximum of them. False when a name is empty or the
    // key cannot be opened.
    bool Load();
    // Writes the section anew; false when a name is empty or the store cannot be written.
    bool Save();
    void UpdateMenu();
    // The menu entries made by the list, in menu order (separator and submenu included).
    std::vector<TMRUMenuItem *> menuItems() const;

  private:
    int indexOf(const QString &aFile) const;
    void trim();
    void rebuild();
    void MenuItemClick(TMRUMenuItem *item);
    QString sectionPath() const;

    uint8_t FMaximum = 5;
    bool FRemoveOnClick = true;
    bool FUseSubmenu = false;
    bool FInsertSeparator = true;
    QString FSubmenuName = QStringLiteral("Reopen");
    QPointer<QAction> FFileMenu;
    QStringList FMenuItems;
    bool FAutoSave = true;
    QString FAutoSaveName = QStringLiteral("\\Software\\My Application");
    QString FAutoSaveKey = QStringLiteral("MRU Items");
    int32_t FMaxCaptionWidth = 200;
    bool FInhibitUpdate = false;
    std::vector<QPointer<TMRUMenuItem>> FItems;
    std::vector<QPointer<QMenu>> FSubmenus;
};
