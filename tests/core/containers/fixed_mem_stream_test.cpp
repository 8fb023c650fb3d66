#include "core/base/ansi_text.h"
#include "core/containers/fixed_mem_stream.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <array>
#include <cstring>

TEST(FixedMemStream, ReadsAndOverwritesCallerMemoryInPlaceWithoutGrowing)
{
    std::array<char, 8> memory{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    CFixedMemStream s(memory.data(), qint64(memory.size()));
    EXPECT_EQ(s.size(), 8);
    char head[3] = {};
    EXPECT_EQ(s.read(head, 3), 3);
    EXPECT_EQ(std::memcmp(head, "abc", 3), 0);

    EXPECT_EQ(s.write("XY", 2), 2);
    EXPECT_EQ(memory[3], 'X');
    EXPECT_EQ(memory[4], 'Y');

    // A write across the end stops at the end; one at the end fails; the size never changes.
    ASSERT_TRUE(s.seek(6));
    EXPECT_EQ(s.write("1234", 4), 2);
    EXPECT_EQ(memory[7], '2');
    EXPECT_EQ(s.write("5", 1), -1);
    EXPECT_EQ(s.size(), 8);
    ASSERT_TRUE(s.seek(6));
    EXPECT_EQ(s.readAll(), QByteArray("12"));

    EXPECT_EQ(s.Detach(), memory.data());
    EXPECT_EQ(s.size(), 0);
    EXPECT_EQ(s.read(head, 1), 0);
    EXPECT_EQ(memory[0], 'a');
}

TEST(FixedMemStream, ReadOnlyMemoryIsNeverWritten)
{
    const char text[] = "record";
    CFixedMemStream s(static_cast<const void *>(text), 6);
    EXPECT_EQ(s.readAll(), QByteArray("record"));
    ASSERT_TRUE(s.seek(0));
    EXPECT_EQ(s.write("x", 1), -1);
    EXPECT_STREQ(text, "record");
}

TEST(AnsiText, ParsesNumbersAfterBlanks)
{
    struct Case
    {
        const char *text;
        bool ok;
        uint32_t value;
        int32_t used;
    } cases[] = {
        {"  42,", true, 42, 4}, {"\t7", true, 7, 2}, {"0", true, 0, 1},
        {"  x1", false, 99, 2}, {"", false, 99, 0},  {"99999999999", true, 4294967295u, 11},
    };
    for (const Case &c : cases) {
        uint32_t value = 99;
        int32_t used = -1;
        EXPECT_EQ(parseUInt(c.text, value, used), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(used, c.used) << c.text;
    }

    const char *p = "  \tR:10";
    EXPECT_EQ(skipSpaces(p), 3);
    EXPECT_EQ(*p, 'R');
    EXPECT_EQ(charIndex("R:10", ':'), 1);
    EXPECT_EQ(charIndex("R10", ':'), 3);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(streamWriteStr(buffer, "ROWS 4"));
    EXPECT_EQ(buffer.data(), QByteArray("ROWS 4"));
    char room[3];
    CFixedMemStream full(room, 3);
    EXPECT_FALSE(streamWriteStr(full, "ROWS"));
}
