// The brush editor over the tool window's brush and nib sets: loading the selected item, apply
// and its enabling, the locked type drop-down, the set menu's selection, brushes of the older
// engines, the nib kind, the ways of closing and the open procedures, the profile's list types,
// and set files written back through the editor unchanged.
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/paint_param.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/presets/pen_presets.h"
#include "paint/presets/pen_set_files.h"
#include "support/captured_messages.h"
#include "support/preset_fixtures.h"
#include "ui/controls/airmap_controls.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/path_label.h"
#include "ui/fields/tab_strip.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "windows/presets/brush_editor.h"
#include "windows/presets/brush_frames.h"
#include "windows/presets/nib_editor_frame.h"
#include "windows/presets/preset_hooks.h"
#include "windows/shell_host.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using enum TPaintMode;

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// The default sets (one brush of each of the 13 modes from pmPencil4, the seven nibs) handed to
// the headless tool window with a current brush; everything is taken back afterwards.
class BrushEditorTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(methods.makeDefault());
        methods.setCurIndex(0);
        methods.setModified(false);
        ASSERT_TRUE(nibs.makeDefault());
        nibs.setCurIndex(0);
        nibs.setModified(false);
        tool().penMethods = &methods;
        tool().penNibs = &nibs;
        tool().paintParam = &current;
    }
    void TearDown() override
    {
        tool().penMethods = nullptr;
        tool().penNibs = nullptr;
        tool().paintParam = nullptr;
        tool().loadedSets.clear();
    }
    static CHeadlessToolForm &tool() { return dynamic_cast<CHeadlessMainForm &>(mainForm()).tool; }

    // The brush of set item i as the editor reads it.
    TPaintParam brushAt(int i) const
    {
        bool ok = false;
        TPaintParam p(methods.getObj(i), ok);
        EXPECT_TRUE(ok);
        return p;
    }

    CPenMethodMngr methods;
    CPenShapeMngr nibs;
    TPaintParam current{pmPencil5};
    CapturedMessages messages;
};

// Runs drive on each editor a procedure shows; an editor drive leaves open is closed with 1.
class ScopedRunner
{
  public:
    explicit ScopedRunner(std::function<void(TFormBrushEditor &)> drive)
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            auto &e = dynamic_cast<TFormBrushEditor &>(d);
            e.setResult(0);
            d.show();
            drive(e);
            if (d.isVisible())
                d.done(kavrin::mrOk);
            return d.result();
        });
    }
    ~ScopedRunner() { installModalRunner(m_previous); }
    int runs = 0;

  private:
    ModalRunner m_previous;
};

// Runs drive on the file dialog the next call opens; one drive leaves open is cancelled.
void whenFileDialogOpens(std::function<void(QFileDialog &)> drive)
{
    QTimer::singleShot(0, [drive] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        drive(*d);
        if (d->isVisible())
            d->reject();
    });
}

void choose(QFileDialog &d, const QString &path)
{
    d.selectFile(path);
    static_cast<QDialog &>(d).accept();
}

void clickApply(TFormBrushEditor &e)
{
    QTest::mouseClick(e.ButtonOK, Qt::LeftButton);
}

// The set writer's bytes of a file.
QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A method of the brush, with a nib of its own.
std::unique_ptr<CPenMethodObj> methodOf(const TPaintParam &p)
{
    auto m = std::make_unique<CPenMethodObj>();
    m->attachShape(std::make_unique<CPenShapeObj>());
    EXPECT_TRUE(p.Write(m.get()));
    return m;
}

} // namespace

TEST_F(BrushEditorTest, OpeningLoadsTheSelectedBrushAndEditsNeedApply)
{
    methods.setCurIndex(11); // the version-5 watercolour
    TFormBrushEditor e;
    e.show();
    EXPECT_EQ(e.windowTitle(), u8("ブラシエディタ"));
    ASSERT_TRUE(e.PenMtdList());
    EXPECT_EQ(e.ListView(), e.PenMtdList());
    EXPECT_EQ(e.PenMtdList()->SupportCommand(), (TListViewCommandTypes{lvcSelect, lvcDrag, lvcDrop}));
    ASSERT_TRUE(e.Tab());
    EXPECT_EQ(e.Tab()->Count(), 3);
    EXPECT_EQ(e.PaintParam().Mode(), pmWaterColor5);
    EXPECT_EQ(e.GrpPenMtd->CmbType(), e.GrpPenMtd->PM5CmbType);
    EXPECT_EQ(e.GrpPenMtd->PM5CmbType->currentIndex(), 2);
    EXPECT_TRUE(e.GrpStrokeOpt->CheckInterpolate->isEnabled()) << "a version-5 brush";
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    EXPECT_FALSE(e.LblPath->Modified());

    // The tabs show one frame each.
    for (int t : {1, 2, 0}) {
        e.Tab()->setActiveIndex(t);
        e.TabChange();
        EXPECT_EQ(e.GrpPenMtd->isVisible(), t == 0);
        EXPECT_EQ(e.GrpPenNib->isVisible(), t == 1);
        EXPECT_EQ(e.GrpStrokeOpt->isVisible(), t == 2);
    }

    const float before = brushAt(11).Density();
    e.GrpPenMtd->NumDensity->setValue(12);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    EXPECT_FLOAT_EQ(e.PaintParam().Density(), 0.12f);

    // Another brush: the edit is dropped without a question.
    e.PenMtdList()->SelectItem(2, true);
    EXPECT_EQ(e.PaintParam().Mode(), pmWaterColor4);
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    EXPECT_TRUE(messages.questions.isEmpty());
    EXPECT_FLOAT_EQ(brushAt(11).Density(), before);
    EXPECT_FALSE(methods.Modified());
    EXPECT_EQ(e.GrpPenMtd->CmbType(), e.GrpPenMtd->PM4CmbType);
    EXPECT_FALSE(e.GrpStrokeOpt->CheckInterpolate->isEnabled()) << "a version-4 brush";
    EXPECT_FLOAT_EQ(e.GrpStrokeOpt->NumSmoothLevel->Value(), 0);
}

TEST_F(BrushEditorTest, ApplyWritesTheSelectedBrush)
{
    methods.setCurIndex(11);
    TFormBrushEditor e;
    e.show();
    e.GrpPenMtd->NumDensity->setValue(40);
    e.GrpPenMtd->EdtName->setText(QStringLiteral("wet"));
    e.GrpPenMtd->NumEffect[1]->setValue(70);
    clickApply(e);
    const TPaintParam written = brushAt(11);
    EXPECT_FLOAT_EQ(written.Density(), 0.4f);
    EXPECT_EQ(written.ItemName(), QStringLiteral("wet"));
    EXPECT_FLOAT_EQ(written.Effect2(), 70);
    EXPECT_TRUE(methods.Modified());
    EXPECT_TRUE(e.LblPath->Modified());
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    for (int i = 0; i < methods.count(); ++i) {
        if (i != 11) {
            EXPECT_NE(brushAt(i).ItemName(), QStringLiteral("wet")) << i;
        }
    }
}

TEST_F(BrushEditorTest, ASettingTheItemCannotHoldIsNotApplied)
{
    // The flat fall-off curve has no stored form: apply must neither change the item nor mark
    // the set, and the edit stays to be applied.
    for (TBrushEditorType type : {TBrushEditorType::beEditPenMtd, TBrushEditorType::beEditPenNib}) {
        SCOPED_TRACE(int(type));
        TFormBrushEditor e;
        e.SetEditorType(type);
        e.show();
        e.ListView()->SelectItem(3, true);
        const TPaintParam before = brushAt(3);
        SPenShapeData nibBefore;
        ASSERT_TRUE(nibs.getData(3, nibBefore));
        e.GrpPenNib->NumRadius->setValue(40);
        TAirMapControl *curve = e.GrpPenNib->airMapControl();
        curve->setAirMap(TPaintAirMap::pamFlat);
        curve->OnChange(curve);
        ASSERT_TRUE(e.ButtonOK->isEnabled());
        clickApply(e);
        EXPECT_TRUE(e.ButtonOK->isEnabled());
        EXPECT_FALSE(methods.Modified());
        EXPECT_FALSE(nibs.Modified());
        EXPECT_FALSE(e.LblPath->Modified());
        EXPECT_FLOAT_EQ(brushAt(3).Radius(), before.Radius());
        SPenShapeData nibAfter;
        ASSERT_TRUE(nibs.getData(3, nibAfter));
        // The nib record is packed: compare copies, not references into it.
        const int radiusAfter = nibAfter.param.radius, radiusBefore = nibBefore.param.radius;
        EXPECT_EQ(radiusAfter, radiusBefore);
    }
}

TEST_F(BrushEditorTest, TheTypeDropDownIsLockedForABrushTheListMayNotDelete)
{
    TFormBrushEditor e;
    // One brush of each mode: none may be deleted, so none may change its mode.
    EXPECT_FALSE(e.GrpPenMtd->CmbType()->isEnabled());
    e.PopupPopup();
    e.MenuItemDuplicate->trigger();
    ASSERT_EQ(methods.count(), 14);
    EXPECT_EQ(e.PenMtdList()->SelectIndex(), 13) << "the copy is selected";
    EXPECT_TRUE(e.GrpPenMtd->CmbType()->isEnabled());
    e.PenMtdList()->SelectItem(5, true);
    EXPECT_FALSE(e.GrpPenMtd->CmbType()->isEnabled());
}

TEST_F(BrushEditorTest, TheSetMenuSelectsTheFirstItemUnlessItAppends)
{
    initialisePenSetFiles();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.pmt"));
    ASSERT_TRUE(methods.save(path));
    methods.setModified(false);

    struct Case
    {
        const char *name;
        QAction *TFormBrushEditor::*entry;
        bool throughDialog, cancelled;
        int count, selected;
    };
    const Case cases[] = {
        {"revert", &TFormBrushEditor::MenuSetRevert, false, false, 13, 0},
        {"replace", &TFormBrushEditor::MenuSetOpen, true, false, 13, 0},
        {"append", &TFormBrushEditor::MenuSetAppend, true, false, 26, 5},
        // Nothing read: the selection and the edit not yet applied stay.
        {"cancelled replace", &TFormBrushEditor::MenuSetOpen, true, true, 13, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(methods.load(path, false));
        TFormBrushEditor e;
        e.PenMtdList()->SelectItem(5, true);
        e.GrpPenMtd->NumDensity->setValue(12);
        if (c.throughDialog)
            whenFileDialogOpens([&](QFileDialog &d) {
                if (!c.cancelled)
                    choose(d, path);
            });
        (e.*c.entry)->trigger();
        EXPECT_EQ(methods.count(), c.count);
        EXPECT_EQ(e.PenMtdList()->SelectIndex(), c.selected);
        EXPECT_EQ(e.ButtonOK->isEnabled(), c.selected != 0) << "an edit stays with its item";
        EXPECT_EQ(e.LblPath->Path(), path);
        if (c.selected == 0) {
            EXPECT_EQ(e.PaintParam().Mode(), brushAt(0).Mode()) << "the controls show item 0";
        }
    }
    EXPECT_TRUE(messages.warnings.isEmpty());

    // Saving goes through the save dialog and shows the new path.
    const QString other = dir.filePath(QStringLiteral("other.pmt"));
    TFormBrushEditor e;
    whenFileDialogOpens([&](QFileDialog &d) { choose(d, other); });
    e.MenuSetSave->trigger();
    EXPECT_TRUE(QFile::exists(other));
    EXPECT_EQ(e.LblPath->Path(), other);
}

TEST_F(BrushEditorTest, ABrushOfTheOlderEnginesKeepsItsModeAndName)
{
    TFormBrushEditor e;
    e.show();
    ASSERT_EQ(e.PaintParam().Mode(), pmPencil4);
    TPenMethodListView &list = *e.PenMtdList();
    // The list's working copy becomes a brush of the second engine.
    list.SetPaintMode(pmBlur2);
    list.AliasRef().setItemName(QStringLiteral("old blur"));
    list.SetSelectIndex(list.SelectIndex());
    ASSERT_EQ(e.PaintParam().Mode(), pmBlur2);
    EXPECT_FALSE(e.GrpPenMtd->isEnabled()) << "the brush frame cannot show it";
    EXPECT_EQ(e.GrpPenMtd->CmbType()->currentIndex(), 0) << "the last brush is still shown";

    e.GrpPenNib->NumRadius->setValue(7);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    EXPECT_EQ(e.PaintParam().Mode(), pmBlur2);
    EXPECT_EQ(e.PaintParam().ItemName(), QStringLiteral("old blur"));
    EXPECT_FLOAT_EQ(e.PaintParam().Radius(), 7);
    clickApply(e);
    EXPECT_EQ(list.AliasRef().Mode(), pmBlur2);
    EXPECT_EQ(list.AliasRef().ItemName(), QStringLiteral("old blur"));
    EXPECT_FLOAT_EQ(list.AliasRef().Radius(), 7);

    list.SetPaintMode(pmWaterColor5);
    list.SelectItem(11, true);
    EXPECT_TRUE(e.GrpPenMtd->isEnabled());
    EXPECT_EQ(e.GrpPenMtd->CmbType()->currentIndex(), 2);
}

TEST_F(BrushEditorTest, TheNibKindWritesTheNib)
{
    TFormBrushEditor e;
    e.SetEditorType(TBrushEditorType::beEditPenNib);
    e.show();
    EXPECT_EQ(e.windowTitle(), u8("ペン先エディタ"));
    EXPECT_EQ(e.Tab(), nullptr);
    EXPECT_EQ(e.PenMtdList(), nullptr);
    ASSERT_TRUE(e.PenNibList());
    EXPECT_EQ(e.ListView(), e.PenNibList());
    EXPECT_FALSE(e.PenNibList()->UseAlias());
    EXPECT_EQ(e.PenNibList()->ListType(), lvListM);
    EXPECT_EQ(e.GrpPenNib->geometry(), QRect(240, 8, 352, 408)) << "up over the tab strip";
    EXPECT_TRUE(e.GrpPenNib->isVisible());
    EXPECT_FALSE(e.GrpPenMtd->isVisible());
    EXPECT_FALSE(e.GrpStrokeOpt->isVisible());

    e.PenNibList()->SelectItem(2, true);
    EXPECT_FALSE(e.ButtonOK->isEnabled());
    e.GrpPenMtd->NumDensity->setValue(20);
    EXPECT_FALSE(e.ButtonOK->isEnabled()) << "the brush frame is not listened to";
    e.GrpPenNib->NumRadius->setValue(33);
    EXPECT_TRUE(e.ButtonOK->isEnabled());
    clickApply(e);
    EXPECT_FLOAT_EQ(nibs.getObj(2)->getRadiusSingle(), 33);
    EXPECT_TRUE(nibs.Modified());
    EXPECT_TRUE(e.LblPath->Modified());
    EXPECT_FALSE(methods.Modified());

    // Back to brushes: the tabs return and the nib frame goes back under them.
    e.SetEditorType(TBrushEditorType::beEditPenMtd);
    EXPECT_EQ(e.windowTitle(), u8("ブラシエディタ"));
    ASSERT_TRUE(e.Tab());
    EXPECT_EQ(e.PenNibList(), nullptr);
    EXPECT_EQ(e.GrpPenNib->geometry(), QRect(240, 32, 352, 384));
}

TEST_F(BrushEditorTest, TheCreateKindsAreEditedLikeTheEditKinds)
{
    struct Case
    {
        TBrushEditorType asked, edited;
        bool nibList;
    };
    using enum TBrushEditorType;
    const Case cases[] = {{beCreatePenNib, beEditPenNib, true}, {beCreatePenMtd, beEditPenMtd, false}};
    TFormBrushEditor e;
    for (const Case &c : cases) {
        e.SetEditorType(c.asked);
        EXPECT_EQ(e.EditorType(), c.edited);
        EXPECT_EQ(e.PenNibList() != nullptr, c.nibList);
        EXPECT_EQ(e.PenMtdList() != nullptr, !c.nibList);
        EXPECT_NE(e.ListView(), nullptr) << "apply has a list to write into";
    }
}

TEST_F(BrushEditorTest, TheWaysOfClosingAndTheOpenProcedures)
{
    struct Case
    {
        const char *name;
        std::function<void(TFormBrushEditor &)> close;
        bool kept;
    };
    const Case cases[] = {
        {"close box", [](TFormBrushEditor &e) { e.close(); }, false},
        {"close button", [](TFormBrushEditor &e) { QTest::mouseClick(e.ButtonCancel, Qt::LeftButton); }, true},
        {"escape", [](TFormBrushEditor &e) { QTest::keyClick(&e, Qt::Key_Escape); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TBrushEditorType> shown;
        ScopedRunner runner([&](TFormBrushEditor &e) {
            shown.push_back(e.EditorType());
            c.close(e);
        });
        EXPECT_EQ(showPenMethodEditor(), c.kept);
        EXPECT_EQ(showPenNibEditor(), c.kept);
        EXPECT_EQ(shown, (std::vector<TBrushEditorType>{TBrushEditorType::beEditPenMtd,
                                                        TBrushEditorType::beEditPenNib}));
    }

    // Without its set a procedure answers False and shows nothing.
    ScopedRunner runner([](TFormBrushEditor &) {});
    tool().penNibs = nullptr;
    EXPECT_FALSE(showPenNibEditor());
    EXPECT_TRUE(showPenMethodEditor());
    tool().penMethods = nullptr;
    TPenMethodListView view;
    view.Attach(&methods, nullptr, nullptr);
    EXPECT_FALSE(duplicateAndEditPenMethod(view));
    EXPECT_EQ(methods.count(), 13) << "no copy without an editor";
    EXPECT_EQ(runner.runs, 1);
}

TEST_F(BrushEditorTest, TheListViewsOpenTheEditorOnACopy)
{
    HooksScope hooks;
    installPresetHooks();
    TPenMethodListView brushes;
    brushes.SetShowAll(true);
    brushes.Attach(&methods, nullptr, nullptr);
    brushes.SetSupportCommand({lvcSelect});
    brushes.SelectItem(11, true);
    TPenNibListView nibView;
    nibView.SetUseAlias(false);
    nibView.Attach(&nibs);
    nibView.SetSupportCommand({lvcSelect});
    nibView.SelectItem(3, true);

    int selected = -1;
    TPaintMode mode = pmPencil1;
    ScopedRunner runner([&](TFormBrushEditor &e) {
        selected = e.ListView()->SelectIndex();
        mode = e.PaintParam().Mode();
        e.close(); // not kept
    });
    EXPECT_FALSE(brushes.CreateItem(true));
    EXPECT_EQ(methods.count(), 14);
    EXPECT_EQ(selected, 13) << "the editor opens on the copy";
    EXPECT_EQ(mode, pmWaterColor5);

    EXPECT_FALSE(nibView.CreateItem(true));
    EXPECT_EQ(nibs.count(), 8);
    EXPECT_EQ(selected, 7);

    EXPECT_FALSE(brushes.EditItemValue(0));
    EXPECT_FALSE(nibView.EditItemValue(0));
    EXPECT_EQ(runner.runs, 4);
}

TEST_F(BrushEditorTest, TheListTypeIsKeptInTheProfile)
{
    const bool made = !gAppProfile;
    if (made)
        gAppProfile = std::make_unique<CAppProfile>();
    const CAppProfile saved = *gAppProfile;
    struct Case
    {
        TBrushEditorType type;
        int32_t CAppProfile::*entry;
        int32_t stored;
        TListViewType shown;
    };
    const Case cases[] = {
        {TBrushEditorType::beEditPenMtd, &CAppProfile::EdtBrushListType, lvIconL, lvIconL},
        {TBrushEditorType::beEditPenMtd, &CAppProfile::EdtBrushListType, 42, lvListS},
        {TBrushEditorType::beEditPenNib, &CAppProfile::EdtPenNibListType, lvListL, lvListL},
        {TBrushEditorType::beEditPenNib, &CAppProfile::EdtPenNibListType, lvText, lvListM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        (*gAppProfile).*c.entry = c.stored;
        TListViewType seen = lvDrop;
        ScopedRunner runner([&](TFormBrushEditor &e) {
            seen = e.ListView()->ListType();
            e.ListView()->SetListType(lvIconM);
        });
        TFormBrushEditor e;
        e.SetEditorType(c.type);
        e.ShowModal();
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ((*gAppProfile).*c.entry, int32_t(lvIconM));
    }
    *gAppProfile = saved;
    if (made)
        gAppProfile.reset();
}

// ---- set files written back through the editor

class BrushEditorRoundTrip : public BrushEditorTest
{
  protected:
    void SetUp() override
    {
        BrushEditorTest::SetUp();
        initialisePenSetFiles();
    }
    QTemporaryDir dir;
};

TEST_F(BrushEditorRoundTrip, BrushesShownEditedBackAndAppliedSaveTheSameBytes)
{
    // Brushes of both engines whose values outside the frames are their modes' defaults (the
    // editor resets those), one with an image nib and one with an icon of the user's. The nib
    // frame offers 1 .. 100 % as the minimum radius, so each holds one inside it.
    std::vector<TPaintParam> brushes;
    {
        TPaintParam p(pmPencil5);
        p.setItemName(QStringLiteral("image nib"));
        const uint8_t bytes[15] = {0, 1, 254, 255, 0, 255, 254, 1, 0, 128, 7, 7, 7, 200, 100};
        p.SetShapeImage(bytes, {5, 3});
        p.setShapeImageScale(2);
        p.setMinRadius(0.4f);
        p.setDensity(0.37f);
        brushes.emplace_back(p);
    }
    {
        TPaintParam p(pmWaterColor4);
        p.setItemName(QStringLiteral("icon"));
        TMTC icon(24, 16);
        icon.PixelFill(0xFF3080C0u);
        p.SetIconImage(&icon);
        p.setRadius(6.5f);
        p.setMinRadius(0.25f);
        p.setEffect1(20);
        p.setEffect3(90);
        p.setPrsGamma(1.5f);
        p.setPrsDensity(true);
        brushes.emplace_back(p);
    }
    {
        TPaintParam p(pmBurn4);
        p.setItemName(QStringLiteral("burn"));
        p.setMinRadius(1);
        p.setAspect(0.5f);
        p.setRotation(45);
        p.setSpace(0.25f);
        brushes.emplace_back(p);
    }
    {
        TPaintParam p(pmAirBrush5);
        p.setItemName(QStringLiteral("air"));
        p.setMinRadius(0.5f);
        p.setSmoothLevel(9);
        p.setInterpolateType(TInterpolateType::itBSpline);
        brushes.emplace_back(p);
    }
    const QString first = dir.filePath(QStringLiteral("a.pmt")), second = dir.filePath(QStringLiteral("b.pmt"));
    {
        CPenMethodMngr m;
        for (const TPaintParam &p : brushes)
            ASSERT_GE(m.appendMethod(methodOf(p)), 0);
        ASSERT_TRUE(m.makeDefault()); // the rest of the 13 modes, so that loading adds none
        ASSERT_TRUE(m.save(first));
    }
    ASSERT_TRUE(methods.load(first, false));
    ASSERT_EQ(methods.count(), 13);
    {
        TFormBrushEditor e;
        e.show();
        for (int i = 0; i < int(brushes.size()); ++i) {
            SCOPED_TRACE(i);
            e.PenMtdList()->SelectItem(i, true);
            EXPECT_EQ(e.GrpPenMtd->EdtName->text(), brushes[size_t(i)].ItemName());
            const float density = e.GrpPenMtd->NumDensity->Value();
            e.GrpPenMtd->NumDensity->setValue(density > 50 ? 10 : 90);
            e.GrpPenMtd->NumDensity->setValue(density);
            ASSERT_TRUE(e.ButtonOK->isEnabled());
            clickApply(e);
        }
        e.PenMtdList()->SelectItem(0, true); // the set's current item is stored too
    }
    ASSERT_TRUE(methods.Modified());
    ASSERT_TRUE(methods.save(second));
    const QByteArray a = fileBytes(first), b = fileBytes(second);
    ASSERT_FALSE(a.isEmpty());
    qsizetype at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    EXPECT_EQ(a.size(), b.size());
    EXPECT_EQ(at, a.size()) << "first difference at byte " << at;
    EXPECT_TRUE(brushAt(1).UserIcon());
    EXPECT_TRUE(brushAt(0).UseShapeImage());
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(BrushEditorRoundTrip, AVersion4BrushLosesSmoothingItCannotShow)
{
    // Smoothing is a version-5 setting: any change to a version-4 brush resets it.
    TPaintParam p(pmPencil4);
    p.setMinRadius(0.5f);
    p.setSmoothLevel(5);
    const QString path = dir.filePath(QStringLiteral("s.pmt"));
    {
        CPenMethodMngr m;
        ASSERT_GE(m.appendMethod(methodOf(p)), 0);
        ASSERT_TRUE(m.makeDefault());
        ASSERT_TRUE(m.save(path));
    }
    ASSERT_TRUE(methods.load(path, false));
    ASSERT_EQ(brushAt(0).SmoothLevel(), 5);
    TFormBrushEditor e;
    e.show();
    e.PenMtdList()->SelectItem(0, true);
    e.GrpPenMtd->NumDensity->setValue(60);
    clickApply(e);
    EXPECT_EQ(brushAt(0).SmoothLevel(), getPaintParamDefaults(pmPencil4).SmoothLevel);
    EXPECT_FLOAT_EQ(brushAt(0).Density(), 0.6f);
}

TEST_F(BrushEditorRoundTrip, NibsShownEditedBackAndAppliedSaveTheSameBytes)
{
    const QString first = dir.filePath(QStringLiteral("a.psh")), second = dir.filePath(QStringLiteral("b.psh"));
    {
        CPenShapeMngr m;
        TPaintParam drawn(pmPencil5);
        drawn.setRadius(7.5f);
        drawn.setAspect(0.5f);
        drawn.setRotation(30);
        drawn.setMinRadius(0.25f);
        const uint8_t bytes[15] = {0, 1, 254, 255, 0, 255, 254, 1, 0, 128, 7, 7, 7, 200, 100};
        TPaintParam image(pmPencil5);
        image.SetShapeImage(bytes, {5, 3});
        image.setShapeImageScale(2);
        image.setMinRadius(0.4f);
        for (const TPaintParam *p : {&drawn, &image}) {
            auto obj = std::make_unique<CPenShapeObj>();
            ASSERT_TRUE(p->Write(obj.get()));
            obj->setName(QStringLiteral("nib"));
            ASSERT_GE(m.appendShape(std::move(obj)), 0);
        }
        ASSERT_TRUE(m.save(first));
    }
    ASSERT_TRUE(nibs.load(first, false));
    ASSERT_EQ(nibs.count(), 2);
    {
        TFormBrushEditor e;
        e.SetEditorType(TBrushEditorType::beEditPenNib);
        e.show();
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            e.PenNibList()->SelectItem(i, true);
            const float aspect = e.GrpPenNib->NumAspect->Value();
            e.GrpPenNib->NumAspect->setValue(aspect + 10);
            e.GrpPenNib->NumAspect->setValue(aspect);
            clickApply(e);
        }
        e.PenNibList()->SelectItem(0, true);
    }
    ASSERT_TRUE(nibs.Modified());
    ASSERT_TRUE(nibs.save(second));
    EXPECT_EQ(fileBytes(first), fileBytes(second));
    EXPECT_TRUE(messages.warnings.isEmpty());
}
