// The preset editor base over a screentone list: how each way of closing ends, the apply button
// that never closes, the menu's states and actions, and the settings hooks around the modal run.
#include "core/image/channel.h"
#include "paint/tone/tone_manager.h"
#include "support/preset_fixtures.h"
#include "support/captured_messages.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/path_label.h"
#include "ui/lists/tone_list_view.h"
#include "windows/presets/preset_editor_base.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A minimal editor: a tone list in the list box, a path, and a log of the settings hooks.
class ToneEditor : public TFormPresetEditor
{
  public:
    explicit ToneEditor(CToneMngr &m)
    {
        list = new TToneListView(this);
        const QRect r = BoxListView->geometry();
        list->SetBounds(r.x(), r.y(), r.width(), r.height());
        list->SetSupportCommand({lvcSelect});
        list->Attach(&m);
    }
    void LoadListSettings() override { log.push_back("load"); }
    void SaveListSettings() override { log.push_back("save"); }
    TqZListView *ListView() const override { return list; }
    QString Path() const override { return path; }

    TToneListView *list = nullptr;
    QString path;
    std::vector<std::string> log;
};

class ScopedRunner
{
  public:
    explicit ScopedRunner(std::function<void(ToneEditor &)> drive)
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            auto &e = dynamic_cast<ToneEditor &>(d);
            e.log.push_back("run");
            e.setResult(0);
            d.show();
            drive(e);
            stillOpen = d.isVisible();
            if (stillOpen)
                d.done(kavrin::mrCancel);
            return d.result();
        });
    }
    ~ScopedRunner() { installModalRunner(m_previous); }
    bool stillOpen = false;

  private:
    ModalRunner m_previous;
};

} // namespace

TEST(PresetEditorBase, EachWayOfClosingHasItsResult)
{
    struct Case
    {
        const char *name;
        std::function<void(ToneEditor &)> close;
        int result;
    };
    const Case cases[] = {
        {"close button", [](ToneEditor &e) { e.ButtonCancel->click(); }, 1},
        {"Esc", [](ToneEditor &e) { QTest::keyClick(&e, Qt::Key_Escape); }, 1},
        {"close box",
         [](ToneEditor &e) {
             QCloseEvent ev;
             QApplication::sendEvent(&e, &ev);
         },
         2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CToneMngr m;
        fillPatterns(m, 3);
        ToneEditor e(m);
        EXPECT_EQ(e.ButtonCancel->text(), QString::fromUtf8("閉じる(&C)"));
        ScopedRunner runner(c.close);
        EXPECT_EQ(e.ShowModal(), c.result);
        EXPECT_FALSE(runner.stillOpen);
        EXPECT_EQ(e.log, (std::vector<std::string>{"load", "run", "save"}));
    }
}

TEST(PresetEditorBase, ApplyNeverCloses)
{
    CToneMngr m;
    fillPatterns(m, 3);
    ToneEditor e(m);
    ScopedRunner runner([](ToneEditor &d) {
        EXPECT_FALSE(d.ButtonOK->isEnabled()) << "disabled at open";
        EXPECT_EQ(d.ButtonOK->text(), QString::fromUtf8("適用(&A)"));
        d.ButtonOK->setEnabled(true); // an edit
        d.ButtonOK->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.LblPath->Modified());
        EXPECT_FALSE(d.ButtonOK->isEnabled());
        QTest::keyClick(&d, Qt::Key_Return); // not the default button either
        EXPECT_TRUE(d.isVisible());
    });
    e.ShowModal();
    EXPECT_TRUE(runner.stillOpen);
}

TEST(PresetEditorBase, TheMenuActsOnTheListWithoutAsking)
{
    CapturedMessages messages;
    CToneMngr m;
    fillPatterns(m, 3);
    ToneEditor e(m);
    e.list->SetSelectIndex(1);
    e.PopupPopup();
    EXPECT_TRUE(e.MenuItemDelete->isEnabled());
    e.MenuItemDelete->trigger();
    EXPECT_EQ(m.count(), 2);
    EXPECT_TRUE(messages.questions.isEmpty());
    e.PopupPopup();
    e.MenuItemDuplicate->trigger();
    EXPECT_EQ(m.count(), 3);
    e.MenuDisp[5]->trigger();
    EXPECT_EQ(e.list->ListType(), lvListM);

    // Revert only while modified with the file present.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("set.qts"));
    for (const auto &[exists, modified] : {std::pair{false, true}, {true, false}, {true, true}}) {
        e.path = file;
        if (exists) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        e.list->SetModified(modified);
        e.PopupPopup();
        EXPECT_EQ(e.MenuSetRevert->isEnabled(), exists && modified);
        EXPECT_TRUE(e.MenuSetSave->isEnabled());
    }
}
