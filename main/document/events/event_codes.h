// The display identity of a recorded operation: one TEventCode per kind of operation the user can
// tell apart, derived from a packet header (packetToEventCode) or from an instruction of the
// version-1.1 event stream (oldEventToEventCode). Each code has a dotted name (the render-mode
// report's key), a display name (the replay log and the event-history list) and a glyph.
//
// The dotted names follow the enumerator names (the prefix "ec" dropped, lower case, underscores
// as dots), except that the numbered variants 2 share their base operation's name, the two
// clipping-group codes split "group" from "release" and "bind", and ecMask_Transform_Free is
// "mask.transform". Some rows look odd but are kept for display compatibility: the two
// LinkLevel codes show qgDensity and qgProtectAlpha, LinkLevel_Up reads like Unlink, and
// ecLayer_Transform_Floor has no display name.
#pragma once

#include "core/profile/glyph_types.h"
#include "document/events/event_packets.h"

#include <QString>

#include <cstdint>

struct SGradAttr;

// One row per code, in order: X(enumerator, dotted name, display name, glyph).
// clang-format off
#define KAVRIN_EVENT_CODES(X) \
    X(ecNop, "", u"", qgMenu) \
    X(ecEvent_Begin, "event.begin", u"イベント記録の開始", qgMenu) \
    X(ecEvent_End, "event.end", u"イベント記録の終了", qgMenu) \
    X(ecEvent_Undo, "event.undo", u"アンドゥ", qgMenu) \
    X(ecImage_Create_New, "image.create.new", u"新規作成", qgCreate) \
    X(ecImage_Create_Open, "image.create.open", u"開く", qgCreate) \
    X(ecImage_Property_Size, "image.property.size", u"画像サイズ", qgMenu) \
    X(ecImage_Property_Size_Crop, "image.property.size.crop", u"画像の切り抜き", qgMenu) \
    X(ecImage_Property_Color, "image.property.color", u"画像背景色", qgMenu) \
    X(ecImage_Transform_Scale, "image.transform.scale", u"画像解像度", qgMenu) \
    X(ecImage_Transform_Scale2, "image.transform.scale", u"画像解像度", qgMenu) \
    X(ecImage_Transform_Rotate_90, "image.transform.rotate.90", u"画像の 90°回転(時計回り)", qgMenu) \
    X(ecImage_Transform_Rotate_180, "image.transform.rotate.180", u"画像の 180° 回転", qgMenu) \
    X(ecImage_Transform_Rotate_270, "image.transform.rotate.270", u"画像の 90°回転(反時計回り)", qgMenu) \
    X(ecImage_Transform_Flip_Horizontal, "image.transform.flip.horizontal", u"画像の左右反転", qgMenu) \
    X(ecImage_Transform_Flip_Vertical, "image.transform.flip.vertical", u"画像の上下反転", qgMenu) \
    X(ecImage_Adjustment_Invert, "image.adjustment.invert", u"画像の色調反転", qgMenu) \
    X(ecVisibleLayer_Adjustment_Invert, "visiblelayer.adjustment.invert", u"表示レイヤの色調反転", qgMenu) \
    X(ecVisibleLayer_Transform_Rotate_180, "visiblelayer.transform.rotate.180", u"表示レイヤの 180°回転", qgMenu) \
    X(ecVisibleLayer_Transform_Flip_Horizontal, "visiblelayer.transform.flip.horizontal", u"表示レイヤの左右反転", qgMenu) \
    X(ecVisibleLayer_Transform_Flip_Vertical, "visiblelayer.transform.flip.vertical", u"表示レイヤの上下反転", qgMenu) \
    X(ecLayer_Create_New, "layer.create.new", u"新規レイヤ", qgCreate) \
    X(ecLayer_Create_Paste, "layer.create.paste", u"貼り付け", qgCreate) \
    X(ecLayer_Create_Duplicate, "layer.create.duplicate", u"レイヤを複製", qgCreate) \
    X(ecLayer_Create_Split, "layer.create.split", u"レイヤの分離", qgCreate) \
    X(ecLayer_Delete, "layer.delete", u"レイヤを削除", qgDelete) \
    X(ecLayer_Delete_Link, "layer.delete.link", u"リンクグループの削除", qgDelete) \
    X(ecLayer_Merge_Down, "layer.merge.down", u"下のレイヤと結合", qgMenu) \
    X(ecLayer_Merge_Link, "layer.merge.link", u"下のレイヤと結合", qgMenu) \
    X(ecLayer_Merge_Visible, "layer.merge.visible", u"表示レイヤの結合", qgMenu) \
    X(ecLayer_Property_Activate, "layer.property.activate", u"選択", qgMenu) \
    X(ecLayer_Property_Offset, "layer.property.offset", u"レイヤ移動", qgMoveLayer) \
    X(ecLayer_Property_Crop, "layer.property.crop", u"レイヤの表示範囲外を削除", qgMenu) \
    X(ecLayer_Property_Order, "layer.property.order", u"レイヤの順序", qgMenu) \
    X(ecLayer_Property_Visibility, "layer.property.visibility", u"レイヤの表示", qgMenu) \
    X(ecLayer_Property_Clipping_On, "layer.property.clipping.on", u"下のレイヤでクリッピング", qgMenu) \
    X(ecLayer_Property_Clipping_Off, "layer.property.clipping.off", u"クリッピング解除", qgMenu) \
    X(ecLayer_Property_Clipping_GroupRelease, "layer.property.clipping.group.release", u"クリッピンググループの解除", qgMenu) \
    X(ecLayer_Property_Clipping_Groupbind, "layer.property.clipping.group.bind", u"クリッピンググループの結合", qgMenu) \
    X(ecLayer_Property_Name, "layer.property.name", u"レイヤの名前", qgMenu) \
    X(ecLayer_Property_Blend_Mode, "layer.property.blend.mode", u"レイヤの演算", qgMenu) \
    X(ecLayer_Property_Blend_Opacity, "layer.property.blend.opacity", u"レイヤの不透明度", qgMenu) \
    X(ecLayer_Property_Protect_Alpha, "layer.property.protect.alpha", u"透明部分を保護", qgMenu) \
    X(ecLayer_Property_LinkLevel_Down, "layer.property.linklevel.down", u"下のレイヤとリンク", qgDensity) \
    X(ecLayer_Property_LinkLevel_Up, "layer.property.linklevel.up", u"リンク解除", qgProtectAlpha) \
    X(ecLayer_Property_Link, "layer.property.link", u"レイヤのリンク", qgMenu) \
    X(ecLayer_Property_Unlink, "layer.property.unlink", u"リンク解除", qgMenu) \
    X(ecLayer_Transform_Scale_Layer, "layer.transform.scale.layer", u"レイヤの拡大縮小", qgMenu) \
    X(ecLayer_Transform_Scale_Filter, "layer.transform.scale.filter", u"拡大縮小", qgMenu) \
    X(ecLayer_Transform_Rotate_Layer, "layer.transform.rotate.layer", u"レイヤの回転", qgMenu) \
    X(ecLayer_Transform_Rotate_Filter, "layer.transform.rotate.filter", u"回転", qgMenu) \
    X(ecLayer_Transform_Scale_Layer2, "layer.transform.scale.layer", u"レイヤの拡大縮小", qgMenu) \
    X(ecLayer_Transform_Scale_Filter2, "layer.transform.scale.filter", u"拡大縮小", qgMenu) \
    X(ecLayer_Transform_Rotate_Layer2, "layer.transform.rotate.layer", u"レイヤの回転", qgMenu) \
    X(ecLayer_Transform_Rotate_Filter2, "layer.transform.rotate.filter", u"回転", qgMenu) \
    X(ecLayer_Transform_Rotate_90_Layer, "layer.transform.rotate.90.layer", u"レイヤの 90°回転(時計回り)", qgMenu) \
    X(ecLayer_Transform_Rotate_180, "layer.transform.rotate.180", u"180°回転", qgMenu) \
    X(ecLayer_Transform_Rotate_180_Layer, "layer.transform.rotate.180.layer", u"レイヤの 180°回転", qgMenu) \
    X(ecLayer_Transform_Rotate_180_Filter, "layer.transform.rotate.180.filter", u"180°回転", qgMenu) \
    X(ecLayer_Transform_Rotate_270_Layer, "layer.transform.rotate.270.layer", u"レイヤの 90°回転(反時計回り)", qgMenu) \
    X(ecLayer_Transform_Flip_Horizontal, "layer.transform.flip.horizontal", u"左右反転", qgMenu) \
    X(ecLayer_Transform_Flip_Horizontal_Layer, "layer.transform.flip.horizontal.layer", u"レイヤの左右反転", qgMenu) \
    X(ecLayer_Transform_Flip_Horizontal_Filter, "layer.transform.flip.horizontal.filter", u"左右反転", qgMenu) \
    X(ecLayer_Transform_Flip_Vertical, "layer.transform.flip.vertical", u"上下反転", qgMenu) \
    X(ecLayer_Transform_Flip_Vertical_Layer, "layer.transform.flip.vertical.layer", u"レイヤの上下反転", qgMenu) \
    X(ecLayer_Transform_Flip_Vertical_Filter, "layer.transform.flip.vertical.filter", u"上下反転", qgMenu) \
    X(ecLayer_Transform_PolarCoordinates, "layer.transform.polarcoordinates", u"極座標", qgMenu) \
    X(ecLayer_Transform_PolarCoordinates2, "layer.transform.polarcoordinates", u"極座標", qgMenu) \
    X(ecLayer_Transform_Twist, "layer.transform.twist", u"ねじる", qgMenu) \
    X(ecLayer_Transform_Twirl, "layer.transform.twirl", u"渦巻き", qgMenu) \
    X(ecLayer_Transform_Wave, "layer.transform.wave", u"波", qgMenu) \
    X(ecLayer_Transform_Floor, "layer.transform.floor", u"", qgMenu) \
    X(ecLayer_Transform_Floor2, "layer.transform.floor", u"床", qgMenu) \
    X(ecLayer_Transform_Free, "layer.transform.free", u"画像の自由変形", qgMenu) \
    X(ecLayer_Transform_BothFree, "layer.transform.bothfree", u"画像と選択範囲の自由変形", qgMenu) \
    X(ecLayer_Fill_Color, "layer.fill.color", u"塗りつぶし", qgMenu) \
    X(ecLayer_Fill_Gradient, "layer.fill.gradient", u"グラデーション", qgGradient) \
    X(ecLayer_Fill_Seed, "layer.fill.seed", u"塗りつぶし", qgSeedFill) \
    X(ecLayer_Fill_Flood, "layer.fill.flood", u"塗りつぶし", qgSeedFill) \
    X(ecLayer_Erase_Cut, "layer.erase.cut", u"レイヤの切り取り", qgMenu) \
    X(ecLayer_Erase_Clear, "layer.erase.clear", u"削除", qgMenu) \
    X(ecLayer_Erase_Seed, "layer.erase.seed", u"マジック消しゴム", qgSeedEraser) \
    X(ecLayer_Erase_Flood, "layer.erase.flood", u"マジック消しゴム", qgSeedEraser) \
    X(ecLayer_Figure_Rectangle, "layer.figure.rectangle", u"矩形塗りつぶし", qgFillRectangle) \
    X(ecLayer_Figure_Ellipse, "layer.figure.ellipse", u"楕円塗りつぶし", qgFillEllipse) \
    X(ecLayer_Figure_Polygon, "layer.figure.polygon", u"多角形塗りつぶし", qgFillPolygon) \
    X(ecLayer_Figure_Text, "layer.figure.text", u"文字描画", qgFillText) \
    X(ecLayer_Draw_Stroke, "layer.draw.stroke", u"ストローク", qgDrawLocus) \
    X(ecLayer_Draw_Tiles, "layer.draw.tiles", u"タイル", qgMenu) \
    X(ecLayer_Draw_Clouds, "layer.draw.clouds", u"雲模様", qgMenu) \
    X(ecLayer_Draw_CloudsRocks, "layer.draw.cloudsrocks", u"雲模様・岩模様", qgMenu) \
    X(ecLayer_Draw_Plasma, "layer.draw.plasma", u"プラズマ", qgMenu) \
    X(ecLayer_Adjustment_Invert_Layer, "layer.adjustment.invert.layer", u"色調反転", qgMenu) \
    X(ecLayer_Adjustment_Invert_Filter, "layer.adjustment.invert.filter", u"色調反転", qgMenu) \
    X(ecLayer_Adjustment_Levels, "layer.adjustment.levels", u"レベル補正", qgMenu) \
    X(ecLayer_Adjustment_ColorBalance_Gamma, "layer.adjustment.colorbalance.gamma", u"ガンマ補正", qgMenu) \
    X(ecLayer_Adjustment_ColorBalance_Color, "layer.adjustment.colorbalance.color", u"カラーバランス", qgMenu) \
    X(ecLayer_Adjustment_BrightnessContrast, "layer.adjustment.brightnesscontrast", u"明るさ・コントラスト", qgMenu) \
    X(ecLayer_Adjustment_Solarize, "layer.adjustment.solarize", u"ソラリゼーション", qgMenu) \
    X(ecLayer_Adjustment_Posterize, "layer.adjustment.posterize", u"ポスタリゼーション", qgMenu) \
    X(ecLayer_Adjustment_HueSaturation, "layer.adjustment.huesaturation", u"色相・彩度", qgMenu) \
    X(ecLayer_Adjustment_GradientMap, "layer.adjustment.gradientmap", u"グラデーションマップ", qgMenu) \
    X(ecLayer_Adjustment_Grayscale, "layer.adjustment.grayscale", u"グレースケール", qgMenu) \
    X(ecLayer_Adjustment_Binarize, "layer.adjustment.binarize", u"モノクロ2階調", qgMenu) \
    X(ecLayer_Filter_Blur, "layer.filter.blur", u"ぼかし", qgMenu) \
    X(ecLayer_Filter_Blur_More, "layer.filter.blur.more", u"ぼかし(強)", qgMenu) \
    X(ecLayer_Filter_Blur_MotionBlur, "layer.filter.blur.motionblur", u"ぼかし(移動)", qgMenu) \
    X(ecLayer_Filter_Blur_RadialBlur, "layer.filter.blur.radialblur", u"ぼかし(ズーム)", qgMenu) \
    X(ecLayer_Filter_Blur_GaussianBlur, "layer.filter.blur.gaussianblur", u"ぼかし(ガウス)", qgMenu) \
    X(ecLayer_Filter_Sharpen, "layer.filter.sharpen", u"シャープ", qgMenu) \
    X(ecLayer_Filter_Sharpen_More, "layer.filter.sharpen.more", u"シャープ(強)", qgMenu) \
    X(ecLayer_Filter_Sharpen_Custom, "layer.filter.sharpen.custom", u"シャープ(カスタム)", qgMenu) \
    X(ecLayer_Filter_Custom, "layer.filter.custom", u"カスタム", qgMenu) \
    X(ecLayer_Filter_FindEdges, "layer.filter.findedges", u"輪郭検出", qgMenu) \
    X(ecLayer_Filter_Noise, "layer.filter.noise", u"ノイズ", qgMenu) \
    X(ecLayer_Filter_Emboss, "layer.filter.emboss", u"エンボス", qgMenu) \
    X(ecLayer_Filter_Diffuse, "layer.filter.diffuse", u"拡散", qgMenu) \
    X(ecLayer_Filter_Mosaic, "layer.filter.mosaic", u"モザイク", qgMenu) \
    X(ecLayer_Filter_Median, "layer.filter.median", u"明るさの中間値", qgMenu) \
    X(ecLayer_Filter_Lighting, "layer.filter.lighting", u"照明", qgMenu) \
    X(ecLayer_Filter_ColorHalftone, "layer.filter.colorhalftone", u"カラーハーフトーン", qgMenu) \
    X(ecLayer_Alpha_Fill, "layer.alpha.fill", u"透明部分の塗りつぶし", qgMenu) \
    X(ecLayer_Alpha_Invert, "layer.alpha.invert", u"透明部分を反転", qgMenu) \
    X(ecLayer_Alpha_ViaSelection, "layer.alpha.viaselection", u"透明部分を選択範囲で置き換え", qgMenu) \
    X(ecLayer_Alpha_ViaDensity, "layer.alpha.viadensity", u"輝度 -> 透明度", qgMenu) \
    X(ecMask_Create_New, "mask.create.new", u"新規マスク", qgCreate) \
    X(ecMask_Create_ViaLayer, "mask.create.vialayer", u"レイヤからマスクを作成", qgCreate) \
    X(ecMask_Create_Duplicate, "mask.create.duplicate", u"マスクの複製", qgCreate) \
    X(ecMask_Delete, "mask.delete", u"マスクの削除", qgDelete) \
    X(ecMask_Merge, "mask.merge", u"マスクの合成", qgMenu) \
    X(ecMask_Property_Offset, "mask.property.offset", u"マスクの移動", qgMenu) \
    X(ecMask_Property_Crop, "mask.property.crop", u"マスクの表示範囲外を削除", qgMenu) \
    X(ecMask_Property_Order, "mask.property.order", u"マスクの順序", qgMenu) \
    X(ecMask_Property_Name, "mask.property.name", u"マスクの名前", qgMenu) \
    X(ecMask_Property_Activate, "mask.property.activate", u"選択", qgMenu) \
    X(ecMask_Property_Enabled, "mask.property.enabled", u"選択範囲を使用", qgMenu) \
    X(ecMask_Fill_All, "mask.fill.all", u"すべて選択", qgMenu) \
    X(ecMask_Fill_None, "mask.fill.none", u"選択解除", qgMenu) \
    X(ecMask_Fill_Seed, "mask.fill.seed", u"自動選択", qgMagicWand) \
    X(ecMask_Fill_Flood, "mask.fill.flood", u"自動選択", qgMagicWand) \
    X(ecMask_Fill_ColorRange, "mask.fill.colorrange", u"色域指定", qgMenu) \
    X(ecMask_Figure_Rectangle, "mask.figure.rectangle", u"矩形選択", qgSelectRectangle) \
    X(ecMask_Figure_Ellipse, "mask.figure.ellipse", u"楕円選択", qgSelectEllipse) \
    X(ecMask_Figure_Polygon, "mask.figure.polygon", u"多角形選択", qgSelectPolygon) \
    X(ecMask_Figure_Text, "mask.figure.text", u"文字選択", qgSelectText) \
    X(ecMask_Filter_Inflate, "mask.filter.inflate", u"選択範囲の拡張", qgMenu) \
    X(ecMask_Filter_Deflate, "mask.filter.deflate", u"選択範囲の縮小", qgMenu) \
    X(ecMask_Adjustment_Invert, "mask.adjustment.invert", u"選択範囲の反転", qgMenu) \
    X(ecMask_Transform_Free, "mask.transform", u"選択範囲の自由変形", qgMenu) \
    X(ecVisibility_Layer_All, "visibility.layer.all", u"すべてのレイヤの表示", qgMenu) \
    X(ecVisibility_Layer_Only, "visibility.layer.only", u"指定したレイヤのみ表示", qgMenu) \
    X(ecVisibility_Layer_Flip, "visibility.layer.flip", u"レイヤの表示状態の反転", qgMenu) \
    X(ecVisibility_Selection_Walkants, "visibility.selection.walkants", u"選択範囲の境界線", qgMenu)
// clang-format on

enum class TEventCode : uint8_t
{
#define KAVRIN_EVENT_CODE_ENUM(name, dotted, display, glyph) name,
    KAVRIN_EVENT_CODES(KAVRIN_EVENT_CODE_ENUM)
#undef KAVRIN_EVENT_CODE_ENUM
};

inline constexpr int kEventCodeCount = 153;
static_assert(int(TEventCode::ecVisibility_Selection_Walkants) + 1 == kEventCodeCount);
static_assert(int(TEventCode::ecLayer_Draw_Stroke) == 87 &&
              int(TEventCode::ecMask_Create_New) == 125);

// The dotted names, indexed by the code.
extern const char *const gEventCodeDotNames[kEventCodeCount];
// The display names, indexed by the code (empty for ecNop and ecLayer_Transform_Floor).
extern const char16_t *const gEventCodeNames[kEventCodeCount];
// The glyphs, indexed by the code.
extern const TqZGlyphType gEventCodeGlyphs[kEventCodeCount];

// The code of a packet header; ecNop for status, information and stroke-begin packets and for
// headers not listed. Filter groups 32-35 and 38 share one table keyed by the code alone; groups
// 17 and 18 give ecLayer_Draw_Stroke for any code.
TEventCode packetToEventCode(uint8_t group, uint8_t code);
inline TEventCode packetToEventCode(SEventHdr hdr)
{
    return packetToEventCode(hdr.group, hdr.code);
}
// The code of a version-1.1 instruction; ecNop for instructions not listed.
TEventCode oldEventToEventCode(int16_t inst);

// The display name; empty for ecNop, for codes without a name and for values outside the enum.
QString getEventCodeName(TEventCode code);
// The dotted name; empty outside the enum.
const char *getEventCodeDotName(TEventCode code);
// The glyph; qgMenu outside the enum.
TqZGlyphType getEventCodeGlyph(TEventCode code);

// Zeroes fc and sets its target, eachLen, count and allLen = eachLen x count (the head of a
// group-38 filter packet).
void initFilterComplex(SEvFilterComplex &fc, uint16_t layer, uint16_t select, uint16_t eachLen,
                       uint16_t count);
// Zeroes dst and fills kind, map, rep and repCnt from a gradient attribute record and slotlen from
// the argument (0 for status 5, the stops' byte count for status 40).
void gradTypeFromAttr(SEvGradType &dst, const SGradAttr &attr, uint16_t slotlen);
