// The new document dialog's state and arithmetic, free of widgets: the 40 size types in eleven
// groups (with the separators between groups, 50 list items), the five user sizes the profile
// keeps, the size in its units with the resolution, and the one change handler that keeps them in
// step, matches a typed size back to a preset and writes the selected user size.
#pragma once

#include "core/profile/app_profile.h"
#include "ui/base/units.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class QObject;
class TNumMngr;

// What the new document dialog hands back: the size in pixels.
struct TNewDocumentValue
{
    QString Name;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t DPI = 72;
    bool Transparent = false;
};

// ---- the size types
// A preset size: unit, resolution, the longer side first.
struct SDocumentSizeType
{
    TUnitType unit = utpixel;
    int32_t dpi = 72;
    float w = 0, h = 0;
};

inline constexpr int kDocumentSizeTypeCount = 40;
inline constexpr int kDocumentSizeGroupCount = 11;
// The size types with a separator item between each two groups.
inline constexpr int kDocumentSizeItemCount = kDocumentSizeTypeCount + kDocumentSizeGroupCount - 1;
inline constexpr int kCustomSizeType = 0;
inline constexpr int kFirstUserSizeType = 1;
inline constexpr int kUserSizeCount = 5;
// Types 6..39: the fixed presets, which have an orientation.
inline constexpr int kFirstFixedSizeType = kFirstUserSizeType + kUserSizeCount;

// The preset of a type (types 1..5 are the user sizes, whose entries read as the custom size).
const SDocumentSizeType &documentSizeType(int type);
// The list's name of a type ("カスタム", "1".."5", "QVGA", ... "大四切り"); empty outside 0..39.
QString documentSizeName(int type);
// The list index of each group's first item, built once.
const std::array<int, kDocumentSizeGroupCount> &documentSizeGroupStarts();
// The type of a list item, or -1 for a separator (and an item outside the list).
int documentSizeTypeOfItem(int item);
int documentSizeItemOfType(int type);
bool isFixedSizeType(int type);
bool isUserSizeType(int type);

// A user size as stored, read safely: a unit outside 0..3 (of the low byte), a resolution outside
// 72..600 or a side that is not a finite positive number makes the slot 512 x 512 px at 72.
sPaperPreset checkedUserSize(const sPaperPreset &stored);

// ---- the file name
// Whether a typed character is one a file name may not hold (\ / : * ? " < > |).
bool isRefusedFileNameChar(QChar ch);
// text without those characters: what pasted or dropped text leaves in the field.
QString withoutRefusedFileNameChars(const QString &text);

// ---- the dialog's state
// Who changed: the handler takes different steps for each.
enum class TSizeSender : uint8_t
{
    List,
    Orientation,
    WidthUnit,
    HeightUnit,
    Width,
    Height,
    Resolution,
    Background,
};

class CNewDocumentModel
{
  public:
    using TUserSizes = std::array<sPaperPreset, kUserSizeCount>;

    // 512 x 512 pixels at 72 dpi on the custom type; the value models belong to owner.
    explicit CNewDocumentModel(QObject *owner);

    // The start of a run: the user sizes (read checked), then the clipboard's picture size on the
    // custom type when clipSize has positive sides, else user size 1 applied.
    void start(const TUserSizes &stored, sSize clipSize);
    const TUserSizes &userSizes() const { return FUserSettings; }

    // The user picks a list item: a separator is passed over in the direction of the move.
    void selectItem(int item);
    void setVertical(bool vertical);
    void setWidthUnit(TUnitType unit);
    void setHeightUnit(TUnitType unit);
    void setTransparent(bool transparent);

    TNumMngr *NumWidth = nullptr;
    TNumMngr *NumHeight = nullptr;
    TNumMngr *NumResolution = nullptr;

    int typeItem() const { return FTypeIndex; }
    int type() const { return documentSizeTypeOfItem(FTypeIndex); }
    bool vertical() const { return FVertical; }
    bool orientationEnabled() const { return FOrientationEnabled; }
    TUnitType widthUnit() const { return FWidthList; }
    TUnitType heightUnit() const { return FHeightList; }
    bool transparent() const { return FTransparent; }
    // "%1.0f" for pixels, "%1.6g" for the other units.
    static QString formatOf(TUnitType unit);
    // The size in pixels at the resolution, rounded half up, and the group's caption of it.
    int32_t widthPixels() const;
    int32_t heightPixels() const;
    QString imageCaption() const;
    // The record OK gives (name as typed).
    TNewDocumentValue result(const QString &name) const;

    // After every change the form shows the state again.
    std::function<void()> OnChanged;

  private:
    void SizeChange(TSizeSender sender);
    void takeType(int type);
    void setSideRanges(TUnitType wUnit, TUnitType hUnit);
    void setResolutionRange();
    void rematch();
    bool matches(int type, float a, TUnitType ua, float b, TUnitType ub) const;
    void updateUserSize();
    int32_t toPixels(float v, TUnitType unit) const;

    int FTypeIndex = 0;
    float FWidth = 512, FHeight = 512;
    TUnitType FWidthUnitIndex = utpixel, FHeightUnitIndex = utpixel;
    TUnitType FWidthList = utpixel, FHeightList = utpixel; // what the unit lists show
    bool FVertical = false;
    bool FOrientationEnabled = false;
    bool FTransparent = false;
    bool FDocumentSizeChanging = false;
    TUserSizes FUserSettings{};
};
