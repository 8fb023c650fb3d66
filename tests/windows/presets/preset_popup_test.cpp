// The preset popup on real list views: its layout and the preview sizes, the menu as the list
// allows it, the gradient and tone strips, the close button and the keys, the profile, deleting,
// and the hooks that let a list view open it.
#include "core/image/channel.h"
#include "core/profile/app_profile.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/palette/swatches.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/tone/tone_manager.h"
#include "support/preset_fixtures.h"
#include "support/captured_messages.h"
#include "ui/base/popup_menu.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/preset_previews.h"
#include "ui/lists/swatch_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "windows/presets/preset_files.h"
#include "windows/presets/preset_hooks.h"
#include "windows/presets/preset_popup.h"
#include "windows/shell_host.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMouseEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The profile as it was (or none), put back afterwards.
class ProfileScope
{
  public:
    ProfileScope()
    {
        if (!gAppProfile) {
            gAppProfile = std::make_unique<CAppProfile>();
            m_made = true;
        }
        m_saved = *gAppProfile;
    }
    ~ProfileScope()
    {
        if (m_made)
            gAppProfile.reset();
        else
            *gAppProfile = m_saved;
    }

  private:
    CAppProfile m_saved;
    bool m_made = false;
};

// A gradient list, its set, and a popup over it, never stored sizes in the profile.
struct GradientRig
{
    GradientRig(bool special = false) : m(special)
    {
        gAppProfile->PopGradListSize = {-1, -1};
        gAppProfile->PopGradPrevType = -1;
        fillGradients(m, 5);
        view.Attach(&m);
        popup.reset(createGradientPopup(view, &m));
    }
    ProfileScope profile;
    CGradMngr m;
    TGradientListView view;
    std::unique_ptr<TPresetPopupForm> popup;
};

QRect childRect(const QWidget *w)
{
    return w->geometry();
}

// Chooses a menu entry by running the menu through the runner.
void chooseEntry(TPresetPopupForm &f, TPresetMenuEntry e, int *runs = nullptr)
{
    TPopupMenuRunner prev = installPopupMenuRunner([&](QMenu &, QPoint) {
        if (runs)
            ++*runs;
        QAction *a = f.MenuEntry(e);
        if (a->isEnabled())
            a->trigger();
        return a;
    });
    QTest::mousePress(f.Client(), Qt::LeftButton, {}, f.MenuButtonRect().center());
    QTest::mouseRelease(f.Client(), Qt::LeftButton, {}, f.MenuButtonRect().center());
    installPopupMenuRunner(prev);
}

// The mouse moved over a client point with no button held.
void moveOver(TPresetPopupForm &f, QPoint pt)
{
    QMouseEvent ev(QEvent::MouseMove, pt, f.Client()->mapToGlobal(pt), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(f.Client(), &ev);
}

// Runs drive on the file dialog the next call opens and counts it; a dialog drive leaves open is
// cancelled, so that the call always returns.
void whenFileDialogOpens(std::function<void(QFileDialog &)> drive, int &opened)
{
    QTimer::singleShot(0, [drive, &opened] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        ++opened;
        drive(*d);
        if (d->isVisible())
            d->reject();
    });
}

// Chooses path in the dialog as a user does.
void choose(QFileDialog &d, const QString &path)
{
    d.selectFile(path);
    static_cast<QDialog &>(d).accept();
}

} // namespace

TEST(PresetPopup, LayoutOfTheGradientPopup)
{
    GradientRig rig;
    TPresetPopupForm &f = *rig.popup;
    const QSize c = f.clientSize();
    EXPECT_EQ(c, QSize(223, 97 + 120));
    EXPECT_EQ(f.size(), c + QSize(8, 8));
    EXPECT_EQ(f.minimumClientSize(), c);
    const int W = c.width();
    EXPECT_EQ(f.CloseButtonRect().topLeft(), QPoint(W - 13, 2));
    EXPECT_EQ(f.MenuButtonRect().topLeft(), QPoint(W - 13, 20));
    const QRect list = childRect(f.ListView());
    EXPECT_EQ(list, QRect(0, 0, W - 15, c.height() - 120));
    EXPECT_EQ(childRect(f.BtnGradLine()), QRect(2, list.bottom() + 3, 20, 16));
    EXPECT_EQ(childRect(f.GradPreview()), QRect(0, list.bottom() + 23, W - 15, 96));
    // Anchors: a wider, taller window widens the list and keeps the strip under it.
    f.setClientExtent(W + 40, c.height() + 30);
    EXPECT_EQ(childRect(f.ListView()), QRect(0, 0, W + 25, c.height() - 90));
    EXPECT_EQ(childRect(f.BtnGradLine()).top(), list.bottom() + 33);
    EXPECT_EQ(childRect(f.GradPreview()).width(), W + 25);
}

TEST(PresetPopup, PreviewSizesMoveOnlyThePreview)
{
    GradientRig rig;
    TPresetPopupForm &f = *rig.popup;
    const QSize c = f.clientSize();
    const QRect list = childRect(f.ListView()), line = childRect(f.BtnGradLine());

    chooseEntry(f, TPresetMenuEntry::PreviewHide);
    EXPECT_EQ(f.clientSize(), c - QSize(0, 100));
    EXPECT_EQ(f.minimumClientSize(), c - QSize(0, 100));
    EXPECT_EQ(childRect(f.ListView()), list);
    EXPECT_EQ(childRect(f.BtnGradLine()), line);
    EXPECT_FALSE(f.GradPreview()->isVisibleTo(&f));
    EXPECT_FALSE(f.UsePreview());

    chooseEntry(f, TPresetMenuEntry::PreviewL);
    EXPECT_EQ(f.clientSize(), c + QSize(0, 96));
    EXPECT_EQ(childRect(f.ListView()), list);
    EXPECT_EQ(childRect(f.BtnGradLine()), line);
    EXPECT_EQ(childRect(f.GradPreview()), QRect(0, line.bottom() + 5, list.width(), 192));
    chooseEntry(f, TPresetMenuEntry::PreviewL);
    EXPECT_EQ(f.clientSize(), c + QSize(0, 96));
}

TEST(PresetPopup, TheMenuFollowsTheListAndTheKind)
{
    GradientRig rig;
    TPresetPopupForm &f = *rig.popup;
    f.PresetPopupMenuPopup();
    EXPECT_EQ(f.MenuEntry(TPresetMenuEntry::ItemAppend)->text(),
              QString::fromUtf8("新規グラデーション(&N)..."));
    EXPECT_FALSE(f.MenuEntry(TPresetMenuEntry::DispAll)->isVisible());
    EXPECT_TRUE(f.MenuEntry(TPresetMenuEntry::PreviewM)->isVisible());
    EXPECT_TRUE(f.MenuEntry(TPresetMenuEntry::PreviewM)->isChecked());
    EXPECT_FALSE(f.MenuEntry(TPresetMenuEntry::SetRevert)->isEnabled()) << "no file";
    const TListViewTypes types = f.ListView()->SupportType();
    for (size_t i = 0; i < kDispEntryTypes.size(); ++i)
        EXPECT_EQ(f.MenuEntry(TPresetMenuEntry(int(TPresetMenuEntry::DispText) + int(i)))->isVisible(),
                  types.contains(kDispEntryTypes[i]))
            << i;

    // A display entry sets the list's type; the swatch popup offers no preview entries.
    chooseEntry(f, TPresetMenuEntry::DispListM);
    EXPECT_EQ(f.ListView()->ListType(), lvListM);
    ProfileScope profile;
    TSwatchMngr sm;
    sm.MakeDefault();
    TSwatchListView sv;
    sv.Attach(&sm);
    std::unique_ptr<TPresetPopupForm> sp(createSwatchPopup(sv, &sm));
    sp->PresetPopupMenuPopup();
    EXPECT_FALSE(sp->MenuEntry(TPresetMenuEntry::PreviewM)->isVisible());
    EXPECT_EQ(sp->MenuEntry(TPresetMenuEntry::SetSave)->text(), QString::fromUtf8("色見本を保存(&S)..."));
}

TEST(PresetPopup, TheGradientStripCarriesTheAttribute)
{
    GradientRig rig;
    TPresetPopupForm &f = *rig.popup;
    TGradientListView &list = *dynamic_cast<TGradientListView *>(f.ListView());
    list.SetAliasAttr({true, gtRot, gmReturn, grEndless, 7});
    f.ReadGradAttr();
    EXPECT_TRUE(f.BtnGradRad()->Down());
    EXPECT_FALSE(f.BtnGradLine()->Down());
    EXPECT_TRUE(f.BtnGradRet()->Down());
    EXPECT_TRUE(f.BtnGradInf()->Down());
    EXPECT_FLOAT_EQ(f.NumGradRep()->Value(), 7);
    const SGradAttr before = list.AliasAttr();
    f.NumGradRep()->setValue(7); // an apply with nothing changed
    f.BtnGradRet()->OnClick(f.BtnGradRet());
    EXPECT_EQ(list.AliasAttr(), before);
    f.NumGradRep()->setValue(3);
    EXPECT_EQ(list.AliasAttr().gradRepCnt, 3);
}

TEST(PresetPopup, TheGradientStripTakesTheToolWindowsHints)
{
    GradientRig rig;
    TPresetPopupForm &f = *rig.popup;
    const std::pair<const TGraphicControl *, TGradientHintRole> cases[] = {
        {f.LblGradRep(), ghrLblGradRep},  {f.EdtGradRep(), ghrEdtGradRep},
        {f.BtnGradInf(), ghrBtnGradInf},  {f.BtnGradLine(), ghrBtnGradLine},
        {f.BtnGradRad(), ghrBtnGradRad},  {f.BtnGradCir(), ghrBtnGradCir},
        {f.BtnGradRet(), ghrBtnGradRet},  {f.BtnGradRemind(), ghrBtnGradRemind},
    };
    // The headless tool window answers a different hint for every role, so a swap shows.
    const IToolForm &tool = mainForm().toolForm();
    for (const auto &[control, role] : cases)
        EXPECT_EQ(control->hint(), tool.gradientHint(role)) << role;
}

TEST(PresetPopup, RemindIsDisabledAndUpForTheFixedGradient)
{
    GradientRig rig(true);
    ASSERT_TRUE(rig.m.hasSpecialGrad());
    ASSERT_TRUE(rig.m.isSpecialIdx(0)); // the fixed gradient comes first
    rig.m.setCurGrad(0);
    ASSERT_TRUE(rig.m.isUsingSpecialGrad());
    rig.popup->ReadGradAttr();
    EXPECT_FALSE(rig.popup->BtnGradRemind()->isEnabled());
    EXPECT_FALSE(rig.popup->BtnGradRemind()->Down());
}

TEST(PresetPopup, EachWayOfClosingGivesItsResult)
{
    // The close button needs press and release on it; Escape restores, the other keys keep.
    enum Press { Click, Key };
    struct Case
    {
        const char *name;
        Press how;
        bool pressOn, releaseOn; // on the close button (clicks)
        Qt::Key key;
        int result; // 0: stays open
    };
    const Case cases[] = {
        {"on it", Click, true, true, Qt::Key_unknown, kavrin::mrOk},
        {"pressed elsewhere", Click, false, true, Qt::Key_unknown, 0},
        {"released outside", Click, true, false, Qt::Key_unknown, 0},
        {"Escape", Key, false, false, Qt::Key_Escape, kavrin::mrCancel},
        {"Enter", Key, false, false, Qt::Key_Return, kavrin::mrOk},
        {"Space", Key, false, false, Qt::Key_Space, kavrin::mrOk},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GradientRig rig;
        TPresetPopupForm &f = *rig.popup;
        f.ShowPopUp(0, 0, nullptr);
        ASSERT_TRUE(f.Down());
        if (c.how == Click) {
            const QPoint on = f.CloseButtonRect().center(),
                         off = f.MenuButtonRect().bottomLeft() + QPoint(0, 8);
            QTest::mousePress(f.Client(), Qt::LeftButton, {}, c.pressOn ? on : off);
            QTest::mouseRelease(f.Client(), Qt::LeftButton, {}, c.releaseOn ? on : off);
        } else {
            QTest::keyClick(f.ListView(), c.key); // where the keys land while it is open
        }
        EXPECT_EQ(f.Down(), c.result == 0);
        if (c.result != 0) {
            EXPECT_EQ(f.PopupResult(), c.result);
        }
        f.ClosePopup();
    }
}

TEST(PresetPopup, WithoutAMenuTheMenuButtonIsDisabled)
{
    GradientRig rig;
    TPresetPopupForm &f = *rig.popup;
    f.setPresetPopupMenu(nullptr);
    int runs = 0;
    chooseEntry(f, TPresetMenuEntry::PreviewHide, &runs);
    EXPECT_EQ(runs, 0);
    moveOver(f, f.MenuButtonRect().center());
    EXPECT_EQ(f.ArrowState(), gsNone);
    moveOver(f, f.CloseButtonRect().center());
    EXPECT_EQ(f.CloseState(), gsActive);
}

TEST(PresetPopup, TheProfileKeepsTypeAndSizeButNotForSwatches)
{
    ProfileScope profile;
    {
        gAppProfile->PopGradListType = 42; // no list type at all
        gAppProfile->PopGradListSize = {100, 50};   // below the minimum
        gAppProfile->PopGradPrevType = pphSmall;
        CGradMngr m;
        fillGradients(m, 3);
        TGradientListView view;
        view.Attach(&m);
        std::unique_ptr<TPresetPopupForm> f(createGradientPopup(view, &m));
        EXPECT_EQ(f->ListView()->ListType(), lvIconM);
        f->LoadSettings();
        EXPECT_EQ(f->ListView()->ListType(), lvIconM);
        EXPECT_EQ(f->PreviewHeight(), pphSmall);
        EXPECT_EQ(f->clientSize(), f->minimumClientSize());
        f->setClientExtent(300, 400);
        f->ListView()->SetListType(lvListL);
        f->SaveSettings();
        EXPECT_EQ(gAppProfile->PopGradListSize, (sSize{300, 400}));
        EXPECT_EQ(gAppProfile->PopGradListType, lvListL);
        EXPECT_EQ(gAppProfile->PopGradPrevType, pphSmall);
    }
    const CAppProfile before = *gAppProfile;
    TSwatchMngr sm;
    sm.MakeDefault();
    TSwatchListView sv;
    sv.Attach(&sm);
    std::unique_ptr<TPresetPopupForm> sp(createSwatchPopup(sv, &sm));
    EXPECT_EQ(sp->ListView()->ListType(), lvIconS);
    sp->LoadSettings();
    sp->setClientExtent(400, 300);
    sp->SaveSettings();
    freePresetPopup(sp.release());
    EXPECT_EQ(gAppProfile->PopBrushListSize, before.PopBrushListSize);
    EXPECT_EQ(gAppProfile->PopGradListSize, before.PopGradListSize);
    EXPECT_EQ(gAppProfile->PopGradListType, before.PopGradListType);
    EXPECT_EQ(gAppProfile->PopToneListType, before.PopToneListType);
}

TEST(PresetPopup, DeletingAToneAsksFirst)
{
    ProfileScope profile;
    CapturedMessages messages;
    for (int answer : {kavrin::mrNo, kavrin::mrYes}) {
        CToneMngr m;
        fillPatterns(m, 3);
        TToneListView view;
        view.Attach(&m);
        std::unique_ptr<TPresetPopupForm> f(createTonePopup(view, &m));
        ASSERT_NE(f->NumToneScl(), nullptr);
        messages.answer = answer;
        messages.questions.clear();
        chooseEntry(*f, TPresetMenuEntry::ItemDelete);
        EXPECT_EQ(messages.questions, QStringList{QString::fromUtf8("選択されたトーンを削除してよろしいですか？")});
        EXPECT_EQ(m.count(), answer == kavrin::mrYes ? 2 : 3);
    }
}

TEST(PresetPopup, AListViewOpensThePopupThroughTheHooks)
{
    HooksScope hooks;
    ProfileScope profile;
    installPresetHooks();
    for (int result : {kavrin::mrOk, kavrin::mrCancel}) {
        SCOPED_TRACE(result);
        CGradMngr m;
        fillGradients(m, 4);
        TGradientListView v;
        v.SetSupportCommand({lvcSelect});
        v.SetListType(lvDrop);
        v.SetBounds(0, 0, 120, 36);
        v.Attach(&m);
        v.show();
        QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(120 - 6, 18)); // the drop button
        IListPopup *p = v.PopupForm();
        ASSERT_NE(p, nullptr);
        auto *f = dynamic_cast<TPresetPopupForm *>(p);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->OldIndex(), 0);
        f->ListView()->SelectItem(2, true);
        EXPECT_EQ(v.SelectIndex(), 2) << "the pick applies at once";
        if (result == kavrin::mrOk)
            f->closeWithResult(result);
        else
            QTest::keyClick(f, Qt::Key_Escape);
        EXPECT_EQ(v.PopupForm(), nullptr);
        EXPECT_EQ(v.SelectIndex(), result == kavrin::mrOk ? 2 : 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST(PresetPopup, NoBrushPopupWithoutBrushes)
{
    ProfileScope profile;
    CPenMethodMngr empty;
    TPenMethodListView view;
    EXPECT_EQ(createPenMethodPopup(view, &empty), nullptr);
    EXPECT_EQ(createPenMethodPopup(view, nullptr), nullptr);
}

// Set files in a temporary folder; the tool window's record of loaded sets starts empty.
class PresetPopupRoundTrip : public ::testing::Test
{
  protected:
    void SetUp() override { tool.loadedSets.clear(); }

    ProfileScope profile;
    CapturedMessages messages;
    CHeadlessToolForm &tool = dynamic_cast<CHeadlessToolForm &>(mainForm().toolForm());
    QTemporaryDir dir;
};

TEST_F(PresetPopupRoundTrip, RevertReloadsTheWrittenSet)
{
    const QString path = dir.filePath(QStringLiteral("tones.qts"));
    CToneMngr m;
    fillPatterns(m, 3);
    ASSERT_TRUE(m.save(path));
    ASSERT_EQ(m.LastPath(), path);
    TToneListView view;
    view.Attach(&m);
    std::unique_ptr<TPresetPopupForm> f(createTonePopup(view, &m));
    f->PresetPopupMenuPopup();
    EXPECT_FALSE(f->MenuEntry(TPresetMenuEntry::SetRevert)->isEnabled()) << "not modified";

    messages.answer = kavrin::mrYes;
    chooseEntry(*f, TPresetMenuEntry::ItemDelete);
    ASSERT_EQ(m.count(), 2);
    ASSERT_TRUE(f->ListView()->Modified());
    chooseEntry(*f, TPresetMenuEntry::SetRevert);
    ASSERT_EQ(m.count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m.getPattern(i)->name(), QStringLiteral("p%1").arg(i));
    ASSERT_EQ(tool.loadedSets.size(), 1u);
    EXPECT_EQ(tool.loadedSets[0], std::make_pair(TPresetKind::Tone, false));
}

TEST_F(PresetPopupRoundTrip, SetFilesThroughTheDialogs)
{
    const QString path = dir.filePath(QStringLiteral("grads.qgs"));
    CGradMngr m;
    fillGradients(m, 3);
    int opened = 0;

    whenFileDialogOpens([&](QFileDialog &d) { choose(d, path); }, opened);
    ASSERT_TRUE(savePresetSet(TPresetKind::Gradient, &m));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(presetSetFileExists(&m));
    EXPECT_TRUE(tool.loadedSets.empty()) << "a save reports no load";

    // Cancelled: nothing read, nothing reported.
    whenFileDialogOpens([](QFileDialog &) {}, opened);
    EXPECT_FALSE(loadPresetSet(TPresetKind::Gradient, &m, QString(), true));
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(m.count(), 3);
    EXPECT_TRUE(tool.loadedSets.empty());

    whenFileDialogOpens([&](QFileDialog &d) { choose(d, path); }, opened);
    ASSERT_TRUE(loadPresetSet(TPresetKind::Gradient, &m, QString(), true));
    EXPECT_EQ(m.count(), 6);
    ASSERT_EQ(tool.loadedSets.size(), 1u);
    EXPECT_EQ(tool.loadedSets[0], std::make_pair(TPresetKind::Gradient, true));

    // By path, replacing; a manager of another kind or none is refused before any dialog.
    ASSERT_TRUE(loadPresetSet(TPresetKind::Gradient, &m, path, false));
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(tool.loadedSets.back(), std::make_pair(TPresetKind::Gradient, false));
    whenFileDialogOpens([&](QFileDialog &d) { choose(d, path); }, opened);
    EXPECT_FALSE(loadPresetSet(TPresetKind::Tone, &m, QString(), false));
    EXPECT_FALSE(loadPresetSet(TPresetKind::Gradient, static_cast<CGradMngr *>(nullptr), path, false));
    EXPECT_FALSE(savePresetSet(TPresetKind::Other, TPresetSetRef{}));
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 2 + 1) << "no dialog for a refused set";
    EXPECT_EQ(tool.loadedSets.size(), 2u);
    EXPECT_TRUE(messages.warnings.isEmpty());
}
