// The gradient editor: the controls' arithmetic without a window, then the real dialog over a
// gradient set the tool window lends it: showing a gradient, the attribute controls and the
// set's common attribute, the two stop groups, the split, copy and exchange commands, the colour
// picker, the open procedures and a set file written after apply.
#include "core/profile/app_profile.h"
#include "format/chunk.h"
#include "paint/gradient/gradient_manager.h"
#include "support/captured_messages.h"
#include "support/preset_fixtures.h"
#include "ui/base/popup_menu.h"
#include "ui/colour/colour_cells.h"
#include "ui/controls/gradient_edit.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/path_label.h"
#include "ui/fields/trackbar.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/preset_previews.h"
#include "windows/presets/editor_models.h"
#include "windows/presets/gradient_editor.h"
#include "windows/presets/preset_hooks.h"
#include "windows/presets/value_dialogs.h"
#include "windows/shell_host.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

namespace {

TColorPickerValue rgb(float r, float g, float b)
{
    TColorPickerValue v{};
    v.space = cpRGB;
    v.rgb = {r, g, b};
    return v;
}

// Runs drive on every modal dialog, then closes what is still open: an editor with its close
// button, any other dialog cancelled.
class ModalDriver
{
  public:
    explicit ModalDriver(std::function<void(QDialog &)> drive = {})
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            d.setResult(0);
            d.show();
            if (drive)
                drive(d);
            if (d.isVisible()) {
                if (auto *e = dynamic_cast<TFormPresetEditor *>(&d))
                    e->ButtonCancel->click();
                else
                    d.done(kavrin::mrCancel);
            }
            return d.result();
        });
    }
    ~ModalDriver() { installModalRunner(m_previous); }
    int runs = 0;

  private:
    ModalRunner m_previous;
};

// The tool window lends the set and its colours.
class GradientEditor : public ::testing::Test
{
  protected:
    GradientEditor()
    {
        m_saved = std::exchange(tool().gradients, &m);
        m_fore = std::exchange(tool().foreground, rgb(1, 0, 0));
        m_back = std::exchange(tool().background, rgb(0, 0, 1));
        fillGradients(m, 3);
    }
    ~GradientEditor() override
    {
        tool().gradients = m_saved;
        tool().foreground = m_fore;
        tool().background = m_back;
    }
    static CHeadlessToolForm &tool() { return headlessMainForm().tool; }

    // The stop editor's stops as the slot group they make.
    static CColorSlotGroup slotsOf(const TFormGradEditor &e)
    {
        CColorSlotGroup g;
        e.gradEdit()->GetColorSlotGroup(g);
        return g;
    }

    CGradMngr m;
    CapturedMessages messages;

  private:
    CGradMngr *m_saved = nullptr;
    TColorPickerValue m_fore, m_back;
};

class GradientEditorRoundTrip : public GradientEditor
{
};

testing::AssertionResult sameSlots(const CColorSlotGroup &a, const CColorSlotGroup &b)
{
    const uint8_t *da = nullptr, *db = nullptr;
    int32_t na = 0, nb = 0;
    if (!a.getSlotImage(da, na) || !b.getSlotImage(db, nb))
        return testing::AssertionFailure() << "an empty group";
    if (na != nb)
        return testing::AssertionFailure() << na << " bytes against " << nb;
    for (int32_t i = 0; i < na; ++i)
        if (da[i] != db[i])
            return testing::AssertionFailure()
                   << "byte " << i << " (slot " << i / 24 << ", offset " << i % 24
                   << "): " << int(da[i]) << " against " << int(db[i]);
    return testing::AssertionSuccess();
}

} // namespace

// ---- without a window

TEST_F(GradientEditor, ColourCopyAndExchangeTakeTheirStops)
{
    using M = TGradColorMove;
    struct Case
    {
        M move;
        int selected;
        TGradientEditUnion u;
        SGradColorMove want;
    };
    const Case cases[] = {
        {M::Left1, 2, geuNone, {2, 1}},  {M::Right1, 2, geuNone, {2, 3}},
        {M::Left1, 2, geuRight, {2, 1}}, {M::Right1, 2, geuRight, {2, 4}},
        {M::Left2, 2, geuRight, {3, 1}}, {M::Right2, 2, geuRight, {3, 4}},
        // The right partner of a pair acts as its left partner.
        {M::Left1, 3, geuLeft, {2, 1}},  {M::Right1, 3, geuLeft, {2, 4}},
        {M::Left2, 3, geuLeft, {3, 1}},  {M::Right2, 3, geuLeft, {3, 4}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.move) << " at " << c.selected << " union " << c.u);
        EXPECT_EQ(gradColorMove(c.move, c.selected, c.u), c.want);
    }
}

TEST_F(GradientEditor, TheAttributeControlsMakeTheAttribute)
{
    struct Case
    {
        SGradAttrControls c;
        SGradAttr want;
    };
    const Case cases[] = {
        {{false, 0, false, false, 1}, {false, gtLinear, gmNormal, grTimes, 1}},
        {{true, 1, true, false, 2.5f}, {true, gtRot, gmReturn, grTimes, 3}},
        {{true, 2, false, true, 2.49f}, {true, gtGrade, gmNormal, grEndless, 2}},
    };
    for (const Case &k : cases) {
        const SGradAttr a = gradAttrFromControls(k.c);
        EXPECT_EQ(a, k.want);
        EXPECT_EQ(gradAttrFromControls(gradControlsFromAttr(a)), a);
    }
}

TEST_F(GradientEditor, TheStopGroupsFollowTheSelectedStop)
{
    TGradientStops s;
    SGradStopControls c = gradStopControls(s);
    EXPECT_EQ(c.stop, 0);
    EXPECT_TRUE(c.valid && c.leftColor && c.leftCell);
    EXPECT_FALSE(c.position) << "the first stop does not move";
    EXPECT_FALSE(c.unionLeft || c.unionRight || c.joined || c.joinedGroup || c.rightCell);

    s.AddStop(false, 0.3f);
    s.AddStop(false, 0.6f);
    s.setSelectIndex(1);
    c = gradStopControls(s);
    EXPECT_TRUE(c.position);
    EXPECT_FALSE(c.unionLeft) << "nothing to its left but the first stop";
    EXPECT_TRUE(c.unionRight);

    ASSERT_TRUE(s.UnionRight(1));
    s.SetType(gepForeground, 1);
    s.setSelectIndex(2); // the right partner: the pair is shown from its left stop
    c = gradStopControls(s);
    EXPECT_EQ(c.stop, 1);
    EXPECT_TRUE(c.joined && c.joinedGroup && c.rightCell);
    EXPECT_FALSE(c.leftCell) << "a foreground stop has no colour of its own";
    EXPECT_FALSE(c.unionLeft || c.unionRight);

    s.SetType(gepBackground, 2);
    EXPECT_FALSE(gradStopControls(s).rightCell);
    s.setSelectIndex(3);
    c = gradStopControls(s);
    EXPECT_FALSE(c.position) << "the last stop does not move";
    EXPECT_FALSE(c.joinedGroup);
}

// ---- the dialog

TEST_F(GradientEditor, SelectingFillsTheControlsWithoutEnablingApply)
{
    CGradObj *g1 = m.getGrad(1);
    g1->copyGradAttr({true, gtRot, gmReturn, grTimes, 3});
    CColorSlotGroup three;
    three.setColor(0, makeRGBA(0, 0, 0, kCrsKindOwn), 0x8000, 255);
    three.setColor(1, makeRGBA(0, 255, 0, kCrsKindOwn), 0x8000, 128);
    three.setColor(2, makeRGBA(255, 255, 255, kCrsKindOwn), 0x8000, 255);
    ASSERT_TRUE(three.refresh());
    three.setName(QStringLiteral("g1"));
    ASSERT_TRUE(three.CopyAll(*g1->crsg));
    TFormGradEditor e;
    EXPECT_EQ(e.windowTitle(), QString::fromUtf8("グラデーションエディタ"));
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("g0"));
    EXPECT_FALSE(e.ButtonOK->isEnabled());

    e.gradList()->SetSelectIndex(1);
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("g1"));
    EXPECT_TRUE(e.ChkUnique->isChecked());
    EXPECT_EQ(e.CmbType->currentIndex(), 1);
    EXPECT_TRUE(e.ChkAround->isChecked());
    EXPECT_FALSE(e.ChkInfinity->isChecked());
    EXPECT_FLOAT_EQ(e.NumRepeat->Value(), 3);
    EXPECT_EQ(e.gradEdit()->Count(), 3);
    EXPECT_FALSE(e.ButtonOK->isEnabled());

    e.gradEdit()->setSelectIndex(1);
    EXPECT_FLOAT_EQ(e.NumPosition->Value(), 50);
    EXPECT_FLOAT_EQ(e.NumPosition->ValueMin(), 0);
    EXPECT_FLOAT_EQ(e.NumPosition->ValueMax(), 100);
    EXPECT_NEAR(e.NumLOpaque->Value(), 100 * 128 / 255.0f, 1e-3f);
    EXPECT_TRUE(e.EdtPosition->isEnabled());
    e.NumLOpaque->setValue(37);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    EXPECT_NEAR(e.trackLOpaque()->Position(), 0.37f, 1e-6f);
    EXPECT_EQ(m.getModGrad()->crsg->getSlot(1)->opaque, 94);
    EXPECT_TRUE(sameSlots(*m.getModGrad()->crsg, slotsOf(e))) << "the working gradient follows";
    EXPECT_EQ(m.getGrad(1)->crsg->getSlot(1)->opaque, 128) << "the set's own waits for apply";

    e.ButtonOK->click();
    EXPECT_EQ(m.getGrad(1)->crsg->getSlot(1)->opaque, 94);
    EXPECT_TRUE(m.Modified());
    EXPECT_TRUE(e.LblPath->Modified());
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    EXPECT_EQ(e.gradEdit()->SelectIndex(), 1) << "apply keeps the selected stop";
}

TEST_F(GradientEditor, AShapeChangeWithoutOwnAttributeGoesToTheSetAtOnce)
{
    TFormGradEditor e;
    ASSERT_FALSE(e.ChkUnique->isChecked());
    e.gradEdit()->AddStop(true, 0.5f);
    const int selected = e.gradEdit()->SelectIndex();
    e.ButtonOK->click(); // nothing pending
    ASSERT_FALSE(e.ButtonOK->isEnabled());

    e.CmbType->setCurrentIndex(2);
    EXPECT_EQ(m.CommonAttr().gradType, gtGrade);
    EXPECT_EQ(m.getGrad(2)->attr.gradType, gtGrade) << "every gradient of the common attribute";
    EXPECT_FALSE(e.ButtonOK->isEnabled()) << "nothing left to apply";
    EXPECT_EQ(e.gradEdit()->SelectIndex(), selected);
    e.NumRepeat->setValue(4);
    EXPECT_EQ(m.CommonAttr().gradRepCnt, 4);

    e.NumLOpaque->setValue(50);
    ASSERT_TRUE(e.ButtonOK->isEnabled());
    e.ChkAround->setChecked(true);
    EXPECT_TRUE(e.ButtonOK->isEnabled()) << "an attribute change leaves apply as it was";
    EXPECT_EQ(m.CommonAttr().gradMap, gmReturn);

    e.ButtonOK->click();
    e.ChkUnique->setChecked(true);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    EXPECT_TRUE(e.gradList()->AliasAttr().enbAttr);
    e.CmbType->setCurrentIndex(1);
    EXPECT_EQ(e.gradList()->AliasAttr().gradType, gtRot);
    EXPECT_EQ(m.CommonAttr().gradType, gtGrade) << "an own attribute leaves the common one";
}

TEST_F(GradientEditor, TheJoinedPointGroupActsOnTheRightStopOfAPair)
{
    TFormGradEditor e;
    TGradientEdit &g = *e.gradEdit();
    g.AddStop(false, 0.3f);
    g.AddStop(false, 0.6f);
    g.setSelectIndex(1);
    EXPECT_FALSE(e.RadRFixed->isEnabled());
    EXPECT_FALSE(e.BtnDisunion->isEnabled());
    EXPECT_FALSE(e.BtnUnionL->isEnabled());
    ASSERT_TRUE(e.BtnUnionR->isEnabled());
    e.BtnUnionR->click();
    ASSERT_EQ(g.GetUnion(1), geuRight);
    EXPECT_TRUE(e.RadRFixed->isEnabled());
    EXPECT_TRUE(e.BtnDisunion->isEnabled());
    EXPECT_TRUE(e.colorCellR()->isEnabled());

    e.RadRFore->click();
    TGradientEditPosType type = gepCustom;
    g.GetType(type, 2);
    EXPECT_EQ(type, gepForeground);
    EXPECT_FALSE(e.colorCellR()->isEnabled());
    e.RadRFixed->click();
    g.GetType(type, 2);
    EXPECT_EQ(type, gepCustom);
    EXPECT_TRUE(e.colorCellR()->isEnabled());
    TColorPickerValue c{};
    ASSERT_TRUE(g.GetColor(c, 2));
    const TColorPickerValue cell = e.colorCellR()->SelectColor();
    EXPECT_FLOAT_EQ(c.rgb.r, cell.rgb.r);
    EXPECT_FLOAT_EQ(c.rgb.g, cell.rgb.g);
    EXPECT_FLOAT_EQ(c.rgb.b, cell.rgb.b);
    // The cell's colour goes to the right stop while it is of its own colour.
    TColorPickerValue left{};
    g.GetColor(left, 1);
    e.colorCellR()->setSelectColor(rgb(0, 1, 0));
    ASSERT_TRUE(g.GetColor(c, 2));
    EXPECT_FLOAT_EQ(c.rgb.g, 1);
    EXPECT_FLOAT_EQ(c.rgb.r, 0);
    g.GetColor(c, 1);
    EXPECT_FLOAT_EQ(c.rgb.g, left.rgb.g) << "not the left stop";
    g.GetType(type, 1);
    EXPECT_EQ(type, gepCustom) << "the left stop of the pair is not touched";

    e.NumROpaque->setValue(25);
    float op = 0;
    g.GetOpaque(op, 2);
    EXPECT_FLOAT_EQ(op, 0.25f);

    e.BtnDisunion->click();
    EXPECT_EQ(g.GetUnion(1), geuNone);
    EXPECT_EQ(g.SelectIndex(), 2) << "the former right partner";
    EXPECT_FALSE(e.RadRFixed->isEnabled());
}

TEST_F(GradientEditor, CopyAndExchangeMoveColoursAndRefuseStopsOutside)
{
    TFormGradEditor e;
    TGradientEdit &g = *e.gradEdit();
    g.AddStop(false, 0.5f);
    g.setSelectIndex(1);
    g.SetType(gepCustom, 1);
    g.SetColor(rgb(0, 1, 0), 1);
    e.ActCopyL1->trigger(); // stop 1 takes stop 0's colour
    TColorPickerValue c{};
    g.GetColor(c, 1);
    EXPECT_FLOAT_EQ(c.rgb.g, 0);
    EXPECT_TRUE(e.ButtonOK->isEnabled());

    g.SetType(gepCustom, 1);
    g.SetColor(rgb(0, 1, 0), 1);
    e.ActExchangeR1->trigger(); // with stop 2
    g.GetColor(c, 2);
    EXPECT_FLOAT_EQ(c.rgb.g, 1);

    // From the first stop there is nothing to the left; nothing is joined to the right.
    g.setSelectIndex(0);
    const CColorSlotGroup at0 = slotsOf(e);
    EXPECT_FALSE(e.ActCopyL1->isEnabled());
    for (QAction *a : {e.ActExchangeL2, e.ActCopyL1, e.ActExchangeL1})
        a->trigger();
    EXPECT_TRUE(sameSlots(slotsOf(e), at0));
}

TEST_F(GradientEditor, SplittingAsksAtMostTheFreeStops)
{
    TFormGradEditor e;
    TGradientEdit &g = *e.gradEdit();
    struct Case
    {
        int capacity;
        float maxAsked;
    };
    for (const Case &c : {Case{256, 16}, Case{6, 4}}) {
        SCOPED_TRACE(c.capacity);
        e.gradList()->SetSelectIndex(0);
        g.setCapacity(c.capacity);
        g.setSelectIndex(0);
        float asked = 0;
        ModalDriver answer([&](QDialog &d) {
            auto &f = dynamic_cast<TFormValue &>(d);
            asked = f.NumValue->ValueMax();
            f.NumValue->setValue(3);
            d.done(kavrin::mrOk);
        });
        ASSERT_TRUE(e.ActSplit->isEnabled());
        e.ActSplit->trigger();
        EXPECT_EQ(answer.runs, 1);
        EXPECT_FLOAT_EQ(asked, c.maxAsked);
        EXPECT_EQ(g.Count(), 4);
    }
    // Full: no split and no question.
    g.setCapacity(3);
    e.gradList()->SetSelectIndex(0);
    ModalDriver none;
    EXPECT_FALSE(e.ActSplit->isEnabled());
    e.ActSplit->trigger();
    EXPECT_EQ(none.runs, 0);
    EXPECT_EQ(g.Count(), 2);

    // The button drops its menu down from its bottom-left corner.
    g.setCapacity(256);
    QPoint at;
    const TPopupMenuRunner previous = installPopupMenuRunner([&](QMenu &menu, QPoint pos) {
        at = pos;
        QAction *three = menu.actions().at(1);
        three->trigger();
        return three;
    });
    e.show();
    QTest::mousePress(e.BtnSplit, Qt::LeftButton);
    installPopupMenuRunner(previous);
    EXPECT_EQ(at, e.BtnSplit->mapToGlobal(e.BtnSplit->rect().bottomLeft()));
    EXPECT_EQ(g.Count(), 4);
}

TEST_F(GradientEditor, AColourCellOpensThePickerAndColoursTheStop)
{
    TFormGradEditor e;
    e.show();
    int opened = 0;
    const TColorDialogRunner previous = installColorDialogRunner([&](TColorPickerValue &v) {
        ++opened;
        v = rgb(0, 0.5f, 1);
        return true;
    });
    TPickerColorCell *cell = e.colorCellL();
    EXPECT_FALSE(cell->isEnabled()) << "the first stop follows the foreground colour";
    e.RadLFixed->click();
    ASSERT_TRUE(cell->isEnabled());
    QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
    installColorDialogRunner(previous);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    const sCRSlot *first = m.getModGrad()->crsg->getSlot(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->col.R, 0);
    EXPECT_EQ(first->col.G, 128);
    EXPECT_EQ(first->col.B, 255);
    EXPECT_EQ(first->col.A, kCrsKindOwn);

    // A stop that follows a tool colour has no colour of its own to pick.
    e.RadLBack->click();
    EXPECT_FALSE(cell->isEnabled());
    EXPECT_EQ(m.getModGrad()->crsg->getSlot(0)->col.A, kCrsKindBackground);
}

TEST_F(GradientEditor, AGroupThatCannotBePackedLeavesTheControls)
{
    TFormGradEditor e;
    e.gradEdit()->AddStop(true, 0.5f);
    m.getModGrad()->crsg->reset(4); // no stop left
    e.ListViewChange();
    EXPECT_EQ(e.EdtName->text(), QStringLiteral("g0"));
    EXPECT_EQ(e.gradEdit()->Count(), 3);
    EXPECT_TRUE(e.BtnFlip->isEnabled());
}

TEST_F(GradientEditor, OpenProceduresAndTheirResults)
{
    {
        ModalDriver none;
        tool().gradients = nullptr;
        EXPECT_FALSE(showGradientEditor());
        TGradientListView view;
        view.SetSupportCommand({lvcSelect});
        view.Attach(&m);
        EXPECT_FALSE(duplicateAndEditGradient(view));
        EXPECT_EQ(none.runs, 0);
        EXPECT_EQ(m.count(), 3);
        tool().gradients = &m;
    }
    {
        ModalDriver closeButton;
        EXPECT_TRUE(showGradientEditor());
        EXPECT_EQ(closeButton.runs, 1);
    }
    QString shown = QStringLiteral("g0");
    ModalDriver closeBox([&shown](QDialog &d) {
        if (auto *e = dynamic_cast<TFormGradEditor *>(&d)) {
            EXPECT_FALSE(e->gradList()->SupportCommand().contains(lvcEditDialog));
            EXPECT_EQ(e->EdtName->text(), shown);
        }
        QCloseEvent ev;
        QApplication::sendEvent(&d, &ev);
    });
    EXPECT_FALSE(showGradientEditor());
    HooksScope hooks;
    installPresetHooks();
    TGradientListView view;
    view.SetSupportCommand({lvcSelect});
    view.Attach(&m);
    view.SetSelectIndex(1);
    shown = QStringLiteral("g1"); // the duplicate, selected
    EXPECT_TRUE(view.CreateItem(true)) << "the duplicate counts, not how the dialog closed";
    ASSERT_EQ(m.count(), 4);
    EXPECT_EQ(m.getGradIdx(), 3);
    EXPECT_FALSE(view.EditItemValue(3));
    EXPECT_EQ(closeBox.runs, 3);
}

// ---- set files

TEST_F(GradientEditorRoundTrip, EditedStopsComeBackFromTheSetFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grads.qgs"));
    CColorSlotGroup edited;
    {
        TFormGradEditor e;
        e.gradList()->SetSelectIndex(1);
        TGradientEdit &g = *e.gradEdit();
        g.AddStop(true, 0.25f);
        g.AddStop(true, 0.5f);
        g.AddStop(true, 0.75f); // 0, .25, .5, .75, 1
        g.setSelectIndex(2);
        e.BtnUnionR->click(); // .5 joined to .75 at .5
        ASSERT_EQ(g.GetUnion(2), geuRight);
        e.RadLFore->click();
        e.RadRBack->click();
        e.NumROpaque->setValue(37);
        g.setSelectIndex(1);
        e.colorCellL()->setSelectColor(rgb(0.2f, 0.4f, 0.6f));
        e.NumLOpaque->setValue(37);
        e.EdtName->setText(QStringLiteral("edited"));
        e.ChkUnique->setChecked(true);
        e.CmbType->setCurrentIndex(2);
        e.NumRepeat->setValue(4);
        e.ButtonOK->click();
        edited.setName(QStringLiteral("edited"));
        ASSERT_TRUE(g.GetColorSlotGroup(edited));
    }
    ASSERT_EQ(writeGradSetFile(path, m), CS_OK);
    CGradMngr back;
    ASSERT_EQ(readGradSetFile(path, back, false), CS_OK);
    ASSERT_EQ(back.count(), 3);
    const CGradObj *g = back.getGrad(1);
    // Reading gives the stops that follow the tool colours the colours of the moment.
    edited.setColors(profileForeStopColor(), profileBackStopColor());
    EXPECT_TRUE(sameSlots(*g->crsg, edited));
    EXPECT_EQ(g->crsg->name, QStringLiteral("edited"));
    EXPECT_EQ(g->attr, (SGradAttr{true, gtGrade, gmNormal, grTimes, 4}));
    const sCRSlot *joined = g->crsg->getSlot(2);
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->col.A, kCrsKindForeground);
    EXPECT_EQ(g->crsg->getSlot(3)->col.A, kCrsKindBackground);
    EXPECT_EQ(g->crsg->getSlot(3)->opaque, 94);
    EXPECT_EQ(g->crsg->getSlot(1)->opaque, 94);
    EXPECT_EQ(back.getGrad(0)->crsg->name, QStringLiteral("g0"));
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(GradientEditor, TheSetMenuRevertsAndTheProfileKeepsTheListType)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.qgs"));
    ASSERT_EQ(writeGradSetFile(path, m), CS_OK);
    {
        TFormGradEditor e;
        ASSERT_TRUE(e.gradList()->DeleteItem(0, true));
        e.MenuSetRevert->trigger();
        EXPECT_EQ(m.count(), 3);
        EXPECT_EQ(m.getGradIdx(), 0);
        EXPECT_EQ(e.EdtName->text(), QStringLiteral("g0"));
        EXPECT_EQ(e.LblPath->Path(), path);
        EXPECT_FALSE(e.LblPath->Modified());
    }
    const bool madeProfile = !gAppProfile;
    if (madeProfile)
        gAppProfile = std::make_unique<CAppProfile>();
    const int32_t saved = gAppProfile->EdtGradListType;
    gAppProfile->EdtGradListType = lvText;
    TListViewType seen = lvDrop;
    {
        ModalDriver driver([&seen](QDialog &d) {
            auto &e = dynamic_cast<TFormGradEditor &>(d);
            seen = e.gradList()->ListType();
            e.gradList()->SetListType(lvIconS);
        });
        EXPECT_TRUE(showGradientEditor());
    }
    EXPECT_EQ(seen, lvText);
    EXPECT_EQ(gAppProfile->EdtGradListType, lvIconS);
    gAppProfile->EdtGradListType = saved;
    if (madeProfile)
        gAppProfile.reset();
}

TEST_F(GradientEditor, ResizingGrowsTheListAndKeepsTheSettingsRight)
{
    TFormGradEditor e;
    e.show();
    e.resize(708, 548);
    QCoreApplication::processEvents();
    EXPECT_EQ(e.gradList()->geometry(), QRect(16, 30, 310, 391));
    EXPECT_EQ(e.gradPreview()->geometry(), QRect(16, 428, 310, 84));
    EXPECT_EQ(e.gradEdit()->geometry().x(), 340);
    EXPECT_EQ(e.GroupBox3->x(), 340);
    EXPECT_EQ(e.BtnSplit->x(), 520);
    EXPECT_EQ(e.ButtonCancel->geometry().topLeft(), QPoint(604, 520));
}
