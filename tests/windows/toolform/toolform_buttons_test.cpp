// Tool buttons, their menus and the dragged value labels.
#include "toolform_fixture.h"

#include "core/profile/app_profile.h"
#include "document/paper/paper.h"
#include "ui/base/popup_menu.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/lists/pen_nib_list_view.h"

#include <QAction>
#include <QMenu>

using D = TToolDetail;
using K = TToolKind;

struct ToolFormButtons : ToolFormFixture
{
    void click(K kind) { f().BtnClick(f().FToolButtons[size_t(kind)]); }
    std::vector<QString> ticked(QMenu &menu)
    {
        std::vector<QString> out;
        for (QAction *a : menu.actions())
            if (a->isChecked())
                out.push_back(a->text());
        return out;
    }
};

TEST_F(ToolFormButtons, AMenuTicksTheCurrentDetailOnlyAndItsItemsSwitch)
{
    QMenu &pencil = *f().FToolMenus[size_t(K::tkPencil)];
    f().MenuPopup(&pencil);
    EXPECT_EQ(ticked(pencil), std::vector<QString>{QStringLiteral("鉛筆")});
    QAction *older = pencil.actions().at(4);
    f().MenuClick(older);
    EXPECT_EQ(f().ToolMode(), D::tdPencil1);
    f().MenuPopup(&pencil);
    EXPECT_EQ(ticked(pencil), std::vector<QString>{QStringLiteral("鉛筆 - 3互換")});
    // The eraser's menu was not opened: nothing of it changed.
    EXPECT_TRUE(ticked(*f().FToolMenus[size_t(K::tkEraser)]).empty());
}

TEST_F(ToolFormButtons, APlainClickKeepsTheLastDetailOfTheButton)
{
    f().changeToolDetail(D::tdEraser4);
    click(K::tkPencil);
    EXPECT_EQ(f().ToolMode(), D::tdPencil5);
    click(K::tkEraser);
    EXPECT_EQ(f().ToolMode(), D::tdEraser4);
}

TEST_F(ToolFormButtons, InATransformAnyButtonAsksAndNeverSwitches)
{
    struct Case
    {
        int answer;
        bool stillTransforming;
    };
    const Case cases[] = {{kavrin::mrCancel, true}, {kavrin::mrNo, false}, {kavrin::mrYes, false}};
    for (const Case &c : cases)
    {
        if (!w->isFreeTransform())
        {
            ASSERT_TRUE(startTransform());
        }
        answerQuestions(c.answer);
        questions.clear();
        const D before = f().ToolMode();
        click(K::tkEraser);
        ASSERT_EQ(questions.size(), 1u) << c.answer;
        EXPECT_EQ(questions[0], QStringLiteral("変形を適用しますか？"));
        EXPECT_EQ(w->isFreeTransform(), c.stillTransforming) << c.answer;
        EXPECT_EQ(f().ToolMode(), before) << c.answer;
        kavrin::installMessageHandlers(oldHandlers);
    }
}

TEST_F(ToolFormButtons, DoubleClicksResetTheView)
{
    w->changeZoom(3, 1, false);
    f().BtnDblClick(f().FToolButtons[size_t(K::tkZoom)]);
    EXPECT_FLOAT_EQ(w->paper->GetZoomScale(), 1.0f);
    prof().RotGrabDblClk = true;
    w->dispatchRotate(30, true);
    f().BtnDblClick(f().FToolButtons[size_t(K::tkGrabber)]);
    EXPECT_FLOAT_EQ(w->paper->m_vr, 0.0f);
    EXPECT_NE(w->paper->GetZoomScale(), 3.0f);
}

TEST_F(ToolFormButtons, ALabelDoubleClickResetsItsValueOnlyWhenAllowed)
{
    prof().EnbLblDblClk = true;
    f().NumToolDens->SetNumber(nullptr, 30);
    f().NumBrushSpace->SetNumber(nullptr, 55);
    f().LblDblClick(f().FLblOptDens);
    f().LblDblClick(f().FLblBrushSpace);
    EXPECT_EQ(opacity(), 100);
    EXPECT_EQ(f().NumBrushSpace->Value(), 10);

    prof().EnbLblDblClk = false;
    f().NumToolDens->SetNumber(nullptr, 30);
    f().LblDblClick(f().FLblOptDens);
    EXPECT_EQ(opacity(), 30);
}

TEST_F(ToolFormButtons, DraggingALabelMovesItsValueOnlyWhenAllowed)
{
    prof().EnbLblDrag = false;
    float p = 0;
    f().LblBeginDrag(f().FLblBrushSpace, p);
    f().LblDrag(f().FLblBrushSpace, 1.0f);
    f().LblEndDrag(f().FLblBrushSpace, 1.0f);
    EXPECT_EQ(f().NumBrushSpace->Value(), 10);

    prof().EnbLblDrag = true;
    f().LblBeginDrag(f().FLblBrushSpace, p);
    EXPECT_FLOAT_EQ(p, f().NumBrushSpace->Position());
    f().LblDrag(f().FLblBrushSpace, 1.0f);
    f().LblEndDrag(f().FLblBrushSpace, 1.0f);
    EXPECT_EQ(f().NumBrushSpace->Value(), 200);
    // The radius label drags along the bent radius travel.
    f().changeToolDetail(D::tdBlur4);
    f().NumNibRadius->SetNumber(nullptr, 100);
    f().LblBeginDrag(f().FLblNibRadius, p);
    EXPECT_NEAR(p, 0.90036f, 1e-3);
}

TEST_F(ToolFormButtons, TheNibMenuAsksBeforeDeleting)
{
    TPenNibListView &nibs = *f().FLstPenNib;
    const int count = nibs.GetItemCount();
    ASSERT_GT(count, 0);
    auto item = [&](int id) {
        for (QAction *a : f().PopPenNib->actions())
            if (!a->isSeparator() && a->data().toInt() == id)
                return a;
        return static_cast<QAction *>(nullptr);
    };
    f().MenuPenNibClick(item(1)); // duplicate
    EXPECT_EQ(nibs.GetItemCount(), count + 1);
    answerQuestions(kavrin::mrNo);
    f().MenuPenNibClick(item(2));
    EXPECT_EQ(nibs.GetItemCount(), count + 1);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], QStringLiteral("選択されたペン先を削除してよろしいですか？"));
    questionAnswer = kavrin::mrYes;
    f().MenuPenNibClick(item(2));
    EXPECT_EQ(nibs.GetItemCount(), count);
    f().MenuPenNibClick(item(6));
    EXPECT_EQ(nibs.ListType(), lvListM);
}
