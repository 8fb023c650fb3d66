#include "windows/text/font_faces.h"

#include "paint/text/text_glyphs.h"
#include "platform/desktop/font.h"

#include <QFontDatabase>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The writing systems the program has a character-set code for.
constexpr std::array<std::pair<QFontDatabase::WritingSystem, uint8_t>, 11> kCharsetOfSystem = {{
    {QFontDatabase::Latin, 0},
    {QFontDatabase::Japanese, 128},
    {QFontDatabase::Korean, 129},
    {QFontDatabase::SimplifiedChinese, 134},
    {QFontDatabase::TraditionalChinese, 136},
    {QFontDatabase::Greek, 161},
    {QFontDatabase::Vietnamese, 163},
    {QFontDatabase::Hebrew, 177},
    {QFontDatabase::Arabic, 178},
    {QFontDatabase::Cyrillic, 204},
    {QFontDatabase::Thai, 222},
}};

bool offered(const QString &family)
{
    return !family.startsWith(u'@') && !QFontDatabase::isPrivateFamily(family) &&
           QFontDatabase::isSmoothlyScalable(family);
}

} // namespace

QStringList fontFaceList(bool vertical)
{
    QStringList faces;
    const QStringList families =
        QFontDatabase::families(vertical ? QFontDatabase::Japanese : QFontDatabase::Any);
    for (const QString &f : families)
        if (offered(f))
            faces.push_back(f);
    faces.sort(Qt::CaseInsensitive);
    faces.removeDuplicates();
    return faces;
}

std::vector<SFontCharset> fontCharsetList(const QString &face)
{
    std::vector<SFontCharset> list;
    if (face.isEmpty() || !QFontDatabase::hasFamily(face))
        return list;
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(face);
    for (const auto &[system, code] : kCharsetOfSystem)
        if (systems.contains(system))
            list.push_back({code, charsetName(code)});
    std::sort(list.begin(), list.end(), [](const SFontCharset &a, const SFontCharset &b) {
        // Japanese leads: the program is made for it.
        const bool ja = a.code == SHIFTJIS_CHARSET, jb = b.code == SHIFTJIS_CHARSET;
        return ja != jb ? ja : a.code < b.code;
    });
    return list;
}

uint8_t selectedCharset(const std::vector<SFontCharset> &list, int index)
{
    if (index < 0 || size_t(index) >= list.size())
        return DEFAULT_CHARSET;
    return list[size_t(index)].code;
}
