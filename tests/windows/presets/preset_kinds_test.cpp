// The widget-free rules of the preset popups and the nib editor: menu captions and states by
// kind, preview sizes, stored sizes, the tone scale range, the gradient buttons and the nib
// conversions.
#include "windows/presets/preset_kinds.h"

#include <gtest/gtest.h>

namespace {

using E = TPresetMenuEntry;

const SPresetMenuState &entry(const std::array<SPresetMenuState, kPresetMenuEntryCount> &m, E e)
{
    return m[size_t(e)];
}

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(PresetPopupModel, CaptionsFollowTheKind)
{
    struct Case
    {
        TPresetKind kind;
        const char *append, *duplicate, *save;
    };
    const Case cases[] = {
        {TPresetKind::PenMethod, "新規ブラシ(&N)...", "ブラシを複製(&D)", "ブラシ集を保存(&S)..."},
        {TPresetKind::PenNib, "新規ペン先(&N)...", "ペン先を複製(&D)", "ペン先集を保存(&S)..."},
        {TPresetKind::Tone, "新規トーン(&N)...", "トーンを複製(&D)", "トーン集を保存(&S)..."},
        {TPresetKind::Other, "新規アイテム(&N)...", "アイテムを複製(&D)", "セットを保存(&S)..."},
    };
    for (const Case &c : cases) {
        SPresetMenuInput in;
        in.kind = c.kind;
        const auto m = presetMenuState(in);
        EXPECT_EQ(entry(m, E::ItemAppend).caption, u8(c.append));
        EXPECT_EQ(entry(m, E::ItemDuplicate).caption, u8(c.duplicate));
        EXPECT_EQ(entry(m, E::SetSave).caption, u8(c.save));
    }
    EXPECT_EQ(presetDeleteQuestion(TPresetKind::Tone), u8("選択されたトーンを削除してよろしいですか？"));
}

TEST(PresetPopupModel, EntriesAreEnabledShownAndTickedByTheList)
{
    SPresetMenuInput in;
    in.kind = TPresetKind::Gradient;
    in.canPut = true;
    in.canDelete = true;
    in.supported = TListViewTypes{lvIconS, lvIconM, lvListM};
    in.listType = lvListM;
    in.supportPreview = true;
    in.preview = pphSmall;
    auto m = presetMenuState(in);
    EXPECT_TRUE(entry(m, E::ItemAppend).enabled);
    EXPECT_FALSE(entry(m, E::ItemDuplicate).enabled);
    EXPECT_TRUE(entry(m, E::ItemDelete).enabled);
    EXPECT_FALSE(entry(m, E::ItemEdit).enabled);
    EXPECT_FALSE(entry(m, E::DispAll).visible);
    EXPECT_FALSE(entry(m, E::DispText).visible);
    EXPECT_TRUE(entry(m, E::DispIconS).visible);
    EXPECT_FALSE(entry(m, E::DispIconS).checked);
    EXPECT_TRUE(entry(m, E::DispListM).checked);
    EXPECT_FALSE(entry(m, E::DispListL).visible);
    EXPECT_TRUE(entry(m, E::PreviewS).visible);
    EXPECT_TRUE(entry(m, E::PreviewS).checked);
    EXPECT_FALSE(entry(m, E::PreviewM).checked);
    EXPECT_TRUE(entry(m, E::SetSave).enabled);
    EXPECT_TRUE(entry(m, E::SetOpen).enabled);
    EXPECT_FALSE(entry(m, E::SetAppend).enabled);

    // Revert only while modified with the file present.
    for (const auto &[exists, modified] : {std::pair{false, true}, {true, false}, {true, true}}) {
        in.setFileExists = exists;
        in.modified = modified;
        EXPECT_EQ(entry(presetMenuState(in), E::SetRevert).enabled, exists && modified);
    }

    // The brush popup's show-all entry; no preview entries without a preview.
    in = {};
    in.kind = TPresetKind::PenMethod;
    in.useDispAll = true;
    in.dispAll = true;
    m = presetMenuState(in);
    EXPECT_TRUE(entry(m, E::DispAll).visible);
    EXPECT_TRUE(entry(m, E::DispAll).checked);
    EXPECT_FALSE(entry(m, E::PreviewHide).visible);
}

TEST(PresetPopupModel, PreviewSizesAndStoredSizes)
{
    EXPECT_EQ(previewHeightDelta(pphDefault, pphNone), 100);
    EXPECT_EQ(previewHeightDelta(pphNone, pphLarge), -196);
    EXPECT_EQ(previewHeightDelta(pphSmall, pphSmall), 0);
    TPopupPreviewHeight h = pphDefault;
    EXPECT_FALSE(previewHeightFromProfile(4, h));
    EXPECT_FALSE(previewHeightFromProfile(-1, h));
    EXPECT_EQ(h, pphDefault);
    EXPECT_TRUE(previewHeightFromProfile(3, h));
    EXPECT_EQ(h, pphLarge);
    EXPECT_EQ(storedClientExtent(-1, 223, 223), 223);
    EXPECT_EQ(storedClientExtent(100, 300, 223), 223);
    EXPECT_EQ(storedClientExtent(400, 300, 223), 400);
}

TEST(PresetPopupModel, ToneScaleRangeReaches100AndStopsAt200)
{
    const struct
    {
        int32_t lo, hi, min, max;
    } cases[] = {{50, 400, 50, 200}, {150, 180, 100, 180}, {20, 60, 20, 100}};
    for (const auto &c : cases) {
        const SToneScaleRange r = toneScaleRange(c.lo, c.hi);
        EXPECT_EQ(r.min, c.min) << c.lo << ".." << c.hi;
        EXPECT_EQ(r.max, c.max) << c.lo << ".." << c.hi;
    }
}

TEST(PresetPopupModel, GradientButtonsCarryTheAttributeBothWays)
{
    for (uint8_t type : {gtLinear, gtRot, gtGrade})
        for (uint8_t map : {gmNormal, gmReturn})
            for (uint8_t rep : {grTimes, grEndless})
                for (bool enb : {false, true}) {
                    const SGradAttr a{enb, type, map, rep, 7};
                    EXPECT_EQ(gradAttrFromButtons(gradButtonsFromAttr(a, false)), a);
                }
    // The fixed two-colour gradient keeps no attribute: remind disabled and up.
    const SGradButtons b = gradButtonsFromAttr({true, gtRot, gmNormal, grTimes, 1}, true);
    EXPECT_FALSE(b.remindEnabled);
    EXPECT_FALSE(b.remind);
    SGradButtons none;
    none.line = false;
    EXPECT_EQ(gradAttrFromButtons(none).gradType, gtMaxNum);
}

TEST(NibEditorFrameModel, ConversionsAndFilters)
{
    EXPECT_FLOAT_EQ(numAspectFromAspect(1.0f), 0);
    EXPECT_FLOAT_EQ(numAspectFromAspect(0.25f), 75);
    EXPECT_FLOAT_EQ(aspectFromNumAspect(75), 0.25f);
    const struct
    {
        float in, out;
    } ends[] = {{0, 0}, {1, 1}, {-0.5f, 0}, {1.5f, 1}};
    for (const auto &c : ends) {
        EXPECT_NEAR(nibRadiusInFilter(c.in), c.out, 1e-6) << c.in;
        EXPECT_NEAR(nibRadiusOutFilter(c.in), c.out, 1e-6) << c.in;
    }
    // Radius 20 sits in the middle of the track.
    const float p20 = (20.0f - 0.1f) / 199.9f;
    EXPECT_NEAR(nibRadiusInFilter(p20), 0.5f, 1e-6);
    EXPECT_NEAR(nibRadiusOutFilter(0.5f), p20, 1e-6);
    for (float p = 0; p <= 1; p += 0.125f)
        EXPECT_NEAR(nibRadiusOutFilter(nibRadiusInFilter(p)), p, 1e-5) << p;
}

TEST(NibEditorFrameModel, ImageScaleRangeInWholePercent)
{
    const struct
    {
        sSize size;
        int32_t min, max;
    } cases[] = {{{64, 32}, 13, 500}, {{200, 200}, 2, 255}};
    for (const auto &c : cases) {
        const SScaleRange r = nibScaleRangePercent(c.size);
        EXPECT_EQ(r.min, c.min) << c.size.x << "x" << c.size.y;
        EXPECT_EQ(r.max, c.max) << c.size.x << "x" << c.size.y;
    }
}
