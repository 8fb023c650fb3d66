#include "core/base/geometry.h"

#include <gtest/gtest.h>

#include <cstring>

// LDATA is read through every view by the event and undo records: the views must overlay.
TEST(GeometryRecords, LdataViewsOverlayOneLittleEndianCell)
{
    LDATA d;
    d.all = 0x11223344;
    EXPECT_EQ(d.w0, 0x3344);
    EXPECT_EQ(d.w1, 0x1122);
    EXPECT_EQ(d.b0, 0x44);
    EXPECT_EQ(d.b3, 0x11);
    d._float = 1.0f;
    EXPECT_EQ(uint32_t(d.all), 0x3F800000u);
}
