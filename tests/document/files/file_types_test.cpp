#include "document/files/file_types.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string filterOf(TOpenFilterType kind)
{
    QString f;
    EXPECT_TRUE(buildFileFilter(kind, f));
    return f.toStdString();
}

constexpr TOpenFilterType kNoKind = TOpenFilterType(21);

} // namespace

TEST(FileTypes, AcceptedExtensionsIgnoreCase)
{
    struct Case
    {
        const char *ext;
        TOpenFilterType kind;
        bool expected;
    };
    const Case cases[] = {
        {".JPEG", ofGeneralImagesR, true},  {".qzi", ofGeneralImagesR, false},
        {".qzi", ofAllImagesR, true},       {".Jfif", ofAllImagesW, true},
        {".ani", ofCursorR, true},          {".cur", ofCursorR, true},
        {"ani", ofCursorR, false},          {".png", ofLayerImagesW, true},
        {".jpg", ofLayerImagesW, false},    {".txt", ofColorPalettesW, true},
        {".txt", ofDefaultPaletteR, false}, {".qe5", ofEventsR, true},
        {".RVE", ofEventsR, true},          {".wpe", ofEventsR, true},
        {".qe5", ofEventsW, true},          {".qe4", ofEventsW, false},
        {".qzi", kNoKind, false},           {"", ofAllImagesR, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isFileOfType(QString::fromLatin1(c.ext), c.kind), c.expected)
            << c.ext << " kind " << int(c.kind);
}

TEST(FileTypes, FilterTextsFollowTheTable)
{
    EXPECT_EQ(filterOf(ofAllImagesR),
              "Kavrin (*.qzi)|*.qzi|Kavrin1.1 (*.wpb)|*.WPB|BMP (*.bmp)|*.BMP|"
              "JPEG (*.jpg;*.jpeg;*.jpe;*.jif;*.jfif;*.jfi)|*.JPG;*.JPEG;*.JPE;*.JIF;*.JFIF;*.JFI|"
              "PNG (*.png)|*.PNG|Photoshop (*.psd)|*.PSD|"
              "すべての画像|*.qzi;*.wpb;*.bmp;*.jpg;*.jpeg;*.jpe;*.jif;*.jfif;*.jfi;*.png;*.psd|"
              "すべてのファイル|*.*");
    EXPECT_EQ(
        filterOf(ofEventsR),
        "Kavrin5 イベント (*.qe5/*.rve)|*.qe5;*.rve|Kavrin4 イベント (*.qe4/*.rv4)|*.qe4;*.rv4|"
        "Kavrin3 イベント (*.qe3/*.rv3)|*.qe3;*.rv3|Kavrin2.2 イベント (*.qes)|*.qes|"
        "Kavrin1.1 イベント (*.wpe)|*.wpe|"
        "すべてのイベント|*.wpe;*.qes;*.qe3;*.rv3;*.qe4;*.qe5;*.rv4;*.rve");
    EXPECT_EQ(
        filterOf(ofColorPalettesR),
        "Kavrin パレット (*.qpl)|*.qpl|Adobe 色見本 (*.aco)|*.aco|"
        "Painter カラーセット (*.pcs/*.txt)|*.pcs;*.txt|すべてのパレット|*.qpl;*.aco;*.pcs;*.txt");
    EXPECT_EQ(filterOf(ofAllImagesW),
              "Kavrin (*.qzi)|*.qzi|BMP (*.bmp)|*.BMP|"
              "JPEG (*.jpg;*.jpeg;*.jpe;*.jif;*.jfif;*.jfi)|*.JPG;*.JPEG;*.JPE;*.JIF;*.JFIF;*.JFI|"
              "PNG (*.png)|*.PNG|Photoshop (*.psd)|*.PSD");
    EXPECT_EQ(filterOf(ofEventsW), "Kavrin5 イベント (*.qe5/*.rve)|*.qe5;*.rve");
    EXPECT_EQ(filterOf(ofLayerImagesW), "BMP (*.bmp)|*.BMP|PNG (*.png)|*.PNG");
    EXPECT_EQ(filterOf(ofColorPalettesW),
              "Kavrin パレット (*.qpl)|*.qpl|Adobe 色見本 (*.aco)|*.aco|"
              "Painter カラーセット (*.pcs/*.txt)|*.pcs;*.txt");
    EXPECT_EQ(filterOf(ofPenShapesW), "Kavrin ペン先集 (*.psh)|*.psh");
    EXPECT_EQ(filterOf(ofCursorR), "カーソル (*.cur)|*.CUR");

    QString f = QStringLiteral("stale");
    EXPECT_FALSE(buildFileFilter(kNoKind, f));
    EXPECT_TRUE(f.isEmpty());
}

TEST(FileTypes, NameFiltersOfTheDialogListEveryPattern)
{
    const QStringList f = fileDialogNameFilters(ofAllImagesR);
    ASSERT_EQ(f.size(), 8);
    EXPECT_EQ(f[3].toStdString(), "JPEG (*.jpg;*.jpeg;*.jpe;*.jif;*.jfif;*.jfi) "
                                  "(*.JPG *.JPEG *.JPE *.JIF *.JFIF *.JFI)");
    // "*.*" means every file, dotted or not.
    EXPECT_EQ(f[7].toStdString(), "すべてのファイル (*)");
    EXPECT_EQ(fileDialogNameFilters(ofEventsW).size(), 1);
    EXPECT_TRUE(fileDialogNameFilters(kNoKind).isEmpty());
}

TEST(FileTypes, DefaultExtensionsAndDialogClasses)
{
    const char *const expected[kOpenFilterTypeCount] = {
        "qzi", "bmp", "qe5", "pmt", "psh", "qpl", "qgs", "qts", "qsl", "qzi", "bmp",
        "qe5", "pmt", "psh", "qpl", "qgs", "qts", "qsl", "qpl", "bmp", "cur"};
    for (int k = 0; k < kOpenFilterTypeCount; ++k) {
        QString ext;
        EXPECT_TRUE(getDefaultExt(TOpenFilterType(k), ext));
        EXPECT_EQ(ext.toStdString(), expected[k]) << "kind " << k;
    }
    QString ext = QStringLiteral("stale");
    EXPECT_FALSE(getDefaultExt(kNoKind, ext));
    EXPECT_TRUE(ext.isEmpty());

    using C = TFileDialogClass;
    EXPECT_EQ(fileDialogClassOf(ofAllImagesR), C::OpenPreview);
    EXPECT_EQ(fileDialogClassOf(ofEventsR), C::OpenPreview);
    EXPECT_EQ(fileDialogClassOf(ofPenShapesR), C::Open);
    EXPECT_EQ(fileDialogClassOf(ofEventsW), C::SavePreview);
    EXPECT_EQ(fileDialogClassOf(ofLayerImagesW), C::SavePreview);
    EXPECT_EQ(fileDialogClassOf(ofShortCutW), C::Save);
    EXPECT_EQ(fileDialogClassOf(ofDefaultPaletteR), C::Open);
    EXPECT_EQ(fileDialogClassOf(ofCursorR), C::Open);
    EXPECT_EQ(fileDialogClassOf(kNoKind), C::None);
    for (int k = 0; k < kOpenFilterTypeCount; ++k) {
        const C c = fileDialogClassOf(TOpenFilterType(k));
        EXPECT_EQ(isSaveFilterType(TOpenFilterType(k)), c == C::Save || c == C::SavePreview) << k;
    }
}

TEST(FileTypes, ExtensionOfTheChosenFilter)
{
    struct Case
    {
        TOpenFilterType kind;
        int index;
        const char *expected;
    };
    const Case cases[] = {
        {ofAllImagesW, 1, ".qzi"},
        {ofAllImagesW, 3, ".jpg"},
        {ofAllImagesW, 5, ".psd"},
        {ofAllImagesW, 6, ""},
        {ofAllImagesW, 0, ""},
        {ofAllImagesR, 2, ".wpb"},
        {ofAllImagesR, 7, ""},
        {ofGeneralImagesW, 3, ".png"},
        {ofEventsR, 3, ".wpe"},
        {ofEventsW, 1, ".qe5"},
        {ofEventsW, 4, ".qe5"},
        {ofEventsW, -1, ".qe5"},
        {ofColorPalettesW, 3, ".pcs"},
        {ofColorPalettesW, 4, ""},
        {ofDefaultPaletteR, 9, ".qpl"},
        {ofLayerImagesW, 2, ".png"},
        {ofPenMethodsW, 7, ".pmt"},
        {ofCursorR, 1, ".cur"},
        {kNoKind, 1, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(filterExtension(c.kind, c.index).toStdString(), c.expected)
            << "kind " << int(c.kind) << " filter " << c.index;
}

TEST(FileTypes, TypeOfPathByItsLastExtension)
{
    struct Case
    {
        const char *path;
        frmtType expected;
    };
    const Case cases[] = {
        {"a.wpb", frmtWPB},
        {"a.WPE", frmtWPE},
        {"a.qzi", frmtQZI},
        {"archive.tar.qzi", frmtQZI},
        {"a.Qes", frmtQES},
        {"a.qe5", frmtQE5},
        {"a.RVE", frmtQE5},
        {"a.qe4", frmtQE4},
        {"replay.RV4", frmtQE4},
        {"a.qe3", frmtQE3},
        {"a.rv3", frmtQE3},
        {"a.BMP", frmtBMP},
        {"picture.JPG", frmtJPEG},
        {"picture.Jpeg", frmtJPEG},
        {"picture.jpe", frmtJPEG},
        {"picture.jif", frmtJPEG},
        {"picture.JFIF", frmtJPEG},
        {"picture.jfi", frmtJPEG},
        {"a.png", frmtPNG},
        {"a.PsD", frmtPSD},
        {"set.pmt", frmtUnknown},
        {"noextension", frmtUnknown},
        {"/dir.qzi/file", frmtUnknown},
        {"", frmtUnknown},
        {"/home/u/x.qzi", frmtQZI},
        {"trailingdot.", frmtUnknown},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fileTypeOfPath(QString::fromUtf8(c.path)), c.expected) << c.path;
}
