// The text tool window's face and character-set lists, without a widget. Faces are the scalable
// families fontconfig knows (bitmap-only families are left out). The font renderer draws any
// "@Family" vertically, but a vertical face is offered only for the families that write Japanese,
// where vertical writing is what a user expects: the horizontal list holds every family, the
// vertical one those families. Names are listed without the at sign in both.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The faces of the face list, sorted, each once.
QStringList fontFaceList(bool vertical);

// One entry of the character-set list: the font character-set code and its name.
struct SFontCharset
{
    uint8_t code = 0;
    QString name;
};
// The character sets the family writes, as codes: 128 (Japanese) first when present, then
// ascending. Empty for an unknown family or one that writes none of the sets the program names.
std::vector<SFontCharset> fontCharsetList(const QString &face);
// The code a selection of the list stands for: the item's, or DEFAULT_CHARSET (1) when the list
// is empty or nothing is selected.
uint8_t selectedCharset(const std::vector<SFontCharset> &list, int index);
