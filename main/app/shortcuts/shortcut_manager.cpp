#include "app/shortcuts/shortcut_manager.h"

#include "core/profile/app_profile.h"
#include "platform/desktop/keys.h"
#include "platform/system/environment.h"

#include <QDir>

using enum TShortCutMainType;
using enum TShortCutSubType;
using enum TShortCutErrorType;

namespace {

bool isModifierKey(int key)
{
    return key >= VK_SHIFT && key <= VK_MENU;
}

// Keys that stand outside the combination and duplication rules.
bool isFreeKey(int key)
{
    return key == VK_RETURN || key == VK_ESCAPE || isModifierKey(key);
}

bool isLetter(int key)
{
    return key >= 'A' && key <= 'Z';
}

bool sameKeys(const CShortCutObj &a, const CShortCutObj &b)
{
    return a.FKey == b.FKey && a.FShift == b.FShift && a.FCtrl == b.FCtrl && a.FAlt == b.FAlt;
}

QString defaultShortCutPath()
{
    // A profile not loaded yet knows no folder: never a path relative to the working folder.
    const QString folder = gAppProfile && !gAppProfile->presetPath.isEmpty()
                               ? gAppProfile->presetPath
                               : presetFolder();
    return QDir(folder).filePath(QStringLiteral("keyConfig.qsl"));
}

// The default bindings, in command-table order. Modifier bits: Shift 1, Ctrl 2, Alt 4.
struct SDefaultKey
{
    uint16_t command;
    uint16_t key;
    uint8_t mods;
};
constexpr uint8_t S = 1, C = 2, A = 4;

// One menu or tool family a line.
// clang-format off
constexpr SDefaultKey kDefaultKeys[] = {
    // File
    {16, 'N', C}, {17, 'V', S | C}, {18, 'O', C}, {19, 'O', C | A}, {20, 'W', C}, {21, 'S', C},
    {22, 'S', S | C}, {23, 'S', C | A}, {28, 'P', S | C}, {29, 'P', C}, {30, 'P', C | A},
    {32, 'Q', C},
    // Edit
    {48, 'Z', C}, {49, 'Y', C}, {50, 'X', C}, {51, 'C', C}, {52, 'C', S | C}, {53, 'V', C},
    {54, VK_INSERT, 0}, {55, VK_DELETE, 0}, {61, 'K', C},
    // Image
    {64, 'C', C | A}, {66, 'I', C | A}, {68, 'R', C},
    // Layer
    {80, 'N', S | C}, {83, 'J', C}, {84, 'J', S | C}, {85, 'G', S | C}, {93, 'E', C},
    {94, 'E', S | C}, {103, 'T', C},
    // Selection
    {128, 'A', C}, {129, 'D', C}, {130, 'I', S | C},
    // Filter
    {160, 'F', C}, {161, 'L', C}, {162, 'B', C}, {164, 'U', C}, {165, 'U', S | C}, {166, 'I', C},
    // View
    {208, VK_ADD, C}, {208, VK_OEM_PLUS, C}, {208, VK_F1 + 4, 0},
    {209, VK_SUBTRACT, C}, {209, VK_OEM_MINUS, C}, {209, VK_F1 + 5, 0},
    {210, VK_F1 + 6, 0}, {211, VK_F1 + 7, 0}, {217, VK_F1 + 9, 0}, {221, 'H', C},
    {222, VK_F1 + 8, 0}, {223, VK_OEM_1, C}, {225, VK_RETURN, 0}, {226, VK_RETURN, C},
    {237, VK_RETURN, S | C},
    // Window
    {261, '0', C}, {262, '1', C}, {263, '2', C}, {264, '3', C}, {265, '4', C}, {266, '5', C},
    {267, '6', C}, {268, '7', C}, {269, '8', C}, {270, '9', C},
    // Help
    {288, VK_F1, 0},
    // Tools: no modifiers; the tools of one key cycle
    {512, 'A', 0}, {513, 'A', 0}, {514, 'A', 0},
    {528, 'S', 0}, {531, 'S', 0}, {529, 'S', 0}, {530, 'S', 0},
    {544, 'D', 0}, {545, 'D', 0}, {547, 'D', 0},
    {560, 'F', 0}, {561, 'F', 0}, {562, 'F', 0},
    {576, 'G', 0}, {592, 'G', 0}, {608, 'G', 0}, {577, 'G', 0}, {593, 'G', 0},
    {624, 'H', 0}, {640, 'H', 0}, {625, 'H', 0}, {641, 'H', 0},
    {656, 'P', 0}, {657, 'P', 0}, {658, 'P', 0}, {659, 'P', 0},
    {672, 'K', 0}, {673, 'K', 0},
    {688, 'M', 0}, {689, 'M', 0}, {690, 'M', 0}, {691, 'M', 0},
    {704, 'W', 0}, {720, 'V', 0}, {721, 'V', 0}, {736, 'T', 0}, {737, 'T', 0},
    {752, 'C', 0}, {768, 'I', 0}, {816, 'X', 0},
    // Other commands
    {1280, 'F', C | A}, {1312, VK_F1 + 5, S | C}, {1313, VK_F1 + 5, C},
    {1328, VK_ADD, C | A}, {1328, VK_OEM_PLUS, C | A},
    {1329, VK_SUBTRACT, C | A}, {1329, VK_OEM_MINUS, C | A}, {1330, VK_INSERT, C},
    {1344, '1', 0}, {1345, '2', 0}, {1346, '3', 0}, {1347, '4', 0}, {1348, '5', 0},
    {1349, '6', 0}, {1350, '7', 0}, {1351, '8', 0}, {1352, '9', 0}, {1353, '0', 0},
    {1354, 'E', 0}, {1355, 'R', 0}, {1356, VK_OEM_6, 0}, {1357, VK_OEM_4, 0},
    {1360, VK_OEM_6, C}, {1361, VK_OEM_4, C}, {1362, VK_OEM_6, A}, {1363, VK_OEM_4, A},
    {1364, 'N', S | C | A},
};
// clang-format on

} // namespace

CShortCutMngr::CShortCutMngr() : shortCutPath(defaultShortCutPath()) {}

// ---- list handling

int CShortCutMngr::freeAll()
{
    const int n = count();
    FItems.clear();
    return n;
}

int CShortCutMngr::reset()
{
    return freeAll();
}

bool CShortCutMngr::isValid(int idx) const
{
    return idx >= 0 && idx < count();
}

CShortCutObj *CShortCutMngr::getObj(int idx)
{
    return isValid(idx) ? FItems[size_t(idx)].get() : nullptr;
}

const CShortCutObj *CShortCutMngr::getObj(int idx) const
{
    return isValid(idx) ? FItems[size_t(idx)].get() : nullptr;
}

bool CShortCutMngr::setObj(int idx, const CShortCutObj &obj)
{
    if (!isValid(idx))
        return false;
    *FItems[size_t(idx)] = obj;
    return true;
}

bool CShortCutMngr::copyObj(int idx, CShortCutObj &dest) const
{
    if (!isValid(idx))
        return false;
    dest = *FItems[size_t(idx)];
    return true;
}

int CShortCutMngr::appendObj(const CShortCutObj &obj)
{
    return insertObj(count(), obj);
}

int CShortCutMngr::insertObj(int idx, const CShortCutObj &obj)
{
    if (idx < 0 || idx > count())
        return -1;
    FItems.insert(FItems.begin() + idx, std::make_unique<CShortCutObj>(obj));
    return idx;
}

bool CShortCutMngr::deleteObj(int idx)
{
    if (!isValid(idx))
        return false;
    FItems.erase(FItems.begin() + idx);
    return true;
}

int CShortCutMngr::setData(int idx, TShortCutMainType mtype, TShortCutSubType stype,
                           uint16_t iCommand, uint16_t iKey, bool iShift, bool iCtrl, bool iAlt,
                           bool delFlag)
{
    if (isModifierKey(iKey))
        return -1;
    return insertObj(idx, {mtype, stype, iCommand, iKey, iShift, iCtrl, iAlt, delFlag});
}

bool CShortCutMngr::setKey(int idx, uint16_t key, bool shift, bool ctrl, bool alt)
{
    CShortCutObj *o = getObj(idx);
    if (!o || isModifierKey(key))
        return false;
    o->FKey = key;
    o->FShift = shift;
    o->FCtrl = ctrl;
    o->FAlt = alt;
    o->FDeleteFlag = false;
    return true;
}

bool CShortCutMngr::setCommand(int idx, uint16_t command)
{
    CShortCutObj *o = getObj(idx);
    if (!o)
        return false;
    o->FCommand = command;
    return true;
}

uint16_t CShortCutMngr::getCommand(int idx) const
{
    const CShortCutObj *o = getObj(idx);
    return o ? o->FCommand : 0;
}

uint16_t CShortCutMngr::getKey(int idx) const
{
    const CShortCutObj *o = getObj(idx);
    return o ? o->FKey : 0;
}

bool CShortCutMngr::setDeleteFlag(int idx, bool flag)
{
    CShortCutObj *o = getObj(idx);
    if (!o)
        return false;
    o->FDeleteFlag = flag;
    return true;
}

Qt::KeyboardModifiers CShortCutMngr::getshiftState(int idx) const
{
    Qt::KeyboardModifiers m;
    if (const CShortCutObj *o = getObj(idx)) {
        m.setFlag(Qt::ShiftModifier, o->FShift);
        m.setFlag(Qt::AltModifier, o->FAlt);
        m.setFlag(Qt::ControlModifier, o->FCtrl);
    }
    return m;
}

void CShortCutMngr::copyAll(const CShortCutMngr &src, bool del)
{
    if (&src == this) {
        if (del)
            std::erase_if(FItems, [](const auto &o) { return o->FDeleteFlag; });
        return;
    }
    FItems.clear();
    for (const auto &o : src.FItems) {
        if (del && o->FDeleteFlag)
            continue;
        CShortCutObj copy = *o;
        copy.FDeleteFlag = false;
        appendObj(copy);
    }
}

void CShortCutMngr::makeViewList(CShortCutMngr &dst) const
{
    if (&dst == this)
        return;
    dst.freeAll();
    for (int row = 1; row <= kLastCommandRow; ++row) {
        const uint16_t command = gShortCutCommands[size_t(row)].command;
        bool found = false;
        for (const auto &o : FItems) {
            if (o->FCommand != command)
                continue;
            CShortCutObj copy = *o;
            if (copy.FMainType == smOther || copy.FSubType == sbOther) {
                copy.FMainType = getMainType(row);
                copy.FSubType = getSubType(row);
            }
            dst.appendObj(copy);
            found = true;
        }
        if (!found)
            dst.appendObj(
                {getMainType(row), getSubType(row), command, 0, false, false, false, false});
    }
}

void CShortCutMngr::setType()
{
    for (auto &o : FItems) {
        if (o->FMainType != smOther && o->FSubType != sbOther)
            continue;
        const int row = shortCutRowOfCommand(o->FCommand);
        o->FMainType = getMainType(row);
        o->FSubType = getSubType(row);
    }
}

// ---- lookups and texts

bool CShortCutMngr::getCommandFromKey(uint16_t sKey, bool shift, bool ctrl, bool alt,
                                      uint16_t &dCommand) const
{
    for (const auto &o : FItems) {
        if (o->FKey == sKey && o->FShift == shift && o->FCtrl == ctrl && o->FAlt == alt) {
            dCommand = o->FCommand;
            return true;
        }
    }
    dCommand = 0;
    return false;
}

CShortCutObj *CShortCutMngr::getObjByCommand(int srcCommand)
{
    for (auto &o : FItems) {
        if (o->FCommand == srcCommand)
            return o.get();
    }
    return nullptr;
}

const CShortCutObj *CShortCutMngr::getObjByCommand(int srcCommand) const
{
    return const_cast<CShortCutMngr *>(this)->getObjByCommand(srcCommand);
}

bool CShortCutMngr::getKey(int command, uint16_t &key, Qt::KeyboardModifiers &shift) const
{
    for (int i = 0; i < count(); ++i) {
        if (FItems[size_t(i)]->FCommand == command) {
            key = FItems[size_t(i)]->FKey;
            shift = getshiftState(i);
            return true;
        }
    }
    return false;
}

int CShortCutMngr::getCommandFromName(const QString &name) const
{
    for (int row = 1; row <= kLastCommandRow; ++row) {
        if (shortCutCommandName(row) == name)
            return gShortCutCommands[size_t(row)].command;
    }
    return 0;
}

bool CShortCutMngr::getTableRange(TShortCutMainType mainType, TShortCutSubType subType, int &first,
                                  int &last) const
{
    switch (mainType) {
    case smMenu:
        if (shortCutRowsOfSubType(subType, first, last) && shortCutMainTypeOfRow(first) == smMenu)
            return true;
        break;
    case smTool:
        first = kFirstToolRow;
        last = kFirstEtcRow - 1;
        return true;
    case smEtc:
        first = kFirstEtcRow;
        last = kLastCommandRow;
        return true;
    case smOther:
        break;
    }
    first = last = 0;
    return false;
}

QString CShortCutMngr::getKey(TShortCutMainType mainType, TShortCutSubType subType,
                              int command) const
{
    int first = 0, last = 0;
    if (!getTableRange(mainType, subType, first, last))
        return QString();
    for (int row = first; row <= last; ++row) {
        if (gShortCutCommands[size_t(row)].command == command)
            return shortCutCommandName(row);
    }
    return QString();
}

QString CShortCutMngr::getCommandString(TShortCutMainType mainType, TShortCutSubType subType,
                                        int idx) const
{
    const uint16_t command = getCommand(idx);
    return command == 0 ? QString() : getKey(mainType, subType, command);
}

bool CShortCutMngr::getKeyNameText(int key, QString &text)
{
    return keyNameOfVk(key, text);
}

QString CShortCutMngr::getKeyString(int idx) const
{
    const CShortCutObj *o = getObj(idx);
    if (!o || o->FKey == 0)
        return QString();
    QString name;
    getKeyNameText(o->FKey, name);
    return getShiftStateStirng(o->FShift, o->FCtrl, o->FAlt) + name;
}

QString CShortCutMngr::getShiftStateStirng(bool shift, bool ctrl, bool alt)
{
    QString s;
    if (shift)
        s += QStringLiteral("Shift+");
    if (ctrl)
        s += QStringLiteral("Ctrl+");
    if (alt)
        s += QStringLiteral("Alt+");
    return s;
}

QString CShortCutMngr::getShortCutText(int key, bool shift, bool ctrl, bool alt)
{
    QString s = getShiftStateStirng(shift, ctrl, alt);
    // Enter, Esc and the modifiers alone show only the modifiers held with them.
    if (isFreeKey(key))
        return s;
    QString name;
    getKeyNameText(key, name);
    return s + name;
}

QString CShortCutMngr::getDuplicateString(const CShortCutObj &obj) const
{
    const QString command = getKey(obj.FMainType, obj.FSubType, obj.FCommand);
    QString s = u'[' + shortCutMainTypeName(obj.FMainType) + QStringLiteral("] - ");
    if (obj.FMainType == smMenu)
        s += u'[' + shortCutSubTypeName(obj.FSubType) + QStringLiteral("] - ");
    return s + u'[' + command + u']';
}

int CShortCutMngr::getCount(int key) const
{
    return int(std::count_if(FItems.begin(), FItems.end(),
                             [key](const auto &o) { return o->FKey == key; }));
}

bool CShortCutMngr::isSameCommand(int command) const
{
    return std::count_if(FItems.begin(), FItems.end(),
                         [command](const auto &o) { return o->FCommand == command; }) > 1;
}

bool CShortCutMngr::checkSameObj(int idx, const CShortCutObj &obj) const
{
    const CShortCutObj *o = getObj(idx);
    return o && sameKeys(*o, obj);
}

bool CShortCutMngr::checkSameShortCut(const QString &str1, const QString &str2)
{
    return str1 != str2;
}

bool CShortCutMngr::deleteSameCommand(int idx)
{
    const CShortCutObj *self = getObj(idx);
    if (!self)
        return false;
    const CShortCutObj keys = *self;
    for (int i = 0; i < count(); ++i) {
        CShortCutObj &o = *FItems[size_t(i)];
        if (i != idx && sameKeys(o, keys)) {
            o.FKey = 0;
            o.FShift = o.FCtrl = o.FAlt = false;
            o.FDeleteFlag = false;
        }
    }
    return true;
}

TToolDetail CShortCutMngr::getToolDetail(int command)
{
    for (size_t i = 0; i < gToolDetailCommands.size(); ++i) {
        if (gToolDetailCommands[i] == command)
            return TToolDetail(i);
    }
    return TToolDetail::tdPencil5;
}

uint16_t CShortCutMngr::getKeyByToolDetail(TToolDetail AToolDetail) const
{
    const size_t d = size_t(AToolDetail);
    if (d >= gToolDetailCommands.size())
        return 0;
    const CShortCutObj *o = getObjByCommand(gToolDetailCommands[d]);
    return o ? o->FKey : 0;
}

TToolDetail CShortCutMngr::getNextTool(TToolKind AKind, TToolDetail AToolDetail) const
{
    const size_t kind = size_t(AKind), detail = size_t(AToolDetail);
    if (FItems.empty() || kind >= gToolKindSubTypes.size() || detail >= gToolDetailCommands.size())
        return AToolDetail;
    const TShortCutSubType category = gToolKindSubTypes[kind];
    const CShortCutObj *current = getObjByCommand(gToolDetailCommands[detail]);
    int firstRow = 0, lastRow = 0;
    shortCutRowsOfSubType(category, firstRow, lastRow);
    const auto start = std::find_if(FItems.begin(), FItems.end(),
                                    [category](const auto &o) { return o->FSubType == category; });
    // The category's run: at most as many entries as it has rows, and only its own (a table
    // with a command missing must not lend the next category's tools).
    std::vector<const CShortCutObj *> run;
    for (auto it = start; it != FItems.end() && int(run.size()) <= lastRow - firstRow; ++it) {
        if ((*it)->FSubType != category)
            break;
        run.push_back(it->get());
    }
    if (run.size() <= 1 || !current)
        return AToolDetail;
    std::vector<const CShortCutObj *> same;
    for (const CShortCutObj *o : run) {
        if (o->FKey == current->FKey)
            same.push_back(o);
    }
    if (same.size() <= 1)
        return AToolDetail;
    size_t pos = 0;
    for (size_t i = 0; i < same.size(); ++i) {
        if (same[i]->FCommand == current->FCommand)
            pos = i;
    }
    return getToolDetail(same[(pos + 1) % same.size()]->FCommand);
}

// ---- validation

TShortCutErrorType CShortCutMngr::checkError(const CShortCutObj &obj, int selIdx, int &dupIdx,
                                             bool chkExp) const
{
    dupIdx = 0;
    TShortCutErrorType e = seNone;
    if (chkExp)
        e = checkExceptionError(getKey(selIdx));
    if (e == seNone)
        e = checkVirtualKey(obj.FKey);
    if (e == seNone)
        e = checkCombination(obj);
    if (e == seNone)
        e = checkDuplication(obj, dupIdx);
    return e;
}

TShortCutErrorType CShortCutMngr::checkExceptionError(int key)
{
    // The binding of Enter (pause the replay) cannot be changed.
    return key == VK_RETURN ? seFixed : seNone;
}

TShortCutErrorType CShortCutMngr::checkVirtualKey(int key)
{
    const bool allowed = key == VK_BACK || key == VK_RETURN || isModifierKey(key) ||
                         key == VK_ESCAPE || (key >= VK_PRIOR && key <= VK_HOME) ||
                         key == VK_INSERT || key == VK_DELETE || (key >= '0' && key <= '9') ||
                         isLetter(key) || (key >= VK_NUMPAD0 && key <= VK_ADD) ||
                         key == VK_SUBTRACT || (key >= VK_DIVIDE && key <= VK_F1 + 11) ||
                         (key >= VK_OEM_1 && key <= VK_OEM_102);
    return allowed ? seNone : seNotUseKey;
}

TShortCutErrorType CShortCutMngr::checkCombination(const CShortCutObj &obj)
{
    const int key = obj.FKey;
    if (isFreeKey(key))
        return seNone;
    const bool anyModifier = obj.FShift || obj.FCtrl || obj.FAlt;
    if (obj.FMainType == smTool && (!isLetter(key) || anyModifier))
        return seNotToolCombination;
    const bool freeMenuKey =
        key == VK_INSERT || key == VK_DELETE || (key >= VK_F1 && key <= VK_F1 + 11);
    if (obj.FMainType == smMenu && !anyModifier && !freeMenuKey)
        return seNotMenuCombination;
    // Shift with a letter switches tools.
    if (isLetter(key) && obj.FShift && !obj.FCtrl && !obj.FAlt)
        return seToolChange;
    return seNone;
}

TShortCutErrorType CShortCutMngr::checkDuplication(const CShortCutObj &obj, int &idx) const
{
    if (isFreeKey(obj.FKey))
        return seNone;
    for (int i = 0; i < count(); ++i) {
        const CShortCutObj &o = *FItems[size_t(i)];
        if (!sameKeys(o, obj) || o.FDeleteFlag != obj.FDeleteFlag)
            continue;
        idx = i;
        // The tools of one category share their key: a repeated press cycles them.
        if (obj.FMainType == smTool && o.FSubType == obj.FSubType)
            continue;
        return o.FCommand == obj.FCommand ? seSameGroup : seDuplication;
    }
    return seNone;
}

QString CShortCutMngr::getErrorString(int key, bool shift, bool ctrl, bool alt,
                                      TShortCutErrorType errType, int idx) const
{
    QString name;
    if (!getKeyNameText(key, name))
        return QString();
    const QString keyText = getShiftStateStirng(shift, ctrl, alt) + name;
    switch (errType) {
    case seNone:
        return QString();
    case seNotUseKey:
        return QStringLiteral("押されたキーはショートカットとして使用できません。");
    case seNotMenuCombination:
        return QStringLiteral("%1 は無効です。\r\nこのキーには Ctrl / Shift / Alt が必要です。\r\n"
                              "また、このショートカットにはファンクションキー / Insert / Delete "
                              "が使用できます。")
            .arg(keyText);
    case seNotToolCombination:
        return QStringLiteral("%1 は無効です。\r\nツールのショートカットはA～Zのみ使用可能です。")
            .arg(keyText);
    case seDuplication: {
        const CShortCutObj *dup = getObj(idx);
        return QStringLiteral("%1 は既に使用されています。\r\n\r\n重複先：\r\n%2")
            .arg(keyText, dup ? getDuplicateString(*dup) : QString());
    }
    case seFixed:
        return QStringLiteral("このショートカットキーは変更できません。");
    case seSameGroup:
        return QStringLiteral("%1 は同じコマンドで既に使用されています。").arg(keyText);
    case seToolChange:
        return QStringLiteral("Shift + A-Z はツール切り替えで使用されています。");
    }
    return QString();
}

// ---- defaults

void CShortCutMngr::appendDefault(uint16_t command, uint16_t key, bool shift, bool ctrl, bool alt)
{
    const int row = shortCutRowOfCommand(command);
    appendObj({getMainType(row), getSubType(row), command, key, shift, ctrl, alt, false});
}

void CShortCutMngr::initShortCutAll()
{
    freeAll();
    for (const SDefaultKey &d : kDefaultKeys)
        appendDefault(d.command, d.key, d.mods & S, d.mods & C, d.mods & A);
}
