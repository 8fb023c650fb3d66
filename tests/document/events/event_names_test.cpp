// Every operation a recording can hold has a name to show: each command header the packet
// catalogue accepts names an operation with a dotted name, and each instruction of the
// version-1.1 stream has a name of its own (the dump of either kind of recording prints them).
#include "document/events/event_codes.h"
#include "document/events/event_packets.h"
#include "document/events/legacy_event_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Groups whose packets are played as the command of a step: not the status and information
// packets (read and kept), nor the stroke beginnings (a step of a stroke ends on its points).
bool isCommandGroup(uint8_t group)
{
    switch (group) {
    case 2:
    case 4:
    case 5:
    case 6:
    case 10:
    case 12:
    case 13:
    case 17:
    case 18:
    case 32:
    case 33:
    case 34:
    case 35:
        return true;
    default:
        return false;
    }
}

// The filter codes recorded with a variable block.
bool isComplexFilterCode(uint8_t code)
{
    for (uint8_t c : {39, 40, 51, 54, 74, 99})
        if (code == c)
            return true;
    return false;
}

} // namespace

TEST(NewUserFaultsEventNames, EveryCommandHeaderNamesAnOperation)
{
    int named = 0;
    for (int g = 0; g < 256; ++g)
        for (int c = 0; c < 256; ++c) {
            const SEventHdr hdr{uint8_t(g), uint8_t(c)};
            const bool command = g == 38 ? isComplexFilterCode(uint8_t(c))
                                         : isCommandGroup(uint8_t(g)) && packetLayout(hdr).isValid();
            if (!command)
                continue;
            const TEventCode ec = packetToEventCode(hdr);
            EXPECT_NE(ec, TEventCode::ecNop) << "group " << g << " code " << c;
            EXPECT_GT(std::strlen(getEventCodeDotName(ec)), 0u) << "group " << g << " code " << c;
            ++named;
        }
    EXPECT_GT(named, 200);
}

TEST(NewUserFaultsEventNames, CropWithVersionIsTheCanvasCrop)
{
    // The versioned crop (group 2 code 11) is the same operation as the first crop (code 6).
    EXPECT_EQ(packetToEventCode(2, 11), TEventCode::ecImage_Property_Size_Crop);
    EXPECT_EQ(packetToEventCode(2, 11), packetToEventCode(2, 6));
    EXPECT_STREQ(getEventCodeDotName(packetToEventCode(2, 11)), "image.property.size.crop");
}

TEST(NewUserFaultsEventNames, EveryLegacyInstructionHasAName)
{
    int known = 0;
    for (uint32_t code = 0; code <= 0xFFFF; ++code) {
        const std::string name = legacyInstructionName(uint16_t(code));
        if (!legacy_event::isKnownCode(uint16_t(code))) {
            EXPECT_EQ(name, "") << code;
            continue;
        }
        EXPECT_NE(name, "") << code;
        ++known;
    }
    EXPECT_EQ(known, 43);
    EXPECT_EQ(std::string(legacyInstructionName(legacy_event::kEditUndoDisposeIndex)),
              "discard one layer's undo");
    EXPECT_EQ(std::string(legacyInstructionName(legacy_event::kEnd)), "end of the stream");
}
