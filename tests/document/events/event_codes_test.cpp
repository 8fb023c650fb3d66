#include "document/events/event_codes.h"

#include "paint/gradient/gradient_stops.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>

namespace {

using E = TEventCode;

// The enumerators' own names, to check the dotted names against them.
const char *const kEnumNames[] = {
#define EVENT_CODE_ENUM_NAME(name, dotted, display, glyph) #name,
    KAVRIN_EVENT_CODES(EVENT_CODE_ENUM_NAME)
#undef EVENT_CODE_ENUM_NAME
};

// "ec" dropped, lower case, underscores as dots.
std::string dottedFromEnumerator(const char *name)
{
    std::string s(name + 2);
    for (char &c : s)
        c = c == '_' ? '.' : char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

TEST(EventCodes, PacketHeadersGiveTheirCodes)
{
    struct Case
    {
        uint8_t group, code;
        TEventCode expected;
    };
    const Case cases[] = {
        {2, 254, E::ecEvent_Begin},
        {2, 255, E::ecEvent_End},
        {2, 8, E::ecImage_Create_New},
        {2, 12, E::ecImage_Transform_Scale2},
        {0, 0, E::ecNop},
        {0, 37, E::ecNop},
        {1, 17, E::ecNop},
        {48, 0, E::ecNop},
        {80, 0, E::ecNop},
        {17, 0, E::ecLayer_Draw_Stroke},
        {18, 5, E::ecLayer_Draw_Stroke},
        {4, 0, E::ecLayer_Create_New},
        {4, 67, E::ecLayer_Property_Offset},
        {4, 68, E::ecNop},
        {5, 1, E::ecLayer_Property_LinkLevel_Up},
        {6, 5, E::ecLayer_Fill_Color},
        {10, 32, E::ecMask_Transform_Free},
        {12, 5, E::ecImage_Create_Open},
        {12, 6, E::ecNop},
        {13, 32, E::ecMask_Fill_ColorRange},
        {33, 69, E::ecLayer_Transform_Wave},
        {33, 80, E::ecLayer_Transform_Wave},
        {33, 85, E::ecLayer_Transform_Wave},
        {38, 99, E::ecLayer_Transform_Floor2},
        {38, 5, E::ecNop},
        {7, 0, E::ecNop},
    };
    for (const Case &c : cases)
        EXPECT_EQ(packetToEventCode(c.group, c.code), c.expected)
            << int(c.group) << "/" << int(c.code);
}

TEST(EventCodes, AFilterCodeGivesOneCodeInEveryFilterGroup)
{
    for (int code = 0; code < 256; ++code) {
        const TEventCode inFirst = packetToEventCode(32, uint8_t(code));
        for (uint8_t group : {33, 34, 35, 38})
            EXPECT_EQ(packetToEventCode(group, uint8_t(code)), inFirst)
                << int(group) << "/" << code;
    }
    for (uint8_t group : {32, 33, 34, 35, 38})
        EXPECT_EQ(packetToEventCode(group, 39), E::ecLayer_Filter_Lighting);
}

TEST(EventCodes, OlderInstructionsGiveTheirCodes)
{
    struct Case
    {
        int16_t inst;
        TEventCode expected;
    };
    const Case cases[] = {
        {-1, E::ecEvent_End},
        {0, E::ecLayer_Draw_Stroke},
        {4, E::ecLayer_Draw_Stroke},
        {305, E::ecLayer_Draw_Stroke},
        {520, E::ecImage_Create_New},
        {512, E::ecImage_Create_New},
        {272, E::ecEvent_Undo},
        {297, E::ecLayer_Figure_Polygon},
        {531, E::ecVisibleLayer_Adjustment_Invert},
        {5, E::ecNop},
        {306, E::ecNop},
        {-2, E::ecNop},
        {32767, E::ecNop},
    };
    for (const Case &c : cases)
        EXPECT_EQ(oldEventToEventCode(c.inst), c.expected) << c.inst;
}

TEST(EventCodes, DisplayNamesAndGlyphs)
{
    EXPECT_TRUE(getEventCodeName(E::ecNop).isEmpty());
    EXPECT_TRUE(getEventCodeName(E::ecLayer_Transform_Floor).isEmpty());
    EXPECT_EQ(getEventCodeName(E::ecLayer_Transform_Scale_Layer),
              QStringLiteral(u"レイヤの拡大縮小"));
    EXPECT_EQ(getEventCodeName(E::ecLayer_Transform_Scale_Layer2),
              QStringLiteral(u"レイヤの拡大縮小"));
    EXPECT_EQ(getEventCodeName(E::ecLayer_Property_LinkLevel_Up),
              getEventCodeName(E::ecLayer_Property_Unlink));
    EXPECT_EQ(getEventCodeName(E::ecVisibility_Selection_Walkants),
              QStringLiteral(u"選択範囲の境界線"));
    EXPECT_EQ(getEventCodeGlyph(E::ecLayer_Draw_Stroke), TqZGlyphType::qgDrawLocus);
    EXPECT_EQ(getEventCodeGlyph(E::ecLayer_Property_LinkLevel_Down), TqZGlyphType::qgDensity);
    EXPECT_EQ(getEventCodeGlyph(E::ecLayer_Property_LinkLevel_Up), TqZGlyphType::qgProtectAlpha);
    EXPECT_EQ(getEventCodeGlyph(E::ecMask_Figure_Text), TqZGlyphType::qgSelectText);
    // Values past the enumeration read as nothing, never past the tables.
    EXPECT_TRUE(getEventCodeName(TEventCode(200)).isEmpty());
    EXPECT_STREQ(getEventCodeDotName(TEventCode(153)), "");
    EXPECT_EQ(getEventCodeGlyph(TEventCode(255)), TqZGlyphType::qgMenu);
}

TEST(EventCodes, DottedNamesFollowTheEnumeratorsExceptTheNamedOnes)
{
    EXPECT_STREQ(getEventCodeDotName(E::ecImage_Transform_Scale), "image.transform.scale");
    EXPECT_STREQ(getEventCodeDotName(E::ecImage_Transform_Scale2), "image.transform.scale");
    EXPECT_STREQ(getEventCodeDotName(E::ecNop), "");
    // Numbered variants share their base's name; the others differ from the rule as listed.
    const std::map<TEventCode, std::string> exceptions = {
        {E::ecNop, ""},
        {E::ecLayer_Property_Clipping_GroupRelease, "layer.property.clipping.group.release"},
        {E::ecLayer_Property_Clipping_Groupbind, "layer.property.clipping.group.bind"},
        {E::ecMask_Transform_Free, "mask.transform"},
    };
    for (int i = 0; i < kEventCodeCount; ++i) {
        const TEventCode code = TEventCode(i);
        std::string expected = dottedFromEnumerator(kEnumNames[i]);
        if (expected.back() == '2')
            expected.pop_back();
        if (auto it = exceptions.find(code); it != exceptions.end())
            expected = it->second;
        EXPECT_EQ(gEventCodeDotNames[i], expected) << kEnumNames[i];
    }
}

TEST(EventCodes, RecordHelpersFillTheirHeads)
{
    SEvFilterComplex fc;
    std::memset(static_cast<void *>(&fc), 0xAB, sizeof fc);
    initFilterComplex(fc, 3, 0xFFFF, 63, 1);
    EXPECT_EQ(fc.layer, 3);
    EXPECT_EQ(fc.select, 0xFFFF);
    EXPECT_EQ(fc.eachLen, 63);
    EXPECT_EQ(fc.count, 1);
    EXPECT_EQ(fc.allLen, 63);
    EXPECT_EQ(fc.resv0, 0u);
    EXPECT_EQ(fc.data7.all, 0);

    SGradAttr attr;
    attr.gradType = gtGrade;
    attr.gradMap = gmReturn;
    attr.gradRep = grEndless;
    attr.gradRepCnt = 7;
    SEvGradType gt;
    std::memset(static_cast<void *>(&gt), 0xAB, sizeof gt);
    gradTypeFromAttr(gt, attr, 48);
    const uint8_t expected[12] = {2, 1, 1, 0, 7, 0, 48, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&gt, expected, 12), 0);
}
