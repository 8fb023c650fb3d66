#include "ui/forms/mru_list.h"

#include "platform/system/registry.h"
#include "ui/ui_test_support.h"

#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList texts(const QMenu &menu)
{
    QStringList out;
    for (QAction *a : menu.actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class FormsRecentFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("KAVRIN_CONFIG_DIR", dir.path().toUtf8());
        fileMenu.addAction("Open");
        anchor = fileMenu.addAction("Exit");
        list.setAutoSave(false);
        list.setAutoSaveName("Software\\Trevolt\\Kavrin5");
        list.setAutoSaveKey("fileMRU");
        list.setMaxCaptionWidth(0);
    }
    void TearDown() override { qunsetenv("KAVRIN_CONFIG_DIR"); }

    QTemporaryDir dir;
    QMenu fileMenu;
    QAction *anchor = nullptr;
    TMRUFileList list;
};

TEST_F(FormsRecentFiles, MostRecentFirstWithinTheMaximum)
{
    list.setMaximum(3);
    for (const char *p : {"/a", "/b", "/c", "/d"})
        list.InsertItem(0, p);
    EXPECT_EQ(list.Items(), (QStringList{"/d", "/c", "/b"}));
    list.InsertItem(0, "/b");
    EXPECT_EQ(list.Items(), (QStringList{"/b", "/d", "/c"}));
    list.InsertItem(2, "/c"); // already there: to the top, the index unused
    EXPECT_EQ(list.Items(), (QStringList{"/c", "/b", "/d"}));
    list.InsertItem(0, "/D"); // letter case does not make a new entry
    EXPECT_EQ(list.Items(), (QStringList{"/d", "/c", "/b"}));
    list.InsertItem(1, "/e");
    EXPECT_EQ(list.Items(), (QStringList{"/d", "/e", "/c"}));
}

TEST_F(FormsRecentFiles, AddReplaceRemove)
{
    list.AddItem("/a");
    list.AddItem("/b");
    EXPECT_EQ(list.Items(), (QStringList{"/a", "/b"}));
    list.AddItem("/B"); // present: moved to the top
    EXPECT_EQ(list.Items(), (QStringList{"/b", "/a"}));
    list.ReplaceItem("/A", "/z");
    EXPECT_EQ(list.Items(), (QStringList{"/b", "/z"}));
    list.ReplaceItem("/missing", "/y");
    list.RemoveItem("/B");
    list.RemoveItem("/missing");
    EXPECT_EQ(list.Items(), (QStringList{"/z"}));
    list.AddStrings({"/1", "/2", "/3", "/4", "/5", "/6"});
    EXPECT_EQ(list.Items(), (QStringList{"/z", "/1", "/2", "/3", "/4"}));
    list.setMaximum(2);
    EXPECT_EQ(list.Items(), (QStringList{"/z", "/1"}));
}

TEST_F(FormsRecentFiles, MenuEntriesBeforeTheAnchorOrInItsSubmenu)
{
    list.setFileMenu(anchor);
    EXPECT_EQ(texts(fileMenu), (QStringList{"Open", "Exit"})); // empty list: nothing added
    list.AddStrings({"/home/u/one.qzi", "/home/u/two.qzi"});
    EXPECT_EQ(texts(fileMenu),
              (QStringList{"Open", "-", "&1 /home/u/one.qzi", "&2 /home/u/two.qzi", "Exit"}));
    list.setUseSubmenu(true);
    list.setInsertSeparator(false);
    list.setSubmenuName("Recent");
    EXPECT_EQ(texts(fileMenu), (QStringList{"Open", "Recent", "Exit"}));
    QMenu *sub = fileMenu.actions()[1]->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(texts(*sub), (QStringList{"&1 /home/u/one.qzi", "&2 /home/u/two.qzi"}));
    auto *second = static_cast<TMRUMenuItem *>(sub->actions()[1]);
    EXPECT_EQ(second->ItemNumber, 2);
    EXPECT_EQ(second->FullCaption, "&2 /home/u/two.qzi");

    // A file menu with entries of its own takes them at its end.
    QMenu recentMenu;
    recentMenu.addAction("Clear");
    QAction holder("Recent files");
    holder.setMenu(&recentMenu);
    list.setUseSubmenu(false);
    list.setFileMenu(&holder);
    EXPECT_EQ(texts(fileMenu), (QStringList{"Open", "Exit"}));
    EXPECT_EQ(texts(recentMenu),
              (QStringList{"Clear", "&1 /home/u/one.qzi", "&2 /home/u/two.qzi"}));
    list.setFileMenu(nullptr);
    EXPECT_EQ(texts(recentMenu), (QStringList{"Clear"}));
}

TEST_F(FormsRecentFiles, LongPathsAreShortenedKeepingRootAndName)
{
    const QString path = "/home/someone/pictures/2026/december/sketches/final.qzi";
    list.setFileMenu(anchor);
    list.setInsertSeparator(false);
    list.setMaxCaptionWidth(120);
    list.AddItem(path);
    auto *item = static_cast<TMRUMenuItem *>(fileMenu.actions()[1]);
    EXPECT_EQ(item->FullCaption, "&1 " + path);
    EXPECT_TRUE(item->text().startsWith("&1 /.../")) << item->text().toStdString();
    EXPECT_TRUE(item->text().endsWith("/final.qzi"));
    EXPECT_LT(item->text().size(), item->FullCaption.size());
    EXPECT_EQ(MinimizeName("/a/b.qzi", QFont(), 5), "/a/b.qzi");
}

TEST_F(FormsRecentFiles, ClickReportsThePathAndMayRemoveIt)
{
    QStringList clicked;
    list.OnMRUItemClick = [&](QObject *, const QString &f) { clicked << f; };
    list.setFileMenu(anchor);
    list.AddStrings({"/x", "/y"});
    fileMenu.actions()[3]->trigger(); // "&2 /y"
    EXPECT_EQ(clicked, (QStringList{"/y"}));
    EXPECT_EQ(list.Items(), (QStringList{"/x"}));
    EXPECT_EQ(texts(fileMenu), (QStringList{"Open", "-", "&1 /x", "Exit"}));
    list.setRemoveOnClick(false);
    fileMenu.actions()[2]->trigger();
    EXPECT_EQ(clicked, (QStringList{"/y", "/x"}));
    EXPECT_EQ(list.Items(), (QStringList{"/x"}));
}

TEST_F(FormsRecentFiles, SaveAndLoadRoundTrip)
{
    list.AddStrings({"/one", "/two", "/three"});
    ASSERT_TRUE(list.Save());
    TMRUFileList again;
    again.setAutoSave(false);
    again.setAutoSaveName("\\Software\\Trevolt\\Kavrin5");
    again.setAutoSaveKey("fileMRU");
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Items(), (QStringList{"/one", "/two", "/three"}));
    // An empty list saves an empty section and loads an empty menu.
    TMRUFileList empty;
    empty.setAutoSave(false);
    empty.setAutoSaveName("Software\\Trevolt\\Kavrin5");
    empty.setAutoSaveKey("fileMRU");
    ASSERT_TRUE(empty.Save());
    empty.setFileMenu(anchor);
    ASSERT_TRUE(empty.Load());
    EXPECT_TRUE(empty.Items().isEmpty());
    EXPECT_EQ(texts(fileMenu), (QStringList{"Open", "Exit"}));
    TMRUFileList unnamed;
    unnamed.setAutoSave(false);
    unnamed.setAutoSaveKey("");
    EXPECT_FALSE(unnamed.Save());
    EXPECT_FALSE(unnamed.Load());
}

TEST_F(FormsRecentFiles, AutoSaveOnDestructionAndLoadAfterSetUp)
{
    {
        TMRUFileList saving;
        saving.setAutoSaveName("Software\\Trevolt\\Kavrin5");
        saving.setAutoSaveKey("fileMRU");
        saving.AddItem("/kept");
    }
    TMRUFileList loading;
    loading.setAutoSaveName("Software\\Trevolt\\Kavrin5");
    loading.setAutoSaveKey("fileMRU");
    loading.Loaded();
    EXPECT_EQ(loading.Items(), (QStringList{"/kept"}));
    loading.setAutoSave(false);
}

TEST_F(FormsRecentFiles, HandWrittenSectionIsReadSafely)
{
    {
        CRegistry store;
        std::optional<CRegKey> key = store.openKey("Software\\Trevolt\\Kavrin5\\fileMRU", true);
        ASSERT_TRUE(key);
        // Written out of order, with a repeat in other letter case and more than the maximum.
        key->writeString("path5", "/f");
        key->writeString("path0", "/a");
        key->writeString("path10", "/k");
        key->writeString("path2", "/c");
        key->writeString("path1", "/A");
        key->writeString("path3", "/d");
        key->writeString("other", "/not-a-path-entry");
        key->writeString("path4", "/e");
        key->writeString("path6", "/g");
        key->writeString("path7", "/h");
        key->writeString("path8", "/i");
        key->writeString("path9", "/j");
        ASSERT_TRUE(store.flush());
    }
    list.setMaximum(4);
    ASSERT_TRUE(list.Load());
    EXPECT_EQ(list.Items(), (QStringList{"/a", "/c", "/d", "/e"}));
}
