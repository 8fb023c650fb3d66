// The free transform's fields on a real tool window bound to a transforming document window.
#include "toolform_fixture.h"

#include "core/profile/app_profile.h"
#include "document/transform/select_transform.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/popup_sliders.h"

#include <QCheckBox>
#include <QPushButton>

#include <array>
#include <cmath>
#include <numbers>

using D = TToolDetail;

struct ToolFormTransform : ToolFormFixture
{
    TSelectTransform &t() { return *w->paper->FFreeTransformer; }
    // The frame's width and height from its corners 0-1 and 1-2.
    float frameWidth() { return dist(t().getMarkerPoints(0), t().getMarkerPoints(1)); }
    float frameHeight() { return dist(t().getMarkerPoints(1), t().getMarkerPoints(2)); }
    static float dist(sFPos a, sFPos b) { return std::hypot(b.x - a.x, b.y - a.y); }
};

TEST_F(ToolFormTransform, TheLockScalesBothSidesInOneStep)
{
    ASSERT_TRUE(startTransform());
    const float w0 = frameWidth(), h0 = frameHeight();
    f().FBtnScaleFix->setDown(true);
    f().NumOptScaleWRange->SetNumber(nullptr, 50);
    EXPECT_EQ(f().NumOptScaleHRange->Value(), 50);
    EXPECT_NEAR(frameWidth(), w0 / 2, 0.01f);
    EXPECT_NEAR(frameHeight(), h0 / 2, 0.01f);
    // Unlocked, only the width follows.
    f().FBtnScaleFix->setDown(false);
    f().OptTransEditEnd(f().EdtOptScaleWRange);
    f().NumOptScaleWRange->SetNumber(nullptr, 100);
    EXPECT_EQ(f().NumOptScaleHRange->Value(), 50);
    EXPECT_NEAR(frameWidth(), w0, 0.01f);
    EXPECT_NEAR(frameHeight(), h0 / 2, 0.01f);
}

TEST_F(ToolFormTransform, AZeroScaleBecomesATenthOfAPercent)
{
    ASSERT_TRUE(startTransform());
    const float h0 = frameHeight();
    f().NumOptScaleHRange->SetNumber(nullptr, 0);
    EXPECT_FLOAT_EQ(f().NumOptScaleHRange->Value(), 0.1f);
    EXPECT_NEAR(frameHeight(), h0 * 0.001f, 0.01f);
}

TEST_F(ToolFormTransform, TheDatumFieldsFitTheDocumentAndTheFrameWritesWithoutEcho)
{
    f().setTransPopup({1000, 600});
    EXPECT_EQ(f().NumOptDatXRange->ValueMin(), -500);
    EXPECT_EQ(f().NumOptDatXRange->ValueMax(), 1500);
    EXPECT_EQ(f().NumOptDatXRange->ValueDefault(), 500);
    EXPECT_EQ(f().NumOptDatYRange->ValueMax(), 900);

    ASSERT_TRUE(startTransform());
    const sFPos corner = t().getMarkerPoints(0);
    f().setTransScale(30, 40);
    f().setTransAngle(20);
    f().setTransDat(5, 6);
    f().setTransDist(7, 8);
    EXPECT_EQ(f().NumOptScaleWRange->Value(), 30);
    EXPECT_EQ(f().NumOptRotRange->Value(), 20);
    EXPECT_EQ(f().NumOptShrVRange->Value(), 8);
    EXPECT_EQ(t().getMarkerPoints(0).x, corner.x);
    EXPECT_EQ(t().getMarkerPoints(0).y, corner.y);
}

TEST_F(ToolFormTransform, AnEditsEndStartsTheNextChangeFromTheFrame)
{
    ASSERT_TRUE(startTransform());
    f().NumOptScaleWRange->SetNumber(nullptr, 80);
    f().OptTransEditEnd(f().EdtOptScaleWRange);
    EXPECT_EQ(t().FScaleW, 80);
    f().NumOptRotRange->SetNumber(nullptr, 30);
    f().OptTransEditEnd(f().EdtOptRotRange);
    EXPECT_FLOAT_EQ(t().FLastOptAngle, std::numbers::pi_v<float> / 6);
}

TEST_F(ToolFormTransform, RotationTurnsTheFrame)
{
    ASSERT_TRUE(startTransform());
    const sFPos a = t().getMarkerPoints(0), b = t().getMarkerPoints(1);
    f().NumOptRotRange->SetNumber(nullptr, 30);
    const sFPos a1 = t().getMarkerPoints(0), b1 = t().getMarkerPoints(1);
    const float before = std::atan2(b.y - a.y, b.x - a.x);
    const float after = std::atan2(b1.y - a1.y, b1.x - a1.x);
    EXPECT_NEAR(after - before, std::numbers::pi_v<float> / 6, 1e-3);
}

TEST_F(ToolFormTransform, ApplyAndCancelEndTheTransform)
{
    ASSERT_TRUE(startTransform());
    EXPECT_TRUE(f().BtnTransformApply->isEnabled());
    EXPECT_EQ(f().FOptionView->Caption(), QStringLiteral("自由変形"));
    f().BtnTransformCancel->click();
    EXPECT_FALSE(w->isFreeTransform());
    EXPECT_NE(f().FOptionView->Caption(), QStringLiteral("自由変形"));
    ASSERT_TRUE(startTransform());
    f().BtnTransformApply->click();
    EXPECT_FALSE(w->isFreeTransform());
}

TEST_F(ToolFormTransform, TheChecksStoreByToolOnly)
{
    struct Case
    {
        D detail;
        bool *center, *aspect;
    };
    CAppProfile &p = prof();
    const Case cases[] = {{D::tdFillEllipse, &p.fillCenter, &p.fillAspectRock},
                          {D::tdSelectRectangle, &p.selectCenter, &p.selectAspectRock}};
    for (const Case &c : cases)
    {
        p.fillCenter = p.selectCenter = p.fillAspectRock = p.selectAspectRock = false;
        f().changeToolDetail(c.detail);
        f().CheckCenter->click();
        f().CheckAspectRock->click();
        EXPECT_TRUE(*c.center) << int(c.detail);
        EXPECT_TRUE(*c.aspect) << int(c.detail);
        EXPECT_EQ(int(p.fillCenter) + int(p.selectCenter), 1);
    }
    // Other tools store nowhere.
    p.fillCenter = p.selectCenter = false;
    f().changeToolDetail(D::tdPencil5);
    f().CheckCenter->setChecked(false);
    f().CheckCenter->click();
    EXPECT_FALSE(p.fillCenter || p.selectCenter);
}

TEST_F(ToolFormTransform, TheScaleSliderHasHundredPercentInTheMiddle)
{
    float p = f().NumOptScaleWRange->Position();
    f().OptScaleInFilter(nullptr, p);
    EXPECT_FLOAT_EQ(p, 0.5f);
    float q = 0.5f;
    f().OptScaleOutFilter(nullptr, q);
    f().NumOptScaleWRange->setPosition(q);
    EXPECT_FLOAT_EQ(f().NumOptScaleWRange->Value(), 100);
}
