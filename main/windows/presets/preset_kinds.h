// What the preset popups and editors decide without a widget: the kinds of preset list with
// their words and profile entries, the popup menu's captions and states, the preview sizes, the
// tone scale range, the gradient attribute buttons, the stored popup size and the nib editor's
// conversions between a brush setting and its fields.
#pragma once

#include "core/base/geometry.h"
#include "paint/gradient/gradient_stops.h"
#include "ui/lists/list_types.h"

#include <QString>

#include <array>
#include <cstdint>

// The kind of list a popup hosts, by the class of its list view.
enum class TPresetKind : uint8_t { PenMethod, PenNib, Swatch, Gradient, Tone, Other };

struct SPresetKindInfo
{
    const char *itemWord; // names one item in the menu's captions
    const char *setWord;  // names the set file
    bool hasSetFile;      // the set entries of the menu act
    bool usesProfile;     // list type and client size are kept in the profile
    bool hasPreview;      // an attribute strip with a preview (and its profile entry)
    TListViewType defaultType; // the list type when the profile's is not supported
};
const SPresetKindInfo &presetKindInfo(TPresetKind kind);

// ---- the popup menu

enum class TPresetMenuEntry : uint8_t {
    ItemAppend, ItemDuplicate, ItemDelete, ItemEdit,
    DispAll,
    DispText, DispIconS, DispIconM, DispIconL, DispListS, DispListM, DispListL,
    PreviewHide, PreviewS, PreviewM, PreviewL,
    SetRevert, SetAppend, SetSave, SetOpen,
};
constexpr int kPresetMenuEntryCount = int(TPresetMenuEntry::SetOpen) + 1;

// The list type each display entry shows, in entry order from DispText.
constexpr std::array<TListViewType, 7> kDispEntryTypes = {lvText,  lvIconS, lvIconM, lvIconL,
                                                          lvListS, lvListM, lvListL};

enum TPopupPreviewHeight : uint8_t { pphNone, pphSmall, pphDefault, pphLarge };

// What the list answers when the menu opens.
struct SPresetMenuInput
{
    TPresetKind kind = TPresetKind::Other;
    bool canPut = false, canDuplicate = false, canDelete = false, canEdit = false;
    bool canAppend = false;
    TListViewTypes supported;
    TListViewType listType = lvIconM;
    bool useDispAll = false, dispAll = false;
    bool supportPreview = false;
    TPopupPreviewHeight preview = pphDefault;
    bool setFileExists = false, modified = false;
};

struct SPresetMenuState
{
    QString caption; // empty: the entry keeps its own
    bool visible = true, enabled = true, checked = false;
};
std::array<SPresetMenuState, kPresetMenuEntryCount> presetMenuState(const SPresetMenuInput &in);

// "選択された%sを削除してよろしいですか？" with the kind's item word.
QString presetDeleteQuestion(TPresetKind kind);

// ---- sizes

// The preview's pixel height by size; -4 stands for a hidden preview and its two margins.
int previewPixelHeight(TPopupPreviewHeight h);
// How much the window shrinks going from one preview size to another (Old - New), 0 for none.
int previewHeightDelta(TPopupPreviewHeight from, TPopupPreviewHeight to);
// A stored preview size in 0..3, else none (the built size stays).
bool previewHeightFromProfile(int32_t stored, TPopupPreviewHeight &out);
// A stored client extent: -1 (never stored) keeps the built one; below the minimum, the minimum.
int storedClientExtent(int32_t stored, int built, int minimum);

// ---- the attribute strips

// The tone scale range widened to reach 100 and cut to 200 at the top.
struct SToneScaleRange
{
    int32_t min, max;
};
SToneScaleRange toneScaleRange(int32_t zoomMin, int32_t zoomMax);

// The gradient strip's buttons and repeat count.
struct SGradButtons
{
    bool line = true, radial = false, circle = false; // one group: at most one down
    bool ret = false, infinite = false;
    bool remind = false, remindEnabled = true;
    int32_t repCount = 1;
    friend bool operator==(const SGradButtons &, const SGradButtons &) = default;
};
// usingSpecial: the set's current gradient is the fixed two-colour one, which keeps no attribute.
SGradButtons gradButtonsFromAttr(const SGradAttr &attr, bool usingSpecial);
SGradAttr gradAttrFromButtons(const SGradButtons &b);

// ---- the nib editor's conversions

// The flattening field shows 100 - aspect x 100.
float numAspectFromAspect(float aspect);
float aspectFromNumAspect(float num);
// The nib radius track bar's position filters (a drawn nib only): the position is clamped into
// 0..1, then read as radius 0.1 + 199.9 x p, bent so that small radii get more of the track.
float nibRadiusInFilter(float position);
float nibRadiusOutFilter(float position);
// The image nib's scale range in whole percent: Ceil(100 x min) .. Floor(100 x max) of its
// allowed zoom, so that every offered scale survives being stored as an integer percent.
struct SScaleRange
{
    int32_t min, max;
};
SScaleRange nibScaleRangePercent(float scaleMin, float scaleMax);
SScaleRange nibScaleRangePercent(const sSize &imageSize);
