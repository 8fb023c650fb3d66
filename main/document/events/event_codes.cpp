#include "document/events/event_codes.h"

#include "paint/gradient/gradient_stops.h"

#include <array>
#include <cstring>

const char *const gEventCodeDotNames[kEventCodeCount] = {
#define KAVRIN_EVENT_CODE_DOT(name, dotted, display, glyph) dotted,
    KAVRIN_EVENT_CODES(KAVRIN_EVENT_CODE_DOT)
#undef KAVRIN_EVENT_CODE_DOT
};

const char16_t *const gEventCodeNames[kEventCodeCount] = {
#define KAVRIN_EVENT_CODE_NAME(name, dotted, display, glyph) display,
    KAVRIN_EVENT_CODES(KAVRIN_EVENT_CODE_NAME)
#undef KAVRIN_EVENT_CODE_NAME
};

const TqZGlyphType gEventCodeGlyphs[kEventCodeCount] = {
#define KAVRIN_EVENT_CODE_GLYPH(name, dotted, display, glyph) TqZGlyphType::glyph,
    KAVRIN_EVENT_CODES(KAVRIN_EVENT_CODE_GLYPH)
#undef KAVRIN_EVENT_CODE_GLYPH
};

namespace {

using E = TEventCode;

struct SCodeRow
{
    uint8_t code;
    TEventCode ec;
};

// clang-format off
constexpr SCodeRow kDocumentCodes[] = {
    {0, E::ecImage_Create_New}, {1, E::ecImage_Property_Color}, {2, E::ecImage_Property_Size},
    {3, E::ecImage_Transform_Scale}, {4, E::ecImage_Transform_Rotate_90},
    {5, E::ecImage_Transform_Rotate_270}, {6, E::ecImage_Property_Size_Crop},
    {7, E::ecLayer_Merge_Visible}, {8, E::ecImage_Create_New}, {9, E::ecImage_Transform_Scale},
    {10, E::ecLayer_Merge_Visible},
    // The crop that records its version is the same operation as the first crop.
    {11, E::ecImage_Property_Size_Crop}, {12, E::ecImage_Transform_Scale2},
    {16, E::ecVisibleLayer_Transform_Flip_Horizontal},
    {17, E::ecVisibleLayer_Transform_Flip_Vertical}, {18, E::ecVisibleLayer_Transform_Rotate_180},
    {19, E::ecVisibleLayer_Adjustment_Invert}, {24, E::ecVisibility_Layer_All},
    {25, E::ecVisibility_Layer_Only}, {26, E::ecVisibility_Layer_Flip},
    {32, E::ecImage_Transform_Flip_Horizontal}, {33, E::ecImage_Transform_Flip_Vertical},
    {34, E::ecImage_Transform_Rotate_180}, {35, E::ecImage_Adjustment_Invert},
    {254, E::ecEvent_Begin}, {255, E::ecEvent_End},
};
constexpr SCodeRow kLayerCodes[] = {
    {0, E::ecLayer_Create_New}, {1, E::ecLayer_Delete}, {2, E::ecLayer_Erase_Clear},
    {3, E::ecLayer_Create_Duplicate}, {4, E::ecLayer_Property_Order}, {5, E::ecLayer_Merge_Down},
    {6, E::ecLayer_Property_Offset}, {7, E::ecLayer_Property_Offset}, {8, E::ecLayer_Property_Crop},
    {9, E::ecLayer_Erase_Cut}, {10, E::ecLayer_Merge_Down}, {11, E::ecLayer_Create_New},
    {12, E::ecLayer_Property_Offset}, {13, E::ecLayer_Property_Offset}, {14, E::ecLayer_Create_New},
    {16, E::ecLayer_Property_Blend_Mode}, {17, E::ecLayer_Property_Blend_Opacity},
    {18, E::ecLayer_Property_Visibility}, {19, E::ecLayer_Property_Name},
    {20, E::ecLayer_Property_Protect_Alpha}, {21, E::ecLayer_Property_Blend_Mode},
    {24, E::ecLayer_Alpha_Fill}, {25, E::ecLayer_Alpha_Invert}, {26, E::ecLayer_Property_Name},
    {32, E::ecLayer_Transform_Flip_Horizontal_Layer},
    {33, E::ecLayer_Transform_Flip_Vertical_Layer}, {34, E::ecLayer_Transform_Rotate_180_Layer},
    {35, E::ecLayer_Adjustment_Invert_Layer}, {36, E::ecLayer_Transform_Rotate_90_Layer},
    {37, E::ecLayer_Transform_Rotate_270_Layer}, {38, E::ecLayer_Transform_Rotate_Layer},
    {39, E::ecLayer_Transform_Scale_Layer}, {40, E::ecLayer_Transform_Rotate_Layer2},
    {41, E::ecLayer_Transform_Scale_Layer2}, {48, E::ecLayer_Transform_Flip_Horizontal},
    {49, E::ecLayer_Transform_Flip_Vertical}, {50, E::ecLayer_Transform_Rotate_180},
    {51, E::ecLayer_Adjustment_Invert_Filter}, {52, E::ecLayer_Property_Clipping_On},
    {53, E::ecLayer_Property_Clipping_Off}, {54, E::ecLayer_Property_Clipping_GroupRelease},
    {55, E::ecLayer_Property_Clipping_Groupbind}, {56, E::ecLayer_Transform_Free},
    {57, E::ecLayer_Transform_BothFree}, {64, E::ecLayer_Property_Link},
    {65, E::ecLayer_Property_Unlink}, {66, E::ecLayer_Property_Offset},
    {67, E::ecLayer_Property_Offset},
};
constexpr SCodeRow kLinkCodes[] = {
    {0, E::ecLayer_Property_LinkLevel_Down}, {1, E::ecLayer_Property_LinkLevel_Up},
    {8, E::ecLayer_Delete}, {9, E::ecLayer_Property_Offset}, {10, E::ecLayer_Property_Offset},
    {11, E::ecLayer_Property_Order}, {12, E::ecLayer_Merge_Link}, {13, E::ecLayer_Delete_Link},
    {16, E::ecLayer_Property_Visibility},
};
constexpr SCodeRow kFillCodes[] = {
    {0, E::ecLayer_Fill_Color}, {1, E::ecLayer_Figure_Rectangle}, {2, E::ecLayer_Fill_Gradient},
    {3, E::ecLayer_Figure_Ellipse}, {4, E::ecLayer_Figure_Polygon}, {5, E::ecLayer_Fill_Color},
    {6, E::ecLayer_Figure_Ellipse}, {7, E::ecLayer_Fill_Flood}, {8, E::ecLayer_Erase_Flood},
    {9, E::ecMask_Fill_Flood},
};
constexpr SCodeRow kMaskCodes[] = {
    {0, E::ecMask_Create_New}, {1, E::ecMask_Fill_None}, {2, E::ecMask_Delete},
    {3, E::ecMask_Adjustment_Invert}, {4, E::ecMask_Create_Duplicate},
    {5, E::ecMask_Property_Activate}, {6, E::ecMask_Property_Crop}, {7, E::ecMask_Property_Offset},
    {8, E::ecMask_Property_Order}, {9, E::ecMask_Merge}, {10, E::ecMask_Filter_Inflate},
    {11, E::ecLayer_Create_Split}, {12, E::ecMask_Property_Name},
    {13, E::ecVisibility_Selection_Walkants}, {14, E::ecMask_Property_Enabled},
    {15, E::ecMask_Property_Name}, {16, E::ecMask_Figure_Rectangle}, {17, E::ecMask_Figure_Ellipse},
    {18, E::ecMask_Figure_Polygon}, {19, E::ecMask_Figure_Ellipse}, {20, E::ecMask_Fill_All},
    {21, E::ecLayer_Alpha_ViaSelection}, {22, E::ecMask_Create_ViaLayer},
    {24, E::ecLayer_Create_Split}, {25, E::ecMask_Filter_Inflate}, {26, E::ecMask_Filter_Deflate},
    {32, E::ecMask_Transform_Free},
};
constexpr SCodeRow kImageCodes[] = {
    {0, E::ecLayer_Create_Paste}, {1, E::ecLayer_Create_Paste}, {2, E::ecImage_Create_Open},
    {3, E::ecLayer_Create_Paste}, {4, E::ecLayer_Create_Paste}, {5, E::ecImage_Create_Open},
};
constexpr SCodeRow kCoverageCodes[] = {
    {0, E::ecLayer_Fill_Seed}, {1, E::ecMask_Fill_Seed}, {2, E::ecLayer_Fill_Seed},
    {3, E::ecMask_Fill_Seed}, {4, E::ecLayer_Erase_Seed}, {5, E::ecLayer_Erase_Seed},
    {16, E::ecLayer_Figure_Text}, {17, E::ecMask_Figure_Text}, {32, E::ecMask_Fill_ColorRange},
};
constexpr SCodeRow kFilterCodes[] = {
    {0, E::ecLayer_Filter_Blur}, {1, E::ecLayer_Filter_Blur_More},
    {2, E::ecLayer_Filter_Blur_MotionBlur}, {3, E::ecLayer_Filter_Blur_RadialBlur},
    {4, E::ecLayer_Filter_Blur_MotionBlur}, {8, E::ecLayer_Filter_Sharpen},
    {9, E::ecLayer_Filter_Sharpen_More}, {10, E::ecLayer_Filter_Sharpen_Custom},
    {12, E::ecLayer_Filter_Sharpen}, {13, E::ecLayer_Filter_Sharpen_More},
    {14, E::ecLayer_Filter_Sharpen_Custom}, {16, E::ecLayer_Adjustment_Levels},
    {17, E::ecLayer_Adjustment_ColorBalance_Gamma}, {18, E::ecLayer_Adjustment_BrightnessContrast},
    {19, E::ecLayer_Adjustment_HueSaturation}, {20, E::ecLayer_Adjustment_Grayscale},
    {21, E::ecLayer_Adjustment_Posterize}, {22, E::ecLayer_Filter_Noise},
    {23, E::ecLayer_Filter_Mosaic}, {24, E::ecLayer_Adjustment_ColorBalance_Color},
    {25, E::ecLayer_Filter_Noise}, {26, E::ecLayer_Filter_Mosaic},
    {27, E::ecLayer_Adjustment_Posterize}, {32, E::ecLayer_Filter_Blur_GaussianBlur},
    {33, E::ecLayer_Transform_Twist}, {34, E::ecLayer_Filter_Emboss},
    {35, E::ecLayer_Transform_Wave}, {36, E::ecLayer_Draw_Tiles}, {37, E::ecLayer_Draw_CloudsRocks},
    {38, E::ecLayer_Draw_CloudsRocks}, {39, E::ecLayer_Filter_Lighting},
    {40, E::ecLayer_Transform_Floor}, {48, E::ecLayer_Filter_ColorHalftone},
    {49, E::ecLayer_Adjustment_Binarize}, {50, E::ecLayer_Filter_Emboss},
    {51, E::ecLayer_Filter_Custom}, {52, E::ecLayer_Alpha_ViaDensity},
    {53, E::ecLayer_Filter_FindEdges}, {54, E::ecLayer_Adjustment_GradientMap},
    {55, E::ecLayer_Transform_PolarCoordinates}, {56, E::ecLayer_Adjustment_Solarize},
    {57, E::ecLayer_Transform_Scale_Filter}, {58, E::ecLayer_Transform_Rotate_Filter},
    {59, E::ecLayer_Filter_Diffuse}, {60, E::ecLayer_Adjustment_Levels},
    {61, E::ecLayer_Adjustment_HueSaturation}, {62, E::ecLayer_Adjustment_BrightnessContrast},
    {63, E::ecLayer_Alpha_ViaDensity}, {64, E::ecLayer_Filter_Blur},
    {65, E::ecLayer_Filter_Blur_More}, {66, E::ecLayer_Filter_Blur_RadialBlur},
    {67, E::ecLayer_Filter_Blur_GaussianBlur}, {68, E::ecLayer_Transform_Twirl},
    {69, E::ecLayer_Transform_Wave}, {70, E::ecLayer_Draw_Clouds}, {71, E::ecLayer_Draw_Plasma},
    {72, E::ecLayer_Draw_CloudsRocks}, {73, E::ecLayer_Draw_Tiles},
    {74, E::ecLayer_Filter_Lighting}, {80, E::ecLayer_Transform_Wave},
    {81, E::ecLayer_Adjustment_Invert_Filter}, {82, E::ecLayer_Transform_Flip_Horizontal_Filter},
    {83, E::ecLayer_Transform_Flip_Vertical_Filter}, {84, E::ecLayer_Transform_Rotate_180_Filter},
    {85, E::ecLayer_Transform_Wave}, {86, E::ecLayer_Filter_Median},
    {87, E::ecLayer_Adjustment_Grayscale}, {96, E::ecLayer_Transform_Scale_Filter2},
    {97, E::ecLayer_Transform_Rotate_Filter2}, {98, E::ecLayer_Transform_PolarCoordinates2},
    {99, E::ecLayer_Transform_Floor2},
};
// clang-format on

using CodeTable = std::array<TEventCode, 256>;

template <size_t N> constexpr CodeTable codeTable(const SCodeRow (&rows)[N])
{
    CodeTable t{};
    t.fill(E::ecNop);
    for (const SCodeRow &r : rows)
        t[r.code] = r.ec;
    return t;
}

constexpr CodeTable kDocument = codeTable(kDocumentCodes);
constexpr CodeTable kLayer = codeTable(kLayerCodes);
constexpr CodeTable kLink = codeTable(kLinkCodes);
constexpr CodeTable kFill = codeTable(kFillCodes);
constexpr CodeTable kMask = codeTable(kMaskCodes);
constexpr CodeTable kImage = codeTable(kImageCodes);
constexpr CodeTable kCoverage = codeTable(kCoverageCodes);
constexpr CodeTable kFilter = codeTable(kFilterCodes);

bool inEnum(TEventCode code)
{
    return int(code) < kEventCodeCount;
}

} // namespace

TEventCode packetToEventCode(uint8_t group, uint8_t code)
{
    switch (group) {
    case 2:
        return kDocument[code];
    case 4:
        return kLayer[code];
    case 5:
        return kLink[code];
    case 6:
        return kFill[code];
    case 10:
        return kMask[code];
    case 12:
        return kImage[code];
    case 13:
        return kCoverage[code];
    case 17:
    case 18:
        return E::ecLayer_Draw_Stroke;
    case 32:
    case 33:
    case 34:
    case 35:
    case 38:
        return kFilter[code];
    default:
        return E::ecNop;
    }
}

TEventCode oldEventToEventCode(int16_t inst)
{
    switch (inst) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 305:
        return E::ecLayer_Draw_Stroke;
    case 256:
        return E::ecLayer_Create_New;
    case 257:
        return E::ecLayer_Delete;
    case 258:
        return E::ecLayer_Merge_Visible;
    case 259:
        return E::ecLayer_Create_Duplicate;
    case 260:
        return E::ecLayer_Property_Order;
    case 261:
        return E::ecLayer_Merge_Down;
    case 272:
        return E::ecEvent_Undo;
    case 273:
        return E::ecLayer_Property_Activate;
    case 274:
    case 277:
        return E::ecLayer_Property_Visibility;
    case 275:
        return E::ecLayer_Property_Blend_Opacity;
    case 276:
        return E::ecLayer_Property_Blend_Mode;
    case 288:
        return E::ecLayer_Transform_Flip_Vertical_Layer;
    case 289:
        return E::ecLayer_Transform_Flip_Horizontal_Layer;
    case 290:
        return E::ecLayer_Transform_Rotate_180_Layer;
    case 291:
        return E::ecLayer_Adjustment_Invert_Layer;
    case 292:
        return E::ecLayer_Erase_Clear;
    case 293:
        return E::ecLayer_Fill_Color;
    case 294:
        return E::ecLayer_Property_Offset;
    case 295:
    case 296:
        return E::ecLayer_Figure_Rectangle;
    case 297:
    case 304:
        return E::ecLayer_Figure_Polygon;
    case 512:
    case 520:
        return E::ecImage_Create_New;
    case 513:
        return E::ecImage_Property_Color;
    case 514:
        return E::ecImage_Property_Size;
    case 515:
        return E::ecImage_Transform_Scale;
    case 516:
        return E::ecImage_Transform_Rotate_90;
    case 517:
        return E::ecImage_Transform_Rotate_270;
    case 528:
        return E::ecVisibleLayer_Transform_Flip_Vertical;
    case 529:
        return E::ecVisibleLayer_Transform_Flip_Horizontal;
    case 530:
        return E::ecVisibleLayer_Transform_Rotate_180;
    case 531:
        return E::ecVisibleLayer_Adjustment_Invert;
    case -1:
        return E::ecEvent_End;
    default:
        return E::ecNop;
    }
}

QString getEventCodeName(TEventCode code)
{
    return inEnum(code) ? QString::fromUtf16(gEventCodeNames[int(code)]) : QString();
}

const char *getEventCodeDotName(TEventCode code)
{
    return inEnum(code) ? gEventCodeDotNames[int(code)] : "";
}

TqZGlyphType getEventCodeGlyph(TEventCode code)
{
    return inEnum(code) ? gEventCodeGlyphs[int(code)] : TqZGlyphType::qgMenu;
}

void initFilterComplex(SEvFilterComplex &fc, uint16_t layer, uint16_t select, uint16_t eachLen,
                       uint16_t count)
{
    fc = SEvFilterComplex{};
    fc.layer = layer;
    fc.select = select;
    fc.eachLen = eachLen;
    fc.count = count;
    // The stored field is 16 bits: the product is cut to them, so callers keep it below 65536.
    fc.allLen = uint16_t(uint32_t(eachLen) * count);
}

void gradTypeFromAttr(SEvGradType &dst, const SGradAttr &attr, uint16_t slotlen)
{
    dst = SEvGradType{};
    dst.kind = attr.gradType;
    dst.map = attr.gradMap;
    dst.rep = attr.gradRep;
    dst.repCnt = uint16_t(attr.gradRepCnt);
    dst.slotlen = slotlen;
}
