// The text window's face and character-set lists: every scalable family horizontally, the
// families that write Japanese vertically, never a name with the at sign; the character sets a
// family writes, Japanese first.
#include "paint/text/text_glyphs.h"
#include "platform/desktop/font.h"
#include "ui/graphics/appearance.h"
#include "windows/text/font_faces.h"

#include <gtest/gtest.h>

namespace {

const QString kNoto = QStringLiteral("Noto Sans CJK JP");
const QString kDejaVu = QStringLiteral("DejaVu Sans");

TEST(FontFaces, JapaneseFamiliesAloneAreOfferedVertically)
{
    const QStringList horizontal = fontFaceList(false);
    const QStringList vertical = fontFaceList(true);
    EXPECT_TRUE(horizontal.contains(kNoto));
    EXPECT_TRUE(vertical.contains(kNoto));
    EXPECT_TRUE(horizontal.contains(kDejaVu));
    EXPECT_FALSE(vertical.contains(kDejaVu));
    for (const QStringList *list : {&horizontal, &vertical})
        for (const QString &f : *list)
            EXPECT_FALSE(f.startsWith(u'@')) << f.toStdString();
    // Every vertical face is also a horizontal one, and the lists are sorted without repeats.
    for (const QString &f : vertical)
        EXPECT_TRUE(horizontal.contains(f)) << f.toStdString();
    QStringList sorted = horizontal;
    sorted.sort(Qt::CaseInsensitive);
    sorted.removeDuplicates();
    EXPECT_EQ(sorted, horizontal);
}

TEST(FontFaces, TheVerticalFaceExistsForJapaneseFamiliesOnly)
{
    struct Case
    {
        QString face;
        uint8_t charset;
        bool exists;
    };
    const Case cases[] = {
        {QLatin1Char('@') + kNoto, SHIFTJIS_CHARSET, true},
        {QLatin1Char('@') + kNoto, DEFAULT_CHARSET, true},
        {QLatin1Char('@') + kDejaVu, SHIFTJIS_CHARSET, false},
        {QLatin1Char('@') + kDejaVu, ANSI_CHARSET, false},
        {kDejaVu, ANSI_CHARSET, true},
        {kDejaVu, SHIFTJIS_CHARSET, false},
        {QStringLiteral("@"), SHIFTJIS_CHARSET, false},
        {QStringLiteral("@No Such Family"), SHIFTJIS_CHARSET, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fontFamilyExists(c.face, c.charset), c.exists)
            << c.face.toStdString() << " " << int(c.charset);
}

TEST(FontFaces, CharacterSetsBeginWithJapanese)
{
    const std::vector<SFontCharset> noto = fontCharsetList(kNoto);
    ASSERT_FALSE(noto.empty());
    EXPECT_EQ(noto[0].code, SHIFTJIS_CHARSET);
    EXPECT_EQ(noto[0].name, QString::fromUtf8("日本語"));
    for (size_t i = 2; i < noto.size(); ++i)
        EXPECT_LT(noto[i - 1].code, noto[i].code);
    for (const SFontCharset &c : noto)
        EXPECT_EQ(c.name, charsetName(c.code));

    const std::vector<SFontCharset> dejavu = fontCharsetList(kDejaVu);
    ASSERT_FALSE(dejavu.empty());
    EXPECT_EQ(dejavu[0].code, ANSI_CHARSET);
    for (const SFontCharset &c : dejavu)
        EXPECT_NE(c.code, SHIFTJIS_CHARSET);
}

TEST(FontFaces, AnEmptyListStandsForTheDefaultSet)
{
    const std::vector<SFontCharset> none = fontCharsetList(QStringLiteral("No Such Family"));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(selectedCharset(none, -1), DEFAULT_CHARSET);
    EXPECT_EQ(selectedCharset(none, 0), DEFAULT_CHARSET);
    const std::vector<SFontCharset> noto = fontCharsetList(kNoto);
    EXPECT_EQ(selectedCharset(noto, 0), SHIFTJIS_CHARSET);
    EXPECT_EQ(selectedCharset(noto, int(noto.size())), DEFAULT_CHARSET);
}

} // namespace
