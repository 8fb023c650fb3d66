// The new document dialog: the size-type table, the model's change handler (presets, units,
// re-matching, user sizes, ranges) by tables, and the real form driven through its runner
// (typing, lists, the clipboard, OK, Cancel, the file-name filter).
#include "app/dialogs/new_document_dialog.h"

#include "core/image/canvas.h"
#include "document/files/clipboard.h"
#include "scripted_dialog.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using docdlg::clickCheck;
using docdlg::ScopedDialogDriver;
using docdlg::typeInto;

namespace {

// The profile of the run with known user sizes, and an empty clipboard.
class NewDocumentDialogForm : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_ownProfile = !gAppProfile;
        if (m_ownProfile)
            initialiseAppProfile();
        m_saved = gAppProfile->paperSizeTbl;
        for (sPaperPreset &row : gAppProfile->paperSizeTbl)
            row = sPaperPreset{utpixel, 72, 640, 480, false};
        QApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        QApplication::clipboard()->clear();
        gAppProfile->paperSizeTbl = m_saved;
        if (m_ownProfile)
            finaliseAppProfile();
    }

  private:
    bool m_ownProfile = false;
    std::array<sPaperPreset, kPaperPresetCount> m_saved{};
};

// A model on the given user sizes, opened without a clipboard picture (on user size 1).
struct ModelRig
{
    explicit ModelRig(CNewDocumentModel::TUserSizes users = defaultUsers())
    {
        model.start(users, sSize{});
    }
    static CNewDocumentModel::TUserSizes defaultUsers()
    {
        CNewDocumentModel::TUserSizes u;
        u.fill(sPaperPreset{utpixel, 72, 640, 480, false});
        return u;
    }
    void pickType(int type) { model.selectItem(documentSizeItemOfType(type)); }
    // Sizes typed into the fields in unit at dpi, on the custom type.
    void typeSize(float w, float h, TUnitType unit, float dpi)
    {
        pickType(kCustomSizeType);
        model.setWidthUnit(unit);
        model.setHeightUnit(unit);
        model.NumResolution->setValue(dpi);
        model.NumWidth->setValue(w);
        model.NumHeight->setValue(h);
    }
    QObject owner;
    CNewDocumentModel model{&owner};
};

void clickOk(QDialog &d)
{
    QTest::mouseClick(dynamic_cast<TDialogBaseForm &>(d).ButtonOK, Qt::LeftButton);
}

int typeNamed(const char *name)
{
    for (int t = 0; t < kDocumentSizeTypeCount; ++t)
        if (documentSizeName(t) == QString::fromUtf8(name))
            return t;
    return -1;
}

} // namespace

// ---- the table

TEST(NewDocumentDialogModel, FortyTypesInElevenGroupsMakeFiftyItems)
{
    EXPECT_EQ(kDocumentSizeItemCount, 50);
    const std::array<int, 11> starts = {0, 2, 8, 15, 19, 23, 27, 31, 35, 39, 43};
    EXPECT_EQ(documentSizeGroupStarts(), starts);
    int types = 0, separators = 0;
    for (int item = 0; item < kDocumentSizeItemCount; ++item) {
        const int t = documentSizeTypeOfItem(item);
        if (t < 0) {
            ++separators;
            continue;
        }
        EXPECT_EQ(t, types) << item; // types run in list order
        EXPECT_EQ(documentSizeItemOfType(t), item);
        ++types;
    }
    EXPECT_EQ(types, 40);
    EXPECT_EQ(separators, 10);
    EXPECT_EQ(documentSizeTypeOfItem(50), -1);
    EXPECT_EQ(documentSizeName(0), QStringLiteral("カスタム"));
    EXPECT_EQ(documentSizeName(7), QStringLiteral("VGA"));
    EXPECT_EQ(documentSizeName(30), QStringLiteral("官製はがき"));
    EXPECT_EQ(documentSizeName(39), QStringLiteral("大四切り"));
    const SDocumentSizeType &a4 = documentSizeType(typeNamed("A4"));
    EXPECT_EQ(a4.unit, utmm);
    EXPECT_EQ(a4.dpi, 150);
    EXPECT_EQ(a4.w, 297);
    EXPECT_EQ(a4.h, 210);
    CNewDocumentModel::TUserSizes users{};
    users[2] = sPaperPreset{utcm, 300, 12.5f, 8, false};
    EXPECT_EQ(documentSizeText(14, users), QStringLiteral("297 × 210 mm"));
    EXPECT_EQ(documentSizeText(31, users), QStringLiteral("11 × 8.5 in"));
    EXPECT_EQ(documentSizeText(3, users), QStringLiteral("12.5 × 8 cm"));
    EXPECT_EQ(documentSizeText(0, users), QString());
}

TEST(NewDocumentDialogModel, StoredUserSizesAreReadChecked)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const sPaperPreset fallback{utpixel, 72, 512, 512, false};
    struct Case
    {
        sPaperPreset stored;
        sPaperPreset want;
    };
    for (const Case &c :
         {Case{{utmm, 150, 100, 50, true}, {utmm, 150, 100, 50, true}},
          Case{{0x0103, 150, 100, 50, false}, {utmm, 150, 100, 50, false}},
          Case{{9, 150, 100, 50, true}, fallback}, Case{{utpercent, 150, 100, 50, true}, fallback},
          Case{{utinch, 71, 1, 1, false}, fallback}, Case{{utinch, 601, 1, 1, false}, fallback},
          Case{{utpixel, 72, nan, 480, false}, fallback},
          Case{{utpixel, 72, 640, inf, false}, fallback},
          Case{{utpixel, 72, 0, 480, false}, fallback},
          Case{{utpixel, 72, 640, -1, false}, fallback}}) {
        SCOPED_TRACE(testing::Message() << c.stored.unit << " " << c.stored.dpi << " " << c.stored.w
                                        << " x " << c.stored.h);
        const sPaperPreset got = checkedUserSize(c.stored);
        EXPECT_EQ(got.unit, c.want.unit);
        EXPECT_EQ(got.dpi, c.want.dpi);
        EXPECT_EQ(got.w, c.want.w);
        EXPECT_EQ(got.h, c.want.h);
        EXPECT_EQ(got.transparent, c.want.transparent);
    }
}

TEST(NewDocumentDialogModel, FileNameFilterRefusesTheNineCharacters)
{
    for (QChar ch : QStringLiteral("\\/:*?\"<>|"))
        EXPECT_TRUE(isRefusedFileNameChar(ch)) << int(ch.unicode());
    for (QChar ch : QStringLiteral("aZ09 .-_[]()名"))
        EXPECT_FALSE(isRefusedFileNameChar(ch)) << int(ch.unicode());
    EXPECT_EQ(withoutRefusedFileNameChars(QStringLiteral("a/b\\c:d*e?f\"g<h>i|j")),
              QStringLiteral("abcdefghij"));
}

// ---- the change handler

TEST(NewDocumentDialogModel, PresetInVerticalOrientationSwapsItsSides)
{
    ModelRig rig;
    rig.pickType(typeNamed("A4"));
    rig.model.setVertical(true);
    CNewDocumentModel &m = rig.model;
    EXPECT_EQ(m.widthUnit(), utmm);
    EXPECT_FLOAT_EQ(m.NumWidth->Value(), 210);
    EXPECT_FLOAT_EQ(m.NumHeight->Value(), 297);
    EXPECT_FLOAT_EQ(m.NumResolution->Value(), 150);
    EXPECT_TRUE(m.orientationEnabled());
    EXPECT_EQ(m.imageCaption(), QStringLiteral("画像サイズ ( 1240 × 1754 px )"));
    const TNewDocumentValue v = m.result(QStringLiteral("doc"));
    EXPECT_EQ(v.Width, 1240);
    EXPECT_EQ(v.Height, 1754);
    EXPECT_EQ(v.DPI, 150);
    rig.pickType(kCustomSizeType);
    EXPECT_FALSE(m.orientationEnabled());
    EXPECT_FLOAT_EQ(m.NumWidth->Value(), 210); // the custom type keeps what was shown
}

TEST(NewDocumentDialogModel, TypedSizesMatchPresetsInEitherOrientation)
{
    struct Case
    {
        float w, h;
        TUnitType unit;
        float dpi;
        const char *type;
        bool vertical;
    };
    for (const Case &c :
         {Case{297, 210, utmm, 72, "A4", false}, Case{297, 210, utmm, 300, "A4", false},
          Case{210, 297, utmm, 150, "A4", true}, Case{29.7f, 21, utcm, 96, "A4", false},
          Case{640, 480, utpixel, 150, "VGA", false}, Case{480, 640, utpixel, 72, "VGA", true},
          Case{8.5f, 11, utinch, 200, "レターサイズ", true},
          Case{1754, 1240, utpixel, 150, "A4", false},
          Case{300, 211, utmm, 150, "カスタム", false}}) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at " << c.dpi);
        ModelRig rig;
        rig.typeSize(c.w, c.h, c.unit, c.dpi);
        EXPECT_EQ(rig.model.type(), typeNamed(c.type));
        EXPECT_EQ(rig.model.vertical(), c.vertical);
        EXPECT_EQ(rig.model.orientationEnabled(), isFixedSizeType(rig.model.type()));
        // A match changes neither the numbers nor the resolution.
        EXPECT_FLOAT_EQ(rig.model.NumWidth->Value(), c.w);
        EXPECT_FLOAT_EQ(rig.model.NumResolution->Value(), c.dpi);
    }
}

TEST(NewDocumentDialogModel, SwitchingUnitsShowsTheSameLengthAndBackTheTypedNumber)
{
    ModelRig rig;
    CNewDocumentModel &m = rig.model;
    rig.typeSize(123.4f, 50, utmm, 150);
    m.setWidthUnit(utinch);
    EXPECT_FLOAT_EQ(m.NumWidth->Value(), 123.4f / 25.4f);
    EXPECT_EQ(CNewDocumentModel::formatOf(m.widthUnit()), QStringLiteral("%1.6g"));
    m.setWidthUnit(utpixel);
    EXPECT_FLOAT_EQ(m.NumWidth->Value(), float(123.4L * 150 / 25.4L));
    EXPECT_EQ(CNewDocumentModel::formatOf(m.widthUnit()), QStringLiteral("%1.0f"));
    m.setWidthUnit(utmm);
    EXPECT_EQ(m.NumWidth->Value(), 123.4f);
    EXPECT_EQ(m.result({}).Width, 729); // 123.4 mm at 150 dpi
}

TEST(NewDocumentDialogModel, SidesStayWithin8And10000PixelsInEveryUnitAndResolution)
{
    for (TUnitType unit : {utpixel, utinch, utcm, utmm})
        for (float dpi : {72.0f, 150.0f, 300.0f, 600.0f}) {
            SCOPED_TRACE(testing::Message() << int(unit) << " at " << dpi);
            ModelRig rig;
            CNewDocumentModel &m = rig.model;
            rig.typeSize(1, 1, unit, dpi); // small sizes keep any resolution allowed
            m.NumResolution->setValue(dpi);
            auto px = [&](float v) { return std::lround(convertUnitValue(unit, utpixel, v, dpi)); };
            EXPECT_EQ(px(m.NumWidth->ValueMin()), 8);
            EXPECT_EQ(px(m.NumWidth->ValueMax()), 10000);
            EXPECT_EQ(px(m.NumHeight->ValueMin()), 8);
            m.NumWidth->setValue(1e9f);
            EXPECT_EQ(m.result({}).Width, 10000);
            m.NumHeight->setValue(-5);
            EXPECT_EQ(m.result({}).Height, 8);
        }
}

TEST(NewDocumentDialogModel, ResolutionRangeFollowsTheLargerSideInInches)
{
    ModelRig rig;
    CNewDocumentModel &m = rig.model;
    rig.typeSize(50, 2, utinch, 150);
    EXPECT_FLOAT_EQ(m.NumResolution->ValueMin(), 72);
    EXPECT_FLOAT_EQ(m.NumResolution->ValueMax(), 200);
    m.NumResolution->setValue(600);
    EXPECT_FLOAT_EQ(m.NumResolution->Value(), 200);
    EXPECT_EQ(m.result({}).Width, 10000);
}

TEST(NewDocumentDialogModel, UserSizeSlotAlwaysHoldsWhatTheDialogShows)
{
    CNewDocumentModel::TUserSizes users = ModelRig::defaultUsers();
    users[2] = sPaperPreset{utcm, 200, 10, 5, true};
    ModelRig rig(users);
    CNewDocumentModel &m = rig.model;
    EXPECT_EQ(m.type(), 1); // opens on user size 1
    rig.pickType(3);
    EXPECT_EQ(m.widthUnit(), utcm);
    EXPECT_FLOAT_EQ(m.NumResolution->Value(), 200);
    EXPECT_TRUE(m.transparent());
    EXPECT_FALSE(m.orientationEnabled());
    m.setHeightUnit(utmm);
    m.NumHeight->setValue(40);
    m.setTransparent(false);
    m.NumResolution->setValue(250.4f);
    const sPaperPreset &slot = m.userSizes()[2];
    EXPECT_EQ(slot.unit, utcm);
    EXPECT_EQ(slot.dpi, 250);
    EXPECT_FLOAT_EQ(slot.w, 10);
    EXPECT_FLOAT_EQ(slot.h, 4); // 40 mm in the width's unit
    EXPECT_FALSE(slot.transparent);
    EXPECT_EQ(m.type(), 3); // a user size is never re-matched
    EXPECT_EQ(m.userSizes()[0].w, 640);
}

TEST(NewDocumentDialogModel, SeparatorsArePassedInTheDirectionOfTheMove)
{
    ModelRig rig;
    CNewDocumentModel &m = rig.model;
    rig.pickType(kCustomSizeType);
    m.selectItem(1); // down from the custom type
    EXPECT_EQ(m.typeItem(), 2);
    m.selectItem(1); // up from user size 1
    EXPECT_EQ(m.typeItem(), 0);
    m.selectItem(14); // the separator after UXGA, from above
    EXPECT_EQ(m.type(), typeNamed("A6"));
    m.selectItem(14); // the same separator, from below
    EXPECT_EQ(m.type(), typeNamed("UXGA"));
    m.selectItem(7);
    EXPECT_EQ(m.type(), typeNamed("5"));
}

// ---- the form

TEST_F(NewDocumentDialogForm, OkGivesThePickedPresetInPixels)
{
    ScopedDialogDriver<TFormNew> driver([](TFormNew &f) {
        EXPECT_EQ(f.CmbType->count(), 50);
        EXPECT_EQ(f.CmbType->currentIndex(), 2); // user size 1
        EXPECT_EQ(f.GrpImage->title(), QStringLiteral("画像サイズ ( 640 × 480 px )"));
        EXPECT_FALSE(f.RadVertical->isEnabled());
        auto *items = qobject_cast<QStandardItemModel *>(f.CmbType->model());
        ASSERT_NE(items, nullptr);
        EXPECT_FALSE(items->item(1)->flags().testFlag(Qt::ItemIsSelectable));
        f.CmbType->setCurrentIndex(documentSizeItemOfType(typeNamed("A4")));
        EXPECT_TRUE(f.RadVertical->isEnabled());
        clickCheck(f.RadVertical);
        EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("210"));
        EXPECT_EQ(f.EdtHeight->text(), QStringLiteral("297"));
        EXPECT_EQ(f.CmbWidth->currentText(), QStringLiteral("mm"));
        EXPECT_EQ(f.GrpImage->title(), QStringLiteral("画像サイズ ( 1240 × 1754 px )"));
        clickCheck(f.RadTransparent);
        typeInto(*f.EdtFileName, QStringLiteral("ポスター"));
        clickOk(f);
    });
    TNewDocumentValue v;
    v.Name = QStringLiteral("名称未設定 1");
    ASSERT_TRUE(showNewDocumentDialog(v));
    EXPECT_EQ(driver.title, QStringLiteral("新規作成"));
    EXPECT_EQ(driver.clientSize, QSize(384, 276));
    EXPECT_EQ(v.Name, QStringLiteral("ポスター"));
    EXPECT_EQ(v.Width, 1240);
    EXPECT_EQ(v.Height, 1754);
    EXPECT_EQ(v.DPI, 150);
    EXPECT_TRUE(v.Transparent);
}

TEST_F(NewDocumentDialogForm, TypedMillimetresReMatchThePresetList)
{
    ScopedDialogDriver<TFormNew> driver([](TFormNew &f) {
        f.CmbType->setCurrentIndex(0);
        f.CmbWidth->setCurrentIndex(utmm);
        f.CmbHeight->setCurrentIndex(utmm);
        typeInto(*f.EdtResolution, QStringLiteral("300"));
        typeInto(*f.EdtWidth, QStringLiteral("210"));
        typeInto(*f.EdtHeight, QStringLiteral("297"));
        EXPECT_EQ(f.CmbType->currentText(), QStringLiteral("A4"));
        EXPECT_TRUE(f.RadVertical->isChecked());
        EXPECT_EQ(f.EdtHeight->text(), QStringLiteral("297")); // the typed text stays
        clickOk(f);
    });
    TNewDocumentValue v;
    ASSERT_TRUE(showNewDocumentDialog(v));
    EXPECT_EQ(v.Width, 2480);
    EXPECT_EQ(v.Height, 3508);
    EXPECT_EQ(v.DPI, 300);
}

TEST_F(NewDocumentDialogForm, ClipboardPictureOpensOnItsSizeAndMatchesVga)
{
    TMTC picture(640, 480);
    ASSERT_TRUE(copyImageToClipboard24(picture, sBox{0, 0, 640, 480}));
    int type = -1;
    QString width;
    ScopedDialogDriver<TFormNew> driver([&](TFormNew &f) {
        type = f.model().type();
        width = f.EdtWidth->text();
        f.reject();
    });
    TNewDocumentValue v;
    EXPECT_FALSE(showNewDocumentDialog(v));
    EXPECT_EQ(type, typeNamed("VGA"));
    EXPECT_EQ(width, QStringLiteral("640"));
}

TEST_F(NewDocumentDialogForm, UserSizeEditsReachTheProfileEvenOnCancel)
{
    gAppProfile->paperSizeTbl[2] = sPaperPreset{utmm, 150, 100, 80, false};
    gAppProfile->paperSizeTbl[3] = sPaperPreset{9, 150, 100, 80, false}; // unreadable unit
    gAppProfile->paperSizeTbl[4].h = std::numeric_limits<float>::quiet_NaN();
    ScopedDialogDriver<TFormNew> driver([](TFormNew &f) {
        f.CmbType->setCurrentIndex(documentSizeItemOfType(3));
        EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("100"));
        typeInto(*f.EdtWidth, QStringLiteral("120"));
        f.CmbType->setCurrentIndex(documentSizeItemOfType(4));
        EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("512"));
        EXPECT_EQ(f.CmbWidth->currentText(), QStringLiteral("pixel"));
        EXPECT_EQ(f.EdtResolution->text(), QStringLiteral("72"));
        f.CmbType->setCurrentIndex(documentSizeItemOfType(5));
        EXPECT_EQ(f.GrpImage->title(), QStringLiteral("画像サイズ ( 512 × 512 px )"));
        QTest::mouseClick(f.ButtonCancel, Qt::LeftButton);
    });
    TNewDocumentValue v;
    v.Name = QStringLiteral("keep");
    EXPECT_FALSE(showNewDocumentDialog(v));
    EXPECT_EQ(v.Name, QStringLiteral("keep"));
    EXPECT_EQ(gAppProfile->paperSizeTbl[2].w, 120);
    EXPECT_EQ(gAppProfile->paperSizeTbl[2].unit, utmm);
    EXPECT_EQ(gAppProfile->paperSizeTbl[3].unit, utpixel); // written back as it was read
    EXPECT_EQ(gAppProfile->paperSizeTbl[3].w, 512);
    EXPECT_EQ(gAppProfile->paperSizeTbl[5].w, 640); // the sixth row is not the dialog's
}

TEST_F(NewDocumentDialogForm, FileNameRefusesTypedAndStripsPastedAndDroppedCharacters)
{
    TFormNew f;
    f.show();
    typeInto(*f.EdtFileName, QStringLiteral("a/b\\c:d*e?f\"g<h>i|j"));
    EXPECT_EQ(f.EdtFileName->text(), QStringLiteral("abcdefghij"));
    QApplication::clipboard()->setText(QStringLiteral("x<y>:z"));
    f.EdtFileName->setCursorPosition(1);
    QTest::keyClick(f.EdtFileName, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.EdtFileName->text(), QStringLiteral("axyzbcdefghij"));
    EXPECT_EQ(f.EdtFileName->cursorPosition(), 4);
    // Dropped text arrives in one piece too (a drop follows its drag's entry).
    f.EdtFileName->clear();
    QMimeData dropped;
    dropped.setText(QStringLiteral("p|q?r"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.EdtFileName, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.EdtFileName, &drop);
    EXPECT_EQ(f.EdtFileName->text(), QStringLiteral("pqr"));
}
