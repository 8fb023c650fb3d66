#include "app/shortcuts/shortcut_manager.h"

#include "platform/desktop/keys.h"
#include "shortcut_test_support.h"

#include <gtest/gtest.h>

using enum TShortCutMainType;
using enum TShortCutSubType;
using enum TShortCutErrorType;
using enum TToolDetail;

namespace {

class ShortCutMngr : public ::testing::Test
{
  protected:
    void SetUp() override { mngr.initShortCutAll(); }

    int indexOf(int command, int nth = 0) const
    {
        for (int i = 0; i < mngr.count(); ++i)
            if (mngr.getCommand(i) == command && nth-- == 0)
                return i;
        return -1;
    }
    // A binding of command (group and category from its row) to key.
    static CShortCutObj binding(int command, int key, bool shift = false, bool ctrl = false,
                                bool alt = false)
    {
        const int row = shortCutRowOfCommand(command);
        return {shortCutMainTypeOfRow(row),
                shortCutSubTypeOfRow(row),
                uint16_t(command),
                uint16_t(key),
                shift,
                ctrl,
                alt,
                false};
    }
    uint16_t commandOf(int key, bool shift, bool ctrl, bool alt) const
    {
        uint16_t command = 0xFFFF;
        mngr.getCommandFromKey(uint16_t(key), shift, ctrl, alt, command);
        return command;
    }

    CShortCutMngr mngr;
};

} // namespace

TEST_F(ShortCutMngr, DefaultsFindTheirCommandsByKey)
{
    EXPECT_EQ(commandOf(VK_ADD, false, true, false), 208);
    EXPECT_EQ(commandOf(VK_OEM_PLUS, false, true, false), 208);
    EXPECT_EQ(commandOf(VK_F1 + 4, false, false, false), 208);
    EXPECT_EQ(commandOf(VK_RETURN, false, false, false), 225);
    EXPECT_EQ(commandOf(VK_RETURN, true, true, false), 237);
    EXPECT_EQ(commandOf('1', false, false, false), 1344);
    EXPECT_EQ(commandOf('0', false, false, false), 1353);
    EXPECT_EQ(commandOf(VK_F1 + 5, true, true, false), 1312);
    EXPECT_EQ(commandOf('N', true, true, true), 1364);
    EXPECT_EQ(commandOf('A', false, false, false), 512); // the first of the pencils
    // The modifiers must match exactly.
    EXPECT_EQ(commandOf('N', true, true, false), 80);
    uint16_t none = 7;
    EXPECT_FALSE(mngr.getCommandFromKey('Q', false, false, false, none));
    EXPECT_EQ(none, 0);

    // Entries stand in table order, each command's together.
    int lastRow = 0;
    for (int i = 0; i < mngr.count(); ++i) {
        const int row = shortCutRowOfCommand(mngr.getCommand(i));
        EXPECT_GE(row, lastRow) << i;
        lastRow = row;
        EXPECT_EQ(mngr.getObj(i)->FMainType, shortCutMainTypeOfRow(row));
        EXPECT_EQ(mngr.getObj(i)->FSubType, shortCutSubTypeOfRow(row));
    }
    EXPECT_EQ(mngr.getCount('A'), 4); // three pencils and Ctrl+A
}

TEST_F(ShortCutMngr, KeyTexts)
{
    CShortCutObj o = binding(1364, 'N', true, true, true);
    mngr.setObj(0, o);
    EXPECT_EQ(mngr.getKeyString(0), "Shift+Ctrl+Alt+N");
    EXPECT_EQ(mngr.getKeyString(indexOf(208)), "Ctrl+Num +");
    EXPECT_EQ(mngr.getKeyString(indexOf(208, 1)), "Ctrl+=");
    EXPECT_EQ(mngr.getKeyString(indexOf(1356)), "]");
    EXPECT_EQ(mngr.getKeyString(-1), QString());
    mngr.setKey(1, 0, false, false, false);
    EXPECT_EQ(mngr.getKeyString(1), QString());

    EXPECT_EQ(CShortCutMngr::getShiftStateStirng(true, false, true), "Shift+Alt+");
    // Enter, Esc and the modifiers alone show only the modifiers held with them.
    EXPECT_EQ(CShortCutMngr::getShortCutText(VK_RETURN, false, true, false), "Ctrl+");
    EXPECT_EQ(CShortCutMngr::getShortCutText(VK_ESCAPE, false, false, false), "");
    EXPECT_EQ(CShortCutMngr::getShortCutText(VK_SHIFT, true, false, false), "Shift+");
    EXPECT_EQ(CShortCutMngr::getShortCutText(VK_F1 + 3, false, false, true), "Alt+F4");

    EXPECT_EQ(mngr.getDuplicateString(binding(16, 'N', false, true)),
              "[メニュー] - [ファイル] - [新規作成]");
    EXPECT_EQ(mngr.getDuplicateString(binding(512, 'A')), "[ツール] - [鉛筆]");
    EXPECT_EQ(mngr.getDuplicateString(binding(1354, 'E')), "[その他] - [一つ前のブラシを選択]");
    EXPECT_TRUE(CShortCutMngr::checkSameShortCut("Ctrl+N", "Ctrl+O"));
    EXPECT_FALSE(CShortCutMngr::checkSameShortCut("Ctrl+N", "Ctrl+N"));
}

TEST_F(ShortCutMngr, ListOperationsRefuseBadIndexesAndModifierKeys)
{
    const int n = mngr.count();
    CShortCutObj dest;
    EXPECT_FALSE(mngr.isValid(n));
    EXPECT_EQ(mngr.getObj(n), nullptr);
    EXPECT_FALSE(mngr.copyObj(-1, dest));
    EXPECT_FALSE(mngr.setObj(n, dest));
    EXPECT_FALSE(mngr.deleteObj(n));
    EXPECT_EQ(mngr.insertObj(n + 1, dest), -1);
    EXPECT_EQ(mngr.getCommand(n), 0);
    EXPECT_EQ(mngr.getKey(-1), 0);
    // The modifier keys themselves are never bound.
    for (uint16_t key : {16, 17, 18}) {
        EXPECT_EQ(mngr.setData(0, smMenu, sbFile, 16, key, false, true, false, false), -1);
        EXPECT_FALSE(mngr.setKey(0, key, false, true, false));
    }
    EXPECT_EQ(mngr.count(), n);
    // setKey clears a deletion mark.
    mngr.setDeleteFlag(0, true);
    EXPECT_TRUE(mngr.setKey(0, 'M', false, true, false));
    EXPECT_FALSE(mngr.getObj(0)->FDeleteFlag);
    EXPECT_EQ(mngr.getshiftState(0), Qt::ControlModifier);
    EXPECT_EQ(mngr.insertObj(n, dest), n); // at count: appended
    EXPECT_EQ(mngr.freeAll(), n + 1);
    EXPECT_EQ(mngr.count(), 0);
}

TEST_F(ShortCutMngr, LookupsByCommandNameAndRange)
{
    uint16_t key = 0;
    Qt::KeyboardModifiers shift;
    EXPECT_TRUE(mngr.getKey(1328, key, shift));
    EXPECT_EQ(key, VK_ADD);
    EXPECT_EQ(shift, Qt::ControlModifier | Qt::AltModifier);
    key = 99;
    EXPECT_FALSE(mngr.getKey(24, key, shift)); // 復帰 has no default key
    EXPECT_EQ(key, 99);

    EXPECT_EQ(mngr.getCommandFromName("開く"), 18);
    EXPECT_EQ(mngr.getCommandFromName("左右反転"), 68); // the first of three
    EXPECT_EQ(mngr.getCommandFromName("nothing"), 0);

    int first = -1, last = -1;
    EXPECT_TRUE(mngr.getTableRange(smMenu, sbLayer, first, last));
    EXPECT_EQ(std::pair(first, last), std::pair(42, 71));
    EXPECT_TRUE(mngr.getTableRange(smTool, sbOther, first, last));
    EXPECT_EQ(std::pair(first, last), std::pair(178, 219));
    EXPECT_TRUE(mngr.getTableRange(smEtc, sbFile, first, last));
    EXPECT_EQ(std::pair(first, last), std::pair(220, 244));
    EXPECT_FALSE(mngr.getTableRange(smMenu, sbOther, first, last));
    EXPECT_EQ(std::pair(first, last), std::pair(0, 0));
    EXPECT_FALSE(mngr.getTableRange(smMenu, sbPencil, first, last));

    EXPECT_EQ(mngr.getKey(smMenu, sbLayer, 96), "左右反転");
    EXPECT_EQ(mngr.getKey(smMenu, sbFile, 96), QString()); // not a file command
    EXPECT_EQ(mngr.getCommandString(smMenu, sbFile, indexOf(18)), "開く");
    EXPECT_EQ(mngr.getKeyByToolDetail(tdSeedEraser), 'S');
    EXPECT_EQ(mngr.getKeyByToolDetail(tdZoom), 0);
    EXPECT_EQ(CShortCutMngr::getToolDetail(784), tdGrabberPosition);
    EXPECT_EQ(CShortCutMngr::getToolDetail(999), tdPencil5);
    EXPECT_TRUE(mngr.isSameCommand(208));
    EXPECT_FALSE(mngr.isSameCommand(16));
}

TEST_F(ShortCutMngr, RepeatedToolKeysCycleTheCategorysTools)
{
    auto next = [this](TToolKind kind, TToolDetail d) { return mngr.getNextTool(kind, d); };
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil5), tdPencil4);
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil4), tdPencil1);
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil1), tdPencil5);
    // The eraser's tools in list order: 528, 531, 529, 530.
    EXPECT_EQ(next(TToolKind::tkEraser, tdEraser5), tdSeedEraser);
    EXPECT_EQ(next(TToolKind::tkEraser, tdSeedEraser), tdEraser4);
    EXPECT_EQ(next(TToolKind::tkEraser, tdEraser4), tdEraser1);
    EXPECT_EQ(next(TToolKind::tkEraser, tdEraser1), tdEraser5);
    EXPECT_EQ(next(TToolKind::tkMagicWand, tdMagicWand), tdMagicWand);
    EXPECT_EQ(next(TToolKind::tkZoom, tdZoom), tdZoom);

    // 513 on a key of its own leaves the other two pencils cycling.
    mngr.setKey(indexOf(513), 'B', false, false, false);
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil5), tdPencil1);
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil1), tdPencil5);
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil4), tdPencil4);

    // A table that lacks a pencil never lends the eraser's tools to the pencils' cycle.
    mngr.deleteObj(indexOf(513));
    mngr.setKey(indexOf(528), 'A', false, false, false);
    EXPECT_EQ(next(TToolKind::tkPencil, tdPencil1), tdPencil5);

    CShortCutMngr empty;
    EXPECT_EQ(empty.getNextTool(TToolKind::tkPencil, tdPencil4), tdPencil4);
}

TEST_F(ShortCutMngr, ValidationGivesTheFirstErrorAndItsMessage)
{
    const int enterIdx = indexOf(225);
    const struct
    {
        const char *what;
        CShortCutObj obj;
        int selIdx;
        TShortCutErrorType error;
        QString message;
    } cases[] = {
        {"Ctrl+Shift+Tab", binding(16, VK_TAB, true, true), 0, seNotUseKey,
         "押されたキーはショートカットとして使用できません。"},
        {"Up", binding(16, VK_UP, false, true), 0, seNotUseKey,
         "押されたキーはショートカットとして使用できません。"},
        {"Q on a menu", binding(16, 'Q'), 0, seNotMenuCombination,
         "Q は無効です。\r\nこのキーには Ctrl / Shift / Alt が必要です。\r\n"
         "また、このショートカットにはファンクションキー / Insert / Delete が使用できます。"},
        {"F4 on a menu", binding(16, VK_F1 + 3), 0, seNone, ""},
        {"Shift+Q on a menu", binding(16, 'Q', true), 0, seToolChange,
         "Shift + A-Z はツール切り替えで使用されています。"},
        {"Shift+Q on another command", binding(1354, 'Q', true), 0, seToolChange,
         "Shift + A-Z はツール切り替えで使用されています。"},
        {"Ctrl+A on a tool", binding(528, 'A', false, true), 0, seNotToolCombination,
         "Ctrl+A は無効です。\r\nツールのショートカットはA～Zのみ使用可能です。"},
        {"A on the eraser", binding(528, 'A'), indexOf(528), seDuplication,
         "A は既に使用されています。\r\n\r\n重複先：\r\n[ツール] - [鉛筆]"},
        {"A on another pencil", binding(514, 'A'), indexOf(514), seNone, ""},
        {"Ctrl+N on 開く", binding(18, 'N', false, true), indexOf(18), seDuplication,
         "Ctrl+N は既に使用されています。\r\n\r\n重複先：\r\n[メニュー] - [ファイル] - [新規作成]"},
        {"F5 on 拡大表示's first key", binding(208, VK_F1 + 4), indexOf(208), seSameGroup,
         "F5 は同じコマンドで既に使用されています。"},
        {"the Enter entry", binding(225, VK_F1 + 3), enterIdx, seFixed,
         "このショートカットキーは変更できません。"},
        {"Enter anywhere", binding(16, VK_RETURN), 0, seNone, ""},
        {"a key without a name", binding(16, VK_PAUSE, false, true), 0, seNotUseKey, ""},
    };
    for (const auto &c : cases) {
        int dup = -5;
        const TShortCutErrorType e = mngr.checkError(c.obj, c.selIdx, dup, true);
        EXPECT_EQ(e, c.error) << c.what;
        EXPECT_EQ(mngr.getErrorString(c.obj.FKey, c.obj.FShift, c.obj.FCtrl, c.obj.FAlt, e, dup),
                  c.message)
            << c.what;
    }
    // Without the check of the edited entry the Enter entry can take a second key.
    int dup = 0;
    EXPECT_EQ(mngr.checkError(binding(225, VK_F1 + 3), enterIdx, dup, false), seNone);
    // A key held only by an entry marked for deletion is free.
    mngr.setDeleteFlag(indexOf(16), true);
    EXPECT_EQ(mngr.checkError(binding(18, 'N', false, true), indexOf(18), dup, true), seNone);
}

TEST_F(ShortCutMngr, ViewListHasEveryCommandInTableOrder)
{
    CShortCutMngr loaded; // as read from a file: no groups, no keyless commands
    loaded.appendObj({smOther, sbOther, 209, 'Z', false, true, false, false});
    loaded.appendObj({smOther, sbOther, 16, 'N', false, true, false, false});
    loaded.appendObj({smOther, sbOther, 209, 'Y', false, true, false, false});
    CShortCutMngr view;
    loaded.makeViewList(view);
    EXPECT_EQ(view.count(), kLastCommandRow + 1); // 244 commands, 209 twice
    EXPECT_EQ(view.getCommand(0), 16);
    EXPECT_EQ(view.getKey(0), 'N');
    EXPECT_EQ(view.getObj(0)->FSubType, sbFile);
    EXPECT_EQ(view.getCommand(1), 17);
    EXPECT_EQ(view.getKey(1), 0);
    const int zoomOut = 131; // row of 209 is 132; view index = row - 1
    EXPECT_EQ(view.getCommand(zoomOut), 209);
    EXPECT_EQ(view.getKey(zoomOut), 'Z');
    EXPECT_EQ(view.getKey(zoomOut + 1), 'Y');
    EXPECT_EQ(view.getObj(zoomOut + 1)->FMainType, smMenu);
    EXPECT_EQ(view.getObj(zoomOut + 1)->FSubType, sbView);

    loaded.setType();
    EXPECT_EQ(loaded.getObj(1)->FSubType, sbFile);

    // copyAll drops marked entries when asked, and copies unmarked.
    view.setDeleteFlag(0, true);
    view.setDeleteFlag(1, true);
    CShortCutMngr copy;
    copy.copyAll(view, true);
    EXPECT_EQ(copy.count(), view.count() - 2);
    copy.copyAll(view, false);
    EXPECT_EQ(copy.count(), view.count());
    EXPECT_FALSE(copy.getObj(0)->FDeleteFlag);
}

TEST_F(ShortCutMngr, DeleteSameCommandTakesTheKeyFromTheOthers)
{
    // 16 takes Ctrl+O of 18: 18 loses it, 16 keeps it.
    const int newDoc = indexOf(16), open = indexOf(18);
    mngr.setKey(newDoc, 'O', false, true, false);
    mngr.setDeleteFlag(open, true);
    EXPECT_TRUE(mngr.deleteSameCommand(newDoc));
    EXPECT_EQ(mngr.getKey(newDoc), 'O');
    EXPECT_EQ(mngr.getKey(open), 0);
    EXPECT_EQ(mngr.getshiftState(open), Qt::NoModifier);
    EXPECT_FALSE(mngr.getObj(open)->FDeleteFlag);
    EXPECT_EQ(mngr.getKey(indexOf(19)), 'O'); // Ctrl+Alt+O is another key
    EXPECT_FALSE(mngr.deleteSameCommand(-1));
}
