// The table of keyboard shortcuts: every binding of a command number to a key (a Windows
// virtual-key number) with Shift, Ctrl and Alt. The main window owns one, loaded from
// keyConfig.qsl; the setup dialog edits a view copy of it. Entries stand in command-table order,
// each command's entries together: the defaults, the view list and the tool cycling rely on it.
//
// Indexes are 0-based; an operation given an invalid index does nothing and answers false, 0 or
// null. The file members (load, save, doImport, doExport) are in shortcut_file.cpp.
#pragma once

#include "app/shortcuts/shortcut_table.h"

#include <QString>
#include <Qt>

#include <cstdint>
#include <memory>
#include <vector>

// One binding.
struct CShortCutObj
{
    TShortCutMainType FMainType = TShortCutMainType::smOther;
    TShortCutSubType FSubType = TShortCutSubType::sbOther;
    uint16_t FCommand = 0;
    uint16_t FKey = 0; // virtual key, 0 = none
    bool FShift = false;
    bool FCtrl = false;
    bool FAlt = false;
    bool FDeleteFlag = false; // marked for deletion in the setup dialog
};

class CShortCutMngr
{
  public:
    // shortCutPath: keyConfig.qsl in the profile's preset folder (presetFolder() before the
    // profile exists).
    CShortCutMngr();
    CShortCutMngr(const CShortCutMngr &) = delete;
    CShortCutMngr &operator=(const CShortCutMngr &) = delete;

    QString shortCutPath;
    bool active = false; // the setup dialog runs

    // ---- list handling
    int count() const { return int(FItems.size()); }
    int freeAll(); // answers how many entries were removed
    int reset();   // answers the count before
    bool isValid(int idx) const;
    CShortCutObj *getObj(int idx);
    const CShortCutObj *getObj(int idx) const;
    bool setObj(int idx, const CShortCutObj &obj);
    bool copyObj(int idx, CShortCutObj &dest) const;
    int appendObj(const CShortCutObj &obj);
    // 0 <= idx <= count (count appends); the index, or -1.
    int insertObj(int idx, const CShortCutObj &obj);
    bool deleteObj(int idx);
    // A new entry inserted at idx; -1 (nothing added) for the keys 16..18 themselves.
    int setData(int idx, TShortCutMainType mtype, TShortCutSubType stype, uint16_t iCommand,
                uint16_t iKey, bool iShift, bool iCtrl, bool iAlt, bool delFlag);
    // Key and modifiers of entry idx, clearing its deletion mark; refuses the keys 16..18.
    bool setKey(int idx, uint16_t key, bool shift, bool ctrl, bool alt);
    bool setCommand(int idx, uint16_t command);
    uint16_t getCommand(int idx) const;
    uint16_t getKey(int idx) const;
    bool setDeleteFlag(int idx, bool flag);
    Qt::KeyboardModifiers getshiftState(int idx) const;
    static TShortCutMainType getMainType(int row) { return shortCutMainTypeOfRow(row); }
    static TShortCutSubType getSubType(int row) { return shortCutSubTypeOfRow(row); }
    // This list := copies of src's entries (without those marked when del), none marked.
    void copyAll(const CShortCutMngr &src, bool del);
    // dst := for every row 1..244, copies of this list's entries of the row's command (group and
    // category from the row where an entry has none), or one empty entry when there is none.
    void makeViewList(CShortCutMngr &dst) const;
    // Entries without a group or category take those of their command's row.
    void setType();

    // ---- lookups and texts
    bool getCommandFromKey(uint16_t sKey, bool shift, bool ctrl, bool alt,
                           uint16_t &dCommand) const;
    CShortCutObj *getObjByCommand(int srcCommand);
    const CShortCutObj *getObjByCommand(int srcCommand) const;
    // Key and shift state of the command's first entry; false (outputs unchanged) when none.
    bool getKey(int command, uint16_t &key, Qt::KeyboardModifiers &shift) const;
    int getCommandFromName(const QString &name) const;
    bool getTableRange(TShortCutMainType mainType, TShortCutSubType subType, int &first,
                       int &last) const;
    // The display name of command within the rows of getTableRange; empty when not there.
    QString getKey(TShortCutMainType mainType, TShortCutSubType subType, int command) const;
    QString getCommandString(TShortCutMainType mainType, TShortCutSubType subType, int idx) const;
    static bool getKeyNameText(int key, QString &text);
    QString getKeyString(int idx) const;
    static QString getShiftStateStirng(bool shift, bool ctrl, bool alt);
    static QString getShortCutText(int key, bool shift, bool ctrl, bool alt);
    QString getDuplicateString(const CShortCutObj &obj) const;
    int getCount(int key) const;
    bool isSameCommand(int command) const;
    bool checkSameObj(int idx, const CShortCutObj &obj) const;
    // True when the texts differ.
    static bool checkSameShortCut(const QString &str1, const QString &str2);
    // Every other entry with entry idx's key and modifiers loses its key; true.
    bool deleteSameCommand(int idx);
    // The first detail of the command; tdPencil5 when none.
    static TToolDetail getToolDetail(int command);
    uint16_t getKeyByToolDetail(TToolDetail AToolDetail) const;
    // The detail a repeated press of the detail's key selects next among the kind's tools.
    TToolDetail getNextTool(TToolKind AKind, TToolDetail AToolDetail) const;

    // ---- validation
    TShortCutErrorType checkError(const CShortCutObj &obj, int selIdx, int &dupIdx,
                                  bool chkExp) const;
    static TShortCutErrorType checkExceptionError(int key);
    static TShortCutErrorType checkVirtualKey(int key);
    static TShortCutErrorType checkCombination(const CShortCutObj &obj);
    TShortCutErrorType checkDuplication(const CShortCutObj &obj, int &idx) const;
    // The message of an error; empty for seNone and for a key without a name.
    QString getErrorString(int key, bool shift, bool ctrl, bool alt, TShortCutErrorType errType,
                           int idx) const;

    // ---- defaults, and the file (shortcut_file.cpp)
    void initShortCutAll();
    bool load();
    bool load(const QString &path, CShortCutMngr &mngr);
    bool save();
    bool save(const QString &path, const CShortCutMngr &mngr);
    bool doImport(CShortCutMngr &mngr);
    bool doExport();

  private:
    void appendDefault(uint16_t command, uint16_t key, bool shift, bool ctrl, bool alt);

    std::vector<std::unique_ptr<CShortCutObj>> FItems;
};
